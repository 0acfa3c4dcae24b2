// Node graphs and node spaces. Main thread only, except the node space registry, which
// any thread may read.
//
// A node material holds one graph per node space (the renderer whose nodes it uses). A graph
// is a list of nodes addressed by their node path; each node has typed port values. Changes
// go through a transaction that applies all or nothing on Commit.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"
#include "brantic/time.h"
#include "brantic/url.h"

namespace brantic {

// Identifiers of node spaces, node types and ports.
using Id = String;

struct NodeSpaceData {
  Id id;
  String displayName;
};

// Registers a node space, or renames one that exists.
Result<void> RegisterNodeSpace(const Id& id, const String& displayName);
std::optional<NodeSpaceData> FindNodeSpace(const Id& id);
std::vector<NodeSpaceData> GetNodeSpaces();
// The node space the host's node editor currently works in; empty when none is set.
Id GetActiveNodeSpace();
void SetActiveNodeSpace(const Id& id);

// What the framework knows of a node type: the port that takes the node's value (a file
// for texture nodes) and, for image nodes, the ports of the first and last frame.
struct NodeTypeInfo {
  Id id;
  Id valuePort;
  Id firstFramePort;  // empty when the type plays no frame range
  Id lastFramePort;
};
Result<void> RegisterNodeType(const NodeTypeInfo& info);
std::optional<NodeTypeInfo> FindNodeType(const Id& id);

// The path of a node inside its graph: node ids joined with "/" ("group1/texture2").
class NodePath {
 public:
  NodePath() = default;
  static Result<NodePath> FromText(std::string_view text);
  const String& Text() const { return text_; }
  bool IsEmpty() const { return text_.IsEmpty(); }
  bool operator==(const NodePath&) const = default;

 private:
  explicit NodePath(String text) : text_(std::move(text)) {}
  String text_;
};

using PortValue = std::variant<std::monostate, bool, int64_t, double, String, Url, TimeValue>;

struct Node {
  NodePath path;
  Id type;
  std::map<Id, PortValue> ports;

  const PortValue* FindPort(const Id& port) const;
};

class GraphTransaction;

class NodeGraph {
 public:
  NodeGraph() = default;
  explicit NodeGraph(Id nodeSpace) : nodeSpace_(std::move(nodeSpace)) {}

  const Id& NodeSpace() const { return nodeSpace_; }
  const std::vector<Node>& Nodes() const { return nodes_; }
  const Node* FindNode(const NodePath& path) const;
  // Adds a node; fails when the path is empty or already used.
  Result<void> AddNode(Node node);
  uint32_t ChangeCount() const { return changeCount_; }

  GraphTransaction BeginTransaction();
  bool operator==(const NodeGraph& other) const { return nodeSpace_ == other.nodeSpace_ && NodesEqual(other); }

 private:
  friend class GraphTransaction;
  Node* FindMutableNode(const NodePath& path);
  bool NodesEqual(const NodeGraph& other) const;

  Id nodeSpace_;
  std::vector<Node> nodes_;
  uint32_t changeCount_ = 0;
};

// Changes collected and applied together. Dropping a transaction without Commit changes
// nothing.
class GraphTransaction {
 public:
  explicit GraphTransaction(NodeGraph& graph) : graph_(&graph) {}

  Result<void> SetPortValue(const NodePath& node, const Id& port, PortValue value);
  // Sets the node's value port (its type's valuePort, "file" for unknown types).
  Result<void> SetValue(const NodePath& node, PortValue value);
  Result<void> Commit();

 private:
  NodeGraph* graph_;
  std::vector<std::tuple<NodePath, Id, PortValue>> changes_;
  bool committed_ = false;
};

}  // namespace brantic

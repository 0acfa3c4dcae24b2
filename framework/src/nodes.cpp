#include "brantic/nodes.h"

#include <mutex>

namespace brantic {

namespace {

struct NodeRegistry {
  std::mutex mutex;
  std::vector<NodeSpaceData> spaces;
  std::vector<NodeTypeInfo> types;
  Id activeSpace;
};

NodeRegistry& Registry() {
  static NodeRegistry registry;
  return registry;
}

bool PortValuesEqual(const std::map<Id, PortValue>& a, const std::map<Id, PortValue>& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    if (!(ia->first == ib->first) || !(ia->second == ib->second)) return false;
  }
  return true;
}

}  // namespace

Result<void> RegisterNodeSpace(const Id& id, const String& displayName) {
  if (id.IsEmpty()) return IllegalArgumentError("a node space needs an identifier");
  std::lock_guard lock(Registry().mutex);
  for (NodeSpaceData& space : Registry().spaces) {
    if (space.id == id) {
      space.displayName = displayName;
      return OK();
    }
  }
  Registry().spaces.push_back({id, displayName});
  return OK();
}

std::optional<NodeSpaceData> FindNodeSpace(const Id& id) {
  if (id.IsEmpty()) return std::nullopt;
  std::lock_guard lock(Registry().mutex);
  for (const NodeSpaceData& space : Registry().spaces) {
    if (space.id == id) return space;
  }
  return std::nullopt;
}

std::vector<NodeSpaceData> GetNodeSpaces() {
  std::lock_guard lock(Registry().mutex);
  return Registry().spaces;
}

Id GetActiveNodeSpace() {
  std::lock_guard lock(Registry().mutex);
  return Registry().activeSpace;
}

void SetActiveNodeSpace(const Id& id) {
  std::lock_guard lock(Registry().mutex);
  Registry().activeSpace = id;
}

Result<void> RegisterNodeType(const NodeTypeInfo& info) {
  if (info.id.IsEmpty()) return IllegalArgumentError("a node type needs an identifier");
  std::lock_guard lock(Registry().mutex);
  for (NodeTypeInfo& type : Registry().types) {
    if (type.id == info.id) {
      type = info;
      return OK();
    }
  }
  Registry().types.push_back(info);
  return OK();
}

std::optional<NodeTypeInfo> FindNodeType(const Id& id) {
  std::lock_guard lock(Registry().mutex);
  for (const NodeTypeInfo& type : Registry().types) {
    if (type.id == id) return type;
  }
  return std::nullopt;
}

Result<NodePath> NodePath::FromText(std::string_view text) {
  if (text.empty()) return NodePath();
  if (text.front() == '/' || text.back() == '/' || text.find("//") != std::string_view::npos) {
    return IllegalArgumentError("bad node path \"" + std::string(text) + "\"");
  }
  return NodePath(String(text));
}

const PortValue* Node::FindPort(const Id& port) const {
  const auto found = ports.find(port);
  return found == ports.end() ? nullptr : &found->second;
}

const Node* NodeGraph::FindNode(const NodePath& path) const {
  for (const Node& node : nodes_) {
    if (node.path == path) return &node;
  }
  return nullptr;
}

Node* NodeGraph::FindMutableNode(const NodePath& path) { return const_cast<Node*>(FindNode(path)); }

Result<void> NodeGraph::AddNode(Node node) {
  if (node.path.IsEmpty()) return IllegalArgumentError("a node needs a path");
  if (FindNode(node.path)) {
    return IllegalArgumentError("two nodes at " + node.path.Text().Std());
  }
  nodes_.push_back(std::move(node));
  ++changeCount_;
  return OK();
}

bool NodeGraph::NodesEqual(const NodeGraph& other) const {
  if (nodes_.size() != other.nodes_.size()) return false;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const Node& a = nodes_[i];
    const Node& b = other.nodes_[i];
    if (!(a.path == b.path) || !(a.type == b.type) || !PortValuesEqual(a.ports, b.ports)) {
      return false;
    }
  }
  return true;
}

GraphTransaction NodeGraph::BeginTransaction() { return GraphTransaction(*this); }

Result<void> GraphTransaction::SetPortValue(const NodePath& node, const Id& port, PortValue value) {
  if (committed_) return IllegalStateError("the transaction was committed");
  if (!graph_->FindNode(node)) {
    return IllegalArgumentError("no node at " + node.Text().Std());
  }
  if (port.IsEmpty()) return IllegalArgumentError("no port given");
  changes_.emplace_back(node, port, std::move(value));
  return OK();
}

Result<void> GraphTransaction::SetValue(const NodePath& node, PortValue value) {
  const Node* found = graph_->FindNode(node);
  if (!found) return IllegalArgumentError("no node at " + node.Text().Std());
  const std::optional<NodeTypeInfo> type = FindNodeType(found->type);
  const Id port = type && !type->valuePort.IsEmpty() ? type->valuePort : Id("file");
  return SetPortValue(node, port, std::move(value));
}

Result<void> GraphTransaction::Commit() {
  if (committed_) return IllegalStateError("the transaction was committed");
  committed_ = true;
  for (auto& [path, port, value] : changes_) {
    Node* node = graph_->FindMutableNode(path);
    if (!node) return IllegalStateError("node " + path.Text().Std() + " went away");
    node->ports.insert_or_assign(port, std::move(value));
  }
  if (!changes_.empty()) ++graph_->changeCount_;
  changes_.clear();
  return OK();
}

}  // namespace brantic

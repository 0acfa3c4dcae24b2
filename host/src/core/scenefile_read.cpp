// Parsing .bx3 scene files.
#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <variant>

#include "bx3/scenefile.h"
#include "file_id_index.h"
#include "scenefile_common.h"
#include "scenefile_values.h"

namespace bx3 {

namespace {

using brantic::JsonKind;
using scenefile::LinkRef;
using scenefile::ReadValue;
using scenefile::SceneValueReader;

// What an element holds of its own, read before the element is made (its type may come last).
struct OwnData {
  std::optional<brantic::String> name;
  std::optional<LinkRef> layer;
  std::vector<std::pair<int32_t, ParamValue>> params;
  std::vector<std::pair<int32_t, LinkRef>> linkParams;
  std::vector<brantic::NodeGraph> graphs;
};

// Members an object may hold once.
enum MemberBit : uint32_t {
  kMemberId = 1u << 0,
  kMemberType = 1u << 1,
  kMemberName = 1u << 2,
  kMemberLayer = 1u << 3,
  kMemberParams = 1u << 4,
  kMemberGraphs = 1u << 5,
  kMemberChildren = 1u << 6,
  kMemberParent = 1u << 7,
  kMemberOverrides = 1u << 8,
};

class SceneReader : SceneValueReader {
 public:
  explicit SceneReader(std::string_view text) : SceneValueReader(text), document_(std::make_unique<Document>()) {
    // An element takes at least this many bytes of text; room made ahead spares the indexes
    // growing again and again in a large scene.
    const size_t expected = std::min<size_t>(text.size() / 64, size_t(1) << 22);
    byFileId_.Reserve(expected);
    document_->ReserveElements(expected);
  }

  // Throws JsonValueError and JsonTextError; ParseDocument catches them.
  void Read() {
    bool format = false, version = false;
    struct Active {
      LinkRef link;
      std::function<void(Document&, Element*)> set;
    };
    std::vector<Active> actives;
    Members("the scene must be a JSON object", [&](std::string_view key) {
      if (key == "format") {
        Expect(Text("must be a text") == kSceneFormatName, std::string("must be \"") + kSceneFormatName + "\"");
        format = true;
      } else if (key == "version") {
        Integer(("unsupported version (this host reads 1 to " + std::to_string(kSceneFormatVersion) + ")").c_str(), 1,
                kSceneFormatVersion);
        version = true;
      } else if (key == "document") {
        Apply(ReadOwnData("must be an object"), *document_);
      } else if (const auto branch = BranchOf(key)) {
        Items("must be an array", [&](size_t) { document_->InsertElement(*branch, ReadElement(0)); });
      } else if (key == "takes") {
        ReadTakes();
      } else if (key == "activeMaterial") {
        actives.push_back({ReadLink("must be an element id"), [](Document& d, Element* e) { d.SetActiveMaterial(e); }});
      } else if (key == "activeObject") {
        actives.push_back({ReadLink("must be an element id"), [](Document& d, Element* e) { d.SetActiveObject(e); }});
      } else if (key == "activeRenderSettings") {
        actives.push_back(
            {ReadLink("must be an element id"), [](Document& d, Element* e) { d.SetActiveRenderSettings(e); }});
      } else if (key == "paintTextures") {
        std::vector<Filename> names;
        Items("must be an array of file names",
              [&](size_t) { names.emplace_back(std::string(Text("must be a file name text"))); });
        document_->SetPaintTextures(std::move(names));
      } else if (key == "preview") {
        ReadPreview();
      } else {
        Skip();
      }
    });
    ExpectEnd("more data after the end of the scene");
    if (!format) Fail("/format", std::string("must be \"") + kSceneFormatName + "\"");
    if (!version)
      Fail("/version", "unsupported version (this host reads 1 to " + std::to_string(kSceneFormatVersion) + ")");
    ResolveLinks();
    for (const Active& active : actives) {
      const std::optional<Element*> found = byFileId_.Find(active.link.fileId);
      if (!found) Fail(active.link.position, "no element with id " + std::to_string(active.link.fileId));
      active.set(*document_, *found);
    }
    document_->MarkSaved();
  }

  std::unique_ptr<Document> TakeDocument() { return std::move(document_); }

 private:
  struct PendingLink {
    LinkRef link;
    // Answers the problem when the element cannot be linked here, or null.
    std::function<const char*(Element*)> apply;
  };

  static std::optional<Branch> BranchOf(std::string_view key) {
    for (const auto& [name, branch] : kBranchKeys) {
      if (key == name) return branch;
    }
    return std::nullopt;
  }

  // Refuses a member that appears twice: which of the two counts would be a guess.
  void Once(uint32_t& seen, MemberBit bit) {
    Expect((seen & bit) == 0, "appears twice");
    seen |= bit;
  }

  // Notes the id where it is read, so that a duplicate is reported where it stands in the file.
  void NoteId(int64_t fileId, Element* element) {
    if (!byFileId_.Note(fileId)) Fail(Where(), "duplicate id " + std::to_string(fileId));
    byFileId_.Set(fileId, element);
  }

  std::unique_ptr<Element> ReadElement(int depth) {
    // Element trees are built recursively; a hostile file must not exhaust the stack.
    if (depth >= kMaxNesting) Fail(Where(), "elements nested deeper than " + std::to_string(kMaxNesting) + " levels");
    std::optional<int64_t> fileId;
    const TypeInfo* info = nullptr;
    OwnData own;
    std::vector<std::unique_ptr<Element>> children;
    uint32_t seen = 0;
    Members("an element must be an object", [&](std::string_view key) {
      if (key == "id") {
        Once(seen, kMemberId);
        fileId = Integer("needs a positive integer id", 1);
        NoteId(*fileId, nullptr);
      } else if (key == "type") {
        Once(seen, kMemberType);
        info = ReadElementType();
      } else if (key == "children") {
        Once(seen, kMemberChildren);
        Items("must be an array", [&](size_t) { children.push_back(ReadElement(depth + 1)); });
      } else if (!ReadOwnMember(key, own, seen)) {
        Skip();
      }
    });
    // The members are read: the position is the element's again.
    if (!fileId) Fail(Where() + "/id", "needs a positive integer id");
    if (!info) Fail(Where() + "/type", "needs a type name");
    std::unique_ptr<Element> element = CreateElement(info->id);
    byFileId_.Set(*fileId, element.get());
    Apply(std::move(own), *element);
    for (auto& child : children) element->InsertChild(std::move(child));
    return element;
  }

  const TypeInfo* ReadElementType() {
    const std::string_view name = Text("needs a type name");
    const TypeInfo* info = FindTypeByName(name);
    if (!info) Fail(Where(), "unknown element type \"" + std::string(name) + "\"");
    if (info->category == TypeCategory::Document || info->category == TypeCategory::Head ||
        info->category == TypeCategory::Take) {
      Fail(Where(), "\"" + std::string(info->name) + "\" cannot stand here");
    }
    return info;
  }

  OwnData ReadOwnData(const char* notAnObject) {
    OwnData own;
    uint32_t seen = 0;
    Members(notAnObject, [&](std::string_view key) {
      if (!ReadOwnMember(key, own, seen)) Skip();
    });
    return own;
  }

  // Reads the member `key` when it is part of an element's own data.
  bool ReadOwnMember(std::string_view key, OwnData& own, uint32_t& seen) {
    if (key == "name") {
      Once(seen, kMemberName);
      own.name = Intern(Text("must be a text"));
    } else if (key == "layer") {
      Once(seen, kMemberLayer);
      own.layer = ReadLink("a link must be an element id");
    } else if (key == "params") {
      Once(seen, kMemberParams);
      own.params.reserve(8);  // most elements hold a few: one allocation instead of several
      Members("must be an object of parameters", [&](std::string_view paramKey) {
        const int32_t paramId = ParseParamId(paramKey);
        ReadValue value = ReadParam();
        if (auto* link = std::get_if<LinkRef>(&value)) {
          own.linkParams.emplace_back(paramId, std::move(*link));
        } else {
          own.params.emplace_back(paramId, std::move(std::get<ParamValue>(value)));
        }
      });
    } else if (key == "graphs") {
      Once(seen, kMemberGraphs);
      Items("must be an array of node graphs", [&](size_t) {
        brantic::NodeGraph graph = ReadGraph();
        for (const brantic::NodeGraph& other : own.graphs) {
          if (other.NodeSpace() == graph.NodeSpace())
            Fail(Where() + "/space", "a second graph for the same node space");
        }
        own.graphs.push_back(std::move(graph));
      });
    } else {
      return false;
    }
    return true;
  }

  void Apply(OwnData own, Element& element) {
    if (own.name) element.SetName(std::move(*own.name));
    if (own.layer) {
      pending_.push_back({std::move(*own.layer), [&element](Element* target) -> const char* {
                            if (target->GetType() != type::kLayer) return "links to an element that is no layer";
                            element.SetLayer(target);
                            return nullptr;
                          }});
    }
    element.ReserveParameters(own.params.size() + own.linkParams.size());
    for (auto& [id, value] : own.params) element.SetParameter(id, std::move(value));
    for (auto& [id, link] : own.linkParams) {
      pending_.push_back({std::move(link), [&element, id = id](Element* target) -> const char* {
                            element.SetParameter(id, ElementLink(target));
                            return nullptr;
                          }});
    }
    for (brantic::NodeGraph& graph : own.graphs) element.SetNodeGraph(std::move(graph));
  }

  void ReadPreview() {
    bool png = false;
    const std::string where = Where();
    Members("must be an object", [&](std::string_view key) {
      if (key != "png") return Skip();
      auto bytes = DecodeBase64(Text("must be a base64 text"));
      Expect(bytes.HasValue(), "is not valid base64");
      document_->SetPreviewPng(std::move(*bytes));
      png = true;
    });
    if (!png) Fail(where + "/png", "must be a base64 text");
  }

  void ReadTakes();
  void ReadOverride(Take& take);
  void ResolveLinks();

  static constexpr int kMaxNesting = 1000;

  std::unique_ptr<Document> document_;
  FileIdIndex byFileId_;
  // In the file's order, which keeps the result deterministic: link values of overrides are
  // set before the override that holds them.
  std::vector<PendingLink> pending_;
};

void SceneReader::ReadTakes() {
  struct TakeEntry {
    int64_t fileId = 0;
    int64_t parent = 0;
    std::unique_ptr<Take> take;
    std::string where;
  };
  std::vector<TakeEntry> entries;
  Items("must be an array", [&](size_t) {
    TakeEntry entry{0, 0, std::make_unique<Take>(), Where()};
    OwnData own;
    uint32_t seen = 0;
    Members("a take must be an object", [&](std::string_view key) {
      if (key == "id") {
        Once(seen, kMemberId);
        entry.fileId = Integer("needs a positive integer id", 1);
        NoteId(entry.fileId, entry.take.get());
      } else if (key == "parent") {
        Once(seen, kMemberParent);
        entry.parent = Integer("must be a take id");
      } else if (key == "overrides") {
        Once(seen, kMemberOverrides);
        Items("must be an array", [&](size_t) { ReadOverride(*entry.take); });
      } else if (!ReadOwnMember(key, own, seen)) {
        Skip();
      }
    });
    if (entry.fileId == 0) Fail(entry.where + "/id", "needs a positive integer id");
    Apply(std::move(own), *entry.take);
    entries.push_back(std::move(entry));
  });
  if (entries.empty()) return;

  // Every take but the first needs a parent take; parents form a tree without cycles. Each
  // take's chain of parents is walked once: a take already known to reach the main take ends
  // the walk of any take below it.
  std::unordered_map<int64_t, size_t> indexOf;
  indexOf.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) indexOf.emplace(entries[i].fileId, i);
  enum class Walk : uint8_t { New, OnPath, Rooted };
  std::vector<Walk> state(entries.size(), Walk::New);
  std::vector<size_t> parentIndex(entries.size(), 0);
  std::vector<size_t> path;
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string position = entries[i].where + "/parent";
    if (i == 0) {
      if (entries[0].parent != 0) Fail(position, "the main take has no parent");
      state[0] = Walk::Rooted;
      continue;
    }
    if (entries[i].parent == 0) Fail(position, "only the main take has no parent");
    path.clear();
    for (size_t at = i; state[at] != Walk::Rooted;) {
      if (state[at] == Walk::OnPath) Fail(position, "the take hierarchy has a cycle");
      state[at] = Walk::OnPath;
      path.push_back(at);
      const int64_t up = entries[at].parent;
      const auto found = up == 0 ? indexOf.end() : indexOf.find(up);
      if (found == indexOf.end()) {
        Fail(position, up == 0 ? "the take hierarchy has a cycle" : "no take with id " + std::to_string(up));
      }
      parentIndex[at] = found->second;
      at = found->second;
    }
    for (size_t at : path) state[at] = Walk::Rooted;
  }

  // Insert parents before children, keeping the file's order among siblings.
  std::vector<std::vector<size_t>> children(entries.size());
  for (size_t i = 1; i < entries.size(); ++i) children[parentIndex[i]].push_back(i);
  std::vector<std::pair<size_t, Element*>> stack{{0, nullptr}};
  while (!stack.empty()) {
    const auto [at, parent] = stack.back();
    stack.pop_back();
    Element* inserted = document_->InsertElement(Branch::Takes, std::move(entries[at].take), parent);
    for (auto child = children[at].rbegin(); child != children[at].rend(); ++child)
      stack.emplace_back(*child, inserted);
  }
}

void SceneReader::ReadOverride(Take& take) {
  std::optional<LinkRef> element;
  std::optional<int32_t> paramId;
  std::optional<ReadValue> value;
  const std::string where = Where();
  Members("an override must be an object", [&](std::string_view key) {
    if (key == "element") {
      element = ReadLink("needs the id of the element");
    } else if (key == "param") {
      // An id that does not fit would name another parameter: refused, never cut down.
      paramId = static_cast<int32_t>(Integer("needs a 32-bit parameter id", INT32_MIN, INT32_MAX));
    } else if (key == "value") {
      value = ReadParam();
    } else {
      Skip();
    }
  });
  if (!element) Fail(where + "/element", "needs the id of the element");
  if (!paramId) Fail(where + "/param", "needs a parameter id");
  if (!value) Fail(where + "/value", "needs a value");
  // The value's own link resolves before the override is set.
  auto parsed = std::make_shared<ParamValue>();
  if (auto* link = std::get_if<LinkRef>(&*value)) {
    pending_.push_back({std::move(*link), [parsed](Element* target) -> const char* {
                          *parsed = ElementLink(target);
                          return nullptr;
                        }});
  } else {
    *parsed = std::move(std::get<ParamValue>(*value));
  }
  pending_.push_back({std::move(*element), [&take, id = *paramId, parsed](Element* overridden) -> const char* {
                        take.SetOverride(overridden, id, *parsed);
                        return nullptr;
                      }});
}

void SceneReader::ResolveLinks() {
  for (PendingLink& pending : pending_) {
    const std::optional<Element*> found = byFileId_.Find(pending.link.fileId);
    if (!found) Fail(pending.link.position, "dangling link to element " + std::to_string(pending.link.fileId));
    if (const char* problem = pending.apply(*found)) Fail(pending.link.position, problem);
  }
}

}  // namespace

brantic::Result<std::unique_ptr<Document>> ParseDocument(std::string_view text, std::string_view sourceName) {
  const std::string source(sourceName);
  try {
    SceneReader reader(text);
    reader.Read();
    return reader.TakeDocument();
  } catch (const JsonTextError& error) {
    return brantic::IllegalArgumentError(source + ": " + brantic::JsonCursor::LineAndColumn(text, error.offset) +
                                         ": not a valid scene file (" + error.problem + ")");
  } catch (const JsonValueError& error) {
    return brantic::IllegalArgumentError(source + ": " + (error.position.empty() ? "/" : error.position) + ": " +
                                         error.problem);
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError(source + ": out of memory while reading");
  } catch (const std::exception& error) {
    return brantic::IllegalArgumentError(source + ": " + error.what());
  }
}

}  // namespace bx3

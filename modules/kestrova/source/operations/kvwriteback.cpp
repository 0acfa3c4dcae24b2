#include "operations/kvwriteback.h"

#include <algorithm>
#include <optional>

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/illumination_cache.h"
#include "bx3/services.h"
#include "bx3/texturelist.h"
#include "collection/kvresolve.h"
#include "collection/kvscenewalk.h"

namespace kv {

namespace {

using bx3::Element;

constexpr int32_t kDataTypeTakeText = 7;  // a take's text parameter

bool IsBitmapShader(const Element* element) { return element && element->GetType() == bx3::type::kBitmapShader; }

// The special elements that store a path in a parameter of their own.
bool IsSpecialElement(const Element& element) {
  using namespace bx3::type;
  if (element.IsInstanceOf(kTagBase) || element.IsInstanceOf(kSceneEffectBase)) return true;
  const int32_t type = element.GetType();
  return type == kProjectSettings || type == kRenderSettings || type == kFileTrack || type == kSimulation;
}

// `path` as a value of `dataType`: a file name, or text. Empty for any other type.
bx3::ParamValue PathValue(const bx3::Filename& path, int32_t dataType) {
  if (dataType == bx3::kDataTypeFilename) return path;
  if (dataType == bx3::kDataTypeString || dataType == kDataTypeTakeText) return path.GetString();
  return {};
}

// The data type of what `element` holds in `paramId` now.
int32_t CurrentDataType(const Element& element, int32_t paramId) {
  const bx3::ParamValue* value = element.GetParameter(paramId);
  return value ? bx3::DataTypeOf(*value) : bx3::kDataTypeNone;
}

// Writes one row's path into the scene, by the first rule that fits the element that holds it.
class SceneWriter {
 public:
  SceneWriter(const KvAssetEntry& row, const bx3::Filename& oldPath, bx3::Document& document, bool addUndo)
      : row_(row), oldPath_(oldPath), document_(document), addUndo_(addUndo) {}

  // True when the scene holds the row's path now.
  bool Write() {
    Element* owner = row_.ownerLink.Resolve(&document_);
    Element* main = row_.ownerMainLink.Resolve(&document_);
    // A row listed from a take's override changes that override, and only that.
    if (!row_.takeLink.IsEmpty()) return WriteTakeOverride(owner);
    if (owner && owner->IsInstanceOf(bx3::type::kShaderBase)) return WriteShader(*owner);
    if (owner && IsSpecialElement(*owner)) return WriteSpecial(*owner);
    if (main && main->IsInstanceOf(bx3::type::kObjectBase)) return WriteObject(*main);
    if (main && main->IsInstanceOf(bx3::type::kMaterialBase)) return WriteMaterial(*main, owner);
    if (owner && owner->GetType() == bx3::type::kExternalRendererEffect) return SendPathChange(*owner);
    return false;
  }

 private:
  const bx3::Filename& Path() const { return row_.assetPath; }
  int32_t ParamId() const { return row_.hostDescId.IsEmpty() ? 0 : row_.hostDescId.First().id; }
  void RecordUndo(Element& element) {
    if (addUndo_) document_.AddUndo(bx3::kUndoChange, &element);
  }

  bool WriteTakeOverride(Element* owner) {
    auto* take = dynamic_cast<bx3::Take*>(row_.takeLink.Resolve(&document_));
    if (!take || !owner || row_.hostDescId.IsEmpty()) return false;
    int32_t dataType = row_.hostDescId.First().dataType;
    if (dataType == bx3::kDataTypeNone) {
      // The row's parameter was not described for its element: the override's value tells.
      const bx3::TakeOverride* current = take->FindOverride(owner, ParamId());
      dataType = current ? bx3::DataTypeOf(current->value) : bx3::kDataTypeNone;
    }
    bx3::ParamValue value = PathValue(Path(), dataType);
    if (std::holds_alternative<std::monostate>(value)) return false;
    RecordUndo(*take);
    take->SetOverride(owner, ParamId(), std::move(value));
    return true;
  }

  bool WriteShader(Element& shader) {
    if (shader.GetType() == bx3::type::kBitmapShader) {
      if (shader.GetFilename(bx3::param::kBitmapFile) == Path()) return true;
      RecordUndo(shader);
      shader.SetParameter(bx3::param::kBitmapFile, Path(), bx3::kSetFlagsUserChange);
    } else {
      RecordUndo(shader);
      shader.SetParameter(ParamId(), Path());
    }
    shader.Message(bx3::kMsgUpdate);
    return true;
  }

  bool WriteSpecial(Element& owner) {
    bx3::ParamValue value = PathValue(Path(), CurrentDataType(owner, ParamId()));
    if (std::holds_alternative<std::monostate>(value)) return false;
    RecordUndo(owner);
    if (owner.GetType() == bx3::type::kIlluminationCacheEffect) {
      owner.SetParameter(bx3::illumination::kParamUseCacheFile, int32_t{1});
      value = PathValue(bx3::illumination::StoredNameOfFile(Path()), bx3::DataTypeOf(value));
    }
    if (owner.GetType() == bx3::type::kTextureListTag) {
      if (!bx3::texturelist::Prepare(owner, document_)) return false;
      const int32_t shown = bx3::texturelist::GetIndex(owner);
      bx3::texturelist::SetIndex(owner, row_.parameterId);
      owner.SetParameter(ParamId(), std::move(value));
      bx3::texturelist::SetIndex(owner, shown);
      bx3::texturelist::Finish(owner, document_);
    } else {
      owner.SetParameter(ParamId(), std::move(value));
    }
    owner.Message(bx3::kMsgUpdate);
    return true;
  }

  bool WriteObject(Element& object) {
    bx3::ParamValue value = PathValue(Path(), CurrentDataType(object, ParamId()));
    if (std::holds_alternative<std::monostate>(value)) return false;
    RecordUndo(object);
    const bool reference = object.GetType() == bx3::type::kReferenceObject;
    object.SetParameter(ParamId(), std::move(value), reference ? bx3::kSetFlagsUserChange : bx3::kSetFlagsNone);
    object.Message(bx3::kMsgUpdate);
    return true;
  }

  bool WriteMaterial(Element& material, Element* owner) {
    // The second renderer keeps its node materials' paths itself.
    if (row_.nodeSpace == brantic::Id(bx3::kNodeSpaceLumen)) return owner && SendPathChange(*owner);
    brantic::NodeGraph* graph = material.GetNodeGraph(row_.nodeSpace);
    if (!graph || !graph->FindNode(row_.nodePath)) return false;
    RecordUndo(material);
    brantic::GraphTransaction transaction = graph->BeginTransaction();
    if (!transaction.SetValue(row_.nodePath, Path().GetUrl()) || !transaction.Commit()) return false;
    material.Message(bx3::kMsgUpdate);
    return true;
  }

  bool SendPathChange(Element& element) {
    if (oldPath_ == Path()) return true;
    RecordUndo(element);
    bx3::AssetPathChange change{oldPath_, Path(), &document_, 0};
    element.Message(bx3::kMsgAssetPathChanged, &change);
    return true;
  }

  const KvAssetEntry& row_;
  const bx3::Filename& oldPath_;
  bx3::Document& document_;
  const bool addUndo_;
};

// The path to store, or the answer when there is nothing to store.
struct PreparedPath {
  bx3::Filename path;
  int32_t result = kWriteDone;
};

PreparedPath PreparePath(const KvAssetEntry& row, const bx3::Filename& newPath, const bx3::Document& document,
                         const Element* owner, bool localize, KvResolveScope& scope) {
  if (!newPath.IsPopulated() || !localize) return {newPath};
  const bx3::Filename folder = document.GetFolder();
  if (!bx3::IsInDocumentLocations(newPath, folder)) {
    if (newPath.GetString() == row.assetPath.GetString()) return {{}, kWriteUnchanged};
    return {newPath};
  }
  bx3::Filename current = row.assetPath;
  const KvResolveScope::Resolution& found = scope.Resolve(newPath, IsBitmapShader(owner));
  if (found.result != kResolveMissing && found.path.IsPopulated()) current = found.path;
  if (newPath.GetFile().GetString() == current.GetString()) return {{}, kWriteAlreadyLocal};
  const auto relative = newPath.GetUrl().GetRelativeUrl(folder.GetUrl());
  return {relative ? bx3::Filename(relative->GetPath()) : newPath.GetFile()};
}

}  // namespace

int32_t WriteAssetPath(KvAssetEntry& row, const bx3::Filename& newPath, bx3::Document* document, bool addUndo,
                       bool localize, KvResolveScope* scope) {
  if (!document) return kWriteFailed;
  // Without a pass's scope, one of this write's own.
  std::optional<KvResolveScope> own;
  if (!scope) scope = &own.emplace(document->GetFolder());
  const Element* owner = row.ownerLink.Resolve(document);
  PreparedPath prepared = PreparePath(row, newPath, *document, owner, localize, *scope);
  if (prepared.result != kWriteDone) return prepared.result;

  const bx3::Filename oldPath = row.assetPath;
  row.assetPath = std::move(prepared.path);
  if (!SceneWriter(row, oldPath, *document, addUndo).Write()) {
    // The scene did not take the path: the row goes on showing the one the scene holds.
    row.assetPath = oldPath;
    return kWriteFailed;
  }
  // Written as the very file it was found at a moment ago (Make Paths Absolute): found there.
  // (Each of these answers saw that file exist.)
  if ((row.resolveResult == kResolveFound || row.resolveResult == kResolveFoundByName ||
       row.resolveResult == kResolveBuiltByHost) &&
      row.assetPath.GetString() == row.resolvedPath) {
    row.resolveResult = kResolveFound;
    return kWriteDone;
  }
  // Missing a moment ago and written as a place it was looked for: missing still.
  if (row.resolveResult == kResolveMissing &&
      AnchoredStaysMissing(oldPath, row.assetPath, scope->DocumentFolder(), scope->Context())) {
    return kWriteDone;
  }
  const KvResolveScope::Resolution& found = scope->Resolve(row.assetPath, IsBitmapShader(owner));
  row.resolveResult = found.result;
  // The file to read, as a collection finds it (a set keeps its first file until then).
  const bool readable = IsFileFound(found.result);
  row.resolvedPath = readable ? found.path.GetString() : brantic::String();
  if (row.setKind == kSetNone) row.resolvedUrl = readable ? found.path.GetUrl() : brantic::Url();
  return kWriteDone;
}

bool WriteStaysInItsRow(const KvAssetEntry& row, bx3::Document& document) {
  if (KvNestedWalk::MayNameFiles(row.assetPath.View())) return false;
  // The same order of elements as SceneWriter::Write.
  if (!row.takeLink.IsEmpty()) return true;
  const Element* owner = row.ownerLink.Resolve(&document);
  const Element* main = row.ownerMainLink.Resolve(&document);
  if (owner && owner->IsInstanceOf(bx3::type::kShaderBase)) return true;
  if (owner && IsSpecialElement(*owner)) return owner->GetType() != bx3::type::kIlluminationCacheEffect;
  if (main && main->IsInstanceOf(bx3::type::kObjectBase)) return true;
  if (main && main->IsInstanceOf(bx3::type::kMaterialBase)) return row.nodeSpace != brantic::Id(bx3::kNodeSpaceLumen);
  return false;
}

int32_t ClearAssetUse(const KvAssetEntry& row, bx3::Document& document) {
  using namespace bx3::type;
  bx3::Element* owner = row.ownerLink.Resolve(&document);
  if (!owner) return kClearGone;  // removed already, through another of its uses
  bx3::Element* main = row.ownerMainLink.Resolve(&document);
  if (!row.nodePath.IsEmpty()) {
    // A node's file goes through its graph (or its renderer), as a new path would.
    KvAssetEntry cleared = row;
    const bx3::Filename oldPath = cleared.assetPath;
    cleared.assetPath = bx3::Filename();
    return SceneWriter(cleared, oldPath, document, true).Write() ? kClearDone : kClearNotHeld;
  }
  if (auto* take = dynamic_cast<bx3::Take*>(row.takeLink.Resolve(&document))) {
    // A take's override goes, not the element it overrides.
    document.AddUndo(bx3::kUndoChange, take);
    take->RemoveOverride(owner, row.hostDescId.IsEmpty() ? 0 : row.hostDescId.First().id);
    return kClearDone;
  }
  if (owner->GetType() == kBitmapShader || owner->GetType() == kFileTrack) {
    document.AddUndo(bx3::kUndoDelete, owner);
    if (main && main != owner) main->Message(bx3::kMsgUpdate);
    owner->Remove();  // freed here: the undo record holds its copy
    return kClearDone;
  }
  if (owner->GetType() == kSimulation) {
    document.AddUndo(bx3::kUndoChange, owner);
    for (const auto& item : owner->GetChildren()) {
      document.AddUndo(bx3::kUndoChange, item.get());
      bx3::SendNodeRequest(*item, bx3::kNodeRequestClearCache);
    }
    bx3::SendNodeRequest(*owner, bx3::kNodeRequestClearCache);
    bx3::CallCommand(bx3::kCmdClearSimulationCaches);
    return kClearDone;
  }
  const bx3::ParamValue* value = row.hostDescId.IsEmpty() ? nullptr : owner->GetParameter(row.hostDescId.First().id);
  if (!value || !std::holds_alternative<bx3::Filename>(*value)) return kClearNotHeld;
  document.AddUndo(bx3::kUndoChange, owner);
  owner->SetParameter(row.hostDescId.First().id, bx3::ParamValue());
  if (owner->GetType() == kIlluminationCacheEffect) {
    owner->SetParameter(bx3::illumination::kParamUseCacheFile, int32_t{1});
  }
  return kClearDone;
}

}  // namespace kv

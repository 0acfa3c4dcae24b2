#include "bx3/pathchange.h"

#include <cstdio>

#include "bx3/host.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

std::vector<ReceivedPathChange>& Received() {
  static std::vector<ReceivedPathChange> received;
  return received;
}

// The external renderer's element: its own file parameters.
int32_t RelinkParameters(Element& element, const AssetPathChange& change) {
  std::vector<int32_t> ids;
  for (const auto& [id, value] : element.GetParameters()) {
    const auto* file = std::get_if<Filename>(&value);
    if (file && *file == change.oldPath) ids.push_back(id);
  }
  for (int32_t id : ids) element.SetParameter(id, change.newPath);
  return int32_t(ids.size());
}

// A node material of the second renderer: the value ports of the nodes in its graph.
int32_t RelinkNodes(Element& material, const AssetPathChange& change) {
  brantic::NodeGraph* graph = material.GetNodeGraph(brantic::Id(kNodeSpaceLumen));
  if (!graph) return 0;
  brantic::GraphTransaction transaction = graph->BeginTransaction();
  int32_t relinked = 0;
  for (const brantic::Node& node : graph->Nodes()) {
    const auto type = brantic::FindNodeType(node.type);
    const brantic::PortValue* value =
        node.FindPort(type && !type->valuePort.IsEmpty() ? type->valuePort : brantic::Id("file"));
    const auto* url = value ? std::get_if<brantic::Url>(value) : nullptr;
    if (!url || !(Filename::FromUrl(*url) == change.oldPath)) continue;
    if (!transaction.SetValue(node.path, change.newPath.GetUrl())) return 0;
    ++relinked;
  }
  if (relinked == 0 || !transaction.Commit()) return 0;
  material.SetDirty();
  return relinked;
}

}  // namespace

bool ApplyAssetPathChange(Element& element, const AssetPathChange& change) {
  BX3_MAIN_THREAD_ONLY();
  int32_t relinked = 0;
  if (element.GetType() == type::kExternalRendererEffect) {
    relinked = RelinkParameters(element, change);
  } else if (element.IsInstanceOf(type::kMaterialBase) && element.GetNodeGraph(brantic::Id(kNodeSpaceLumen))) {
    relinked = RelinkNodes(element, change);
  } else {
    return false;
  }
  Received().push_back({element.GetUid(), element.GetName(), change.oldPath, change.newPath, relinked});
  std::printf("bx3: %s relinks %s to %s (%d)\n", element.GetName().CStr(), change.oldPath.GetString().CStr(),
              change.newPath.GetString().CStr(), relinked);
  std::fflush(stdout);
  return true;
}

const std::vector<ReceivedPathChange>& GetReceivedPathChanges() { return Received(); }

void ClearReceivedPathChanges() { Received().clear(); }

}  // namespace bx3

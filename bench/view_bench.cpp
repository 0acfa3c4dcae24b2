// Ordering, filtering and grouping 100,000 inspector rows, drawing a screen of them, and the
// search-and-replace proposals for all of them.
#include <benchmark/benchmark.h>

#include <numeric>

#include "bx3/document.h"
#include "bx3/host.h"
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvsearchreplace.h"
#include "support/dialog_access.h"
#include "support/fake_dialog.h"
#include "view/kvfilter.h"
#include "view/kvgroup.h"
#include "view/kvsort.h"
#include "view/kvtreefunctions.h"
#include "view/kvviewstate.h"
#include "window/kvdialog.h"

namespace {

using namespace kv;

// Rows and the lists the view reads them through.
struct KvRowsAndLists {
  std::vector<KvAssetEntry> rows;
  KvViewLists lists;
};

constexpr int32_t kColumns[] = {column::kStatus,     column::kAssetType, column::kAsset,       column::kPath,
                                column::kGlobalPath, column::kNewPath,   column::kElementType, column::kElement,
                                column::kBreadcrumb, column::kLayer,     column::kTake,        column::kNodeSpace,
                                column::kFormat,     column::kSize,      column::kResolution};

// A document with 1,000 materials on 20 layers, and rows that use 20% distinct files.
struct Rows {
  bx3::Document* document = nullptr;
  std::vector<KvAssetEntry> rows;

  explicit Rows(int64_t count) {
    static bool started = [] {
      bx3::InitializeHost();
      return LoadModuleResources(KV_MODULE_SOURCE_DIR);
    }();
    (void)started;
    bx3::CloseAllDocuments();
    auto scene = std::make_unique<bx3::Document>();
    std::vector<bx3::Element*> layers, shaders;
    for (int i = 0; i < 20; ++i) {
      layers.push_back(scene->InsertElement(bx3::Branch::Layers,
                                            bx3::CreateElement(bx3::type::kLayer, "Layer " + std::to_string(i % 15))));
    }
    for (int i = 0; i < 1000; ++i) {
      bx3::Element* material = scene->InsertElement(
          bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "Material " + std::to_string(i)));
      material->SetLayer(layers[size_t(i % 20)]);
      shaders.push_back(material->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "Color")));
    }
    document = bx3::AddDocument(std::move(scene));
    const char* suffixes[] = {"png", "exr", "jpg", "tif", "mov", "wav"};
    const uint32_t types[] = {ASSETTYPE_IMAGE, ASSETTYPE_IMAGE, ASSETTYPE_IMAGE,
                              ASSETTYPE_IMAGE, ASSETTYPE_VIDEO, ASSETTYPE_AUDIO};
    rows.reserve(size_t(count));
    uint64_t seed = 12345;
    for (int64_t i = 0; i < count; ++i) {
      seed = seed * 6364136223846793005ull + 1442695040888963407ull;
      const int64_t file = int64_t(seed >> 33) % (count / 5);
      KvAssetEntry row;
      row.assetPath = bx3::Filename("tex/sub_" + std::to_string(file % 37) + "/file_" + std::to_string(file) + "." +
                                    suffixes[file % 6]);
      row.assetType = types[file % 6];
      row.resolveResult = file % 10 == 9 ? 0 : 4;
      row.resolvedPath =
          row.resolveResult ? brantic::String("/scenes/" + row.assetPath.GetString().Std()) : brantic::String();
      row.fileSize = (file * 7919) % 50'000'000;
      row.resolutionX = 256 << (file % 5);
      row.resolutionY = 128 << (file % 4);
      row.formatText = brantic::String(suffixes[file % 6]);
      row.takeName = brantic::String(file % 3 ? "Main" : "Alt");
      row.takeOverride = file % 3 == 0;
      bx3::Element* shader = shaders[size_t(i % 1000)];
      row.ownerLink.Set(shader);
      row.ownerMainLink.Set(shader->GetUp());
      row.layerLink = shader->GetUp()->GetLayerLink();
      row.elementName = shader->GetUp()->GetName();
      row.parameterId = 0;
      if (file % 50 == 0) {
        row.sequenceStart = 1;
        row.sequenceEnd = 24;
      }
      rows.push_back(std::move(row));
    }
  }
};

Rows& SharedRows() {
  static Rows rows(100000);
  return rows;
}

void BM_Sort(benchmark::State& state) {
  Rows& shared = SharedRows();
  const int32_t column = kColumns[state.range(0)];
  // The dialog keeps the rows in place and sorts their order.
  for (auto _ : state) {
    std::vector<uint32_t> order = SortedRowOrder(shared.rows, column, shared.document);
    benchmark::DoNotOptimize(order.data());
  }
  const char label[] = {char(column >> 24), char(column >> 16), char(column >> 8), char(column), 0};
  state.SetLabel(label);
}
BENCHMARK(BM_Sort)->DenseRange(0, 14)->Unit(benchmark::kMillisecond);

void BM_Filter(benchmark::State& state) {
  Rows& shared = SharedRows();
  KvRowsAndLists table;
  table.rows = shared.rows;
  KvFilterBarState filter;
  filter.column = state.range(0) == 0 ? 2 : 1;
  filter.text = brantic::String(state.range(0) == 0 ? "sub_12/" : "file_1#.*");
  auto compiled = KvFilterBarFilter::Create(filter, shared.document);
  const KvViewSettings view = KvViewSettings::Defaults();
  for (auto _ : state) {
    (void)BuildRowIndexList(table.rows, table.lists, view, &*compiled);
    benchmark::DoNotOptimize(table.lists.rowIndexList.data());
  }
  state.SetLabel(state.range(0) == 0 ? "text" : "wildcard");
  state.counters["kept"] = double(table.lists.rowIndexList.size());
}
BENCHMARK(BM_Filter)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_Group(benchmark::State& state) {
  Rows& shared = SharedRows();
  KvRowsAndLists table;
  table.rows = shared.rows;
  (void)BuildRowIndexList(table.rows, table.lists, KvViewSettings::Defaults(), nullptr);
  const int32_t mode = kGroupModes[state.range(0)];
  for (auto _ : state) {
    (void)GroupRows(table.rows, table.lists, mode, shared.document);
    benchmark::DoNotOptimize(table.lists.viewGroups.data());
  }
  state.counters["groups"] = double(table.lists.viewGroups.size());
}
BENCHMARK(BM_Group)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// A screen of 38 rows with every column, from the middle of the list,, drawn through the tree's callbacks.
void BM_DrawScreen(benchmark::State& state) {
  Rows rows(state.range(0));
  KestrovaDialog dialog;
  dialog.SetGroupMode(kGroupNone);  // one line per row: full screens at both sizes
  KvCollection& collection = KvDialogTestAccess::Collection(dialog);
  KvViewState& view = KvDialogTestAccess::View(dialog);
  KvViewLists& lists = view.Lists();
  collection.Rows() = std::move(rows.rows);
  collection.SetActiveDocument(rows.document);
  (void)BuildRowIndexList(collection.Rows(), lists, KvViewSettings::Defaults(), nullptr);
  (void)GroupRows(collection.Rows(), lists, dialog.View().GroupMode(), rows.document);
  KvTreeFunctions tree;
  bx3::GeUserArea area;
  kvtest::RecordingAreaHost host(area);
  const bx3::TreeItem start = MakeItem(int64_t(lists.rowIndexList.size()) / 2, 0);
  for (auto _ : state) {
    host.canvas = {};
    bx3::TreeItem item = start;
    for (int32_t line = 0; line < 38 && item; ++line) {
      for (int32_t column : kColumns) {
        bx3::TreeDrawInfo info{&area, 0, line * 17, 120, 17, line % 2};
        tree.RenderCell(&collection, &view, item, column, info, bx3::GetHostColor(bx3::color::kRow));
      }
      item = tree.NextItem(&collection, &view, item);
    }
    benchmark::DoNotOptimize(host.canvas.texts.data());
  }
}
BENCHMARK(BM_DrawScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The proposals of search and replace for 100,000 selected rows: plain text, and a wildcard
// pattern.
void BM_SearchReplacePreview(benchmark::State& state) {
  Rows& shared = SharedRows();
  for (KvAssetEntry& row : shared.rows) row.selected = 1;
  std::vector<int64_t> listed(shared.rows.size());
  std::iota(listed.begin(), listed.end(), int64_t(0));
  const KvSearchReplace job = state.range(0) == 0 ? KvSearchReplace{"sub_1", "maps_1", kReplaceInFolder}
                                                  : KvSearchReplace{"file_#.png", "map.png", kReplaceInFileName};
  int64_t proposed = 0;
  for (auto _ : state) {
    proposed = ApplySearchReplace(shared.rows, listed, job, true, shared.document).proposed;
  }
  state.counters["proposed"] = double(proposed);
  for (KvAssetEntry& row : shared.rows) {
    row.selected = 0;
    row.hasNewPath = 0;
    row.newPath = brantic::String();
  }
}
BENCHMARK(BM_SearchReplacePreview)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

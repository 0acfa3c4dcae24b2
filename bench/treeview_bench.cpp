// A full redraw of the tree view at 100 and 100,000 items: the cost depends on the rows in
// view, not on the length of the list.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "../host/src/gui/qt_treeview.h"
#include "bx3/dialog.h"
#include "bx3/qtgui.h"
#include "bx3/treeview.h"

namespace {

class FlatTree : public bx3::TreeViewFunctions {
 public:
  explicit FlatTree(int64_t count) : count_(count) {}
  bx3::TreeItem FirstItem(void*, void*) override { return count_ > 0 ? 1 : 0; }
  bx3::TreeItem FirstChildItem(void*, void*, bx3::TreeItem) override { return 0; }
  bx3::TreeItem NextItem(void*, void*, bx3::TreeItem item) override { return int64_t(item) < count_ ? item + 1 : 0; }
  void RenderCell(void*, void*, bx3::TreeItem item, int32_t, bx3::TreeDrawInfo& info, bx3::Rgb) override {
    info.area->DrawText(brantic::String::FromInt(int64_t(item)), info.x + 2, info.y, {230, 230, 230}, {});
  }

 private:
  int64_t count_;
};

class TreeDialog : public bx3::GeDialog {
 public:
  bool CreateLayout() override {
    tree = AddTreeView(1, bx3::kFit, 800, 600, bx3::Container());
    return tree != nullptr;
  }
  bx3::TreeViewGadget* tree = nullptr;
};

void BM_TreeRedraw(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "treeview_bench";
  static char* argv[] = {name, nullptr};
  bx3::InitializeGui(argc, argv);
  TreeDialog dialog;
  dialog.Open(bx3::kDialogNonModal, 1, -1, -1, 900, 700);
  FlatTree functions(state.range(0));
  std::vector<bx3::TreeColumn> columns;
  for (int32_t i = 0; i < 8; ++i) columns.push_back({1000 + i, bx3::kTreeColumnUser, 100});
  dialog.tree->SetLayout(columns);
  dialog.tree->SetRoot(nullptr, &functions, nullptr);
  auto* widget = dynamic_cast<bx3::gui::TreeViewWidget*>(dialog.tree);
  QImage image(widget->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    widget->PaintTo(painter);
  }
  state.counters["rows drawn"] = double(widget->RowsInView().size());
  dialog.Close();
}
BENCHMARK(BM_TreeRedraw)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

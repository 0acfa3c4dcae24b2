// A dialog toolkit without a screen, for tests of dialogs: windows keep gadget values and
// menu states, trees keep their layout and count refreshes, user areas draw into a canvas
// that records what was drawn.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bx3/canvas.h"
#include "bx3/dialog.h"
#include "bx3/treeview.h"
#include "bx3/userarea.h"

namespace kvtest {

// A window without a screen: keeps gadget values and gives the dialog a tree that counts
// refreshes. Enough for the collection, which only needs a tree to exist.
class FakeTree : public bx3::TreeViewGadget {
 public:
  void SetRoot(void*, bx3::TreeViewFunctions*, void*) override {}
  void SetLayout(const std::vector<bx3::TreeColumn>& columns) override {
    columns_ = columns;
    ++layouts;
  }
  std::vector<bx3::TreeColumn> GetLayout() const override { return columns_; }
  void Refresh() override { ++refreshes; }
  void RedrawRows() override { ++redraws; }
  void ScrollTo(bx3::TreeItem) override {}
  int refreshes = 0;
  int redraws = 0;
  int layouts = 0;

 private:
  std::vector<bx3::TreeColumn> columns_;
};

class FakeWindow : public bx3::DialogWindow {
 public:
  bool GroupBegin(int32_t, int32_t, int32_t, int32_t, const brantic::String&) override { return true; }
  bool GroupEnd() override { return true; }
  bool GroupBorderSpace(int32_t, int32_t, int32_t, int32_t) override { return true; }
  bool AddGadget(const bx3::GadgetSpec& spec) override {
    if (spec.kind == bx3::GadgetKind::TreeView) trees[spec.id] = std::make_unique<FakeTree>();
    values[spec.id] = spec.text;
    return true;
  }
  bool AddChild(int32_t, int32_t, const brantic::String&) override { return true; }
  bool FlushGroup(int32_t) override { return true; }
  bool LayoutChanged(int32_t) override { return true; }
  // As the host does: an attached area is initialised.
  bool AttachUserArea(bx3::GeUserArea& area, int32_t) override { return area.Init(); }
  bx3::TreeViewGadget* FindTreeView(int32_t id) override { return trees.count(id) ? trees[id].get() : nullptr; }
  bool SetValue(int32_t id, const bx3::GadgetValue& value) override {
    values[id] = value;
    return true;
  }
  std::optional<bx3::GadgetValue> GetValue(int32_t id) const override {
    const auto found = values.find(id);
    return found == values.end() ? std::nullopt : std::optional<bx3::GadgetValue>(found->second);
  }
  bool SetLimits(int32_t, double, double, double) override { return true; }
  bool Enable(int32_t, bool) override { return true; }
  bool Focus(int32_t) override { return true; }
  void SetTitle(const brantic::String&) override {}
  void SetTimer(int32_t) override {}
  bool SetGroupWeights(int32_t, const bx3::Container&) override { return true; }
  bool GetGroupWeights(int32_t, bx3::Container&) const override { return true; }
  void MenuFlushAll() override {}
  void MenuSubBegin(const brantic::String&) override {}
  void MenuSubEnd() override {}
  void MenuAddCommand(int32_t) override {}
  void MenuAddSeparator() override {}
  void MenuFinished() override {}
  void MenuSetState(int32_t id, bool enabled, bool checked) override { menus[id] = {enabled, checked}; }

  std::map<int32_t, bx3::GadgetValue> values;
  std::map<int32_t, std::unique_ptr<FakeTree>> trees;
  std::map<int32_t, std::pair<bool, bool>> menus;  // enabled, checked
};

class FakeToolkit : public bx3::DialogToolkit {
 public:
  bool OpenWindow(bx3::GeDialog& dialog, int32_t, int32_t pluginId, int32_t, int32_t, int32_t, int32_t,
                  int32_t) override {
    auto& window = windows[&dialog];
    window = std::make_unique<FakeWindow>();
    dialog.SetWindow(window.get());
    if (!dialog.CreateLayout()) return false;
    dialog.SetOpenState(true, pluginId);
    return dialog.InitValues();
  }
  bool CloseWindow(bx3::GeDialog& dialog) override {
    dialog.DestroyWindow();
    dialog.SetWindow(nullptr);
    dialog.SetOpenState(false, 0);
    return true;
  }
  bool RestoreWindow(bx3::GeDialog&, int32_t, int32_t, const bx3::Container&) override { return false; }
  bool FocusGadget(bx3::GeDialog&, int32_t) override { return true; }
  std::map<bx3::GeDialog*, std::unique_ptr<FakeWindow>> windows;
};

// What a canvas was asked to draw. Text widths are 7 pixels per character, fonts 14 high.
class RecordingCanvas : public bx3::Canvas {
 public:
  struct Text {
    std::string text;
    int32_t x, y;
    bx3::Rgb color;
  };
  void SetPen(bx3::Rgb) override {}
  void FillRect(int32_t, int32_t, int32_t, int32_t) override {}
  void DrawLine(int32_t, int32_t, int32_t, int32_t, double) override {}
  void DrawText(const brantic::String& text, int32_t x, int32_t y, bx3::Rgb color, bx3::Rgb) override {
    texts.push_back({text.Std(), x, y, color});
  }
  void DrawBitmap(const bx3::BaseBitmap& bitmap, int32_t, int32_t, int32_t, int32_t, int32_t x, int32_t, int32_t,
                  int32_t, int32_t) override {
    icons.push_back({bitmap.GetIconId(), x});
  }
  void SetClip(int32_t, int32_t, int32_t, int32_t) override {}
  void ClearClip() override {}
  int32_t FontHeight() const override { return 14; }
  int32_t TextWidth(const brantic::String& text) const override { return int32_t(text.View().size()) * 7; }

  std::vector<Text> texts;
  std::vector<std::pair<int32_t, int32_t>> icons;  // icon id and x
};

// A user area that draws into a recording canvas at any time.
class RecordingAreaHost : public bx3::UserAreaHost {
 public:
  explicit RecordingAreaHost(bx3::GeUserArea& area) : area_(area) { area_.SetHost(this); }
  ~RecordingAreaHost() override { area_.SetHost(nullptr); }
  int32_t Width() const override { return 400; }
  int32_t Height() const override { return 300; }
  bx3::Canvas* CurrentCanvas() override { return &canvas; }
  void Redraw() override {}
  bool IsMouseButtonDown(int32_t) const override { return false; }
  int32_t NextDragStep(double&, double&) override { return bx3::kDragFinished; }
  void LocalToScreen(int32_t&, int32_t&) const override {}
  void SetPointerPosition(int32_t, int32_t) override {}
  void ForgetArea(bx3::GeUserArea&) override {}

  RecordingCanvas canvas;

 private:
  bx3::GeUserArea& area_;
};

}  // namespace kvtest

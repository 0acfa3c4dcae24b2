// A small module for the batch tests: commands that ask questions, change the scene with
// undo, and a dialog with a tree of the scene's objects.
#include <memory>

#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "bx3/modal.h"
#include "bx3/module.h"
#include "bx3/treeview.h"

namespace {

using namespace bx3;

constexpr int32_t kAsk = 7100, kChoose = 7101, kRename = 7102, kOpenTree = 7103;
constexpr int32_t kStatus = 1, kInfo = 2, kTree = 3;
constexpr int32_t kNameColumn = FourCC("name"), kTypeColumn = FourCC("type");

Element* Object(int64_t index) {
  Document* document = GetActiveDocument();
  if (!document) return nullptr;
  const auto& objects = document->GetBranch(Branch::Objects)->GetChildren();
  return index >= 0 && index < int64_t(objects.size()) ? objects[size_t(index)].get() : nullptr;
}

bool RenameWithUndo(Element* element, const brantic::String& name) {
  Document* document = GetActiveDocument();
  if (!element || !document) return false;
  document->StartUndo();
  document->AddUndo(kUndoChange, element);
  element->SetName(name);
  document->EndUndo();
  return true;
}

class ObjectTree : public TreeViewFunctions {
 public:
  TreeItem FirstItem(void*, void*) override { return Object(0) ? 1 : 0; }
  TreeItem FirstChildItem(void*, void*, TreeItem) override { return 0; }
  TreeItem NextItem(void*, void*, TreeItem item) override { return Object(int64_t(item)) ? item + 1 : 0; }
  void RenderCell(void*, void*, TreeItem item, int32_t column, TreeDrawInfo& info, Rgb) override {
    Element* element = Object(int64_t(item) - 1);
    if (!element) return;
    const brantic::String text =
        column == kNameColumn ? element->GetName() : brantic::String(element->GetTypeInfo()->name);
    info.area->DrawText(text, info.x, info.y, GetHostColor(color::kText), GetHostColor(color::kRow));
  }
  bool ItemSelected(void*, void*, TreeItem item) override { return item == selected; }
  void ChangeSelection(void*, void*, TreeItem item, int32_t) override { selected = item; }
  brantic::String ItemText(void*, void*, TreeItem item) override {
    Element* element = Object(int64_t(item) - 1);
    return element ? element->GetName() : brantic::String();
  }
  void ApplyEditedText(void*, void*, TreeItem item, const brantic::String& text) override {
    RenameWithUndo(Object(int64_t(item) - 1), text);
  }
  TreeItem selected = 0;
};

class TreeDialog : public GeDialog {
 public:
  bool CreateLayout() override {
    SetTitle("Objects");
    tree_ = AddTreeView(kTree, kFit, 300, 200, Container());
    AddStaticText(kStatus, kFitHorizontal, 0, 0, "");
    AddMultiLineEditText(kInfo, kFitHorizontal, 200, 40, true);
    if (!tree_) return false;
    tree_->SetLayout({{kNameColumn, kTreeColumnUser, 120}, {kTypeColumn, kTreeColumnUser, 120}});
    tree_->SetRoot(nullptr, &functions_, nullptr);
    return true;
  }
  bool InitValues() override {
    int64_t count = 0;
    while (Object(count)) ++count;
    SetString(kStatus, brantic::String(std::to_string(count) + " objects"));
    SetString(kInfo, "Objects of the scene");
    return true;
  }
  int32_t StatusGadget() const override { return kStatus; }
  int32_t InfoGadget() const override { return kInfo; }

 private:
  TreeViewGadget* tree_ = nullptr;
  ObjectTree functions_;
};

class Command : public CommandData {
 public:
  explicit Command(int32_t id) : id_(id) {}
  bool Execute(Document*, GeDialog*) override {
    switch (id_) {
      case kAsk: return MessageDialog(kMessageYesNo, "Go on?") == kAnswerYes;
      case kChoose: {
        Filename chosen;
        if (!FileSelect(chosen, FileSelectMode::Load, "Pick a name")) return false;
        return RenameWithUndo(Object(0), chosen.GetFile().GetString());
      }
      case kRename: return RenameWithUndo(Object(0), "Renamed");
      case kOpenTree: return dialog.Open(kDialogNonModal, kOpenTree, -1, -1, 400, 300);
      default: return false;
    }
  }
  TreeDialog dialog;

 private:
  int32_t id_;
};

int32_t g_starts = 0;

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t bx3_main(int32_t action, intptr_t, intptr_t p2, intptr_t p3) {
  switch (action) {
    case kModuleStart: return ++g_starts, p3 ? 1 : -3;
    case kModuleMessage: {
      auto* request = reinterpret_cast<ResourceRequest*>(p2);
      if (request && request->state) request->state->pending = 0;
      return 1;
    }
    case kModulePluginStart: {
      const unsigned char record[kManagerRecordSize] = {};
      bool ok = RegisterPlugin(kPluginKindManager, kOpenTree, "Objects", record, kManagerRecordSize);
      for (int32_t id : {kAsk, kChoose, kRename, kOpenTree}) {
        ok = ok && RegisterCommandPlugin(id, brantic::String("Test " + brantic::String::FromInt(id).Std()), 0, nullptr,
                                         "", std::make_unique<Command>(id));
      }
      return ok ? 1 : 0;
    }
    case kModuleEnd: return --g_starts, 1;
    default: return -1;
  }
}

// The window that edits the texture search folders of the preferences: it lists them with
// their enabled state and adds (through the folder dialog), removes, enables, disables and
// reorders them. Below them, the path mappings as lines of text, stored when saved. Every change is saved at once
// (atomically) and tells the open dialogs that paths may resolve differently now. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/prefs.h"
#include "bx3/services.h"
#include "bx3/treeview.h"

namespace bx3 {

// Its gadgets, for batch runs and tests.
namespace searchpaths {
inline constexpr int32_t kList = 1000;
inline constexpr int32_t kAdd = 1001;
inline constexpr int32_t kRemove = 1002;
inline constexpr int32_t kEnabled = 1003;  // the selected folder's enabled state
inline constexpr int32_t kUp = 1004;
inline constexpr int32_t kDown = 1005;
inline constexpr int32_t kStatus = 1006;
inline constexpr int32_t kMappings = 1007;  // the path mappings, one a line: "FROM => TO"
inline constexpr int32_t kSaveMappings = 1008;
// The list's columns.
inline constexpr int32_t kColumnEnabled = FourCC("enab");
inline constexpr int32_t kColumnFolder = FourCC("fold");
inline constexpr int32_t kColumnState = FourCC("stat");
}  // namespace searchpaths

class SearchPathsDialog final : public GeDialog, private TreeViewFunctions {
 public:
  bool CreateLayout() override;
  bool InitValues() override;
  bool Command(int32_t id, const Container& message) override;
  int32_t StatusGadget() const override { return searchpaths::kStatus; }
  void DestroyWindow() override { tree_ = nullptr; }

  // The folder of the selected row; -1 when none is.
  int64_t Selected() const { return selected_; }

 private:
  // The list as it is now, changed by one step: kept in the preferences and on disk.
  void Store(std::vector<TextureSearchPath> paths, int64_t selected);
  void AddFolder();
  void SaveMappings();
  void Show(const std::string& note = {});

  // --- the list's callbacks: one row per folder, item = position + 1
  TreeItem FirstItem(void*, void*) override;
  TreeItem FirstChildItem(void*, void*, TreeItem) override { return 0; }
  TreeItem NextItem(void*, void*, TreeItem item) override;
  int32_t CellContentWidth(void*, void*, TreeItem item, int32_t column, GeUserArea* area) override;
  int32_t HeaderWidth(void*, void*, int32_t column, GeUserArea* area) override;
  void RenderCell(void*, void*, TreeItem item, int32_t column, TreeDrawInfo& info, Rgb background) override;
  bool RenderHeaderCell(void*, void*, int32_t column, TreeDrawInfo& info) override;
  bool ItemSelected(void*, void*, TreeItem item) override { return int64_t(item) - 1 == selected_; }
  void ChangeSelection(void*, void*, TreeItem item, int32_t mode) override;
  bool CellDoubleClick(void*, void*, TreeItem item, int32_t column, const TreeMouseInfo&) override;

  brantic::String CellText(TreeItem item, int32_t column) const;

  TreeViewGadget* tree_ = nullptr;
  int64_t selected_ = -1;
};

// Opens the window; registered by the host under kCmdTextureSearchPaths.
class SearchPathsCommand final : public CommandData {
 public:
  bool Execute(Document*, GeDialog*) override;
  int32_t CommandState(Document*, GeDialog*) override;

 private:
  SearchPathsDialog dialog_;
};

}  // namespace bx3

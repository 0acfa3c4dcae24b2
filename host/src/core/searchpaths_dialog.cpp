#include "searchpaths_dialog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "brantic/io.h"
#include "bx3/canvas.h"
#include "bx3/modal.h"
#include "bx3/userarea.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

using namespace searchpaths;

constexpr int32_t kGroupButtons = 1010;
// Room on both sides of a cell's text.
constexpr int32_t kCellPadding = 6;

std::vector<TextureSearchPath> Current() { return Preferences::Get().GetTextureSearchPaths(); }

bool IsFolder(const Filename& path) { return brantic::DetectIo(path.GetUrl()) == brantic::IoDetect::Directory; }

const char* HeaderText(int32_t column) {
  switch (column) {
    case kColumnEnabled: return "Use";
    case kColumnFolder: return "Folder";
    case kColumnState: return "State";
    default: return "";
  }
}

}  // namespace

bool SearchPathsDialog::CreateLayout() {
  SetTitle("Texture Search Paths");
  GroupBegin(0, kFit, 1, 0);
  GroupBorderSpace(6, 6, 6, 6);
  AddStaticText(0, kFitHorizontal, 0, 0,
                "Folders searched, in this order, for textures that are not where the scene says:");
  Container settings;
  settings.SetBool(treesetting::kHeader, true);
  settings.SetBool(treesetting::kBorder, true);
  tree_ = AddTreeView(kList, kFit, 480, 160, settings);
  GroupBegin(kGroupButtons, kFitHorizontal, 5, 0);
  AddButton(kAdd, 0, 0, 0, "Add...");
  AddButton(kRemove, 0, 0, 0, "Remove");
  AddCheckbox(kEnabled, 0, 0, 0, "Enabled");
  AddButton(kUp, 0, 0, 0, "Move Up");
  AddButton(kDown, 0, 0, 0, "Move Down");
  GroupEnd();
  AddStaticText(0, kFitHorizontal, 0, 0, "Path mappings, one a line: a root of another system => where it is here");
  AddMultiLineEditText(kMappings, kFitHorizontal, 480, 70, false);
  AddButton(kSaveMappings, 0, 0, 0, "Save Mappings");
  AddStaticText(kStatus, kFitHorizontal, 0, 0, "");
  GroupEnd();
  if (!tree_) return false;
  tree_->SetLayout(
      {{kColumnEnabled, kTreeColumnUser, 0}, {kColumnFolder, kTreeColumnUser, 0}, {kColumnState, kTreeColumnUser, 0}});
  return true;
}

bool SearchPathsDialog::InitValues() {
  if (tree_) tree_->SetRoot(this, this, nullptr);
  if (selected_ >= int64_t(Current().size())) selected_ = -1;
  SetString(kMappings, brantic::String(brantic::MappingsToText(Preferences::Get().GetPathMappings())));
  Show();
  return true;
}

void SearchPathsDialog::SaveMappings() {
  BX3_MAIN_THREAD_ONLY();
  brantic::String text;
  GetString(kMappings, text);
  auto mappings = brantic::MappingsFromText(text.View());
  if (!mappings) {
    Show("Mappings not saved: " + mappings.GetError().Message());
    return;
  }
  const size_t count = mappings->size();
  Preferences& preferences = Preferences::Get();
  preferences.SetPathMappings(std::move(*mappings));
  const brantic::Result<void> saved = preferences.Save();
  Show(saved ? std::to_string(count) + (count == 1 ? " mapping saved" : " mappings saved")
             : "Not saved: " + saved.GetError().Message());
}

void SearchPathsDialog::Show(const std::string& note) {
  const std::vector<TextureSearchPath> paths = Current();
  const bool any = selected_ >= 0 && selected_ < int64_t(paths.size());
  Enable(kRemove, any);
  Enable(kEnabled, any);
  Enable(kUp, any && selected_ > 0);
  Enable(kDown, any && selected_ + 1 < int64_t(paths.size()));
  SetBool(kEnabled, any && paths[size_t(selected_)].enabled);
  const auto enabled = std::count_if(paths.begin(), paths.end(), [](const TextureSearchPath& p) { return p.enabled; });
  std::string status = std::to_string(paths.size()) + (paths.size() == 1 ? " folder, " : " folders, ") +
                       std::to_string(enabled) + " enabled";
  if (!note.empty()) status += "    " + note;
  SetString(kStatus, brantic::String(status));
  if (tree_) tree_->Refresh();
}

void SearchPathsDialog::Store(std::vector<TextureSearchPath> paths, int64_t selected) {
  BX3_MAIN_THREAD_ONLY();
  Preferences& preferences = Preferences::Get();
  selected_ = selected;
  // The dialogs hear of it once the change is in; the file follows at once, so that a crash
  // later loses nothing.
  preferences.SetTextureSearchPaths(std::move(paths));
  const brantic::Result<void> saved = preferences.Save();
  Show(saved ? std::string() : "Not saved: " + saved.GetError().Message());
}

void SearchPathsDialog::AddFolder() {
  std::vector<TextureSearchPath> paths = Current();
  const Filename start =
      selected_ >= 0 && selected_ < int64_t(paths.size()) ? paths[size_t(selected_)].path : Filename();
  Filename folder;
  if (!FileSelect(folder, FileSelectMode::Directory, "Add a texture search folder", start)) return;
  while (folder.GetString().Std().size() > 1 && folder.GetString().Std().back() == '/') {
    folder = Filename(folder.GetString().Std().substr(0, folder.GetString().Std().size() - 1));
  }
  if (!folder.IsPopulated()) return;
  const auto known =
      std::find_if(paths.begin(), paths.end(), [&](const TextureSearchPath& p) { return p.path == folder; });
  if (known != paths.end()) {
    selected_ = known - paths.begin();
    Show(folder.GetString().Std() + " is listed already");
    return;
  }
  paths.push_back({folder, true});
  const int64_t added = int64_t(paths.size()) - 1;
  Store(std::move(paths), added);
}

bool SearchPathsDialog::Command(int32_t id, const Container&) {
  std::vector<TextureSearchPath> paths = Current();
  const bool any = selected_ >= 0 && selected_ < int64_t(paths.size());
  const size_t at = size_t(std::max<int64_t>(selected_, 0));
  switch (id) {
    case kAdd: AddFolder(); return true;
    case kSaveMappings: SaveMappings(); return true;
    case kRemove: {
      if (!any) return true;
      paths.erase(paths.begin() + int64_t(at));
      const int64_t next = std::min<int64_t>(selected_, int64_t(paths.size()) - 1);
      Store(std::move(paths), next);
      return true;
    }
    case kEnabled: {
      if (!any) return true;
      bool enabled = paths[at].enabled;
      GetBool(kEnabled, enabled);
      paths[at].enabled = enabled;
      Store(std::move(paths), selected_);
      return true;
    }
    case kUp:
    case kDown: {
      const int64_t other = selected_ + (id == kUp ? -1 : 1);
      if (!any || other < 0 || other >= int64_t(paths.size())) return true;
      std::swap(paths[at], paths[size_t(other)]);
      Store(std::move(paths), other);
      return true;
    }
    default: return GeDialog::Command(id, Container());
  }
}

TreeItem SearchPathsDialog::FirstItem(void*, void*) { return Current().empty() ? 0 : 1; }

TreeItem SearchPathsDialog::NextItem(void*, void*, TreeItem item) {
  return int64_t(item) < int64_t(Current().size()) ? item + 1 : 0;
}

brantic::String SearchPathsDialog::CellText(TreeItem item, int32_t column) const {
  const std::vector<TextureSearchPath>& paths = Preferences::Get().GetTextureSearchPaths();
  const int64_t index = int64_t(item) - 1;
  if (index < 0 || index >= int64_t(paths.size())) return {};
  const TextureSearchPath& path = paths[size_t(index)];
  switch (column) {
    case kColumnEnabled: return path.enabled ? "on" : "off";
    case kColumnFolder: return path.path.GetString();
    case kColumnState: return IsFolder(path.path) ? "" : "not found";
    default: return {};
  }
}

int32_t SearchPathsDialog::CellContentWidth(void*, void*, TreeItem item, int32_t column, GeUserArea* area) {
  return area ? area->DrawGetTextWidth(CellText(item, column)) + 2 * kCellPadding : 0;
}

int32_t SearchPathsDialog::HeaderWidth(void*, void*, int32_t column, GeUserArea* area) {
  return area ? area->DrawGetTextWidth(HeaderText(column)) + 2 * kCellPadding : 0;
}

void SearchPathsDialog::RenderCell(void*, void*, TreeItem item, int32_t column, TreeDrawInfo& info, Rgb background) {
  if (!info.area) return;
  const bool selected = int64_t(item) - 1 == selected_;
  const brantic::String text = CellText(item, column);
  const bool off = column == kColumnEnabled && text == "off";
  const Rgb color = GetHostColor(selected ? color::kTextSelected : off ? color::kEdgeLight : color::kText);
  info.area->DrawText(text, info.x + kCellPadding, info.y, color, background);
}

bool SearchPathsDialog::RenderHeaderCell(void*, void*, int32_t column, TreeDrawInfo& info) {
  if (!info.area) return false;
  const Rgb ground = GetHostColor(color::kBackground);
  info.area->DrawSetPen(ground);
  info.area->DrawRectangle(info.x, info.y, info.x + info.width - 1, info.y + info.height - 1);
  info.area->DrawText(HeaderText(column), info.x + kCellPadding,
                      info.y + (info.height - info.area->DrawGetFontHeight()) / 2, GetHostColor(color::kHeaderText),
                      ground);
  return true;
}

void SearchPathsDialog::ChangeSelection(void*, void*, TreeItem item, int32_t mode) {
  selected_ = mode == kSelectRemove ? -1 : int64_t(item) - 1;
  Show();
}

bool SearchPathsDialog::CellDoubleClick(void*, void*, TreeItem item, int32_t column, const TreeMouseInfo&) {
  // A double click on the use column turns the folder on or off; nothing is edited in place.
  selected_ = int64_t(item) - 1;
  if (column == kColumnEnabled) {
    std::vector<TextureSearchPath> paths = Current();
    if (selected_ >= 0 && selected_ < int64_t(paths.size())) {
      paths[size_t(selected_)].enabled = !paths[size_t(selected_)].enabled;
      Store(std::move(paths), selected_);
      return true;
    }
  }
  Show();
  return true;
}

bool SearchPathsCommand::Execute(Document*, GeDialog*) {
  return dialog_.Open(kDialogNonModal, kCmdTextureSearchPaths, -1, -1, 560, 300);
}

int32_t SearchPathsCommand::CommandState(Document*, GeDialog*) {
  return dialog_.IsOpen() ? kCmdEnabledChecked : kCmdEnabled;
}

}  // namespace bx3

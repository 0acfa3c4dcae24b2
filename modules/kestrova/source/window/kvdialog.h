// The inspector window: its gadgets, menus, messages and status line, and the preview
// request. The rows are the collection's; what the tree shows of them is the view state's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "brantic/result.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/treeview.h"
#include "collection/kvcollection.h"
#include "ids/kvgadgets.h"
#include "operations/kvwritepass.h"
#include "preview/kvpreviewarea.h"
#include "view/kvselection.h"
#include "view/kvtreeevents.h"
#include "view/kvviewstate.h"
#include "window/kvfilterbar.h"

namespace kv {

// The file and manager commands, which act on the current asset.
enum class KvCurrentCommand { ShowFile, OpenFile, PictureViewer, FileInManager, ElementInManager };

// The one inspector dialog. It lives from registration until the main command is
// destroyed; closing the window keeps it, with its settings and rows.
class KestrovaDialog : public bx3::GeDialog, public KvTreeEvents {
 public:
  KestrovaDialog();
  ~KestrovaDialog() override;

  // --- the window
  bool CreateLayout() override;
  bool InitValues() override;
  void DestroyWindow() override;
  int32_t Message(const bx3::Container& message, bx3::Container& result) override;
  bool CoreMessage(int32_t id, const bx3::Container& message) override;
  bool Command(int32_t id, const bx3::Container& message) override;
  void Timer(const bx3::Container& message) override;
  int32_t StatusGadget() const override { return kGadgetStatus; }
  int32_t InfoGadget() const override { return kGadgetInfo; }

  // --- what commands read
  const KvCollection& Collection() const { return collection_; }
  const KvViewState& View() const { return view_; }
  const AssetPreviewArea& PreviewArea() const { return previewArea_; }

  // --- verbs of the commands
  // Empties the rows, collects the uses of the active document, resolves, sorts, groups and
  // writes the status line (the selection, the current row and the open groups stay with
  // their uses). The files are probed by background jobs afterwards.
  void RefreshAssets();
  // A selection command over the listed rows, and the show-selected mode.
  void ChangeSelection(KvSelectWhich which);
  void SetShowSelected(bool on);
  // Turns a view flag (a column, or an asset type) on or off, and keeps the choice.
  bool ToggleViewFlag(int32_t commandId);
  // Groups the rows by another mode, and keeps the choice.
  bool SetGroupMode(int32_t groupMode);
  // Shows or hides the filter bar (its values stay while hidden).
  bool ShowFilterBar(bool shown);
  // Lists the rows through the filters and groups them again, and shows them.
  void RegroupAndShow();
  // The file and manager commands on the current asset; true with nothing current.
  bool RunOnCurrent(KvCurrentCommand command, bx3::Document* document);

  // --- operations on the selected rows (every row when none is selected), each one write
  // Makes their paths local to `document`'s folder.
  bool Localize(bx3::Document* document);
  // Makes the selected rows' paths absolute (files found on disk as found, missing relative
  // paths joined to `document`'s folder). False when there was something to write but no
  // scene to write it into.
  bool Globalize(const bx3::Document* document);
  // Writes the selected rows' paths (every row's when none is selected) with the path
  // mappings applied, in one undo step.
  bool ApplyPathMappings(bx3::Document* document);
  // Asks for one file and gives it to every selected row.
  void ReplaceTexture();
  // Removes the selected rows' files from the scene (bitmap shaders and file tracks go,
  // simulations drop their caches, other elements' file parameters are emptied); what could
  // not be cleared is counted in the status line.
  void ClearAssets(bx3::Document* document);
  // Searches `folder` (empty: a folder the user chooses) for the selected rows' files and
  // writes what was found.
  void RelinkTextures(const bx3::Filename& folder);
  // Copies the files of the selected rows (every row when none is selected) next to
  // `document`'s file and points the rows at the copies.
  bool Consolidate(bx3::Document* document);

 private:
  friend struct KvDialogTestAccess;  // tests set up rows and look at the window's parts

  // --- the rows
  // Makes one row per use of the active document, listed in collection order, and starts
  // the probing jobs. False when the window is closed or there is no active document.
  bool BuildAssetArray();
  // Resolves every row again and counts the missing ones.
  void UpdateResolvedPaths(bool fromCollection = false);
  // Lets go of the rows and of the document they came from (the document goes away).
  void ForgetDocument();
  // Proposes new paths for the selected rows from the search-and-replace fields, or (not
  // `preview`) writes them as one undo step.
  void ApplySearchReplace(bool preview);
  // The two halves of RelinkTextures: the search, which gives rows a new path or candidates
  // and answers whether anything was found, and the writing of the found paths.
  bool RelinkSearch(const bx3::Filename& folder);
  void ApplyRelink();

  // --- the view
  // Orders the rows for display by the sort column.
  void SortRows();
  // Lists the rows through the filters and groups them by the group mode.
  brantic::Result<void> RebuildViewGroups();
  void RefreshTree();
  void UpdateStatusLine(const brantic::String& message);
  // Enables the controls that need a selection and rewrites the status line; not quiet,
  // it also tells the host that the selection changed.
  void OnSelectionChanged(bool quiet);
  // After a selection command: redraw, update the controls and tell the window.
  void FinishSelection();
  // Shows the current row in the preview area and its information text beside it.
  void RequestPreview();
  // Gives the tree its columns from the view settings and the stored layout.
  void BuildColumnLayout();
  // The view settings to the host's preferences.
  void SaveViewSettings();

  // What the tree asks of the window.
  void EditPaths(const std::vector<KvAssetEntry*>& rows, const std::vector<bx3::Filename>& paths) override;
  void RenameElement(bx3::Element& element, const brantic::String& name) override;
  void ShowInManager(const KvAssetEntry& row, bool file) override;
  bool RunFileAction(const KvAssetEntry& row, FileAction action) override;
  void ShowNote(const brantic::String& note) override;

  void LoadViewSettings();
  // RelinkTextures and Consolidate inside their operation; Consolidate's note for the status
  // line in `note`. A row that finds several candidates takes the one `preferredOf` names for
  // it (by the row's index) when it is among them.
  void RunRelink(const bx3::Filename& folder, const std::function<bx3::Filename(uint32_t)>& preferredOf = nullptr);
  bool CollectFiles(bx3::Document& document, std::string& note);
  // The walk of RelinkSearch: beside the window, with progress in the status line.
  void SearchFolder(const bx3::Filename& folder);
  // After a write of the window's own: rows that show what the scene holds now are listed
  // again as they are; otherwise the rows are read again, once.
  void RefreshAfterWrite();
  void ShowWrittenRows(const KvSceneStamp& scene);
  // Says in the status line how many uses inside other files the writes left alone.
  void NoteReadOnlyUses(int64_t readOnly);
  // The search-and-replace gadgets' commands; false for other gadgets.
  bool HandleSearchCommand(int32_t id);
  // Proposals follow once the user stops typing (or changing the selection) for a moment.
  void RestartProposalTimer();
  // Shows the proposed path column while search and replace proposes paths.
  void ShowProposalColumn(bool show);
  // A navigation key on the list; false for other keys.
  bool HandleKey(int32_t key);
  // Collects again when the scene moved on since the rows were made.
  void RefreshWhenChanged();
  // What the preview shows: the current use and its file.
  struct PreviewedUse {
    std::optional<KvUseIdentity> use;
    brantic::String path;
    brantic::String resolvedPath;
    bool groupRow = false;
    bool operator==(const PreviewedUse&) const = default;
  };
  PreviewedUse CurrentUse() const;
  void BuildMenus();
  void EnableMainGroup(bool enable);

  KvCollection collection_;
  KvViewState view_;
  KvFilterBarGadgets filterBar_{*this, view_};
  AssetPreviewArea previewArea_;
  bx3::TreeViewGadget* treeView_ = nullptr;
  std::unique_ptr<bx3::TreeViewFunctions> treeFunctions_;
  // What the rows were collected from (or show since the window's own writes).
  KvSceneStamp collectedFrom_;
  // When the rows were collected as the window opened, until its first activation: paths
  // resolved less than kFreshMs before are not resolved again.
  static constexpr int64_t kNever = INT64_MIN / 2;
  static constexpr int64_t kFreshMs = 2000;
  int64_t openingCollectedAtMs_ = kNever;
  // While an operation waits for work beside the window, the window's events keep flowing; a
  // scene change they bring is taken in once the operation is done, not under its feet.
  class OperationScope {
   public:
    explicit OperationScope(KestrovaDialog& dialog) : dialog_(dialog) { ++dialog_.operationDepth_; }
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

   private:
    KestrovaDialog& dialog_;
  };
  int32_t operationDepth_ = 0;
  bool changeHeldBack_ = false;
  // The folder the last relink searched, and what it found (for the status line).
  brantic::String lastRelinkFolder_;
  int64_t relinkFoundCount_ = 0;
  brantic::String relinkNote_;
};

}  // namespace kv

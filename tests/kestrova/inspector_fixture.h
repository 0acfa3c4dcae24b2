// A scene with a few file uses and an inspector window on it, without a screen.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "bx3/prefs.h"
#include "kestrova/module_fixture.h"
#include "support/dialog_access.h"
#include "support/fake_dialog.h"
#include "support/media_fixtures.h"
#include "support/temp_folder.h"
#include "window/kvdialog.h"

namespace kvtest {

// A material of its own whose bitmap shader ("Color") uses `file`.
inline bx3::Element* AddMaterialUsing(bx3::Document& document, const std::string& material, const std::string& file) {
  bx3::Element* owner = document.InsertElement(
      bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, brantic::String(material)));
  owner->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "Color"))
      ->SetParameter(bx3::param::kBitmapFile, bx3::Filename(file));
  return owner;
}

// Five uses: a.png by three materials, b.png by one, the missing gone.png by one.
class InspectorFixture : public ModuleFixture {
 protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    bx3::Preferences::Get().Reset();
    bx3::SetDialogToolkit(&toolkit_);
    for (const char* name : {"tex/a.png", "tex/b.png"}) ASSERT_TRUE(kvtest::WriteImage(folder_ / name, {}));
    auto document = std::make_unique<bx3::Document>();
    document->SetFilename(bx3::Filename(folder_ / "scene.bx3"));
    for (const auto& [material, file] : {std::pair{"Oak", "tex/a.png"},
                                         {"Pine", "tex/a.png"},
                                         {"Elm", "tex/a.png"},
                                         {"Steel", "tex/b.png"},
                                         {"Rust", "tex/gone.png"}}) {
      materials_.push_back(AddMaterialUsing(*document, material, file));
    }
    document_ = bx3::AddDocument(std::move(document));
  }
  void TearDown() override {
    if (dialog_.IsOpen()) dialog_.Close();
    FinishJobs();
    bx3::SetDialogToolkit(nullptr);
    bx3::Preferences::Get().Reset();
    ModuleFixture::TearDown();
  }
  void Open() { ASSERT_TRUE(dialog_.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500)); }
  // Opens the window and waits until its rows are collected and probed.
  void OpenSettled() {
    Open();
    FinishJobs();
  }
  // The window's parts, as a test sets them up.
  kv::KvCollection& Collection() { return kv::KvDialogTestAccess::Collection(dialog_); }
  kv::KvViewState& View() { return kv::KvDialogTestAccess::View(dialog_); }
  kv::AssetPreviewArea& Preview() { return kv::KvDialogTestAccess::PreviewArea(dialog_); }
  kvtest::FakeWindow& Window() { return *static_cast<kvtest::FakeWindow*>(dialog_.GetWindow()); }
  kvtest::FakeTree& Tree() { return *Window().trees.at(kv::kGadgetTree); }
  // A gadget's text: the status line, the information text, a filter field.
  std::string Text(int32_t gadget) {
    brantic::String text;
    dialog_.GetString(gadget, text);
    return text.Std();
  }
  // The file that material `index`'s bitmap shader holds.
  std::string StoredPath(size_t index) const {
    return materials_[index]->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std();
  }

  kvtest::FakeToolkit toolkit_;
  kvtest::TempFolder folder_;
  bx3::Document* document_ = nullptr;
  std::vector<bx3::Element*> materials_;
  kv::KestrovaDialog dialog_;
};

}  // namespace kvtest

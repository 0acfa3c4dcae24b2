// The host's picture viewer window: one window that shows one picture.
#pragma once

#include "bx3/services.h"

class QLabel;

namespace bx3::gui {

class PictureViewerWindow final : public PictureViewer {
 public:
  PictureViewerWindow() = default;
  ~PictureViewerWindow() override;
  PictureViewerWindow(const PictureViewerWindow&) = delete;
  PictureViewerWindow& operator=(const PictureViewerWindow&) = delete;

  bool LoadFile(const Filename& file) override;
  bool Show() override;
  Filename LoadedFile() const override { return loaded_; }
  // The window, once a picture was loaded (tests).
  QLabel* Window() const { return label_; }

 private:
  QLabel* label_ = nullptr;
  Filename loaded_;
};

// The GUI's one viewer, made on first use and deleted by ShutdownGui before the application
// object; null without a GUI.
PictureViewerWindow* SharedPictureViewer();

}  // namespace bx3::gui

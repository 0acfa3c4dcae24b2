// Real dialogs for modal questions, when there is a screen to show them on.
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "bx3/modal.h"
#include "qt_text.h"

namespace bx3::gui {

namespace {

class QtModalPresenter final : public ModalPresenter {
 public:
  int32_t ShowMessage(int32_t style, const brantic::String& text) override {
    QMessageBox box;
    box.setText(ToQString(text));
    if (style == kMessageYesNo) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else if (style == kMessageYesNoCancel) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    switch (box.exec()) {
      case QMessageBox::Yes: return kAnswerYes;
      case QMessageBox::No: return kAnswerNo;
      case QMessageBox::Cancel: return kAnswerCancel;
      default: return kAnswerOk;
    }
  }

  bool ShowFileDialog(Filename& result, FileSelectMode mode, const brantic::String& title,
                      const Filename& start) override {
    const QString folder = ToQString(start.GetString());
    QString chosen;
    switch (mode) {
      case FileSelectMode::Load: chosen = QFileDialog::getOpenFileName(nullptr, ToQString(title), folder); break;
      case FileSelectMode::Save: chosen = QFileDialog::getSaveFileName(nullptr, ToQString(title), folder); break;
      case FileSelectMode::Directory:
        chosen = QFileDialog::getExistingDirectory(nullptr, ToQString(title), folder);
        break;
    }
    if (chosen.isEmpty()) return false;
    result = Filename(chosen.toStdString());
    return true;
  }
};

}  // namespace

// Installs real dialogs unless Qt draws off screen, where nobody could answer them.
void InstallModalPresenter() {
  static QtModalPresenter presenter;
  if (QGuiApplication::platformName() != "offscreen" && QGuiApplication::platformName() != "minimal") {
    SetModalPresenter(&presenter);
  }
}

void RemoveModalPresenter() { SetModalPresenter(nullptr); }

}  // namespace bx3::gui

#include "qt_picture_viewer.h"

#include <QLabel>
#include <QPixmap>

#include "bx3/bitmap.h"
#include "qt_canvas.h"

namespace bx3::gui {

PictureViewerWindow::~PictureViewerWindow() { delete label_; }

bool PictureViewerWindow::LoadFile(const Filename& file) {
  BaseBitmap bitmap;
  if (bitmap.Init(file) != kImageResultOk) return false;
  if (!label_) {
    label_ = new QLabel;
    label_->setAttribute(Qt::WA_DeleteOnClose, false);
    label_->setAlignment(Qt::AlignCenter);
    label_->setMinimumSize(320, 240);
  }
  label_->setPixmap(QPixmap::fromImage(ToQImage(bitmap)));
  const brantic::String title = file.GetFile().GetString();
  label_->setWindowTitle(QString::fromUtf8(title.View().data(), int(title.Length())));
  loaded_ = file;
  return true;
}

bool PictureViewerWindow::Show() {
  if (!label_) return false;
  label_->show();
  label_->raise();
  return true;
}

}  // namespace bx3::gui

// The widget behind a user area gadget.
#pragma once

#include <QWidget>
#include <deque>

#include "bx3/userarea.h"

namespace bx3::gui {

class UserAreaWidget final : public QWidget, public UserAreaHost {
 public:
  UserAreaWidget(int32_t minWidth, int32_t minHeight, QWidget* parent);
  ~UserAreaWidget() override;

  void Attach(GeUserArea* area);
  GeUserArea* Area() const { return area_; }

  // UserAreaHost
  int32_t Width() const override { return width(); }
  int32_t Height() const override { return height(); }
  Canvas* CurrentCanvas() override { return canvas_; }
  void Redraw() override { update(); }
  bool IsMouseButtonDown(int32_t button) const override;
  int32_t NextDragStep(double& dx, double& dy) override;
  void LocalToScreen(int32_t& x, int32_t& y) const override;
  void SetPointerPosition(int32_t screenX, int32_t screenY) override;
  void ForgetArea(GeUserArea& area) override {
    if (area_ == &area) area_ = nullptr;
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void SendInput(QMouseEvent* event, bool doubleClick);

  GeUserArea* area_ = nullptr;
  Canvas* canvas_ = nullptr;
  Qt::MouseButtons buttons_;
  QPointF lastPosition_;
  bool inDrag_ = false;
  std::deque<QPointF> dragMoves_;  // positions reported while a drag waits
  int32_t drawReason_ = 0;
};

}  // namespace bx3::gui

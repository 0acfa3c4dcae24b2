#include "qt_userarea.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>

#include "qt_canvas.h"

namespace bx3::gui {

UserAreaWidget::UserAreaWidget(int32_t minWidth, int32_t minHeight, QWidget* parent) : QWidget(parent) {
  setMinimumSize(minWidth, minHeight);
  setMouseTracking(false);
  setFocusPolicy(Qt::ClickFocus);
}

UserAreaWidget::~UserAreaWidget() {
  if (area_) area_->SetHost(nullptr);
}

void UserAreaWidget::Attach(GeUserArea* area) {
  if (area_) area_->SetHost(nullptr);
  area_ = area;
  if (!area_) return;
  area_->SetHost(this);
  area_->Init();
  int32_t w = 0, h = 0;
  if (area_->MinimumSize(w, h)) setMinimumSize(std::max(minimumWidth(), w), std::max(minimumHeight(), h));
  update();
}

void UserAreaWidget::paintEvent(QPaintEvent*) {
  if (!area_) return;
  QPainter painter(this);  // Qt double-buffers widgets: this is the off-screen buffer
  QtCanvas canvas(painter);
  canvas_ = &canvas;
  Container message;
  if (drawReason_) message.SetInt32(input::kDrawReason, drawReason_);
  drawReason_ = 0;
  area_->DrawArea(0, 0, width() - 1, height() - 1, message);
  canvas_ = nullptr;
}

void UserAreaWidget::resizeEvent(QResizeEvent*) {
  if (area_) area_->SizeChanged(width(), height());
}

void UserAreaWidget::focusInEvent(QFocusEvent*) {
  drawReason_ = input::kDrawFocusGained;
  update();
}

void UserAreaWidget::focusOutEvent(QFocusEvent*) {
  drawReason_ = input::kDrawFocusLost;
  update();
}

bool UserAreaWidget::IsMouseButtonDown(int32_t button) const {
  const Qt::MouseButton wanted = button == input::kMouseRight ? Qt::RightButton : Qt::LeftButton;
  return buttons_.testFlag(wanted);
}

void UserAreaWidget::SendInput(QMouseEvent* event, bool doubleClick) {
  if (!area_) return;
  Container message;
  message.SetInt32(input::kChannel, event->button() == Qt::RightButton ? input::kMouseRight : input::kMouseLeft);
  message.SetBool(input::kDoubleClick, doubleClick);
  message.SetInt32(input::kMouseX, int32_t(event->position().x()));
  message.SetInt32(input::kMouseY, int32_t(event->position().y()));
  message.SetInt32(input::kValue, 1);
  message.SetInt32(input::kQualifier, event->modifiers().testFlag(Qt::ControlModifier) ? input::kQualifierControl : 0);
  area_->HandleInput(message);
}

void UserAreaWidget::mousePressEvent(QMouseEvent* event) {
  buttons_ = event->buttons();
  lastPosition_ = event->position();
  SendInput(event, false);
}

void UserAreaWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  buttons_ = event->buttons();
  lastPosition_ = event->position();
  SendInput(event, true);
}

void UserAreaWidget::mouseMoveEvent(QMouseEvent* event) {
  buttons_ = event->buttons();
  if (inDrag_) dragMoves_.push_back(event->position());
}

void UserAreaWidget::mouseReleaseEvent(QMouseEvent* event) {
  buttons_ = event->buttons();
  if (inDrag_) dragMoves_.push_back(event->position());
}

int32_t UserAreaWidget::NextDragStep(double& dx, double& dy) {
  dx = dy = 0.0;
  inDrag_ = true;
  // Wait for the next movement, running the event loop; a drag that sees no event for a
  // while, or whose button is up, ends.
  QElapsedTimer waited;
  waited.start();
  while (dragMoves_.empty() && buttons_ != Qt::NoButton && waited.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  if (dragMoves_.empty()) {
    inDrag_ = false;
    return kDragFinished;
  }
  const QPointF next = dragMoves_.front();
  dragMoves_.pop_front();
  dx = next.x() - lastPosition_.x();
  dy = next.y() - lastPosition_.y();
  lastPosition_ = next;
  if (dragMoves_.empty() && buttons_ == Qt::NoButton) inDrag_ = false;
  return kDragContinue;
}

void UserAreaWidget::LocalToScreen(int32_t& x, int32_t& y) const {
  const QPoint global = mapToGlobal(QPoint(x, y));
  x = global.x();
  y = global.y();
}

void UserAreaWidget::SetPointerPosition(int32_t screenX, int32_t screenY) { QCursor::setPos(screenX, screenY); }

}  // namespace bx3::gui

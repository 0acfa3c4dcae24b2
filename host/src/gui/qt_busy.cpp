// While the GUI thread waits for long work, the windows paint and Escape is heard; clicks and
// other keys are dropped, so that nothing starts while the work runs.
#include <QApplication>
#include <QKeyEvent>

#include "bx3/busy.h"

namespace bx3::gui {

namespace {

class HoldInputBack final : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) RequestEscape();
        return true;
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::Close: return true;
      default: return QObject::eventFilter(watched, event);
    }
  }
};

}  // namespace

void InstallBusyEventPump() {
  SetBusyEventPump([] {
    HoldInputBack filter;
    qApp->installEventFilter(&filter);
    QApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&filter);
  });
}

void RemoveBusyEventPump() { SetBusyEventPump(nullptr); }

}  // namespace bx3::gui

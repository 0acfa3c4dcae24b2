// The Qt dialog toolkit and the application object.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "brantic/mainthread.h"
#include "bx3/dialog.h"
#include "bx3/qtgui.h"
#include "qt_dialog_window.h"
#include "qt_picture_viewer.h"

namespace bx3 {

namespace gui {
void InstallModalPresenter();
void InstallBusyEventPump();
void RemoveBusyEventPump();
void RemoveModalPresenter();
}  // namespace gui

namespace {

using gui::DialogWindowWidget;

DialogWindowWidget* WindowOf(GeDialog& dialog) { return dynamic_cast<DialogWindowWidget*>(dialog.GetWindow()); }

class QtDialogToolkit final : public DialogToolkit {
 public:
  bool OpenWindow(GeDialog& dialog, int32_t /*type*/, int32_t pluginId, int32_t x, int32_t y, int32_t width,
                  int32_t height, int32_t /*subId*/) override {
    if (DialogWindowWidget* window = WindowOf(dialog)) {
      window->show();
      window->raise();
      window->activateWindow();
      dialog.SetOpenState(true, pluginId);  // the one brought up is the one worked with now
      return true;
    }
    auto* window = new DialogWindowWidget(dialog, pluginId);
    dialog.SetWindow(window);
    if (!dialog.CreateLayout()) {
      Discard(dialog, window);
      return false;
    }
    dialog.SetOpenState(true, pluginId);
    if (!dialog.InitValues()) {
      Discard(dialog, window);
      return false;
    }
    if (width > 0 && height > 0) window->resize(width, height);
    if (x >= 0 && y >= 0) window->move(x, y);
    window->show();
    return true;
  }

  bool CloseWindow(GeDialog& dialog) override {
    DialogWindowWidget* window = WindowOf(dialog);
    return window && window->close();
  }

  bool RestoreWindow(GeDialog& dialog, int32_t pluginId, int32_t subId, const Container& layout) override {
    return OpenWindow(dialog, kDialogNonModal, pluginId, layout.GetInt32(1, -1), layout.GetInt32(2, -1),
                      layout.GetInt32(3, 0), layout.GetInt32(4, 0), subId);
  }

  bool FocusGadget(GeDialog& dialog, int32_t gadgetId) override {
    DialogWindowWidget* window = WindowOf(dialog);
    return window && window->Focus(gadgetId);
  }

 private:
  static void Discard(GeDialog& dialog, DialogWindowWidget* window) {
    window->Detach();
    dialog.SetWindow(nullptr);
    dialog.SetOpenState(false, 0);
    delete window;
  }
};

struct GuiState {
  std::unique_ptr<QApplication> application;
  QtDialogToolkit toolkit;
  std::string runtimeFolder;
  // Its window must go before the application object does.
  std::unique_ptr<gui::PictureViewerWindow> pictureViewer;
};

GuiState*& State() {
  static GuiState* state = nullptr;
  return state;
}

// Closures from workers run in slices of the event loop, so that input and painting get
// their turn between slices however many results arrive. One slice is pending at a time.
constexpr double kDrainSliceSeconds = 0.008;
std::atomic<bool> drainSlicePending{false};

void PostDrainSlice();

void RunDrainSlice() {
  // Cleared first: a closure posted from here on posts the next slice.
  drainSlicePending.store(false);
  brantic::DrainMainThreadQueueFor(kDrainSliceSeconds);
  if (brantic::HasMainThreadWork()) PostDrainSlice();
}

void PostDrainSlice() {
  if (drainSlicePending.exchange(true)) return;
  QMetaObject::invokeMethod(qApp, RunDrainSlice, Qt::QueuedConnection);
}

}  // namespace

bool InitializeGui(int& argc, char** argv) {
  if (State()) return true;
  // Without a display Qt would abort; draw off screen instead.
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!std::getenv("QT_QPA_PLATFORM") && (!display || !*display) && (!wayland || !*wayland)) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  auto* state = new GuiState;
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    char pattern[] = "/tmp/bx3_runtime_XXXXXX";
    if (const char* folder = ::mkdtemp(pattern)) {
      state->runtimeFolder = folder;
      ::setenv("XDG_RUNTIME_DIR", folder, 1);
    }
  }
  // The off-screen platform warns about window features it does not have; that is no news.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.contains("does not support propagateSizeHints")) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
  });
  state->application = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  State() = state;
  SetDialogToolkit(&state->toolkit);
  gui::InstallModalPresenter();
  gui::InstallBusyEventPump();
  SetMousePointerHandler([](int32_t pointer) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (pointer == kMousePointerBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  });
  // Closures posted from worker threads wake the event loop, which runs them.
  drainSlicePending.store(false);
  brantic::SetMainThreadWakeUp(PostDrainSlice);
  if (brantic::HasMainThreadWork()) PostDrainSlice();
  return true;
}

void ShutdownGui() {
  GuiState* state = State();
  if (!state) return;
  brantic::SetMainThreadWakeUp(nullptr);
  gui::RemoveModalPresenter();
  gui::RemoveBusyEventPump();
  SetMousePointerHandler(nullptr);
  QApplication::closeAllWindows();
  QApplication::processEvents();
  SetDialogToolkit(nullptr);
  state->pictureViewer.reset();
  state->application.reset();
  if (!state->runtimeFolder.empty()) QDir(QString::fromStdString(state->runtimeFolder)).removeRecursively();
  delete state;
  State() = nullptr;
}

bool IsGuiInitialized() { return State() != nullptr; }

gui::PictureViewerWindow* gui::SharedPictureViewer() {
  GuiState* state = State();
  if (!state) return nullptr;
  if (!state->pictureViewer) state->pictureViewer = std::make_unique<PictureViewerWindow>();
  return state->pictureViewer.get();
}

void ProcessGuiEvents() {
  if (!State()) {
    brantic::DrainMainThreadQueue();
    return;
  }
  // Events can post closures and closures can post events: go on until both are quiet.
  for (int round = 0; round < 100; ++round) {
    QApplication::sendPostedEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
    if (brantic::DrainMainThreadQueue() == 0 && !brantic::HasMainThreadWork()) {
      QApplication::sendPostedEvents();
      QApplication::processEvents(QEventLoop::AllEvents);
      if (!brantic::HasMainThreadWork()) break;
    }
  }
}

int RunGuiEventLoop() {
  if (!State()) return 1;
  QApplication::setQuitOnLastWindowClosed(true);
  return QApplication::exec();
}

bool GrabDialog(GeDialog& dialog, const std::string& pngPath) {
  DialogWindowWidget* window = WindowOf(dialog);
  if (!window) return false;
  ProcessGuiEvents();
  return window->grab().save(QString::fromStdString(pngPath), "PNG");
}

}  // namespace bx3

// The host's GUI on Qt 6 Widgets. Main thread only.
#pragma once

#include <string>

namespace bx3 {

class GeDialog;

// Makes the application object and installs the Qt dialog toolkit. Without a display (no
// DISPLAY or WAYLAND_DISPLAY) Qt draws off screen. The framework's main-thread queue is
// drained by Qt's event loop from then on.
bool InitializeGui(int& argc, char** argv);
void ShutdownGui();
bool IsGuiInitialized();
// Runs the event loop until no events are waiting (and the main-thread queue is empty).
void ProcessGuiEvents();
// Runs the event loop until the last window closes; answers the exit code.
int RunGuiEventLoop();
// Shows the main window (scene panel, attribute manager, menus of every registered command)
// and runs the event loop until it closes; answers the exit code. Dialogs that were open when
// the last session ended are opened again through their commands' RestoreWindow.
int RunMainWindow();

// Writes a picture of an open dialog's window to a PNG file; false when it is not open or
// the file cannot be written.
bool GrabDialog(GeDialog& dialog, const std::string& pngPath);

}  // namespace bx3

#include "bx3/dialog.h"

#include <algorithm>
#include <vector>

namespace bx3 {

namespace {

DialogToolkit*& Toolkit() {
  static DialogToolkit* toolkit = nullptr;
  return toolkit;
}

std::vector<GeDialog*>& LiveDialogs() {
  static std::vector<GeDialog*> dialogs;
  return dialogs;
}

}  // namespace

void SetDialogToolkit(DialogToolkit* toolkit) { Toolkit() = toolkit; }
DialogToolkit* GetDialogToolkit() { return Toolkit(); }

GeDialog::GeDialog() { LiveDialogs().push_back(this); }

GeDialog::~GeDialog() {
  auto& dialogs = LiveDialogs();
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
}

bool GeDialog::Open(int32_t type, int32_t pluginId, int32_t x, int32_t y, int32_t width,
                    int32_t height, int32_t subId) {
  DialogToolkit* toolkit = Toolkit();
  return toolkit && toolkit->OpenWindow(*this, type, pluginId, x, y, width, height, subId);
}

bool GeDialog::Close() {
  DialogToolkit* toolkit = Toolkit();
  return open_ && toolkit && toolkit->CloseWindow(*this);
}

bool GeDialog::RestoreLayout(int32_t pluginId, int32_t subId, const Container& layout) {
  DialogToolkit* toolkit = Toolkit();
  return toolkit && toolkit->RestoreWindow(*this, pluginId, subId, layout);
}

bool GeDialog::Activate(int32_t gadgetId) {
  DialogToolkit* toolkit = Toolkit();
  return open_ && toolkit && toolkit->FocusGadget(*this, gadgetId);
}

bool GeDialog::CoreMessage(int32_t, const Container&) { return true; }
bool GeDialog::Command(int32_t, const Container&) { return true; }
void GeDialog::Timer(const Container&) {}
int32_t GeDialog::Message(const Container&, Container&) { return 0; }

void GeDialog::SetOpenState(bool open, int32_t pluginId) {
  open_ = open;
  pluginId_ = pluginId;
}

void DeliverCoreMessage(int32_t messageId, const Container& message) {
  // A dialog may close or open others while handling the message: walk a copy and skip
  // dialogs that went away meanwhile.
  const std::vector<GeDialog*> dialogs = LiveDialogs();
  for (GeDialog* dialog : dialogs) {
    const auto& live = LiveDialogs();
    if (std::find(live.begin(), live.end(), dialog) == live.end()) continue;
    if (dialog->IsOpen()) dialog->CoreMessage(messageId, message);
  }
}

}  // namespace bx3

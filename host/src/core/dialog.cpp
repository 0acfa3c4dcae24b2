#include "bx3/dialog.h"

#include <algorithm>
#include <vector>

#include "main_thread_check.h"

namespace bx3 {

namespace {

DialogToolkit*& Toolkit() {
  static DialogToolkit* toolkit = nullptr;
  return toolkit;
}

// The lists outlive every dialog, also those that registered commands own and that go only
// when the program ends (never freed: nothing after them could find them gone).
std::vector<GeDialog*>& LiveDialogs() {
  static auto* dialogs = new std::vector<GeDialog*>();
  return *dialogs;
}

// Open dialogs, the one opened last at the end.
std::vector<GeDialog*>& OpenDialogs() {
  static auto* dialogs = new std::vector<GeDialog*>();
  return *dialogs;
}

}  // namespace

void SetDialogToolkit(DialogToolkit* toolkit) { Toolkit() = toolkit; }
DialogToolkit* GetDialogToolkit() { return Toolkit(); }

GeDialog::GeDialog() { LiveDialogs().push_back(this); }

GeDialog::~GeDialog() {
  // A window must not outlive its dialog.
  if (open_ && Toolkit()) Toolkit()->CloseWindow(*this);
  auto& dialogs = LiveDialogs();
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
  auto& open = OpenDialogs();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

bool GeDialog::Open(int32_t type, int32_t pluginId, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t subId) {
  BX3_MAIN_THREAD_ONLY();
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
  auto& dialogs = OpenDialogs();
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
  if (open) dialogs.push_back(this);
}

std::vector<GeDialog*> GetOpenDialogs() { return OpenDialogs(); }

GeDialog* LastOpenedDialog() { return OpenDialogs().empty() ? nullptr : OpenDialogs().back(); }

namespace {

GadgetSpec Spec(GadgetKind kind, int32_t id, int32_t flags, int32_t width, int32_t height,
                const brantic::String& text = {}) {
  GadgetSpec spec;
  spec.kind = kind;
  spec.id = id;
  spec.flags = flags;
  spec.width = width;
  spec.height = height;
  spec.text = text;
  return spec;
}

int32_t& MousePointer() {
  static int32_t pointer = kMousePointerNormal;
  return pointer;
}

std::function<void(int32_t)>& MousePointerHandler() {
  static std::function<void(int32_t)> handler;
  return handler;
}

}  // namespace

bool GeDialog::GroupBegin(int32_t id, int32_t flags, int32_t columns, int32_t rows, const brantic::String& title) {
  return window_ && window_->GroupBegin(id, flags, columns, rows, title);
}
bool GeDialog::GroupEnd() { return window_ && window_->GroupEnd(); }
bool GeDialog::GroupBorderSpace(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return window_ && window_->GroupBorderSpace(left, top, right, bottom);
}
bool GeDialog::AddStaticText(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text) {
  return window_ && window_->AddGadget(Spec(GadgetKind::StaticText, id, flags, width, height, text));
}
bool GeDialog::AddEditText(int32_t id, int32_t flags, int32_t width, int32_t height) {
  return window_ && window_->AddGadget(Spec(GadgetKind::EditText, id, flags, width, height));
}
bool GeDialog::AddMultiLineEditText(int32_t id, int32_t flags, int32_t width, int32_t height, bool readOnly) {
  GadgetSpec spec = Spec(GadgetKind::MultiLineText, id, flags, width, height);
  spec.readOnly = readOnly;
  return window_ && window_->AddGadget(spec);
}
bool GeDialog::AddButton(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text) {
  return window_ && window_->AddGadget(Spec(GadgetKind::Button, id, flags, width, height, text));
}
bool GeDialog::AddComboBox(int32_t id, int32_t flags, int32_t width, int32_t height) {
  return window_ && window_->AddGadget(Spec(GadgetKind::ComboBox, id, flags, width, height));
}
bool GeDialog::AddChild(int32_t id, int32_t childId, const brantic::String& text) {
  return window_ && window_->AddChild(id, childId, text);
}
bool GeDialog::AddEditNumber(int32_t id, int32_t flags, int32_t width, int32_t height) {
  return window_ && window_->AddGadget(Spec(GadgetKind::EditNumber, id, flags, width, height));
}
bool GeDialog::AddCheckbox(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text) {
  return window_ && window_->AddGadget(Spec(GadgetKind::Checkbox, id, flags, width, height, text));
}
bool GeDialog::AddBitmapButton(int32_t id, int32_t flags, int32_t iconOff, int32_t iconOn) {
  GadgetSpec spec = Spec(GadgetKind::BitmapButton, id, flags, 0, 0);
  spec.iconOff = iconOff;
  spec.iconOn = iconOn;
  return window_ && window_->AddGadget(spec);
}
bool GeDialog::AddSeparator(int32_t flags) {
  return window_ && window_->AddGadget(Spec(GadgetKind::Separator, 0, flags, 0, 0));
}
bool GeDialog::AddUserArea(int32_t id, int32_t flags, int32_t width, int32_t height) {
  return window_ && window_->AddGadget(Spec(GadgetKind::UserArea, id, flags, width, height));
}
bool GeDialog::AttachUserArea(GeUserArea& area, int32_t id) { return window_ && window_->AttachUserArea(area, id); }
TreeViewGadget* GeDialog::AddTreeView(int32_t id, int32_t flags, int32_t width, int32_t height,
                                      const Container& settings) {
  GadgetSpec spec = Spec(GadgetKind::TreeView, id, flags, width, height);
  spec.settings = settings;
  if (!window_ || !window_->AddGadget(spec)) return nullptr;
  return window_->FindTreeView(id);
}
TreeViewGadget* GeDialog::FindTreeView(int32_t id) { return window_ ? window_->FindTreeView(id) : nullptr; }
bool GeDialog::FlushGroup(int32_t id) { return window_ && window_->FlushGroup(id); }
bool GeDialog::LayoutChanged(int32_t id) { return window_ && window_->LayoutChanged(id); }

bool GeDialog::SetString(int32_t id, const brantic::String& text) { return window_ && window_->SetValue(id, text); }
bool GeDialog::GetString(int32_t id, brantic::String& text) const {
  const auto value = window_ ? window_->GetValue(id) : std::nullopt;
  const auto* found = value ? std::get_if<brantic::String>(&*value) : nullptr;
  if (found) text = *found;
  return found != nullptr;
}
bool GeDialog::SetInt32(int32_t id, int32_t value) { return window_ && window_->SetValue(id, value); }
bool GeDialog::SetInt32(int32_t id, int32_t value, int32_t minimum, int32_t maximum, int32_t step) {
  return window_ && window_->SetLimits(id, minimum, maximum, step) && window_->SetValue(id, value);
}
bool GeDialog::GetInt32(int32_t id, int32_t& value) const {
  const auto found = window_ ? window_->GetValue(id) : std::nullopt;
  if (!found) return false;
  if (const auto* number = std::get_if<int32_t>(&*found))
    value = *number;
  else if (const auto* real = std::get_if<double>(&*found))
    value = static_cast<int32_t>(*real);
  else if (const auto* flag = std::get_if<bool>(&*found))
    value = *flag ? 1 : 0;
  else
    return false;
  return true;
}
bool GeDialog::SetFloat(int32_t id, double value) { return window_ && window_->SetValue(id, value); }
bool GeDialog::GetFloat(int32_t id, double& value) const {
  const auto found = window_ ? window_->GetValue(id) : std::nullopt;
  if (!found) return false;
  if (const auto* real = std::get_if<double>(&*found))
    value = *real;
  else if (const auto* number = std::get_if<int32_t>(&*found))
    value = *number;
  else
    return false;
  return true;
}
bool GeDialog::SetBool(int32_t id, bool value) { return window_ && window_->SetValue(id, value); }
bool GeDialog::GetBool(int32_t id, bool& value) const {
  const auto found = window_ ? window_->GetValue(id) : std::nullopt;
  if (!found) return false;
  if (const auto* flag = std::get_if<bool>(&*found))
    value = *flag;
  else if (const auto* number = std::get_if<int32_t>(&*found))
    value = *number != 0;
  else
    return false;
  return true;
}
bool GeDialog::Enable(int32_t id, bool enabled) { return window_ && window_->Enable(id, enabled); }
void GeDialog::SetTitle(const brantic::String& title) {
  if (window_) window_->SetTitle(title);
}
void GeDialog::SetTimer(int32_t milliseconds) {
  timerInterval_ = milliseconds > 0 ? milliseconds : 0;
  if (window_) window_->SetTimer(milliseconds);
}
bool GeDialog::SetGroupWeights(int32_t id, const Container& weights) {
  return window_ && window_->SetGroupWeights(id, weights);
}
bool GeDialog::GetGroupWeights(int32_t id, Container& weights) const {
  return window_ && window_->GetGroupWeights(id, weights);
}
void GeDialog::MenuFlushAll() {
  if (window_) window_->MenuFlushAll();
}
void GeDialog::MenuSubBegin(const brantic::String& title) {
  if (window_) window_->MenuSubBegin(title);
}
void GeDialog::MenuSubEnd() {
  if (window_) window_->MenuSubEnd();
}
void GeDialog::MenuAddCommand(int32_t commandId) {
  if (window_) window_->MenuAddCommand(commandId);
}
void GeDialog::MenuAddSeparator() {
  if (window_) window_->MenuAddSeparator();
}
void GeDialog::MenuFinished() {
  if (window_) window_->MenuFinished();
}
void GeDialog::MenuInitString(int32_t commandId, bool enabled, bool checked) {
  if (window_) window_->MenuSetState(commandId, enabled, checked);
}

void SetMousePointer(int32_t pointer) {
  MousePointer() = pointer;
  if (MousePointerHandler()) MousePointerHandler()(pointer);
}

void SetMousePointerHandler(std::function<void(int32_t)> handler) { MousePointerHandler() = std::move(handler); }
int32_t GetMousePointer() { return MousePointer(); }

GeDialog* FindOpenDialog(int32_t pluginId) {
  const auto& dialogs = LiveDialogs();
  for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
    if ((*it)->IsOpen() && (*it)->GetPluginId() == pluginId) return *it;
  }
  return nullptr;
}

namespace {

void Deliver(int32_t messageId, const Container& message, bool closedToo) {
  // A dialog may close or open others while handling the message: walk a copy and skip
  // dialogs that went away meanwhile.
  const std::vector<GeDialog*> dialogs = LiveDialogs();
  for (GeDialog* dialog : dialogs) {
    const auto& live = LiveDialogs();
    if (std::find(live.begin(), live.end(), dialog) == live.end()) continue;
    if (closedToo || dialog->IsOpen()) dialog->CoreMessage(messageId, message);
  }
}

}  // namespace

void DeliverCoreMessage(int32_t messageId, const Container& message) {
  BX3_MAIN_THREAD_ONLY();
  Deliver(messageId, message, false);
}

void DeliverCoreMessageToAll(int32_t messageId, const Container& message) {
  BX3_MAIN_THREAD_ONLY();
  Deliver(messageId, message, true);
}

}  // namespace bx3

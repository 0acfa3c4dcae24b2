#include "qt_dialog_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "bx3/commands.h"
#include "bx3/icons.h"
#include "qt_canvas.h"
#include "qt_text.h"
#include "qt_treeview.h"
#include "qt_userarea.h"

namespace bx3::gui {

namespace {

QIcon HostIcon(int32_t id) {
  BaseBitmap bitmap;
  if (!GetIcon(id, bitmap)) return QIcon();
  return QIcon(QPixmap::fromImage(ToQImage(bitmap)));
}

int32_t KeyCodeOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Up: return key::kUp;
    case Qt::Key_Down: return key::kDown;
    case Qt::Key_Left: return key::kLeft;
    case Qt::Key_Right: return key::kRight;
    case Qt::Key_PageUp: return key::kPageUp;
    case Qt::Key_PageDown: return key::kPageDown;
    case Qt::Key_Home: return key::kHome;
    case Qt::Key_End: return key::kEnd;
    default: return 0;
  }
}

// A multi-line text whose natural size is the one its gadget asks for (Qt's own is
// larger), so that a row of it is no taller than the gadget's height unless made so.
class SizedTextEdit final : public QPlainTextEdit {
 public:
  SizedTextEdit(QSize natural, QWidget* parent) : QPlainTextEdit(parent), natural_(natural) {}
  QSize sizeHint() const override {
    const QSize own = QPlainTextEdit::sizeHint();
    return QSize(natural_.width() > 0 ? natural_.width() : own.width(),
                 natural_.height() > 0 ? natural_.height() : own.height());
  }

 private:
  QSize natural_;
};

}  // namespace

DialogWindowWidget::DialogWindowWidget(GeDialog& dialog, int32_t pluginId)
    : QWidget(nullptr), dialog_(&dialog), pluginId_(pluginId) {
  setAttribute(Qt::WA_DeleteOnClose, true);
  rootLayout_ = new QVBoxLayout(this);
  rootLayout_->setContentsMargins(0, 0, 0, 0);
  rootLayout_->setSpacing(2);
  menuBar_ = new QMenuBar(this);
  menuBar_->setNativeMenuBar(false);
  rootLayout_->setMenuBar(menuBar_);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (dialog_) dialog_->Timer(Container());
  });
}

DialogWindowWidget::~DialogWindowWidget() {
  for (auto& [id, area] : userAreas_) area->Attach(nullptr);
}

void DialogWindowWidget::Detach() {
  timer_.stop();
  dialog_ = nullptr;
}

QWidget* DialogWindowWidget::Gadget(int32_t id) const {
  const auto found = gadgets_.find(id);
  return found == gadgets_.end() ? nullptr : found->second;
}

void DialogWindowWidget::SendCommand(int32_t id) {
  if (!dialog_) return;
  Container message(id);
  dialog_->Command(id, message);
}

void DialogWindowWidget::Place(QWidget* widget, int32_t flags) {
  QSizePolicy policy = widget->sizePolicy();
  if (flags & kFitHorizontal) policy.setHorizontalPolicy(QSizePolicy::Expanding);
  if (flags & kFitVertical) policy.setVerticalPolicy(QSizePolicy::Expanding);
  widget->setSizePolicy(policy);
  if (groupStack_.empty()) {
    rootLayout_->addWidget(widget, (flags & kFitVertical) ? 1 : 0);
    return;
  }
  Group& group = groups_[groupStack_.back()];
  const int32_t row = group.count / group.columns;
  const int32_t column = group.count % group.columns;
  Qt::Alignment alignment;
  if (flags & kAlignRight) alignment = Qt::AlignRight;
  if (flags & kAlignCenter) alignment = Qt::AlignHCenter;
  group.grid->addWidget(widget, row, column, alignment);
  ++group.count;
}

bool DialogWindowWidget::GroupBegin(int32_t id, int32_t flags, int32_t columns, int32_t /*rows*/,
                                    const brantic::String& title) {
  QWidget* widget = title.IsEmpty() ? new QWidget(this) : new QGroupBox(ToQString(title), this);
  auto* grid = new QGridLayout(widget);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  Place(widget, flags);
  Group& group = groups_[id];
  group = Group{widget, grid, std::max(1, columns), 0, flags, Container()};
  groupStack_.push_back(id);
  return true;
}

bool DialogWindowWidget::GroupEnd() {
  if (groupStack_.empty()) return false;
  groupStack_.pop_back();
  return true;
}

bool DialogWindowWidget::GroupBorderSpace(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (groupStack_.empty()) return false;
  groups_[groupStack_.back()].grid->setContentsMargins(left, top, right, bottom);
  return true;
}

bool DialogWindowWidget::AddGadget(const GadgetSpec& spec) {
  if (spec.id != 0 && gadgets_.count(spec.id)) return false;
  QWidget* widget = nullptr;
  switch (spec.kind) {
    case GadgetKind::StaticText: widget = new QLabel(ToQString(spec.text), this); break;
    case GadgetKind::EditText: {
      auto* edit = new QLineEdit(this);
      connect(edit, &QLineEdit::textEdited, this, [this, id = spec.id] { SendCommand(id); });
      widget = edit;
      break;
    }
    case GadgetKind::MultiLineText: {
      auto* text = new SizedTextEdit(QSize(spec.width, spec.height), this);
      text->setReadOnly(spec.readOnly);
      widget = text;
      break;
    }
    case GadgetKind::Button: {
      auto* button = new QPushButton(ToQString(spec.text), this);
      connect(button, &QPushButton::clicked, this, [this, id = spec.id] { SendCommand(id); });
      widget = button;
      break;
    }
    case GadgetKind::ComboBox: {
      auto* combo = new QComboBox(this);
      connect(combo, qOverload<int>(&QComboBox::activated), this, [this, id = spec.id] { SendCommand(id); });
      widget = combo;
      break;
    }
    case GadgetKind::EditNumber: {
      auto* number = new QDoubleSpinBox(this);
      number->setRange(-1e12, 1e12);
      number->setDecimals(0);
      connect(number, &QDoubleSpinBox::editingFinished, this, [this, id = spec.id] { SendCommand(id); });
      widget = number;
      break;
    }
    case GadgetKind::Checkbox: {
      auto* check = new QCheckBox(ToQString(spec.text), this);
      connect(check, &QCheckBox::clicked, this, [this, id = spec.id] { SendCommand(id); });
      widget = check;
      break;
    }
    case GadgetKind::BitmapButton: {
      auto* button = new QToolButton(this);
      button->setCheckable(spec.flags & kToggle);
      button->setAutoRaise(spec.flags & kNoBorder);
      button->setIcon(HostIcon(spec.iconOff));
      connect(button, &QToolButton::toggled, this, [button, on = spec.iconOn, off = spec.iconOff](bool checked) {
        button->setIcon(HostIcon(checked ? on : off));
      });
      connect(button, &QToolButton::clicked, this, [this, id = spec.id] { SendCommand(id); });
      widget = button;
      break;
    }
    case GadgetKind::UserArea: {
      auto* area = new UserAreaWidget(spec.width, spec.height, this);
      userAreas_[spec.id] = area;
      widget = area;
      break;
    }
    case GadgetKind::TreeView: {
      auto* tree = new TreeViewWidget(*this, spec.id, spec.settings, this);
      trees_[spec.id] = tree;
      widget = tree;
      break;
    }
    case GadgetKind::Separator: {
      auto* line = new QFrame(this);
      line->setFrameShape(QFrame::HLine);
      widget = line;
      break;
    }
  }
  if (spec.width > 0) widget->setMinimumWidth(spec.width);
  if (spec.height > 0 && spec.kind != GadgetKind::MultiLineText) widget->setMinimumHeight(spec.height);
  if (spec.id != 0) gadgets_[spec.id] = widget;
  Place(widget, spec.flags);
  widget->show();
  return true;
}

bool DialogWindowWidget::AddChild(int32_t id, int32_t childId, const brantic::String& text) {
  auto* combo = qobject_cast<QComboBox*>(Gadget(id));
  if (!combo) return false;
  combo->addItem(ToQString(text), childId);
  return true;
}

bool DialogWindowWidget::FlushGroup(int32_t id) {
  const auto found = groups_.find(id);
  if (found == groups_.end()) return false;
  Group& group = found->second;
  // Forget every gadget inside the group, those of groups within it too (deleting a widget
  // deletes what it holds), then delete the group's own children.
  const QList<QWidget*> inside = group.widget->findChildren<QWidget*>();
  const auto isInside = [&inside](const QWidget* widget) { return inside.contains(widget); };
  std::erase_if(gadgets_, [&](const auto& entry) { return isInside(entry.second); });
  std::erase_if(userAreas_, [&](const auto& entry) { return isInside(entry.second); });
  std::erase_if(groups_, [&](const auto& entry) { return entry.first != id && isInside(entry.second.widget); });
  for (QWidget* child : group.widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete child;
  group.count = 0;
  groupStack_.push_back(id);
  return true;
}

bool DialogWindowWidget::LayoutChanged(int32_t id) {
  if (!groupStack_.empty() && groupStack_.back() == id) groupStack_.pop_back();
  updateGeometry();
  return groups_.count(id) != 0;
}

bool DialogWindowWidget::AttachUserArea(GeUserArea& area, int32_t id) {
  const auto found = userAreas_.find(id);
  if (found == userAreas_.end()) return false;
  found->second->Attach(&area);
  return true;
}

TreeViewWidget* DialogWindowWidget::FirstTree() const { return trees_.empty() ? nullptr : trees_.begin()->second; }

TreeViewGadget* DialogWindowWidget::FindTreeView(int32_t id) {
  const auto found = trees_.find(id);
  return found == trees_.end() ? nullptr : found->second;
}

bool DialogWindowWidget::SetValue(int32_t id, const GadgetValue& value) {
  QWidget* widget = Gadget(id);
  if (!widget) return false;
  const auto* text = std::get_if<brantic::String>(&value);
  double number = 0.0;
  if (const auto* i = std::get_if<int32_t>(&value)) number = *i;
  if (const auto* d = std::get_if<double>(&value)) number = *d;
  if (const auto* b = std::get_if<bool>(&value)) number = *b ? 1.0 : 0.0;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text ? ToQString(*text) : QString::number(number));
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    plain->setPlainText(text ? ToQString(*text) : QString::number(number));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text ? ToQString(*text) : QString::number(number));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    const int index = combo->findData(int32_t(number));
    if (index < 0) return false;
    combo->setCurrentIndex(index);
  } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget)) {
    spin->setValue(number);
  } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
    check->setChecked(number != 0.0);
  } else if (auto* tool = qobject_cast<QToolButton*>(widget)) {
    tool->setChecked(number != 0.0);
  } else {
    return false;
  }
  return true;
}

std::optional<GadgetValue> DialogWindowWidget::GetValue(int32_t id) const {
  QWidget* widget = Gadget(id);
  if (!widget) return std::nullopt;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQString(edit->text());
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return FromQString(plain->toPlainText());
  if (auto* label = qobject_cast<QLabel*>(widget)) return FromQString(label->text());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (combo->currentIndex() < 0) return std::nullopt;
    return GadgetValue(int32_t(combo->currentData().toInt()));
  }
  if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget)) {
    if (spin->decimals() == 0) return GadgetValue(int32_t(std::llround(spin->value())));
    return GadgetValue(spin->value());
  }
  if (auto* check = qobject_cast<QCheckBox*>(widget)) return GadgetValue(check->isChecked());
  if (auto* tool = qobject_cast<QToolButton*>(widget)) return GadgetValue(tool->isChecked());
  return std::nullopt;
}

bool DialogWindowWidget::SetLimits(int32_t id, double minimum, double maximum, double step) {
  auto* spin = qobject_cast<QDoubleSpinBox*>(Gadget(id));
  if (!spin) return false;
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  spin->setDecimals(step == std::floor(step) ? 0 : 3);
  return true;
}

bool DialogWindowWidget::Enable(int32_t id, bool enabled) {
  if (const auto group = groups_.find(id); group != groups_.end()) {
    group->second.widget->setEnabled(enabled);
    return true;
  }
  QWidget* widget = Gadget(id);
  if (!widget) return false;
  widget->setEnabled(enabled);
  return true;
}

bool DialogWindowWidget::Focus(int32_t id) {
  QWidget* widget = Gadget(id);
  if (!widget) return false;
  widget->setFocus(Qt::OtherFocusReason);
  return true;
}

void DialogWindowWidget::SetTitle(const brantic::String& title) { setWindowTitle(ToQString(title)); }

void DialogWindowWidget::SetTimer(int32_t milliseconds) {
  if (milliseconds <= 0) {
    timer_.stop();
  } else {
    timer_.start(milliseconds);
  }
}

bool DialogWindowWidget::SendKey(int32_t keyCode) {
  if (!dialog_ || keyCode == 0) return false;
  Container message(message::kKey);
  message.SetInt32(input::kChannel, keyCode);
  Container result;
  return dialog_->Message(message, result) != 0;
}

void DialogWindowWidget::ReportLayoutChange(int32_t treeId) {
  if (!dialog_) return;
  Container message(message::kLayoutChanged);
  message.SetInt32(message::kGadget, treeId);
  Container result;
  dialog_->Message(message, result);
}

void DialogWindowWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && dialog_) {
    // A help request: the dialog answers with its help identifier.
    Container message(message::kHelp);
    Container result;
    dialog_->Message(message, result);
    const brantic::String help = result.GetString(message::kHelpId);
    if (!help.IsEmpty()) setToolTip(ToQString(help));
    event->accept();
    return;
  }
  if (SendKey(KeyCodeOf(event->key()))) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DialogWindowWidget::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && dialog_) {
    Container message(message::kActivate);
    message.SetInt32(message::kActive, isActiveWindow() ? 1 : 0);
    Container result;
    dialog_->Message(message, result);
  }
  QWidget::changeEvent(event);
}

void DialogWindowWidget::showEvent(QShowEvent* event) {
  // Shown again after being hidden (a docked group brought back): the group changed.
  if (shownBefore_ && dialog_) {
    Container message(message::kGroupChanged);
    Container result;
    dialog_->Message(message, result);
  }
  shownBefore_ = true;
  QWidget::showEvent(event);
}

void DialogWindowWidget::closeEvent(QCloseEvent* event) {
  if (dialog_ && dialog_->AskClose()) {
    event->ignore();
    return;
  }
  timer_.stop();
  // The window is deleted later; the dialog's user areas may be gone by then.
  for (auto& [id, area] : userAreas_) area->Attach(nullptr);
  if (GeDialog* dialog = dialog_) {
    dialog_ = nullptr;
    dialog->DestroyWindow();
    dialog->SetWindow(nullptr);
    dialog->SetOpenState(false, 0);
  }
  event->accept();
}

}  // namespace bx3::gui

// Driving open dialogs as a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cstdlib>

#include "bx3/automation.h"
#include "bx3/dialog.h"
#include "bx3/qtgui.h"
#include "qt_dialog_window.h"
#include "qt_treeview.h"

namespace bx3 {

namespace {

gui::DialogWindowWidget* WindowOf(GeDialog& dialog) {
  return dialog.IsOpen() ? dynamic_cast<gui::DialogWindowWidget*>(dialog.GetWindow()) : nullptr;
}

gui::TreeViewWidget* TreeOf(GeDialog& dialog) {
  gui::DialogWindowWidget* window = WindowOf(dialog);
  // Not findChild: the tree widget has no meta-object of its own, so that would take any
  // scroll area (a multi-line text) for it.
  return window ? window->FirstTree() : nullptr;
}

bool ParseNumber(const std::string& text, double& value) {
  if (text == "true")
    value = 1;
  else if (text == "false")
    value = 0;
  else {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') return false;
  }
  return true;
}

}  // namespace

bool SetGadgetFromText(GeDialog& dialog, int32_t gadgetId, const std::string& value) {
  gui::DialogWindowWidget* window = WindowOf(dialog);
  QWidget* widget = window ? window->Gadget(gadgetId) : nullptr;
  if (!widget || !widget->isEnabled()) return false;
  bool set = false;
  double number = 0;
  if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget)) {
    set = dialog.SetString(gadgetId, brantic::String(value));
  } else if (!ParseNumber(value, number)) {
    return false;
  } else if (qobject_cast<QDoubleSpinBox*>(widget)) {
    set = dialog.SetFloat(gadgetId, number);
  } else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QToolButton*>(widget)) {
    set = dialog.SetBool(gadgetId, number != 0);
  } else if (qobject_cast<QComboBox*>(widget)) {
    set = dialog.SetInt32(gadgetId, int32_t(number));
  }
  return set && PressGadget(dialog, gadgetId);
}

bool PressGadget(GeDialog& dialog, int32_t gadgetId) {
  gui::DialogWindowWidget* window = WindowOf(dialog);
  if (!window || !window->Gadget(gadgetId) || !window->Gadget(gadgetId)->isEnabled()) return false;
  dialog.Command(gadgetId, Container(gadgetId));
  ProcessGuiEvents();
  return true;
}

bool SendKeyByName(GeDialog& dialog, const std::string& name) {
  static const std::pair<const char*, int32_t> kKeys[] = {
      {"up", key::kUp},         {"down", key::kDown},         {"left", key::kLeft}, {"right", key::kRight},
      {"pageup", key::kPageUp}, {"pagedown", key::kPageDown}, {"home", key::kHome}, {"end", key::kEnd}};
  gui::DialogWindowWidget* window = WindowOf(dialog);
  if (!window) return false;
  for (const auto& [text, code] : kKeys) {
    if (name == text) {
      window->SendKey(code);
      ProcessGuiEvents();
      return true;
    }
  }
  return false;
}

bool ClickTreeRow(GeDialog& dialog, int64_t row, int32_t selectionMode, int32_t columnId) {
  gui::TreeViewWidget* tree = TreeOf(dialog);
  if (!tree || row < 0 || row >= tree->RowCount()) return false;
  const int32_t column = columnId == 0 ? 0 : tree->ColumnIndex(columnId);
  if (column < 0) return false;
  tree->ClickRow(row, column, selectionMode);
  ProcessGuiEvents();
  return true;
}

bool DoubleClickTreeRow(GeDialog& dialog, int64_t row, int32_t columnId) {
  gui::TreeViewWidget* tree = TreeOf(dialog);
  if (!tree || row < 0 || row >= tree->RowCount() || tree->ColumnIndex(columnId) < 0) return false;
  tree->DoubleClickRow(row, tree->ColumnIndex(columnId));
  ProcessGuiEvents();
  return true;
}

bool EditTreeRow(GeDialog& dialog, int64_t row, int32_t columnId, const brantic::String& text) {
  gui::TreeViewWidget* tree = TreeOf(dialog);
  if (!DoubleClickTreeRow(dialog, row, columnId) || !tree->IsEditing()) return false;
  tree->FinishEditing(text);
  ProcessGuiEvents();
  return true;
}

bool RunTreeContextEntry(GeDialog& dialog, int64_t row, int32_t columnId, int32_t entry) {
  gui::TreeViewWidget* tree = TreeOf(dialog);
  if (!tree || row >= tree->RowCount()) return false;
  const int32_t column = tree->ColumnIndex(columnId);
  for (const ContextMenu::Entry& item : tree->ContextMenuEntries(row, column)) {
    const std::string text = item.text.Std();
    const bool disabled = text.size() >= 3 && text.compare(text.size() - 3, 3, kMenuDisabledMarker) == 0;
    if (item.id == entry && !disabled) {
      tree->RunContextEntry(row, column, entry);
      ProcessGuiEvents();
      return true;
    }
  }
  return false;
}

bool ClickTreeHeader(GeDialog& dialog, int32_t columnId) {
  gui::TreeViewWidget* tree = TreeOf(dialog);
  if (!tree || tree->ColumnIndex(columnId) < 0) return false;
  tree->ClickHeader(tree->ColumnIndex(columnId));
  ProcessGuiEvents();
  return true;
}

bool ReportDialog(GeDialog& dialog, DialogReport& report) {
  return ReportDialog(dialog, report, [&report](const TreeReportRow& row) { report.rows.push_back(row); });
}

bool ReportDialog(GeDialog& dialog, DialogReport& report, const std::function<void(const TreeReportRow&)>& eachRow) {
  if (!WindowOf(dialog)) return false;
  ProcessGuiEvents();
  report = DialogReport{};
  report.pluginId = dialog.GetPluginId();
  if (gui::TreeViewWidget* tree = TreeOf(dialog)) {
    tree->Refresh();
    for (const TreeColumn& column : tree->GetLayout()) report.columns.push_back(column.id);
    tree->Report(eachRow);
  }
  if (dialog.StatusGadget()) dialog.GetString(dialog.StatusGadget(), report.status);
  if (dialog.InfoGadget()) dialog.GetString(dialog.InfoGadget(), report.info);
  return true;
}

std::string FourCCToText(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((uint32_t(code) >> shift) & 0xff);
    if (c < 32 || c > 126) return std::to_string(code);
    text += c;
  }
  return text;
}

bool ParseColumnId(const std::string& text, int32_t& id) {
  const bool allDigits = !text.empty() && text.find_first_not_of("-0123456789") == std::string::npos;
  if (text.size() == 4 && !allDigits) {
    id = int32_t((uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
                 (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3])));
    return true;
  }
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') return false;
  id = int32_t(value);
  return true;
}

}  // namespace bx3

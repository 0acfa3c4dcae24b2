// Driving open dialogs as a user would, for batch runs and tests. Main thread only.
// Every call answers false when the dialog is not open or has no such gadget, row or column.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "brantic/string.h"

namespace bx3 {

class GeDialog;

// Sets a gadget from text (numbers for number fields, combo boxes and toggles; "true" and
// "false" work too) and delivers the gadget's command, as typing or choosing would.
bool SetGadgetFromText(GeDialog& dialog, int32_t gadgetId, const std::string& value);
// Delivers a gadget's command, as pressing a button would.
bool PressGadget(GeDialog& dialog, int32_t gadgetId);
// A navigation key by name: up, down, left, right, pageup, pagedown, home, end.
bool SendKeyByName(GeDialog& dialog, const std::string& name);

// The tree of a dialog: its first tree view gadget. Rows count from 0 in drawing order.
// A click lands at the left edge of the cell of `columnId` (0: the first column).
bool ClickTreeRow(GeDialog& dialog, int64_t row, int32_t selectionMode, int32_t columnId = 0);
bool DoubleClickTreeRow(GeDialog& dialog, int64_t row, int32_t columnId);
bool EditTreeRow(GeDialog& dialog, int64_t row, int32_t columnId, const brantic::String& text);
bool RunTreeContextEntry(GeDialog& dialog, int64_t row, int32_t columnId, int32_t entry);
bool ClickTreeHeader(GeDialog& dialog, int32_t columnId);

// What a tree shows: every row in drawing order, and per column the texts and icon ids its
// cell drawing produced.
struct TreeReportCell {
  brantic::String text;  // the texts drawn, joined with a blank
  std::vector<int32_t> icons;
};
struct TreeReportRow {
  int32_t depth = 0;
  bool selected = false;
  std::vector<TreeReportCell> cells;  // in the order of the report's columns
};
struct DialogReport {
  int32_t pluginId = 0;
  std::vector<int32_t> columns;
  std::vector<TreeReportRow> rows;
  brantic::String status;
  brantic::String info;
};
bool ReportDialog(GeDialog& dialog, DialogReport& report);
// The same, with the rows handed to `eachRow` in drawing order instead of kept in
// `report.rows` (a report of many rows need not be held whole). The columns are filled in
// before the first row, the status and information text after the last.
bool ReportDialog(GeDialog& dialog, DialogReport& report, const std::function<void(const TreeReportRow&)>& eachRow);

// Four-character column ids as text ("path") and back; numbers are accepted too.
std::string FourCCToText(int32_t code);
bool ParseColumnId(const std::string& text, int32_t& id);

}  // namespace bx3

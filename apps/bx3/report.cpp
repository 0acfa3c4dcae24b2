#include "report.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "brantic/json_cursor.h"
#include "bx3/automation.h"

namespace bx3app {

namespace {

// A report goes out in pieces of about a megabyte as the rows are walked: a report of many
// rows is never held whole. The pieces are written on a thread of their own, while the next
// rows are drawn; at most a few wait, so a slow disk holds the drawing back rather than
// piling the report up in memory. Written pieces come back as spares: a fresh megabyte for
// every piece would pay its page faults again.
class ReportStream {
 public:
  explicit ReportStream(const bx3::ChunkWriter& write) : write_(write) { buffer_.reserve(kChunk + kChunk / 4); }
  ~ReportStream() { Flush(); }
  ReportStream(const ReportStream&) = delete;
  ReportStream& operator=(const ReportStream&) = delete;

  void Add(std::string_view text) {
    buffer_ += text;
    Pass();
  }
  // Where a piece is written in place; Pass() hands it on once it is complete.
  std::string& Text() { return buffer_; }
  void Pass() {
    if (buffer_.size() >= kChunk) HandOn();
  }
  // Writes what is left and waits for every piece; false when any write failed.
  bool Flush() {
    HandOn();
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
    if (!buffer_.empty()) ok_ = ok_ && write_(buffer_);  // no thread could be made
    buffer_.clear();
    return ok_;
  }

 private:
  static constexpr size_t kChunk = 1 << 20;
  static constexpr size_t kWaitingChunks = 4;

  void HandOn() {
    if (buffer_.empty() || closed_) return;
    if (!writer_.joinable() && !StartWriter()) {
      ok_ = ok_ && write_(buffer_);
      buffer_.clear();
      return;
    }
    std::string next;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return waiting_.size() < kWaitingChunks; });
      waiting_.push_back(std::move(buffer_));
      if (!spare_.empty()) {
        next = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    changed_.notify_all();
    buffer_ = std::move(next);
    buffer_.clear();
    if (buffer_.capacity() < kChunk) buffer_.reserve(kChunk + kChunk / 4);
  }

  bool StartWriter() {
    try {
      writer_ = std::thread([this] { WriteWaiting(); });
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }

  void WriteWaiting() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      std::string chunk = std::move(waiting_.front());
      waiting_.pop_front();
      const bool ok = ok_;
      lock.unlock();
      changed_.notify_all();
      const bool written = ok && write_(chunk);
      chunk.clear();
      lock.lock();
      ok_ = written;
      spare_.push_back(std::move(chunk));
    }
  }

  const bx3::ChunkWriter& write_;
  std::string buffer_;
  std::mutex mutex_;  // guards what follows, and ok_ while the writer runs
  std::condition_variable changed_;
  std::deque<std::string> waiting_;
  std::vector<std::string> spare_;
  bool closed_ = false;
  bool ok_ = true;
  std::thread writer_;
};

void TextHead(const bx3::DialogReport& report, ReportStream& out) {
  std::string text = "dialog " + std::to_string(report.pluginId) + "\n";
  for (size_t i = 0; i < report.columns.size(); ++i) text += (i ? " | " : "") + bx3::FourCCToText(report.columns[i]);
  out.Add(text + "\n");
}

void TextRow(const bx3::TreeReportRow& row, ReportStream& out) {
  std::string& text = out.Text();
  text += row.selected ? "* " : "  ";
  text.append(size_t(row.depth) * 2, ' ');
  for (size_t i = 0; i < row.cells.size(); ++i) {
    if (i > 0) text += " | ";
    text += row.cells[i].text.View();
    for (int32_t icon : row.cells[i].icons) {
      text += " [";
      text += std::to_string(icon);
      text += ']';
    }
  }
  text += '\n';
  out.Pass();
}

void TextTail(const bx3::DialogReport& report, ReportStream& out) {
  out.Add("status: " + report.status.Std() + "\n");
  out.Add("info:\n" + report.info.Std() + (report.info.IsEmpty() ? "" : "\n"));
}

// The JSON is the document {dialog, columns, items, status, info} indented by two, as a whole
// document would be written; each part is made on its own.
using Json = nlohmann::ordered_json;

void JsonHead(const bx3::DialogReport& report, ReportStream& out) {
  Json columns = Json::array();
  for (int32_t id : report.columns) columns.push_back(bx3::FourCCToText(id));
  std::string text = Json{{"dialog", report.pluginId}, {"columns", std::move(columns)}}.dump(2);
  text.resize(text.size() - 2);  // without its closing "\n}"
  out.Add(text + ",\n  \"items\": [");
}

// Rows, written as Json::dump(2) would write them four deeper, without making a Json value:
// a report of 100,000 rows costs what writing it costs. What stands around each cell's text is
// made once per column.
class JsonRows {
 public:
  explicit JsonRows(const bx3::DialogReport& report) {
    for (size_t i = 0; i < report.columns.size(); ++i) {
      std::string before = i == 0 ? "{\n        " : ",\n        ";
      brantic::AppendJsonText(before, bx3::FourCCToText(report.columns[i]));
      cellsBefore_.push_back(before + ": {\n          \"text\": ");
    }
  }

  void Write(const bx3::TreeReportRow& row, bool first, ReportStream& out) const {
    std::string& text = out.Text();
    text += first ? "\n    {\n      \"depth\": " : ",\n    {\n      \"depth\": ";
    text += std::to_string(row.depth);
    text += row.selected ? ",\n      \"selected\": true,\n      \"cells\": "
                         : ",\n      \"selected\": false,\n      \"cells\": ";
    const size_t cells = std::min(row.cells.size(), cellsBefore_.size());
    if (cells == 0) text += "{}";
    for (size_t i = 0; i < cells; ++i) {
      const bx3::TreeReportCell& cell = row.cells[i];
      text += cellsBefore_[i];
      brantic::AppendJsonText(text, cell.text.View());
      if (cell.icons.empty()) {
        text += ",\n          \"icons\": []\n        }";
        continue;
      }
      text += ",\n          \"icons\": [\n            ";
      for (size_t icon = 0; icon < cell.icons.size(); ++icon) {
        if (icon > 0) text += ",\n            ";
        text += std::to_string(cell.icons[icon]);
      }
      text += "\n          ]\n        }";
    }
    text += cells > 0 ? "\n      }\n    }" : "\n    }";
    out.Pass();
  }

 private:
  std::vector<std::string> cellsBefore_;  // per column: the separator, its key and the text's key
};

void JsonTail(const bx3::DialogReport& report, bool anyRow, ReportStream& out) {
  out.Add(anyRow ? "\n  ]," : "],");
  const std::string tail = Json{{"status", report.status.Std()}, {"info", report.info.Std()}}.dump(2);
  out.Add(std::string_view(tail).substr(1));  // without its opening "{"
  out.Add("\n");
}

}  // namespace

bool WriteReport(bx3::GeDialog& dialog, bool json, const bx3::ChunkWriter& write) {
  ReportStream out(write);
  bx3::DialogReport report;
  std::optional<JsonRows> jsonRows;  // made with the head, once the columns are known
  bool begun = false;
  bool anyRow = false;
  const auto begin = [&] {
    if (begun) return;
    begun = true;
    json ? JsonHead(report, out) : TextHead(report, out);
    if (json) jsonRows.emplace(report);
  };
  bx3::ReportDialog(dialog, report, [&](const bx3::TreeReportRow& row) {
    begin();
    json ? jsonRows->Write(row, !anyRow, out) : TextRow(row, out);
    anyRow = true;
  });
  begin();
  json ? JsonTail(report, anyRow, out) : TextTail(report, out);
  return out.Flush();
}

}  // namespace bx3app

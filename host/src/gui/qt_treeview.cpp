#include "qt_treeview.h"

#include <QPainter>
#include <QScrollBar>

#include "qt_canvas.h"
#include "qt_dialog_window.h"
#include "qt_text.h"

namespace bx3::gui {

namespace {

constexpr int32_t kDefaultColumnWidth = 100;

// Draws nothing; measures texts in the view's font. The cells' area answers with it outside
// painting, so that widths measured for sizing and tooltips are those the painting will use.
class MeasuringCanvas : public Canvas {
 public:
  explicit MeasuringCanvas(const QFontMetrics& metrics) : metrics_(metrics) {}
  void SetPen(Rgb) override {}
  void FillRect(int32_t, int32_t, int32_t, int32_t) override {}
  void DrawLine(int32_t, int32_t, int32_t, int32_t, double) override {}
  void DrawText(const brantic::String&, int32_t, int32_t, Rgb, Rgb) override {}
  void DrawBitmap(const BaseBitmap&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                  int32_t) override {}
  void SetClip(int32_t, int32_t, int32_t, int32_t) override {}
  void ClearClip() override {}
  int32_t FontHeight() const override { return metrics_.height(); }
  int32_t TextWidth(const brantic::String& text) const override { return metrics_.horizontalAdvance(ToQString(text)); }

 private:
  QFontMetrics metrics_;
};

// Records what cells draw instead of drawing it.
class RecordingCanvas final : public MeasuringCanvas {
 public:
  using MeasuringCanvas::MeasuringCanvas;
  void DrawText(const brantic::String& text, int32_t, int32_t, Rgb, Rgb) override {
    if (text.IsEmpty()) return;
    cell.text = cell.text.IsEmpty() ? text : brantic::String(cell.text.Std() + " " + text.Std());
  }
  void DrawBitmap(const BaseBitmap& bitmap, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                  int32_t) override {
    if (bitmap.GetIconId() != 0) cell.icons.push_back(bitmap.GetIconId());
  }
  TreeReportCell cell;
};

}  // namespace

TreeViewWidget::TreeViewWidget(DialogWindowWidget& owner, int32_t id, const Container& settings, QWidget* parent)
    : QAbstractScrollArea(parent),
      owner_(owner),
      id_(id),
      settings_(settings),
      measuring_(std::make_unique<MeasuringCanvas>(fontMetrics())) {
  cellArea_.SetHost(this);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  if (!settings_.GetBool(treesetting::kBorder, true)) setFrameShape(QFrame::NoFrame);
  verticalScrollBar()->setSingleStep(1);
}

TreeViewWidget::~TreeViewWidget() { cellArea_.SetHost(nullptr); }

void TreeViewWidget::SetRoot(void* root, TreeViewFunctions* functions, void* userData) {
  root_ = root;
  functions_ = functions;
  userData_ = userData;
  Refresh();
}

void TreeViewWidget::SetLayout(const std::vector<TreeColumn>& columns) {
  columns_ = columns;
  viewport()->update();
}

int32_t TreeViewWidget::HeaderHeight() const {
  return settings_.GetBool(treesetting::kHeader, true) ? fontMetrics().height() + 6 : 0;
}

bool TreeViewWidget::Advance(WalkState& state) const {
  if (state.empty() || !functions_) return false;
  // Into the children of an open item, else on to the next sibling up the chain.
  if (functions_->ItemOpen(root_, userData_, state.back())) {
    if (TreeItem child = functions_->FirstChildItem(root_, userData_, state.back())) {
      state.push_back(child);
      return true;
    }
  }
  while (!state.empty()) {
    if (TreeItem next = functions_->NextItem(root_, userData_, state.back())) {
      state.back() = next;
      return true;
    }
    state.pop_back();
  }
  return false;
}

void TreeViewWidget::Recount() {
  rowCount_ = 0;
  checkpoints_.clear();
  if (!functions_) return;
  WalkState state;
  if (TreeItem first = functions_->FirstItem(root_, userData_)) state.push_back(first);
  while (!state.empty()) {
    if (rowCount_ % kCheckpointEvery == 0) checkpoints_.push_back(state);
    ++rowCount_;
    if (!Advance(state)) break;
  }
  const TreeItem first = rowCount_ > 0 ? checkpoints_.front().back() : 0;
  const int32_t asked =
      first && !columns_.empty() ? functions_->RowHeight(root_, userData_, first, columns_.front().id, &cellArea_) : 0;
  rowHeight_ = std::max(asked, fontMetrics().height() + 4);
}

void TreeViewWidget::MeasureColumns(int32_t viewHeight) {
  contentWidths_.assign(columns_.size(), 0);
  if (!functions_) return;
  const std::vector<VisibleRow> rows = RowsInView(viewHeight);
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].width > 0) continue;
    int32_t widest = functions_->HeaderWidth(root_, userData_, columns_[i].id, &cellArea_);
    for (const VisibleRow& row : rows) {
      widest = std::max(widest, functions_->CellContentWidth(root_, userData_, row.item, columns_[i].id, &cellArea_));
    }
    contentWidths_[i] = widest;
  }
}

void TreeViewWidget::Refresh() {
  // Showing or hiding a scroll bar resizes the viewport, whose resize event would refresh
  // again: that resize is this refresh's own doing and is not followed.
  if (refreshing_) return;
  refreshing_ = true;
  ++refreshCount_;
  Recount();
  UpdateScrollBars();
  refreshing_ = false;
  viewport()->update();
}

void TreeViewWidget::UpdateScrollBars() {
  // Which bars are needed is worked out for the area without bars, so that the answer does
  // not depend on the bars shown now. A bar once needed stays (each can only turn on once).
  const QSize area = size() - QSize(2 * frameWidth(), 2 * frameWidth());
  const int32_t barWidth = verticalScrollBar()->sizeHint().width();
  const int32_t barHeight = horizontalScrollBar()->sizeHint().height();
  bool vertical = false;
  bool horizontal = false;
  int32_t width = area.width();
  int32_t height = area.height();
  int32_t page = 1;
  int32_t total = 0;
  for (int pass = 0; pass < 3; ++pass) {
    width = area.width() - (vertical ? barWidth : 0);
    height = area.height() - (horizontal ? barHeight : 0);
    page = std::max(1, (height - HeaderHeight()) / rowHeight_);
    MeasureColumns(height);
    total = 0;
    for (size_t i = 0; i < columns_.size(); ++i) total += ColumnWidth(int32_t(i));
    const bool needVertical = vertical || rowCount_ > page;
    const bool needHorizontal = horizontal || total > width;
    if (needVertical == vertical && needHorizontal == horizontal) break;
    vertical = needVertical;
    horizontal = needHorizontal;
  }
  const auto policy = [](bool on) { return on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
  if (verticalScrollBarPolicy() != policy(vertical)) setVerticalScrollBarPolicy(policy(vertical));
  if (horizontalScrollBarPolicy() != policy(horizontal)) setHorizontalScrollBarPolicy(policy(horizontal));
  verticalScrollBar()->setRange(0, int(std::max<int64_t>(0, rowCount_ - page)));
  verticalScrollBar()->setPageStep(page);
  horizontalScrollBar()->setRange(0, std::max(0, total - width));
  horizontalScrollBar()->setPageStep(width);
}

TreeItem TreeViewWidget::ItemAtRow(int64_t row, int32_t* depth) const {
  if (row < 0 || row >= rowCount_ || checkpoints_.empty()) return 0;
  WalkState state = checkpoints_[size_t(row / kCheckpointEvery)];
  for (int64_t at = row / kCheckpointEvery * kCheckpointEvery; at < row; ++at) {
    if (!Advance(state)) return 0;
  }
  if (depth) *depth = int32_t(state.size()) - 1;
  return state.empty() ? 0 : state.back();
}

std::vector<TreeViewWidget::VisibleRow> TreeViewWidget::RowsInView() const { return RowsInView(viewport()->height()); }

std::vector<TreeViewWidget::VisibleRow> TreeViewWidget::RowsInView(int32_t viewHeight) const {
  std::vector<VisibleRow> rows;
  const int64_t first = verticalScrollBar()->value();
  const int64_t count = (viewHeight - HeaderHeight()) / rowHeight_ + 1;
  if (first >= rowCount_ || checkpoints_.empty()) return rows;
  WalkState state = checkpoints_[size_t(first / kCheckpointEvery)];
  for (int64_t at = first / kCheckpointEvery * kCheckpointEvery; at < first; ++at) {
    if (!Advance(state)) return rows;
  }
  for (int64_t i = 0; i < count && !state.empty(); ++i) {
    rows.push_back({state.back(), int32_t(state.size()) - 1});
    if (!Advance(state)) break;
  }
  return rows;
}

int32_t TreeViewWidget::ColumnWidth(int32_t index) const {
  const TreeColumn& column = columns_[size_t(index)];
  if (column.width > 0) return column.width;
  const int32_t measured = size_t(index) < contentWidths_.size() ? contentWidths_[size_t(index)] : 0;
  const int32_t asked = measured > 0 ? measured
                        : functions_
                            ? functions_->HeaderWidth(root_, userData_, column.id, const_cast<GeUserArea*>(&cellArea_))
                            : 0;
  return asked > 0 ? std::max(asked, 40) : kDefaultColumnWidth;
}

int32_t TreeViewWidget::ColumnX(int32_t index) const {
  int32_t x = -horizontalScrollBar()->value();
  for (int32_t i = 0; i < index; ++i) x += ColumnWidth(i);
  return x;
}

int32_t TreeViewWidget::ColumnAt(int32_t x) const {
  for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
    if (x >= ColumnX(i) && x < ColumnX(i) + ColumnWidth(i)) return i;
  }
  return -1;
}

int64_t TreeViewWidget::RowAt(int32_t y) const {
  if (y < HeaderHeight()) return -1;
  const int64_t row = verticalScrollBar()->value() + (y - HeaderHeight()) / rowHeight_;
  return row < rowCount_ ? row : -1;
}

void TreeViewWidget::PaintTo(QPainter& painter) {
  QtCanvas canvas(painter);
  canvas_ = &canvas;
  const int32_t width = viewport()->width();
  const int32_t header = HeaderHeight();
  painter.fillRect(0, 0, width, viewport()->height(), ToQColor(GetHostColor(color::kBackground)));
  const bool alternate = settings_.GetBool(treesetting::kAlternateBackground, true);
  int32_t y = header;
  const int64_t firstRow = verticalScrollBar()->value();
  int64_t rowIndex = firstRow;
  for (const VisibleRow& row : RowsInView()) {
    const bool odd = alternate && (rowIndex % 2 == 1);
    const bool selected = functions_->ItemSelected(root_, userData_, row.item);
    const Rgb background = GetHostColor(selected ? color::kRowSelected : odd ? color::kRowAlternate : color::kRow);
    painter.fillRect(0, y, width, rowHeight_, ToQColor(background));
    for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
      TreeDrawInfo info{&cellArea_, ColumnX(i), y, ColumnWidth(i), rowHeight_, odd ? 1 : 0};
      if (info.x + info.width < 0 || info.x > width) continue;
      painter.save();
      painter.setClipRect(info.x, info.y, info.width, info.height);
      functions_->RenderCell(root_, userData_, row.item, columns_[size_t(i)].id, info, background);
      painter.restore();
    }
    y += rowHeight_;
    ++rowIndex;
  }
  if (header > 0) {
    for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
      TreeDrawInfo info{&cellArea_, ColumnX(i), 0, ColumnWidth(i), header, 0};
      painter.save();
      painter.setClipRect(info.x, 0, info.width, header);
      if (!functions_ || !functions_->RenderHeaderCell(root_, userData_, columns_[size_t(i)].id, info)) {
        // The callbacks did not draw it: the column's id on the header ground.
        painter.fillRect(info.x, 0, info.width, header, ToQColor(GetHostColor(color::kBackground)));
        canvas.DrawText(brantic::String(FourCCToText(columns_[size_t(i)].id)), info.x + 4, 3,
                        GetHostColor(color::kHeaderText), GetHostColor(color::kBackground));
      }
      const int32_t arrow = functions_ ? functions_->SortArrow(root_, userData_, columns_[size_t(i)].id) : 0;
      if (arrow != 0) {  // a small triangle at the right edge: up for ascending
        const int cx = info.x + info.width - 10, cy = header / 2;
        const QPoint up[3] = {{cx - 4, cy + 2}, {cx + 4, cy + 2}, {cx, cy - 3}};
        const QPoint down[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
        painter.setBrush(ToQColor(GetHostColor(color::kHeaderText)));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(arrow < 0 ? up : down, 3);
      }
      painter.restore();
    }
  }
  canvas_ = nullptr;
}

int32_t TreeViewWidget::ColumnIndex(int32_t columnId) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].id == columnId) return int32_t(i);
  }
  return -1;
}

void TreeViewWidget::Report(const std::function<void(const TreeReportRow&)>& eachRow) {
  if (!functions_ || checkpoints_.empty()) return;
  WalkState state = checkpoints_.front();
  TreeReportRow row;
  row.cells.resize(columns_.size());
  RecordingCanvas recorder(fontMetrics());  // one for every cell: its font and storage are reused
  const Rgb background = GetHostColor(color::kRow);
  for (int64_t index = 0; index < rowCount_ && !state.empty(); ++index) {
    row.depth = int32_t(state.size()) - 1;
    row.selected = functions_->ItemSelected(root_, userData_, state.back());
    for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
      recorder.cell = std::move(row.cells[size_t(i)]);
      recorder.cell.text = {};
      recorder.cell.icons.clear();
      canvas_ = &recorder;
      TreeDrawInfo info{&cellArea_, 0, 0, ColumnWidth(i), rowHeight_, int32_t(index % 2)};
      functions_->RenderCell(root_, userData_, state.back(), columns_[size_t(i)].id, info, background);
      canvas_ = nullptr;
      row.cells[size_t(i)] = std::move(recorder.cell);
    }
    eachRow(row);
    if (!Advance(state)) break;
  }
}

void TreeViewWidget::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  if (functions_) PaintTo(painter);
}

void TreeViewWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Refresh();  // ignored while a refresh shows or hides the scroll bars
}

}  // namespace bx3::gui

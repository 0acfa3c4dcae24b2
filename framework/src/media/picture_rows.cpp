#include "picture_rows.h"

#include <algorithm>
#include <cstring>

namespace brantic::media {

namespace {

// The first source row (or column) after target row `index` of `target` rows, as ScalePicture
// bounds it.
int32_t EndOf(int32_t index, int32_t source, int32_t target) { return int32_t(int64_t(index + 1) * source / target); }

}  // namespace

PictureRows::PictureRows(int32_t sourceWidth, int32_t sourceHeight, Picture& target)
    : sourceWidth_(sourceWidth),
      sourceHeight_(sourceHeight),
      target_(target),
      sameSize_(target.width == sourceWidth && target.height == sourceHeight) {
  if (sameSize_ || target.width <= 0 || target.height <= 0) return;
  targetColumn_.resize(size_t(sourceWidth));
  columnWidth_.assign(size_t(target.width), 0);
  for (int32_t x = 0, column = 0; x < sourceWidth; ++x) {
    while (x >= EndOf(column, sourceWidth, target.width)) ++column;
    targetColumn_[size_t(x)] = column;
    ++columnWidth_[size_t(column)];
  }
  sums_.assign(size_t(target.width) * size_t(target.channels), 0);
  targetRowEnd_ = EndOf(0, sourceHeight, target.height);
}

void PictureRows::Add(int32_t count, const uint8_t* rows, size_t stride) {
  const int32_t channels = target_.channels;
  const size_t rowBytes = size_t(sourceWidth_) * size_t(channels);
  for (int32_t i = 0; i < count && nextRow_ < sourceHeight_; ++i, ++nextRow_) {
    const uint8_t* row = rows + size_t(i) * stride;
    if (sameSize_) {
      std::memcpy(target_.pixels.data() + size_t(nextRow_) * rowBytes, row, rowBytes);
      continue;
    }
    for (int32_t x = 0; x < sourceWidth_; ++x) {
      uint64_t* sum = sums_.data() + size_t(targetColumn_[size_t(x)]) * size_t(channels);
      for (int32_t c = 0; c < channels; ++c) sum[c] += row[size_t(x) * size_t(channels) + size_t(c)];
    }
    ++rowsInTargetRow_;
    if (nextRow_ + 1 == targetRowEnd_) FinishTargetRow();
  }
}

void PictureRows::FinishTargetRow() {
  const int32_t channels = target_.channels;
  uint8_t* out = target_.pixels.data() + size_t(targetRow_) * size_t(target_.width) * size_t(channels);
  for (int32_t column = 0; column < target_.width; ++column) {
    const uint64_t covered = uint64_t(columnWidth_[size_t(column)]) * uint64_t(rowsInTargetRow_);
    for (int32_t c = 0; c < channels; ++c) {
      uint64_t& sum = sums_[size_t(column) * size_t(channels) + size_t(c)];
      out[size_t(column) * size_t(channels) + size_t(c)] = uint8_t((sum + covered / 2) / covered);
      sum = 0;
    }
  }
  rowsInTargetRow_ = 0;
  ++targetRow_;
  if (targetRow_ < target_.height) targetRowEnd_ = EndOf(targetRow_, sourceHeight_, target_.height);
}

}  // namespace brantic::media

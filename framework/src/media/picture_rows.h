// Building a picture from the rows of a larger one, handed over top to bottom: the rows of a
// file read in strips become the picture at its own size or a reduced copy, without the
// file's picture ever being held whole. Internal to the framework.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "brantic/picture.h"

namespace brantic::media {

class PictureRows {
 public:
  // `target` has its size and channels set and its pixels allocated; it may not be larger
  // than the source in either direction. Each target pixel becomes the average of the source
  // pixels it covers, with the bounds and rounding of ScalePicture.
  PictureRows(int32_t sourceWidth, int32_t sourceHeight, Picture& target);

  // Takes the next `count` source rows, `target.channels` bytes per pixel, `stride` bytes
  // from one row to the next.
  void Add(int32_t count, const uint8_t* rows, size_t stride);
  bool Complete() const { return nextRow_ >= sourceHeight_; }

 private:
  void FinishTargetRow();

  int32_t sourceWidth_;
  int32_t sourceHeight_;
  Picture& target_;
  bool sameSize_;
  std::vector<int32_t> targetColumn_;  // of each source column
  std::vector<uint32_t> columnWidth_;  // source columns per target column
  std::vector<uint64_t> sums_;         // of the target row being built
  int32_t nextRow_ = 0;
  int32_t targetRow_ = 0;
  int32_t targetRowEnd_ = 0;  // the first source row after the target row being built
  int32_t rowsInTargetRow_ = 0;
};

}  // namespace brantic::media

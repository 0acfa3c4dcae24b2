// The geometry of the preview area: where a picture is drawn, how large its reduced copy
// is, where the navigator of the 1:1 view sits. Pure rules, no drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kv {

struct PreviewRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PreviewRect&) const = default;
};

// The rectangle a bitmap of w × h is drawn into in an area of W × H: stretched over the
// area for size-dependent pictures (wave forms), centred at 1:1 when smaller, else fitted
// keeping its proportions. A bitmap one pixel wider than the area counts as that wide.
PreviewRect FittedRectangle(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height, bool sizeDependent);

// The size of the reduced copy of a large picture (at most 900 × 600 in the fitting
// direction); nullopt when the picture is small enough to be drawn itself.
struct PreviewSize {
  int32_t width = 0, height = 0;
  bool operator==(const PreviewSize&) const = default;
};
std::optional<PreviewSize> ReducedCopySize(int32_t width, int32_t height);

// Pictures of up to this many pixels (an 8K frame) are held whole for the 1:1 view; larger
// ones are reduced to their reduced copy while they are read and never held whole.
inline constexpr int64_t kWholePreviewPixels = int64_t{1} << 25;

// The 1:1 view of a picture larger than the area: which part of the bitmap shows, centred
// on the zoom point (area coordinates of the fitted picture), and the navigator.
struct ZoomView {
  PreviewRect source;       // the bitmap part shown
  PreviewRect destination;  // where it is drawn, 1:1
  PreviewRect navigator;    // the small overview in the lower right corner
  PreviewRect visible;      // the part of the navigator that stands for the source
};
ZoomView ComputeZoomView(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height, int32_t zoomX,
                         int32_t zoomY);

// The zoom point after a drag step, kept inside the area.
int32_t ClampZoom(int32_t value, int32_t delta, int32_t limit);

// The placeholder picture of an asset type in the module's icons folder; empty for others.
std::string_view PlaceholderFileName(uint32_t assetType);

}  // namespace kv

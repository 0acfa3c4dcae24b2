#include "preview/kvpreview_rules.h"

#include <algorithm>
#include <cmath>

#include "collection/kvassettype.h"

namespace kv {

PreviewRect FittedRectangle(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height, bool sizeDependent) {
  if (areaWidth <= 0 || areaHeight <= 0 || width <= 0 || height <= 0) return {};
  if (width == areaWidth + 1) width = areaWidth;
  if (sizeDependent) return {0, 0, areaWidth, areaHeight};
  const double W = areaWidth, H = areaHeight, w = width, h = height;
  if (width < areaWidth && height < areaHeight) {
    return {int32_t(0.5 * (W - w)), int32_t(0.5 * (H - h)), width, height};
  }
  const double areaRatio = W / H;
  const double bitmapRatio = w / h;
  if (bitmapRatio <= areaRatio) {
    const int32_t dw = int32_t(bitmapRatio * W / areaRatio);
    if (dw >= areaWidth) return {0, 0, dw, areaHeight};
    return {int32_t(0.5 * (W - dw)), 0, dw, areaHeight};
  }
  const int32_t dh = int32_t(areaRatio * H / bitmapRatio);
  return {0, dh < areaHeight ? int32_t(0.5 * (H - dh)) : 0, areaWidth, dh};
}

std::optional<PreviewSize> ReducedCopySize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || (width <= 900 && height <= 600)) return std::nullopt;
  if (width < height) return PreviewSize{int32_t(600.0 / height * width), 600};
  return PreviewSize{900, int32_t(900.0 / width * height)};
}

ZoomView ComputeZoomView(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height, int32_t zoomX,
                         int32_t zoomY) {
  ZoomView view;
  const PreviewRect fitted = FittedRectangle(areaWidth, areaHeight, width, height, false);
  if (fitted.width <= 0 || fitted.height <= 0) return view;
  const int32_t shownWidth = std::min(areaWidth, width);
  const int32_t shownHeight = std::min(areaHeight, height);
  const int64_t centreX = int64_t(zoomX - fitted.x) * width / fitted.width;
  const int64_t centreY = int64_t(zoomY - fitted.y) * height / fitted.height;
  const auto left = [](int64_t centre, int32_t area, int32_t size) {
    return int32_t(std::max<int64_t>(0, std::min<int64_t>(centre - area / 2, size - area)));
  };
  view.source = {left(centreX, areaWidth, width), left(centreY, areaHeight, height), shownWidth, shownHeight};
  view.destination = {int32_t(0.5 * (areaWidth - shownWidth)), int32_t(0.5 * (areaHeight - shownHeight)), shownWidth,
                      shownHeight};

  const double areaRatio = double(areaWidth) / areaHeight;
  const double bitmapRatio = double(width) / height;
  const int32_t n = int32_t(0.1 * areaWidth);
  const int32_t m = int32_t(int32_t(0.1 * areaHeight) / bitmapRatio * areaRatio);
  int32_t navWidth = n, navHeight = std::max(4, m);
  if (n < m && m > 0) {
    navWidth = std::max(4, n * n / m);
    navHeight = n;
  }
  view.navigator = {areaWidth - navWidth - 10, areaHeight - navHeight - 10, navWidth, navHeight};
  const double scaleX = double(navWidth) / width;
  const double scaleY = double(navHeight) / height;
  const int32_t visibleLeft = int32_t(view.source.x * scaleX);
  const int32_t visibleTop = int32_t(view.source.y * scaleY);
  const int32_t visibleRight = width > areaWidth ? int32_t((areaWidth + view.source.x) * scaleX) : navWidth;
  const int32_t visibleBottom = height > areaHeight ? int32_t((areaHeight + view.source.y) * scaleY) : navHeight;
  view.visible = {view.navigator.x + visibleLeft, view.navigator.y + visibleTop, visibleRight - visibleLeft,
                  visibleBottom - visibleTop};
  return view;
}

int32_t ClampZoom(int32_t value, int32_t delta, int32_t limit) {
  return std::clamp(value + delta, 0, std::max(0, limit));
}

std::string_view PlaceholderFileName(uint32_t assetType) {
  switch (assetType) {
    case ASSETTYPE_OTHER: return "Other.tif";
    case ASSETTYPE_IMAGE: return "image.tif";
    case ASSETTYPE_VIDEO: return "video.tif";
    case ASSETTYPE_AUDIO: return "audio.tif";
    case ASSETTYPE_CACHE: return "extermalcache.tif";
    case ASSETTYPE_REFERENCED3D: return "referenced3d.tif";
    default: return {};
  }
}

}  // namespace kv

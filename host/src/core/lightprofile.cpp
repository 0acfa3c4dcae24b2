#include "bx3/lightprofile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bx3 {

namespace {

// Lines and rings drawn smoothly: each pixel takes the colour as far as the line covers it.
class PlotCanvas {
 public:
  explicit PlotCanvas(BaseBitmap& bitmap) : bitmap_(bitmap) {}

  void Blend(int32_t x, int32_t y, Rgb color, double coverage) {
    if (coverage <= 0 || x < 0 || y < 0 || x >= bitmap_.GetBw() || y >= bitmap_.GetBh()) return;
    coverage = std::min(coverage, 1.0);
    uint8_t r = 0, g = 0, b = 0;
    bitmap_.GetPixel(x, y, r, g, b);
    const auto mix = [coverage](uint8_t from, uint8_t to) {
      return uint8_t(std::lround(from + (double(to) - double(from)) * coverage));
    };
    bitmap_.SetPixel(x, y, mix(r, color.r), mix(g, color.g), mix(b, color.b));
  }

  // A line one and a half pixels wide, sampled along its length.
  void Line(double x0, double y0, double x1, double y1, Rgb color) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int32_t steps = std::max(1, int32_t(std::ceil(length * 2)));
    for (int32_t i = 0; i <= steps; ++i) {
      const double t = double(i) / steps;
      Dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, color);
    }
  }

  void Ring(double cx, double cy, double radius, Rgb color) {
    const int32_t segments = std::max(24, int32_t(radius));
    for (int32_t i = 0; i < segments; ++i) {
      const double a0 = 2 * std::numbers::pi * i / segments, a1 = 2 * std::numbers::pi * (i + 1) / segments;
      Line(cx + radius * std::cos(a0), cy + radius * std::sin(a0), cx + radius * std::cos(a1),
           cy + radius * std::sin(a1), color);
    }
  }

 private:
  // A soft dot: the four pixels around the point share it by their distance.
  void Dot(double x, double y, Rgb color) {
    const int32_t left = int32_t(std::floor(x - 0.5)), top = int32_t(std::floor(y - 0.5));
    for (int32_t px = left; px <= left + 1; ++px) {
      for (int32_t py = top; py <= top + 1; ++py) {
        const double dx = std::abs(px + 0.5 - x), dy = std::abs(py + 0.5 - y);
        Blend(px, py, color, (1.25 - dx) * (1.25 - dy));
      }
    }
  }

  BaseBitmap& bitmap_;
};

}  // namespace

bool BaseLightProfile::Load(const Filename& file) {
  loaded_ = false;
  problem_.clear();
  auto profile = brantic::LoadLightProfile(file.GetUrl());
  if (!profile) {
    problem_ = profile.GetError().Message();
    return false;
  }
  profile_ = std::move(*profile);
  loaded_ = true;
  return true;
}

bool BaseLightProfile::GetBitmap(BaseBitmap& bitmap, const LightProfileColors& colors) const {
  if (!loaded_ || bitmap.IsEmpty()) return false;
  const int32_t width = bitmap.GetBw(), height = bitmap.GetBh();
  bitmap.Fill(0, 0, width - 1, height - 1, colors.background.r, colors.background.g, colors.background.b);
  PlotCanvas canvas(bitmap);
  const double cx = width / 2.0, cy = height / 2.0;
  const double radius = std::max(1.0, std::min(width, height) / 2.0 - 4.0);
  // Rings at quarters of the strongest intensity, spokes every 30 degrees.
  for (int ring = 1; ring <= 4; ++ring) canvas.Ring(cx, cy, radius * ring / 4.0, colors.grid);
  for (int spoke = 0; spoke < 12; ++spoke) {
    const double angle = spoke * std::numbers::pi / 6;
    canvas.Line(cx, cy, cx + radius * std::sin(angle), cy + radius * std::cos(angle), colors.grid);
  }
  const double strongest = profile_.MaximumIntensity();
  if (strongest <= 0) return true;
  // Round lights show one curve; others the second pair of planes too.
  const bool round = profile_.horizontalAngles.size() == 1;
  const std::pair<double, Rgb> planes[] = {{0.0, colors.first}, {90.0, colors.second}};
  for (const auto& [plane, color] : planes) {
    if (plane != 0.0 && round) break;
    // From the right plane's nadir over its zenith, then down the opposite plane.
    double lastX = 0, lastY = 0;
    constexpr int32_t kSteps = 720;
    for (int32_t step = 0; step <= kSteps; ++step) {
      const double turn = 360.0 * step / kSteps;  // 0..180 right half, 180..360 left half
      const bool right = turn <= 180.0;
      const double vertical = right ? turn : 360.0 - turn;
      const double r = radius * profile_.Intensity(right ? plane : plane + 180.0, vertical) / strongest;
      const double radians = vertical * std::numbers::pi / 180.0;
      const double x = cx + (right ? 1 : -1) * r * std::sin(radians), y = cy + r * std::cos(radians);
      if (step > 0) canvas.Line(lastX, lastY, x, y, color);
      lastX = x;
      lastY = y;
    }
  }
  return true;
}

}  // namespace bx3

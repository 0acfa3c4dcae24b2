#include "bx3/icons.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "bx3/element.h"
#include "bx3/types.h"

namespace bx3 {

namespace {

enum class Shape {
  Disc,
  Ring,
  Square,
  Frame,
  Stack,
  TriangleRight,
  TriangleDown,
  Diamond,
  Bars,
  Wave,
  Film,
  Cube,
  Slash
};

struct IconStyle {
  int32_t id;
  Shape shape;
  Rgb color;
};

// One flat style: a single shape in one colour on a transparent ground.
constexpr IconStyle kIcons[] = {
    {icon::kStatusFound, Shape::Disc, {76, 175, 80}},
    {icon::kStatusMissing, Shape::Disc, {229, 57, 53}},
    {icon::kStatusFoundElsewhere, Shape::Disc, {251, 192, 45}},
    {icon::kStatusPartlyFound, Shape::Ring, {251, 140, 0}},
    {icon::kStatusUnreachable, Shape::Diamond, {126, 87, 194}},
    {icon::kFoldClosed, Shape::TriangleRight, {200, 200, 200}},
    {icon::kFoldOpen, Shape::TriangleDown, {200, 200, 200}},
    {icon::kNoLayer, Shape::Slash, {150, 150, 150}},
    {icon::kFilterShown, Shape::Bars, {100, 181, 246}},
    {icon::kFilterHidden, Shape::Bars, {150, 150, 150}},
    {icon::kAssetImage, Shape::Square, {66, 165, 245}},
    {icon::kAssetImageSequence, Shape::Stack, {66, 165, 245}},
    {icon::kAssetVideo, Shape::Film, {171, 71, 188}},
    {icon::kAssetAudio, Shape::Wave, {38, 166, 154}},
    {icon::kAssetOther, Shape::Frame, {158, 158, 158}},
    {icon::kAssetCache, Shape::Diamond, {255, 167, 38}},
    {icon::kAssetReferenced3D, Shape::Cube, {141, 110, 99}},
    {icon::kAssetReferenced3DSequence, Shape::Stack, {141, 110, 99}},
    {icon::kAssetCacheSequence, Shape::Stack, {255, 167, 38}},
    {icon::kAssetTileSet, Shape::Bars, {66, 165, 245}},
};

// Element types draw by their kind.
std::optional<IconStyle> ElementTypeStyle(int32_t id) {
  const TypeInfo* info = FindType(id);
  if (!info) return std::nullopt;
  switch (info->category) {
    case TypeCategory::Object: return IconStyle{id, Shape::Cube, {120, 144, 156}};
    case TypeCategory::Tag: return IconStyle{id, Shape::Diamond, {149, 117, 205}};
    case TypeCategory::Material: return IconStyle{id, Shape::Disc, {239, 108, 0}};
    case TypeCategory::Shader: return IconStyle{id, Shape::Ring, {255, 183, 77}};
    case TypeCategory::SceneEffect: return IconStyle{id, Shape::Bars, {77, 182, 172}};
    case TypeCategory::RenderSettings: return IconStyle{id, Shape::Film, {96, 125, 139}};
    case TypeCategory::Layer: return IconStyle{id, Shape::Square, {158, 158, 158}};
    case TypeCategory::Take: return IconStyle{id, Shape::Film, {121, 134, 203}};
    case TypeCategory::Document: return IconStyle{id, Shape::Frame, {189, 189, 189}};
    case TypeCategory::Head: return IconStyle{id, Shape::Stack, {189, 189, 189}};
  }
  return std::nullopt;
}

std::optional<IconStyle> FindStyle(int32_t id) {
  for (const IconStyle& style : kIcons) {
    if (style.id == id) return style;
  }
  return ElementTypeStyle(id);
}

bool Inside(Shape shape, int x, int y) {
  const double cx = x - 7.5, cy = y - 7.5;
  const double r = std::sqrt(cx * cx + cy * cy);
  switch (shape) {
    case Shape::Disc: return r <= 6.0;
    case Shape::Ring: return r <= 6.5 && r >= 4.0;
    case Shape::Square: return x >= 2 && x <= 13 && y >= 2 && y <= 13;
    case Shape::Frame: return (x >= 2 && x <= 13 && y >= 2 && y <= 13) && !(x >= 4 && x <= 11 && y >= 4 && y <= 11);
    case Shape::Stack:
      return (x >= 1 && x <= 10 && y >= 5 && y <= 14) || (x >= 5 && x <= 14 && y >= 1 && y <= 3) ||
             (x >= 12 && x <= 14 && y >= 1 && y <= 10);
    case Shape::TriangleRight: return x >= 5 && x <= 11 && std::abs(cy) <= (11 - x) * 0.75 + 0.5;
    case Shape::TriangleDown: return y >= 5 && y <= 11 && std::abs(cx) <= (11 - y) * 0.75 + 0.5;
    case Shape::Diamond: return std::abs(cx) + std::abs(cy) <= 6.5;
    case Shape::Bars:
      return (y == 3 || y == 4)   ? (x >= 1 && x <= 14)
             : (y == 7 || y == 8) ? (x >= 3 && x <= 12)
                                  : (y == 11 || y == 12) && (x >= 5 && x <= 10);
    case Shape::Wave: return std::abs(cy - 4.5 * std::sin(x * 0.8)) <= 1.2;
    case Shape::Film: return (x >= 1 && x <= 14 && y >= 3 && y <= 12) && !((y == 4 || y == 11) && x % 3 == 0);
    case Shape::Cube: return std::abs(cx) + std::abs(cy) * 0.6 <= 6.5 && cy >= -6.0 && cy <= 6.5;
    case Shape::Slash: return (r <= 6.5 && r >= 5.0) || (std::abs(cx + cy) <= 1.0 && r <= 6.0);
  }
  return false;
}

void Draw(const IconStyle& style, BaseBitmap& bitmap) {
  bitmap.Init(kIconSize, kIconSize, 32);
  bitmap.SetIconId(style.id);
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      if (Inside(style.shape, x, y)) bitmap.SetPixel(x, y, style.color.r, style.color.g, style.color.b, 255);
    }
  }
}

// Each icon is drawn once: a list draws the same few icons in every row. The drawn icons are
// never removed, so a pointer to one stays good.
const BaseBitmap& DrawOnce(const IconStyle& style) {
  static std::mutex mutex;
  static std::map<std::tuple<int32_t, int, uint8_t, uint8_t, uint8_t>, BaseBitmap> drawn;
  const auto key = std::make_tuple(style.id, int(style.shape), style.color.r, style.color.g, style.color.b);
  std::lock_guard lock(mutex);
  auto [icon, added] = drawn.try_emplace(key);
  if (added) Draw(style, icon->second);
  return icon->second;
}

}  // namespace

bool HasIcon(int32_t id) { return FindStyle(id).has_value(); }

const BaseBitmap* FindIcon(int32_t id) {
  // Rows draw the same few icons again and again: each thread remembers where the first few
  // dozen are. (An unknown id is asked again: a module may register its type later.)
  struct Known {
    int32_t id = 0;
    const BaseBitmap* icon = nullptr;
  };
  thread_local std::array<Known, 48> known;
  thread_local size_t knownCount = 0;
  for (size_t i = 0; i < knownCount; ++i) {
    if (known[i].id == id) return known[i].icon;
  }
  const std::optional<IconStyle> style = FindStyle(id);
  if (!style) return nullptr;
  const BaseBitmap* icon = &DrawOnce(*style);
  if (knownCount < known.size()) known[knownCount++] = {id, icon};
  return icon;
}

const BaseBitmap* FindElementIcon(const Element& element) {
  if (element.GetType() == type::kLayer) {
    // A layer shows its colour: "#rrggbb" in its colour parameter, grey without one.
    Rgb color{158, 158, 158};
    const std::string text = element.GetString(1000).Std();
    unsigned r, g, b;
    if (text.size() == 7 && std::sscanf(text.c_str(), "#%02x%02x%02x", &r, &g, &b) == 3) {
      color = Rgb{uint8_t(r), uint8_t(g), uint8_t(b)};
    }
    return &DrawOnce(IconStyle{type::kLayer, Shape::Square, color});
  }
  return FindIcon(element.GetIconId());
}

bool GetIcon(int32_t id, BaseBitmap& bitmap) {
  const BaseBitmap* icon = FindIcon(id);
  if (icon) bitmap = *icon;
  return icon != nullptr;
}

bool GetElementIcon(const Element& element, BaseBitmap& bitmap) {
  const BaseBitmap* icon = FindElementIcon(element);
  if (icon) bitmap = *icon;
  return icon != nullptr;
}

}  // namespace bx3

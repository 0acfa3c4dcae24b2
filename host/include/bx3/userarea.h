// User areas: parts of a dialog that the module draws itself. Main thread only.
#pragma once

#include <cstdint>

#include "bx3/canvas.h"
#include "bx3/container.h"

namespace bx3 {

// Keys of input messages (HandleInput) and of the draw message (DrawArea).
namespace input {
inline constexpr int32_t kChannel = FourCC("ipca");      // kMouseLeft, kMouseRight, or a key code
inline constexpr int32_t kDoubleClick = FourCC("ipdb");  // bool
inline constexpr int32_t kMouseX = FourCC("ipvx");       // area coordinates
inline constexpr int32_t kMouseY = FourCC("ipvy");
inline constexpr int32_t kValue = FourCC("ipva");      // 1 pressed, 0 released
inline constexpr int32_t kQualifier = FourCC("ipqa");  // kQualifierControl when control is held
inline constexpr int32_t kMouseLeft = 1;
inline constexpr int32_t kMouseRight = 2;
inline constexpr int32_t kQualifierShift = 1;
inline constexpr int32_t kQualifierControl = 2;
// Entry 7 of a draw message: why the area is redrawn. The two focus codes mean only the
// keyboard focus changed.
inline constexpr int32_t kDrawReason = 7;
inline constexpr int32_t kDrawFocusGained = 0x62474643;  // 'bGFC'
inline constexpr int32_t kDrawFocusLost = 0x624c4643;    // 'bLFC'
}  // namespace input

// Answers of MouseDrag.
enum DragResult : int32_t { kDragFinished = 1, kDragCancelled = 2, kDragContinue = 3 };

class GeUserArea;

// What the GUI library gives a user area: its size, a canvas while it draws, redraws and
// mouse state.
class UserAreaHost {
 public:
  virtual ~UserAreaHost() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual Canvas* CurrentCanvas() = 0;  // null outside DrawArea
  virtual void Redraw() = 0;
  virtual bool IsMouseButtonDown(int32_t button) const = 0;
  // Waits for the next mouse movement of a drag; kDragFinished when the button went up.
  virtual int32_t NextDragStep(double& dx, double& dy) = 0;
  virtual void LocalToScreen(int32_t& x, int32_t& y) const = 0;
  virtual void SetPointerPosition(int32_t screenX, int32_t screenY) = 0;
  // The area is going away: the host must not call it again.
  virtual void ForgetArea(GeUserArea& /*area*/) {}
};

class GeUserArea {
 public:
  GeUserArea() = default;
  virtual ~GeUserArea() {
    if (host_) host_->ForgetArea(*this);
  }
  GeUserArea(const GeUserArea&) = delete;
  GeUserArea& operator=(const GeUserArea&) = delete;

  // --- called by the host
  virtual bool Init() { return true; }
  virtual bool MinimumSize(int32_t& width, int32_t& height) {
    width = height = 0;
    return false;
  }
  virtual void SizeChanged(int32_t /*width*/, int32_t /*height*/) {}
  virtual void DrawArea(int32_t /*x1*/, int32_t /*y1*/, int32_t /*x2*/, int32_t /*y2*/, const Container& /*message*/) {}
  virtual bool HandleInput(const Container& /*message*/) { return false; }

  // --- drawing, inside DrawArea
  void DrawSetPen(Rgb color);
  void DrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double width = 1.0);
  void DrawText(const brantic::String& text, int32_t x, int32_t y, Rgb color, Rgb background);
  void DrawBitmap(const BaseBitmap& bitmap, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
                  int32_t sw, int32_t sh, int32_t flags);
  void SetClippingRegion(int32_t x, int32_t y, int32_t w, int32_t h);
  void ClearClippingRegion();
  // The host always draws into an off-screen buffer first; kept for callers that ask.
  void OffScreenOn() {}
  int32_t DrawGetFontHeight() const;
  int32_t DrawGetTextWidth(const brantic::String& text) const;

  // --- state and input
  void Redraw();
  int32_t GetWidth() const { return host_ ? host_->Width() : 0; }
  int32_t GetHeight() const { return host_ ? host_->Height() : 0; }
  bool IsAttached() const { return host_ != nullptr; }
  // The live state of a mouse button (input::kMouseLeft or kMouseRight).
  bool GetInputState(int32_t button) const { return host_ && host_->IsMouseButtonDown(button); }
  bool MouseDragStart(int32_t button, double x, double y, int32_t flags);
  int32_t MouseDrag(double& dx, double& dy);
  bool MouseDragEnd();
  void Local2Screen(int32_t& x, int32_t& y) const;
  // Puts the mouse pointer at a screen position (after a drag that hid it).
  void SetPointerPosition(int32_t screenX, int32_t screenY);

  // For the GUI library: the area was attached to a gadget, or its gadget went away.
  void SetHost(UserAreaHost* host) { host_ = host; }
  UserAreaHost* GetHost() const { return host_; }

 private:
  UserAreaHost* host_ = nullptr;
  bool dragging_ = false;
};

}  // namespace bx3

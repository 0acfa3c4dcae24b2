#include "bx3/canvas.h"
#include "main_thread_check.h"

namespace bx3 {

Rgb GetHostColor(int32_t id) {
  BX3_MAIN_THREAD_ONLY();
  // One dark theme: light text on dark greys, a blue for the current row.
  switch (id) {
    case color::kBackground: return {43, 43, 46};
    case color::kHeaderText: return {222, 222, 222};
    case color::kEdgeLight: return {80, 80, 86};
    case color::kEdgeDark: return {24, 24, 26};
    case color::kText: return {205, 205, 205};
    case color::kTextSelected: return {255, 255, 255};
    case color::kTextPartlySelected: return {160, 190, 230};
    case color::kRowAlternate: return {49, 49, 53};
    case color::kRow: return {55, 55, 60};
    case color::kWaveForm: return {110, 200, 190};
    case color::kTextCurrent: return {255, 200, 90};
    default: return {128, 128, 128};
  }
}

}  // namespace bx3

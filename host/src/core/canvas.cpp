#include "bx3/canvas.h"
#include "main_thread_check.h"

namespace bx3 {

Rgb GetHostColor(int32_t id) {
  BX3_MAIN_THREAD_ONLY();
  // One dark theme: light grey text on dark greys. A selected row lies on blue and reads
  // in a light blue, the current one in amber, a group with selected members in lilac: each
  // state of a tree row is told apart at a glance.
  switch (id) {
    case color::kBackground: return {43, 43, 46};
    case color::kHeaderText: return {222, 222, 222};
    case color::kEdgeLight: return {80, 80, 86};
    case color::kEdgeDark: return {24, 24, 26};
    case color::kText: return {196, 196, 196};
    case color::kTextSelected: return {140, 200, 255};
    case color::kTextPartlySelected: return {200, 160, 255};
    case color::kRowAlternate: return {49, 49, 53};
    case color::kRow: return {55, 55, 60};
    case color::kRowSelected: return {36, 70, 112};
    case color::kWaveForm: return {110, 200, 190};
    case color::kTextCurrent: return {255, 190, 70};
    default: return {128, 128, 128};
  }
}

}  // namespace bx3

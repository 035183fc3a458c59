#include "form/trend_scene.h"

namespace form {

TrendRgb TrendColourOf(TrendInk ink) {
  // Distinct enough to be told apart by eye and by a pixel test's exact match.
  switch (ink) {
    case TrendInk::kBackground:
      return {255, 255, 255};
    case TrendInk::kGrid:
      return {224, 224, 224};
    case TrendInk::kAxis:
      return {0, 0, 0};
    case TrendInk::kLevel1:
      return {0, 0, 200};
    case TrendInk::kLevel2:
      return {200, 0, 0};
    case TrendInk::kVolume1:
      return {0, 140, 0};
    case TrendInk::kVolume2:
      return {170, 0, 170};
    case TrendInk::kRelayOn:
      return {255, 160, 0};
    case TrendInk::kRelayOff:
      return {240, 240, 240};
    case TrendInk::kGap:
      return {200, 200, 200};
  }
  return {0, 0, 0};
}

}  // namespace form

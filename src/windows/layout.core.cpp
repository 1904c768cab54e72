#include "windows/layout.hpp"

#include <cstdint>

int scaleForDpi(int value, int dpi) {
  const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
  const std::int64_t half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

Place scaleForDpi(const Place& place, int dpi) {
  return {scaleForDpi(place.left, dpi), scaleForDpi(place.top, dpi), scaleForDpi(place.width, dpi),
          scaleForDpi(place.height, dpi)};
}

int centred(int screen, int size) { return (screen - size) / 2; }

int editBoxHeight(int rowHeight, int textHeight, int edge) {
  const int needed = textHeight + 2 * edge;
  return rowHeight < needed ? needed : rowHeight;
}

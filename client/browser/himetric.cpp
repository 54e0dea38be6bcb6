#include "client/browser/himetric.h"

#include <cstdint>
#include <limits>

namespace tarvo {

int MulDivRounded(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
  if (result > std::numeric_limits<int>::max() || result < -std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(result);
}

int PixelsToHimetric(int pixels, int pixelsPerInch) {
  constexpr int kHimetricPerInch = 2540;
  return MulDivRounded(pixels, kHimetricPerInch, pixelsPerInch);
}

HimetricSize HimetricExtent(const PixelRect& rect, int pixelsPerInchX, int pixelsPerInchY) {
  return {PixelsToHimetric(rect.right, pixelsPerInchX) - PixelsToHimetric(rect.left, pixelsPerInchX),
          PixelsToHimetric(rect.bottom, pixelsPerInchY) - PixelsToHimetric(rect.top, pixelsPerInchY)};
}

}  // namespace tarvo

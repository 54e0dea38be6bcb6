#pragma once
// Pixel rectangles and their extents in HIMETRIC units (hundredths of a
// millimetre), the unit OLE objects take their size in.

namespace tarvo {

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct HimetricSize {
  int cx = 0;
  int cy = 0;

  friend bool operator==(const HimetricSize&, const HimetricSize&) = default;
};

// number * numerator / denominator through a 64-bit product, rounded half away
// from zero; -1 when the denominator is 0 or the result does not fit, as the
// platform's MulDiv.
int MulDivRounded(int number, int numerator, int denominator);

// One coordinate in HIMETRIC at the given pixels per logical inch.
int PixelsToHimetric(int pixels, int pixelsPerInch);

// The extent of `rect`: each coordinate is converted, then the differences
// taken (x with the horizontal, y with the vertical pixels per inch).
HimetricSize HimetricExtent(const PixelRect& rect, int pixelsPerInchX, int pixelsPerInchY);

}  // namespace tarvo

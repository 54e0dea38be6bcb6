#include "client/session/dial_params.h"

namespace tarvo {

DialParamsLayout DialParamsLayoutFor(unsigned major, unsigned minor) {
  if (major < 4 || (major == 4 && minor == 0)) return DialParamsLayout::UpToDomain;
  if (major < 6 || (major == 6 && minor == 0)) return DialParamsLayout::WithSubEntry;
  return DialParamsLayout::WithIfIndex;
}

}  // namespace tarvo

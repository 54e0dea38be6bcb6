#include "tools/driver/json_line.h"

#include <cstdio>

namespace tarvo::driver {

std::string JsonText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string HandleText(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

}  // namespace tarvo::driver

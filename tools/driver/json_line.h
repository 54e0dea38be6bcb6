#pragma once
// The driver's machine-readable output: one JSON object per line.

#include <nlohmann/json.hpp>

#include <string>

namespace tarvo::driver {

// Keys keep the order they were written in.
using Json = nlohmann::ordered_json;

// `value` on one line. Text that is not valid UTF-8 (a lone surrogate of a
// window title) is given with replacement characters instead of refused.
std::string JsonText(const Json& value);

// A handle, style or language id as "0x1f".
std::string HandleText(unsigned long long value);

}  // namespace tarvo::driver

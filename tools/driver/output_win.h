#pragma once
// The driver's output: UTF-8 lines on stdout and stderr, written unbuffered so
// that a test reading a pipe sees each line as soon as it is printed.

#include <string>
#include <string_view>

namespace tarvo::driver {

void PrintLine(std::string_view utf8);
void PrintErrorLine(std::string_view utf8);

}  // namespace tarvo::driver

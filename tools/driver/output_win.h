#pragma once
// The driver's output: UTF-8 lines on stdout and stderr, written unbuffered so
// that a test reading a pipe sees each line as soon as it is printed.

#include <string>
#include <string_view>

namespace tarvo::driver {

void PrintLine(std::string_view utf8);
void PrintErrorLine(std::string_view utf8);

// Straight to stdout, even while output is captured.
void WriteOutputLine(std::string_view utf8);

// While one lives, the lines printed go into its two texts instead (the
// serving driver answers each command with them).
class CapturedOutput {
 public:
  CapturedOutput();
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string out;
  std::string err;
};

}  // namespace tarvo::driver

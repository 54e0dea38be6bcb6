#include <windows.h>

#include "tools/driver/output_win.h"

namespace tarvo::driver {
namespace {

CapturedOutput* capture = nullptr;  // the driver runs one command at a time, on one thread

void WriteLine(DWORD which, std::string_view utf8) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  std::string line(utf8);
  line += '\n';
  for (std::size_t done = 0; done < line.size();) {
    DWORD written = 0;
    if (!WriteFile(out, line.data() + done, static_cast<DWORD>(line.size() - done), &written, nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace

void PrintLine(std::string_view utf8) {
  if (capture == nullptr) return WriteLine(STD_OUTPUT_HANDLE, utf8);
  capture->out.append(utf8).push_back('\n');
}

void PrintErrorLine(std::string_view utf8) {
  if (capture == nullptr) return WriteLine(STD_ERROR_HANDLE, utf8);
  capture->err.append(utf8).push_back('\n');
}

CapturedOutput::CapturedOutput() { capture = this; }
CapturedOutput::~CapturedOutput() { capture = nullptr; }

void WriteOutputLine(std::string_view utf8) { WriteLine(STD_OUTPUT_HANDLE, utf8); }

}  // namespace tarvo::driver

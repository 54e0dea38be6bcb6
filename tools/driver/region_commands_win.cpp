// The liveness regions as the tests see them: a named 1024-byte paging-file
// mapping with an ASCII token and a NUL at offset 0, zeros after it. This is a
// reading of the format independent of the programs' own code.

#include <windows.h>

#include <string>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"

namespace tarvo::driver {
namespace {

constexpr DWORD kRegionSize = 1024;

std::string AsciiToken(const std::wstring& token) {
  std::string bytes;
  for (const wchar_t c : token) {
    if (c == 0 || c > 0x7F) throw DriverError(DriverError::kUsage, "the token must be ASCII without NUL");
    bytes += static_cast<char>(c);
  }
  if (bytes.size() >= kRegionSize) throw DriverError(DriverError::kUsage, "the token does not fit the region");
  return bytes;
}

// Why a region fails to hold `expected`, or an empty text when it holds it.
std::string RegionFault(const std::wstring& name, const std::string& expected) {
  const HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (!mapping) return "region missing";
  const void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kRegionSize);
  if (!view) {
    CloseHandle(mapping);
    return "region cannot be mapped with 1024 bytes";
  }
  const std::string bytes(static_cast<const char*>(view), kRegionSize);
  UnmapViewOfFile(view);
  CloseHandle(mapping);

  const auto nul = bytes.find('\0');
  if (nul == std::string::npos) return "no NUL within the 1024 bytes";
  const std::string token = bytes.substr(0, nul);
  if (token != expected) return "token is " + JsonText(token);
  const auto junk = bytes.find_first_not_of('\0', nul);
  if (junk != std::string::npos) return "byte at offset " + std::to_string(junk) + " after the token is not zero";
  return {};
}

}  // namespace

// hold-region <name> <token>: creates the region, prints "ready" and keeps it
// until the process is killed (the region goes with its last handle).
int HoldRegionCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(2);
  const std::wstring& name = args.Positional(0, "region name");
  const std::string token = AsciiToken(args.Positional(1, "token"));
  const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRegionSize, name.c_str());
  if (!mapping) throw DriverError(DriverError::kFailed, "CreateFileMappingW failed");
  if (GetLastError() == ERROR_ALREADY_EXISTS) PrintErrorLine("note: the region existed already; token overwritten");
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kRegionSize);
  if (!view) throw DriverError(DriverError::kFailed, "MapViewOfFile failed");
  CopyMemory(view, token.c_str(), token.size() + 1);
  UnmapViewOfFile(view);
  PrintLine("ready");
  for (;;) Sleep(INFINITE);
}

// check-region <name> <token>: prints "pass", or "fail: <why>".
int CheckRegionCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(2);
  const std::string fault = RegionFault(args.Positional(0, "region name"), AsciiToken(args.Positional(1, "token")));
  PrintLine(fault.empty() ? "pass" : "fail: " + fault);
  return 0;
}

}  // namespace tarvo::driver

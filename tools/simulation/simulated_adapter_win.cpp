#include "tools/simulation/simulated_adapter_win.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace tarvo::simulation {
namespace {

std::wstring PathOf(const wchar_t* name) { return StateFolder() + L"\\" + name; }

std::optional<std::string> ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  char buffer[256];
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return std::string(buffer, read);
}

void WriteSmallFile(const std::wstring& path, const std::string& text) {
  CreateDirectoryW(StateFolder().c_str(), nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// One whole line per write: the dials of two threads never mix.
void AppendLine(const wchar_t* name, const std::string& text) {
  CreateDirectoryW(StateFolder().c_str(), nullptr);
  HANDLE file = CreateFileW(PathOf(name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = text + "\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

std::wstring StateFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"TARVO_SIM_DIR", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring(L"C:\\tarvo-sim");
}

std::optional<SimulatedAdapter> ReadAdapter() {
  const auto text = ReadSmallFile(PathOf(L"adapter"));
  if (!text) return std::nullopt;
  unsigned long long handle = 0;
  char address[64] = {};
  if (std::sscanf(text->c_str(), "%llu %63s", &handle, address) != 2) return std::nullopt;
  SimulatedAdapter adapter;
  adapter.handle = static_cast<std::uintptr_t>(handle);
  for (const char* p = address; *p; ++p) adapter.address += static_cast<wchar_t>(*p);
  return adapter;
}

void WriteAdapter(const SimulatedAdapter& adapter) {
  std::string address(adapter.address.begin(), adapter.address.end());
  WriteSmallFile(PathOf(L"adapter"), std::to_string(adapter.handle) + " " + address + "\n");
}

void DropAdapter() { DeleteFileW(PathOf(L"adapter").c_str()); }

void DropAdapterOf(std::uintptr_t handle) {
  const auto adapter = ReadAdapter();
  if (adapter && adapter->handle == handle) DropAdapter();
}

std::optional<int> TakeNextDialError() {
  const std::wstring path = PathOf(L"next-dial-error");
  const auto text = ReadSmallFile(path);
  if (!text) return std::nullopt;
  DeleteFileW(path.c_str());
  return std::atoi(text->c_str());
}

std::optional<int> StandingDialError() {
  const auto text = ReadSmallFile(PathOf(L"dial-error"));
  if (!text) return std::nullopt;
  return std::atoi(text->c_str());
}

void RecordDialStart(std::uintptr_t handle) { AppendLine(L"dial-log", "begin " + std::to_string(handle)); }

void RecordDial(std::uintptr_t handle, int result) {
  AppendLine(L"dials", std::to_string(handle) + " " + std::to_string(result));
  AppendLine(L"dial-log", "end " + std::to_string(handle) + " " + std::to_string(result));
}

int DialDelayMs() {
  const auto text = ReadSmallFile(PathOf(L"dial-delay-ms"));
  return text ? std::atoi(text->c_str()) : 0;
}

}  // namespace tarvo::simulation

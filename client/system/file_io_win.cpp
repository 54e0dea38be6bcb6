#include <windows.h>

#include "client/system/file_io.h"

namespace tarvo {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temp = path;
  temp += L".new";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() - done > 1u << 20 ? 1u << 20 : bytes.size() - done);
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != FALSE && written > 0;
    done += written;
  }
  ok = FlushFileBuffers(file) != FALSE && ok;
  ok = CloseHandle(file) != FALSE && ok;
  if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace tarvo

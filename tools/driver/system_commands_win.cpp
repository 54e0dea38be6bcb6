#include <windows.h>
#include <tlhelp32.h>

#include <functional>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"

namespace tarvo::driver {
namespace {

void ForEachProcess(const std::function<void(const PROCESSENTRY32W&)>& visit) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) throw DriverError(DriverError::kFailed, "cannot list the processes");
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) visit(entry);
  CloseHandle(snapshot);
}

}  // namespace

// process-alive <exe-name>: prints "alive <pid> [<pid>...]" or "gone".
int ProcessAliveCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(1);
  const std::wstring& exe = args.Positional(0, "program file name");
  std::string pids;
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    if (CompareStringOrdinal(entry.szExeFile, -1, exe.c_str(), -1, TRUE) == CSTR_EQUAL) {
      pids += ' ';
      pids += std::to_string(entry.th32ProcessID);
    }
  });
  PrintLine(pids.empty() ? "gone" : "alive" + pids);
  return 0;
}

int ListProcessesCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(0);
  ForEachProcess([](const PROCESSENTRY32W& entry) {
    PrintLine(JsonText(
        {{"pid", entry.th32ProcessID}, {"ppid", entry.th32ParentProcessID}, {"exe", ToUtf8(entry.szExeFile)}}));
  });
  return 0;
}

// locale: the code pages and languages the programs under test see.
int LocaleCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(0);
  PrintLine(JsonText({{"acp", GetACP()},
                      {"oemcp", GetOEMCP()},
                      {"user_lcid", HandleText(GetUserDefaultLCID())},
                      {"system_lcid", HandleText(GetSystemDefaultLCID())},
                      {"ui_language", HandleText(GetUserDefaultUILanguage())}}));
  return 0;
}

// font-check <face> <text>: which face the system gives for the requested one
// and how many characters of the text it has no glyph for.
int FontCheckCommand(const Args& words) {
  const CommandLine args(words, {L"height"});
  args.ExpectAtMost(2);
  const std::wstring& face = args.Positional(0, "font face");
  const std::wstring& text = args.Positional(1, "sample text");
  if (face.size() >= LF_FACESIZE) throw DriverError(DriverError::kUsage, "the face name is too long");

  LOGFONTW logFont{};
  logFont.lfHeight = -static_cast<LONG>(args.Integer(L"height", 12));
  logFont.lfCharSet = DEFAULT_CHARSET;
  face.copy(logFont.lfFaceName, face.size());
  const HFONT font = CreateFontIndirectW(&logFont);
  const HDC dc = CreateCompatibleDC(nullptr);
  if (!font || !dc) throw DriverError(DriverError::kFailed, "cannot create the font");
  const HGDIOBJ old = SelectObject(dc, font);
  wchar_t selected[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, selected);
  std::vector<WORD> glyphs(text.size() + 1);
  const DWORD converted =
      GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  if (converted == GDI_ERROR) throw DriverError(DriverError::kFailed, "GetGlyphIndicesW failed");

  long long missing = 0;
  for (std::size_t i = 0; i < text.size(); ++i) missing += glyphs[i] == 0xFFFF ? 1 : 0;
  PrintLine(JsonText({{"requested", ToUtf8(face)},
                      {"selected", ToUtf8(selected)},
                      {"charset", metrics.tmCharSet},
                      {"missing", missing}}));
  return 0;
}

}  // namespace tarvo::driver

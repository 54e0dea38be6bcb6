#pragma once
// Checks on the running program's own path.

#include <string>
#include <string_view>

namespace tarvo {

// The folder of a program path: everything before its last backslash.
std::wstring FolderOfPath(std::wstring_view programPath);

// Both programs refuse to run under another file name. Compares the first
// characters after the last backslash (as many as `expected` has) with
// `expected`, ignoring ASCII letter case as Windows file names do; so
// "Tarvo.exe" and "TARVO.EXE" pass, "Tarvo (1).exe" does not.
bool ProgramFileNameMatches(std::wstring_view programPath, std::wstring_view expected);

// "'<expected>' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다."
std::wstring WrongFileNameMessage(std::wstring_view expected);

}  // namespace tarvo

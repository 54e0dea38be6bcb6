#include "common/process/program_file.h"

namespace tarvo {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

std::wstring FolderOfPath(std::wstring_view programPath) {
  const auto slash = programPath.rfind(L'\\');
  return std::wstring(slash == std::wstring_view::npos ? std::wstring_view{} : programPath.substr(0, slash));
}

bool ProgramFileNameMatches(std::wstring_view programPath, std::wstring_view expected) {
  const auto slash = programPath.rfind(L'\\');
  std::wstring_view name = slash == std::wstring_view::npos ? programPath : programPath.substr(slash + 1);
  name = name.substr(0, expected.size());
  if (name.size() != expected.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (FoldAscii(name[i]) != FoldAscii(expected[i])) return false;
  return true;
}

std::wstring WrongFileNameMessage(std::wstring_view expected) {
  std::wstring text = L"'";
  text += expected;
  text += L"' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다.";
  return text;
}

}  // namespace tarvo

#include <gtest/gtest.h>

#include "client/protocol/http_transport.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/program_file.h"

namespace tarvo {
namespace {

TEST(ProgramFileName, FirstCharactersAfterTheLastBackslash) {
  const struct {
    std::wstring path;
    bool ok;
  } cases[] = {
      {L"C:\\Program Files\\Tarvo\\Tarvo.exe", true},
      {L"C:\\x\\TARVO.EXE", true},
      {L"C:\\x\\Tarvo.exe.bak", true},  // only the first nine characters count
      {L"C:\\x\\Tarvo (1).exe", false},
      {L"C:\\x\\Tarvo.ex", false},
      {L"C:\\Tarvo.exe\\other.exe", false},
      {L"Tarvo.exe", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramFileNameMatches(c.path, L"Tarvo.exe"), c.ok);
  EXPECT_TRUE(ProgramFileNameMatches(L"C:\\T\\Tarvo_Network.exe", L"Tarvo_Network.exe"));
  EXPECT_FALSE(ProgramFileNameMatches(L"C:\\T\\Tarvo_Net.exe", L"Tarvo_Network.exe"));
  EXPECT_EQ(FolderOfPath(L"C:\\Program Files\\Tarvo\\Tarvo.exe"), L"C:\\Program Files\\Tarvo");
  EXPECT_EQ(WrongFileNameMessage(L"Tarvo.exe"),
            L"'Tarvo.exe' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다.");
}

TEST(LivenessToken, OnlyTheExactTokenPasses) {
  const auto check = [](std::string content) {
    content.resize(LivenessRegionSize, '\0');
    return RegionHoldsToken(content.data(), content.size(), ClientToken);
  };
  EXPECT_TRUE(check("tarvo_ok"));
  EXPECT_FALSE(check("tarvo_ok "));
  EXPECT_FALSE(check("TARVO_OK"));
  EXPECT_FALSE(check("tarvo_o"));
  EXPECT_FALSE(check(""));
  // A region without any NUL is read to its end, never beyond.
  std::string full(LivenessRegionSize, 'x');
  EXPECT_EQ(RegionText(full.data(), full.size()).size(), LivenessRegionSize);
  EXPECT_FALSE(RegionHoldsToken(nullptr, 0, ClientToken));
}

TEST(RequestTarget, PathAndQueryAsWrittenWithBackslashesEscaped) {
  const struct {
    const char* name;
    const wchar_t* path;
    const wchar_t* extraInfo;
    const wchar_t* expected;
  } cases[] = {
      {"escapes untouched", L"/tarvo_app/index.php", L"?r=%2b%20", L"/tarvo_app/index.php?r=%2b%20"},
      {"path only", L"/tarvo_plus/ping.php", L"", L"/tarvo_plus/ping.php"},
      {"nothing", L"", L"", L"/"},
      {"query without a path", L"", L"?a=1", L"/?a=1"},
      {"backslashes sent escaped", L"/a", L"?r=x\\y%5C", L"/a?r=x%5cy%5C"},
      {"a backslash of the path too", L"/a\\b", L"", L"/a%5cb"},
  };
  for (const auto& c : cases) EXPECT_EQ(RequestTarget(c.path, c.extraInfo), c.expected) << c.name;
}

}  // namespace
}  // namespace tarvo

#include "common/process/program_file.h"

#include <gtest/gtest.h>

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
  for (const auto& c : cases) EXPECT_EQ(ProgramFileNameMatches(c.path, L"Tarvo.exe"), c.ok) << c.path;
  EXPECT_TRUE(ProgramFileNameMatches(L"C:\\T\\Tarvo_Network.exe", L"Tarvo_Network.exe"));
  EXPECT_FALSE(ProgramFileNameMatches(L"C:\\T\\Tarvo_Net.exe", L"Tarvo_Network.exe"));
  EXPECT_EQ(FolderOfPath(L"C:\\Program Files\\Tarvo\\Tarvo.exe"), L"C:\\Program Files\\Tarvo");
  EXPECT_EQ(WrongFileNameMessage(L"Tarvo.exe"),
            L"'Tarvo.exe' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다.");
}

}  // namespace
}  // namespace tarvo

#include "client/app/phonebook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "client/system/file_io.h"

namespace tarvo {
namespace {

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = bytes.find("\r\n", pos)) != std::string::npos; pos = hit + 2)
    lines.push_back(bytes.substr(pos, hit - pos));
  EXPECT_EQ(pos, bytes.size()) << "the last line ends in CR LF too";
  return lines;
}

TEST(Phonebook, FileIsTheFixedAsciiEntry) {
  const std::string bytes = PhonebookFileBytes();
  EXPECT_EQ(bytes.size(), 1925u);
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
  for (char c : bytes) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7f));

  const auto lines = SplitCrLf(bytes);
  ASSERT_EQ(lines.size(), 102u);
  EXPECT_EQ(lines[0], "[Tarvo]");
  EXPECT_EQ(lines[9], "Guid=88428C5C701C59439E83F0A9A0DB05CA");
  EXPECT_EQ(lines[37], "PreferredDevice=WAN Miniport (PPTP)");
  EXPECT_EQ(lines[82], "");
  EXPECT_EQ(lines[92], "PhoneNumber=");
  EXPECT_EQ(lines[101], "TryNextAlternateOnFail=1");
}

TEST(Phonebook, WritingTwiceLeavesTheSameFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("tarvo-pbk-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(WritePhonebookFile(dir));
  ASSERT_TRUE(WritePhonebookFile(dir));
  EXPECT_EQ(PhonebookFilePath(dir).filename(), "temporarily_file");
  EXPECT_EQ(ReadWholeFile(PhonebookFilePath(dir)), PhonebookFileBytes());
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(WritePhonebookFile(dir / "missing-folder"));
}

}  // namespace
}  // namespace tarvo

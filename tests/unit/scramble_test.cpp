#include "client/protocol/scramble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tarvo {
namespace {

TEST(ScrambleTable, IsAPermutationOfThePrintableRange) {
  ASSERT_EQ(ScrambleTable.size(), 95u);
  std::wstring sorted(ScrambleTable);
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(sorted[i], static_cast<wchar_t>(0x20 + i));
}

TEST(Scramble, RoundTripsAnyText) {
  const std::wstring texts[] = {
      L"",
      L"demo1234",
      L"아이디 홍길동 pass!word",
      L"tab\there\nline\r\nend",
      L"~`!@#$%^&*()_+-={}[]|\\:;\"'<>,.?/ ",
      std::wstring(1, L'\x1f') + std::wstring(1, L'\x7f') + L"\u00e9\U0001F600",
  };
  for (const auto& text : texts) {
    EXPECT_EQ(UnscrambleText(ScrambleText(text)), text) << text;
    EXPECT_EQ(ScrambleText(UnscrambleText(text)), text) << text;
  }
}

TEST(Scramble, ChangesOnlyPrintableAsciiAndKeepsLength) {
  const std::wstring text = L"가a나\tb다";
  const std::wstring scrambled = ScrambleText(text);
  ASSERT_EQ(scrambled.size(), text.size());
  EXPECT_EQ(scrambled[0], L'가');
  EXPECT_EQ(scrambled[2], L'나');
  EXPECT_EQ(scrambled[3], L'\t');
  EXPECT_EQ(scrambled[5], L'다');
  EXPECT_EQ(scrambled[1], ScrambleTable[L'a' - 0x20]);
  EXPECT_EQ(scrambled[4], ScrambleTable[L'b' - 0x20]);
}

}  // namespace
}  // namespace tarvo

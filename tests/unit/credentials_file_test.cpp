#include "client/protocol/credentials_file.h"

#include <gtest/gtest.h>

#include <map>

#include "client/protocol/scramble.h"

namespace tarvo {
namespace {

TEST(CredentialsText, RecordsInOrder) {
  const struct {
    SignInPreferences prefs;
    std::wstring plain;
  } cases[] = {
      {{false, false, false}, L""},
      {{true, false, false}, L"!!si!!=ID-01A-A"},
      {{false, true, false}, L"!!sa!!=ID-01|pwA-A"},
      {{false, false, true}, L"!!sw!!"},
      {{true, true, true}, L"!!si!!=ID-01A-A!!sa!!=ID-01|pwA-A!!sw!!"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildCredentialsText(L"ID-01", L"pw", c.prefs), c.plain) << c.plain;
}

TEST(CredentialsText, EveryCombinationReadsBack) {
  for (int bits = 0; bits < 8; ++bits) {
    const SignInPreferences prefs{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
    const auto saved = ParseCredentialsText(BuildCredentialsText(L"USER-7", L"se cret", prefs));
    EXPECT_EQ(saved.runAtStartup, prefs.runAtStartup) << bits;
    EXPECT_EQ(saved.rememberedId.has_value(), prefs.rememberId) << bits;
    ASSERT_EQ(saved.autoSignIn.has_value(), prefs.autoSignIn) << bits;
    if (prefs.rememberId) {
      EXPECT_EQ(*saved.rememberedId, L"USER-7");
    }
    if (prefs.autoSignIn) {
      EXPECT_EQ(saved.autoSignIn->userId, L"USER-7");
      EXPECT_EQ(saved.autoSignIn->password, L"se cret");
    }
  }
}

TEST(CredentialsText, ReaderRules) {
  // A third, unrecognised record: nothing restored but the flag.
  auto saved = ParseCredentialsText(L"!!si!!=aA-A!!sa!!=a|bA-AjunkA-A!!sw!!");
  EXPECT_FALSE(saved.rememberedId);
  EXPECT_FALSE(saved.autoSignIn);
  EXPECT_TRUE(saved.runAtStartup);

  // A password with "|" is restored whole; an empty one stays empty.
  saved = ParseCredentialsText(L"!!sa!!=id|pa|ssA-A");
  ASSERT_TRUE(saved.autoSignIn);
  EXPECT_EQ(saved.autoSignIn->userId, L"id");
  EXPECT_EQ(saved.autoSignIn->password, L"pa|ss");
  saved = ParseCredentialsText(L"!!sa!!=id|A-A");
  ASSERT_TRUE(saved.autoSignIn);
  EXPECT_EQ(saved.autoSignIn->password, L"");
  saved = ParseCredentialsText(L"!!sa!!=idA-A");
  ASSERT_TRUE(saved.autoSignIn);
  EXPECT_EQ(saved.autoSignIn->userId, L"id");
  EXPECT_EQ(saved.autoSignIn->password, L"");

  // Only the remember-id record: no automatic sign-in.
  saved = ParseCredentialsText(L"!!si!!=idA-A");
  EXPECT_EQ(saved.rememberedId, L"id");
  EXPECT_FALSE(saved.autoSignIn);

  // "!!sw!!" alone: no record counted, only the flag.
  saved = ParseCredentialsText(L"!!sw!!");
  EXPECT_TRUE(saved.runAtStartup);
  EXPECT_FALSE(saved.rememberedId);
}

TEST(CredentialsFile, BytesAreScrambledAnsiAndDecodeBack) {
  const std::wstring plain = BuildCredentialsText(L"홍길동", L"p+w", {true, true, true});
  const auto bytes = EncodeCredentialsFile(plain);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->find("!!si!!"), std::string::npos);  // not plain text on disk
  EXPECT_EQ(bytes->find('\n'), std::string::npos);
  EXPECT_EQ(DecodeCredentialsFile(*bytes, false), plain);

  // Line breaks a text editor added are joined away.
  std::string withBreaks = *bytes;
  withBreaks.insert(3, "\r\n");
  withBreaks += "\n";
  EXPECT_EQ(DecodeCredentialsFile(withBreaks, false), plain);

  // Characters the code page lacks are refused rather than stored wrongly.
  EXPECT_FALSE(EncodeCredentialsFile(BuildCredentialsText(L"\u0e01", L"x", {true, false, false})));
}

TEST(CredentialsFile, PreferencesAreStoredOnlyWhenEveryReaderGetsThemBack) {
  const SignInPreferences all{true, true, true};
  const struct {
    const char* name;
    std::wstring id, password;
    SignInPreferences prefs;
    bool stored;
  } cases[] = {
      {"plain", L"USER-7", L"pw", all, true},
      {"bars in the password", L"USER-7", L"|a||b|", all, true},
      {"plus in the password", L"USER-7", L"p+w", all, true},
      {"scrambles to the smiley", L"USER-7", UnscrambleText(L"x^.^y"), all, false},
      {"terminator in the password", L"USER-7", L"abA-Acd", all, false},
      {"terminator in the id", L"ABA-A", L"pw", {true, false, false}, false},
      {"terminator in an id that is not stored", L"ABA-A", L"pw", {false, false, true}, true},
      {"bar in the id", L"a|b", L"pw", {false, true, false}, false},
      {"tag in the id", L"!!si!!=x", L"pw", {true, false, false}, false},
      {"line break in the password", L"USER-7", UnscrambleText(L"a\nb"), all, false},
      {"outside the code page", L"\u0e01", L"pw", all, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto bytes = EncodeSignInPreferences(c.id, c.password, c.prefs);
    ASSERT_EQ(bytes.has_value(), c.stored);
    if (!bytes) continue;
    for (const bool smileyToPlus : {true, false}) {
      const auto saved = ParseCredentialsText(DecodeCredentialsFile(*bytes, smileyToPlus));
      if (c.prefs.autoSignIn) {
        ASSERT_TRUE(saved.autoSignIn);
        EXPECT_EQ(saved.autoSignIn->password, c.password);
      }
      EXPECT_EQ(saved.runAtStartup, c.prefs.runAtStartup);
    }
  }
}

TEST(CredentialsFile, SmileyBecomesPlusOnlyWhenAsked) {
  const std::string bytes = "^.^";
  EXPECT_EQ(DecodeCredentialsFile(bytes, true), UnscrambleText(L"+"));
  EXPECT_EQ(DecodeCredentialsFile(bytes, false), UnscrambleText(L"^.^"));
}

}  // namespace
}  // namespace tarvo

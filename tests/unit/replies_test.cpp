#include "client/protocol/replies.h"

#include <gtest/gtest.h>

#include <climits>

#include "client/base/texts.h"
#include "client/protocol/scramble.h"

namespace tarvo {
namespace {

TEST(LeadingInt, ReadsLikeTheRuntime) {
  const struct {
    std::wstring in;
    int out;
  } cases[] = {
      {L"43200", 43200}, {L"  -15x", -15}, {L"+7", 7},   {L"abc", 0},       {L"", 0},
      {L"12 34", 12},    {L"\t\n9", 9},    {L"--1", 0},  {L"99999999999999", INT_MAX},
      {L"-99999999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingInt(c.in), c.out) << c.in;
}

TEST(DaysLeft, WholeDaysTruncatedTowardZero) {
  const struct {
    std::wstring minutes;
    std::wstring text;
  } cases[] = {
      {L"43200", L"30일"}, {L"1439", L"0일"}, {L"1440", L"1일"}, {L"2880", L"2일"},
      {L"error", L"0일"},  {L"-1440", L"-1일"}, {L"-1439", L"0일"},
  };
  for (const auto& c : cases) EXPECT_EQ(texts::DaysLeftText(DaysFromMinutes(c.minutes)), c.text) << c.minutes;
}

TEST(VersionReply, FieldsAndVerdict) {
  const struct {
    std::wstring reply;
    VersionVerdict verdict;
  } cases[] = {
      {L"1.0.2.6,/tarvo_app/download/Tarvo_setup.exe", VersionVerdict::UpToDate},
      {L"1.0.2.5,/x", VersionVerdict::UpdateOffered},
      {L"1.0.2.7,/x,abc", VersionVerdict::UpdateOffered},
      {L"1.0.2.6 ", VersionVerdict::UpdateOffered},  // a plain comparison
      {L"", VersionVerdict::NoAnswer},
      {L",/x", VersionVerdict::NoAnswer},
  };
  for (const auto& c : cases) EXPECT_EQ(JudgeVersion(ParseVersionReply(c.reply), L"1.0.2.6"), c.verdict) << c.reply.size();

  const auto reply = ParseVersionReply(L"1.0.2.7,/d/Tarvo_setup.exe,00ff,abcd");
  EXPECT_EQ(reply.downloadPath, L"/d/Tarvo_setup.exe");
  EXPECT_EQ(reply.sha256, L"00ff");
  EXPECT_EQ(reply.signature, L"abcd");
  EXPECT_EQ(ParseVersionReply(L"1.0.2.7,/d/Tarvo_setup.exe,00ff").signature, L"");
  EXPECT_EQ(ParseVersionReply(L"1.0.2.7").downloadPath, L"");
}

TEST(SignInAndConfirm, NoAndEmptyAreRejections) {
  EXPECT_TRUE(IsSignInAccepted(L"Yes"));
  EXPECT_TRUE(IsSignInAccepted(L"no"));
  EXPECT_FALSE(IsSignInAccepted(L"No"));
  EXPECT_FALSE(IsSignInAccepted(L""));

  EXPECT_FALSE(ParseConfirmReply(L"No"));
  EXPECT_FALSE(ParseConfirmReply(L""));

  const auto inService = ParseConfirmReply(L"abc123,2880,extra");
  ASSERT_TRUE(inService);
  EXPECT_EQ(inService->randCode, L"abc123");
  EXPECT_EQ(inService->minutesLeft, L"2880");
  EXPECT_FALSE(inService->serviceUnused);
  EXPECT_EQ(inService->days, 2);

  const auto unused = ParseConfirmReply(L"abc123,0");
  ASSERT_TRUE(unused);
  EXPECT_TRUE(unused->serviceUnused);

  const auto bare = ParseConfirmReply(L"abc123");  // no minutes field: in service, 0 days
  ASSERT_TRUE(bare);
  EXPECT_FALSE(bare->serviceUnused);
  EXPECT_EQ(bare->days, 0);
}

TEST(SignInAndConfirm, ASessionCodeThatWouldBreakARequestLineIsAFailedConfirmation) {
  const struct {
    const char* name;
    std::wstring reply;
    bool accepted;
  } cases[] = {
      {"plain", L"A1b-2_c.~%41,2880", true},
      {"blank", L"abc 123,2880", false},
      {"leading blank", L" abc,2880", false},
      {"hash", L"abc#x,2880", false},
      {"CR LF", L"abc\r\nHost: evil,2880", false},
      {"LF", L"abc\n,2880", false},
      {"tab", L"abc\t,2880", false},
      {"NUL", std::wstring(L"ab\0c,2880", 9), false},
      {"DEL", L"abc\x7f,2880", false},
      {"C1 control", L"abc\x85,2880", false},
      {"Hangul", L"\uac00\uac01,2880", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseConfirmReply(c.reply).has_value(), c.accepted) << c.name;
}

TEST(JoinReply, ZeroMeansNoServiceOtherwiseFieldsAreScrambledBack) {
  EXPECT_TRUE(ParseJoinReply(L"0").serviceUnused);

  const auto join = ParseJoinReply(UnscrambleText(L"10.0.0.1,vpnuser,p@ss,ignored"));
  EXPECT_FALSE(join.serviceUnused);
  EXPECT_EQ(join.vpnServer, L"10.0.0.1");
  EXPECT_EQ(join.vpnUser, L"vpnuser");
  EXPECT_EQ(join.vpnPassword, L"p@ss");

  const auto partial = ParseJoinReply(UnscrambleText(L"10.0.0.1"));
  EXPECT_EQ(partial.vpnServer, L"10.0.0.1");
  EXPECT_EQ(partial.vpnUser, L"");
  EXPECT_EQ(partial.vpnPassword, L"");
}

TEST(StatusEnvelope, ValidAndFailedReplies) {
  const struct {
    std::wstring reply;
    std::optional<std::wstring> payload;
  } cases[] = {
      {L"<startCODE>2880<endCODE>", L"2880"},
      {L"junk<html><startCODE>2880<endCODE>trailer", L"2880"},
      {L"<startCODE>12<startCODE>34<endCODE>", L"1234"},
      {L"<startCODE>OMG<endCODE><endCODE>", L"OMG"},
      {L"<startCODE><endCODE>", std::nullopt},
      {L"<startCODE>error<endCODE>", std::nullopt},
      {L"<startCODE><startCODE><endCODE>", std::nullopt},
      {L"2880", std::nullopt},
      {L"<endCODE>2880<startCODE>", std::nullopt},
      {L"<startCODE>2880", std::nullopt},
      {L"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StatusPayload(c.reply), c.payload) << std::string(c.reply.begin(), c.reply.end());
  }
}

TEST(StatusEnvelope, RemovingMarkersIsOnePass) {
  // Removing the inner marker joins "<start" and "CODE>"; that is not removed again.
  EXPECT_EQ(StatusPayload(L"<startCODE>a<start<startCODE>CODE>b<endCODE>"), L"a<startCODE>b");
}

TEST(StatusEnvelope, Verdicts) {
  EXPECT_EQ(JudgeStatusPayload(L"0"), StatusVerdict::Expired);
  EXPECT_EQ(JudgeStatusPayload(L"OMG"), StatusVerdict::SignedInElsewhere);
  EXPECT_EQ(JudgeStatusPayload(L"EXIT"), StatusVerdict::Maintenance);
  EXPECT_EQ(JudgeStatusPayload(L"omg"), StatusVerdict::MinutesLeft);
  EXPECT_EQ(JudgeStatusPayload(L"00"), StatusVerdict::MinutesLeft);
}

}  // namespace
}  // namespace tarvo

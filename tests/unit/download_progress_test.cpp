#include "client/update/download_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <string>
#include <vector>

#include "client/protocol/http_transport.h"
#include "client/update/sha256.h"
#include "common/text/hex.h"

namespace tarvo {
namespace {

TEST(DownloadProgress, PercentageAndContentLength) {
  struct Case {
    std::uint64_t received;
    std::optional<std::uint32_t> announced;
    int percent;
  };
  const Case cases[] = {
      {0, 2048, 0},
      {1024, 2048, 50},
      {2048, 2048, 100},
      {2047, 2048, 99},  // truncated
      {1, 3, 33},
      {2, 3, 66},
      {4096, 2048, 100},  // more than announced: held at 100
      {1024, std::nullopt, 0},
      {1024, 0u, 0},  // no length known: 0 %
      {0xFFFFFFFFull * 2, 0xFFFFFFFFu, 100},
      {1024, 0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DownloadPercent(c.received, c.announced), c.percent)
        << c.received << "/" << c.announced.value_or(0);
  EXPECT_EQ(PercentText(0), L"0 %");
  EXPECT_EQ(PercentText(37), L"37 %");
  EXPECT_EQ(PercentText(100), L"100 %");

  EXPECT_EQ(ParseContentLength(L"2048"), 2048u);
  EXPECT_EQ(ParseContentLength(L" 2048 "), 2048u);
  EXPECT_EQ(ParseContentLength(L"4294967295"), 4294967295u);
  for (const wchar_t* bad :
       {L"", L"  ", L"4294967296", L"-1", L"12a", L"1 2", L"0x10", L"99999999999999999999"})
    EXPECT_EQ(ParseContentLength(bad), std::nullopt) << bad;
}

// Hands out scripted reads: a number of bytes, or 0 for an empty read.
class ScriptedSource : public DownloadSource {
 public:
  ScriptedSource(std::string body, std::vector<std::size_t> reads)
      : body_(std::move(body)), reads_(reads.begin(), reads.end()) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity) override {
    ++calls;
    capacities.push_back(capacity);
    std::size_t n = 0;
    if (!reads_.empty()) {
      n = std::min({reads_.front(), capacity, body_.size() - at_});
      reads_.pop_front();
    }
    std::copy_n(body_.data() + at_, n, buffer);
    at_ += n;
    if (onRead) onRead();
    return n;
  }
  int calls = 0;
  std::vector<std::size_t> capacities;
  std::function<void()> onRead;

 private:
  std::string body_;
  std::size_t at_ = 0;
  std::deque<std::size_t> reads_;
};

class MemorySink : public DownloadSink {
 public:
  bool Write(const std::uint8_t* bytes, std::size_t size) override {
    if (failAfter && written.size() + size > *failAfter) return false;
    written.append(reinterpret_cast<const char*>(bytes), size);
    return true;
  }
  std::string written;
  std::optional<std::size_t> failAfter;
};

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + 3);
  return body;
}

TEST(DownloadLoop, TwoFullReadsShowFiftyThenHundredThenTenEmptyReads) {
  const std::string body = Body(2048);
  ScriptedSource source(body, {1024, 1024});
  MemorySink sink;
  std::vector<int> shown;
  const DownloadOutcome outcome = RunDownloadLoop(source, sink, 2048u, [&](int p) { shown.push_back(p); });
  std::vector<int> expected = {50, 100};
  expected.insert(expected.end(), 10, 100);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(source.calls, 12);
  for (std::size_t capacity : source.capacities) EXPECT_EQ(capacity, 1024u);
  EXPECT_EQ(sink.written, body);
  EXPECT_EQ(outcome.received, 2048u);
  const std::string digest = HexText(outcome.digest);
  EXPECT_EQ(digest, Sha256Hex(body));
  EXPECT_TRUE(IsCompleteDownload(outcome, 2048u, L""));
  EXPECT_TRUE(IsCompleteDownload(outcome, 2048u, std::wstring(digest.begin(), digest.end())));
}

TEST(DownloadLoop, EmptyReadsNeedNotBeConsecutive) {
  // Empty reads between data: the tenth empty read in total ends the loop,
  // even with bytes still to come.
  const std::string body = Body(3000);
  ScriptedSource source(body, {0, 0, 0, 1000, 0, 0, 0, 0, 1000, 0, 0, 0, 1000});
  MemorySink sink;
  std::vector<int> shown;
  const DownloadOutcome outcome = RunDownloadLoop(source, sink, 3000u, [&](int p) { shown.push_back(p); });
  EXPECT_EQ(source.calls, 12);
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 33, 33, 33, 33, 33, 66, 66, 66, 66}));
  EXPECT_EQ(outcome.received, 2000u);
  EXPECT_FALSE(IsCompleteDownload(outcome, 3000u, L""));
}

TEST(DownloadLoop, UnknownLengthStaysAtZeroAndIsNeverComplete) {
  const std::string body = Body(1500);
  ScriptedSource source(body, {1024, 476});
  MemorySink sink;
  std::vector<int> shown;
  const DownloadOutcome outcome =
      RunDownloadLoop(source, sink, std::nullopt, [&](int p) { shown.push_back(p); });
  EXPECT_EQ(shown, std::vector<int>(12, 0));
  EXPECT_EQ(sink.written, body);
  const std::string hex = HexText(outcome.digest);
  const std::wstring digest(hex.begin(), hex.end());
  EXPECT_FALSE(IsCompleteDownload(outcome, std::nullopt, digest));
  EXPECT_FALSE(IsCompleteDownload(outcome, 0u, digest));
}

TEST(DownloadLoop, OnlyACompleteMatchingDownloadIsLaunched) {
  const std::string body = Body(2048);
  const std::string digest = Sha256Hex(body);
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string other = digest;
  other[10] = other[10] == '0' ? '1' : '0';
  std::string notHex = digest;
  notHex[0] = 'g';
  const auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };

  struct Case {
    const char* what;
    std::vector<std::size_t> reads;
    std::optional<std::uint32_t> announced;
    std::wstring expected;
    std::optional<std::size_t> sinkFailsAfter;
    bool launched;
  };
  const Case cases[] = {
      {"complete, no digest named", {1024, 1024}, 2048u, L"", std::nullopt, true},
      {"complete, digest matches", {1024, 1024}, 2048u, wide(digest), std::nullopt, true},
      {"digest in capitals", {1024, 1024}, 2048u, wide(upper), std::nullopt, true},
      {"cut off half-way", {1024}, 2048u, wide(digest), std::nullopt, false},
      {"cut off, no digest named", {1024}, 2048u, L"", std::nullopt, false},
      {"one other digit in the digest", {1024, 1024}, 2048u, wide(other), std::nullopt, false},
      {"digest too short", {1024, 1024}, 2048u, wide(digest.substr(1)), std::nullopt, false},
      {"digest not hex", {1024, 1024}, 2048u, wide(notHex), std::nullopt, false},
      {"longer than announced", {1024, 1024}, 1024u, L"", std::nullopt, false},
      {"nothing at all", {}, 2048u, L"", std::nullopt, false},
      {"a write failed", {1024, 1024}, 2048u, wide(digest), 1500, false},
  };
  for (const auto& c : cases) {
    ScriptedSource source(body, c.reads);
    MemorySink sink;
    sink.failAfter = c.sinkFailsAfter;
    const DownloadOutcome outcome = RunDownloadLoop(source, sink, c.announced, [](int) {});
    EXPECT_EQ(IsCompleteDownload(outcome, c.announced, c.expected), c.launched) << c.what;
    if (c.sinkFailsAfter) {
      EXPECT_TRUE(outcome.writeFailed) << c.what;
      EXPECT_EQ(source.calls, 2) << "the loop ends at the failed write";
    }
  }
}

TEST(DownloadLoop, AStopEndsTheLoopWithoutFurtherProgress) {
  const std::string body = Body(4096);
  ScriptedSource source(body, {1024, 1024, 1024, 1024});
  MemorySink sink;
  std::stop_source stop;
  std::vector<int> shown;
  source.onRead = [&] {
    if (source.calls == 2) stop.request_stop();  // a stop while the second read runs
  };
  const DownloadOutcome outcome = RunDownloadLoop(
      source, sink, 4096u, [&](int p) { shown.push_back(p); }, stop.get_token());
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(shown, std::vector<int>{25});
  EXPECT_EQ(sink.written.size(), 1024u);  // the second read's bytes are not written
  EXPECT_FALSE(IsCompleteDownload(outcome, 4096u, L""));
}

TEST(InstallerPath, OnlyAPlainAbsolutePathOnTheServicesHost) {
  const struct {
    std::wstring path;
    bool accepted;
  } cases[] = {
      {L"/x/Tarvo_setup.exe", true},
      {L"/tarvo_app/download/Tarvo_setup.exe", true},
      {L"/a:b/c.exe", true},  // a colon past the first "/" names no port
      {L"@host/x", false},
      {L"/x@host/y", false},
      {L"//host/x", false},
      {L"/a//b", false},
      {L".host/x", false},
      {L":1/x", false},
      {L"x", false},
      {L"", false},
      {L"/", false},
      {L"http://host/x", false},
      {L"/a\\b", false},
      {L"/a\rb", false},
      {L"/a\nb", false},
      {L"/a\tb", false},
      {L"/a\x7f", false},
      {L"/a\x85", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsPlainInstallerPath(c.path), c.accepted) << std::string(c.path.begin(), c.path.end());
  }
}

}  // namespace
}  // namespace tarvo

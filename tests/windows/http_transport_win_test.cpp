#include "client/protocol/http_transport_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {
namespace {

// The reference server the end-to-end suite starts for these tests, with its
// ping dripping a byte at a time; without it there is nothing to ask.
std::wstring ServerUrl() {
  const char* url = std::getenv("TARVO_TEST_SERVER_URL");
  return url ? std::wstring(url, url + std::strlen(url)) : std::wstring();
}

// Exchanges given up in the middle (a stop while the dripping reply comes)
// beside exchanges of known replies: WinINet hands a closed handle's number
// to the next handle opened, so an abandoned exchange that went on calling
// with its handles would read the others' replies. Each known exchange must
// get exactly its own reply.
TEST(HttpTransport, AbandonedExchangesTouchNoOtherExchangesReply) {
  const std::wstring base = ServerUrl();
  if (base.empty()) GTEST_SKIP() << "TARVO_TEST_SERVER_URL is not set";
  const std::vector<std::wstring> known = {base + L"/tarvo_app/index.php?v=q7d4x2m", base + L"/tarvo_plus/notice.php",
                                           base + L"/tarvo_plus/banner.php", base + L"/"};
  std::vector<std::wstring> expected;
  for (const auto& url : known) {
    std::wstring reply;
    ASSERT_EQ(SendServerRequest(reply, url), kRequestOk) << std::string(url.begin(), url.end());
    ASSERT_FALSE(reply.empty());
    expected.push_back(reply);
  }

  std::atomic<bool> done{false};
  std::atomic<int> wrong{0}, checked{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&, r] {
      for (std::size_t i = static_cast<std::size_t>(r); !done; ++i) {
        const std::size_t which = i % known.size();
        std::wstring reply;
        if (SendServerRequest(reply, known[which]) == kRequestOk) {
          ++checked;
          if (reply != expected[which]) ++wrong;
        }
      }
    });
  }
  std::vector<std::thread> cancellers;
  for (int c = 0; c < 6; ++c) {
    cancellers.emplace_back([&, c] {
      std::minstd_rand random(static_cast<unsigned>(c + 1));
      for (int i = 0; i < 15; ++i) {
        std::stop_source stop;
        std::thread timer([&stop, ms = random() % 400] {
          std::this_thread::sleep_for(std::chrono::milliseconds(ms));
          stop.request_stop();
        });
        std::wstring reply;
        SendServerRequest(reply, base + L"/tarvo_plus/ping.php", stop.get_token());
        timer.join();
      }
    });
  }
  for (auto& t : cancellers) t.join();
  // The abandoned exchanges finish by themselves meanwhile.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  done = true;
  for (auto& t : readers) t.join();
  EXPECT_GT(checked.load(), 20);
  EXPECT_EQ(wrong.load(), 0) << "of " << checked.load() << " known replies";
}

}  // namespace
}  // namespace tarvo

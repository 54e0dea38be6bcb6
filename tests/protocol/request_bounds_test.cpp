// What a hostile client can make the server hold: request bodies (none on
// the service listener, small JSON ones on the admin interface, each request
// within its deadline), the installer (one copy whatever the readers), and
// files that are not files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "devserver/service/request_log.h"
#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The resident memory of this process (the server runs in it), in bytes.
long ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) * 1024;
  return 0;
}

class RequestBounds : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override { config.admin.requestDeadline = 2s; }
};

TEST_F(RequestBounds, AHugeBodyIsAnsweredAtOnceWithoutBeingRead) {
  const struct {
    const char* method;
    int port;
    int status;
  } cases[] = {
      {"POST", 0, 405},  // the service takes GET and HEAD only
      {"GET", 0, 413},   // and no body with them
      {"POST", 1, 413},  // the admin interface takes 64 KiB
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + (c.port ? " admin" : " service"));
    RawConnection peer(c.port ? server_->adminPort() : server_->port());
    ASSERT_TRUE(peer.connected());
    const long before = ResidentBytes();
    const auto sent = Clock::now();
    ASSERT_TRUE(peer.Send(std::string(c.method) +
                          " /accounts/demo HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                          "Content-Length: 1073741824\r\n\r\n"));
    // The client streams its body; the answer comes while it does.
    std::string reply;
    bool closed = false;
    const std::string chunk(1 << 20, 'x');
    for (int i = 0; i < 200 && reply.find("\r\n\r\n") == std::string::npos && !closed; ++i) {
      if (!peer.Send(chunk)) break;  // the server closed the connection
      reply += peer.ReadSome(1ms, closed);
    }
    while (reply.find("\r\n\r\n") == std::string::npos && !closed && Clock::now() - sent < 5s)
      reply += peer.ReadSome(100ms, closed);
    EXPECT_LT(Clock::now() - sent, 5s);
    EXPECT_EQ(reply.rfind("HTTP/1.1 " + std::to_string(c.status), 0), 0u) << reply;
    EXPECT_NE(reply.find("Connection: close"), std::string::npos) << reply;
    EXPECT_LT(ResidentBytes() - before, 32L << 20) << "the body was not kept";
  }
  EXPECT_EQ(Get("/tarvo_plus/ping.php").body, "0");  // serving goes on
}

TEST_F(RequestBounds, ABodyOfUnknownLengthIsRefusedAndASmallOneTaken) {
  RawConnection peer(server_->adminPort());
  ASSERT_TRUE(peer.Send("POST /faults HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"));
  bool closed = false;
  std::string reply;
  for (int i = 0; i < 50 && reply.find("\r\n\r\n") == std::string::npos && !closed; ++i)
    reply += peer.ReadSome(100ms, closed);
  EXPECT_EQ(reply.rfind("HTTP/1.1 411", 0), 0u) << reply;
  EXPECT_EQ(Admin("POST", "/faults", R"({"match":"ping","mode":"drop","count":1})").status, 201);
}

TEST_F(RequestBounds, ADrippedBodyIsClosedAtTheRequestDeadline) {
  RawConnection peer(server_->adminPort());
  ASSERT_TRUE(peer.Send("POST /faults HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                        "Content-Length: 100\r\n\r\n{"));
  std::thread drip([&peer] {
    for (int i = 0; i < 20 && peer.Send(" "); ++i) std::this_thread::sleep_for(300ms);
  });
  const auto closedAfter = peer.WaitClosed(10s);
  drip.join();
  ASSERT_TRUE(closedAfter.has_value()) << "the connection stayed open";
  EXPECT_LT(*closedAfter, 2s + 1500ms);  // the deadline set for the test, and a little
}

TEST_F(RequestBounds, SlowDownloadsShareTheOneCopyOfTheInstaller) {
  constexpr std::size_t kInstaller = std::size_t{64} << 20;
  const std::string path = WriteTempFile("big_setup.exe", std::string(kInstaller, 'I'));
  ASSERT_EQ(Admin("PATCH", "/config", R"({"installer_file":")" + path + "\"}").status, 200);
  const long before = ResidentBytes();
  std::vector<std::unique_ptr<RawConnection>> readers;
  for (int i = 0; i < 24; ++i) {
    readers.push_back(std::make_unique<RawConnection>(server_->port(), 16 * 1024));
    ASSERT_TRUE(readers.back()->Send("GET /tarvo_app/download/Tarvo_setup.exe HTTP/1.1\r\nHost: x\r\n\r\n"));
  }
  // Each reader takes the head and a little, then stops reading for a while.
  for (auto& reader : readers) {
    bool closed = false;
    const std::string got = reader->ReadSome(5s, closed);
    EXPECT_EQ(got.rfind("HTTP/1.1 200", 0), 0u);
  }
  std::this_thread::sleep_for(500ms);
  const long during = ResidentBytes() - before;
  EXPECT_LT(during, static_cast<long>(kInstaller)) << "24 slow readers cost " << (during >> 20) << " MiB";
}

TEST_F(RequestBounds, InstallersOfAnySizeAreServedWhole) {
  for (const std::string& bytes : {std::string(), std::string("MZ"), std::string(200'000, 'I')}) {
    SCOPED_TRACE(bytes.size());
    const std::string path = WriteTempFile("sized_setup.exe", bytes);
    ASSERT_EQ(Admin("PATCH", "/config", R"({"installer_file":")" + path + "\"}").status, 200);
    const auto asked = Clock::now();
    const HttpReply reply = Get("/tarvo_app/download/Tarvo_setup.exe");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, bytes);
    EXPECT_LT(Clock::now() - asked, 2s);
  }
}

TEST_F(RequestBounds, OnlyRegularFilesAreTakenAsTheInstallerOrItsSignature) {
  const std::string installer = WriteTempFile("fifo_setup.exe", "installer");
  const std::string signature = installer + ".sig";
  ASSERT_EQ(::mkfifo(signature.c_str(), 0600), 0);
  const std::string fifoInstaller = TempPath("fifo_itself.exe");
  ASSERT_EQ(::mkfifo(fifoInstaller.c_str(), 0600), 0);
  for (const std::string& file : {installer, fifoInstaller, TempPath("")}) {
    SCOPED_TRACE(file);
    const auto asked = Clock::now();
    const AdminReply reply = Admin("PATCH", "/config", R"({"installer_file":")" + file + "\"}");
    EXPECT_EQ(reply.status, 400);
    EXPECT_LT(Clock::now() - asked, 2s);
  }
  ::unlink(signature.c_str());
  ::unlink(fifoInstaller.c_str());
}

TEST(RequestLogBound, TheLogIsBoundedInBytesAsWellAsEntries) {
  RequestLog log;
  for (int i = 0; i < 2000; ++i) {
    LoggedRequest entry;
    entry.head = std::string(64 * 1024, 'h');
    entry.name = "ping";
    log.Add(std::move(entry));
  }
  const auto entries = log.List();
  std::size_t bytes = 0;
  for (const auto& e : entries) bytes += e.head.size() + e.name.size();
  EXPECT_LE(bytes, RequestLog::kCapacityBytes);
  EXPECT_GT(bytes, RequestLog::kCapacityBytes / 2);
  EXPECT_EQ(entries.back().seq, 2000u);  // the newest kept
  log.Clear();
  for (int i = 0; i < 3; ++i) log.Add(LoggedRequest{});
  EXPECT_EQ(log.List().size(), 3u);  // the count starts again after a clear
}

}  // namespace
}  // namespace tarvo::devserver::testing

// Slow, idle and surplus clients: deadlines for a request head and an idle
// connection, a bounded queue that answers 503, and error replies that tell
// nothing of the server's inside.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kPing = "/tarvo_plus/ping.php";

// A raw connection whose reads stop at a whole one-byte reply (the ping's "0").
class Connection : public RawConnection {
 public:
  using RawConnection::RawConnection;
  // What arrives within `limit`; `closed` tells whether the server closed the connection.
  std::string Read(std::chrono::milliseconds limit, bool& closed) {
    std::string got;
    closed = false;
    const auto deadline = Clock::now() + limit;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return got;
      const std::string more = ReadSome(left, closed);
      if (closed) return got;
      if (more.empty()) return got;  // nothing within the limit
      got += more;
      if (got.find("\r\n\r\n") != std::string::npos && got.find("Content-Length: 1\r\n") != std::string::npos &&
          got.size() >= got.find("\r\n\r\n") + 5)
        return got;
    }
  }
};

std::string PingRequest() { return "GET " + kPing + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"; }

class SlowClients : public ServerFixture {};

TEST_F(SlowClients, AHeadThatNeverEndsIsClosedAtItsDeadline) {
  Connection slow(server_->port());
  ASSERT_TRUE(slow.connected());
  const auto start = Clock::now();
  ASSERT_TRUE(slow.Send("GET " + kPing + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
  // A header line that grows by a byte a second, never ending the head;
  // every byte is well within the per-read time-out.
  bool closed = false;
  std::string got;
  for (int i = 0; i < 20 && !closed; ++i) {
    slow.Send("X");
    got += slow.Read(1s, closed);
  }
  const auto after = Clock::now() - start;
  EXPECT_TRUE(closed) << "still open after " << std::chrono::duration_cast<std::chrono::seconds>(after).count()
                      << " s";
  EXPECT_GE(after, 9s);
  EXPECT_LT(after, 14s);
  EXPECT_EQ(got.find("200 OK"), std::string::npos);
}

TEST_F(SlowClients, AnIdleKeepAliveConnectionIsClosed) {
  Connection idle(server_->port());
  ASSERT_TRUE(idle.Send(PingRequest()));
  bool closed = false;
  const std::string reply = idle.Read(5s, closed);
  ASSERT_NE(reply.find("200 OK"), std::string::npos) << reply;
  ASSERT_FALSE(closed) << "kept alive after the reply";
  const auto closedAfter = idle.WaitClosed(15s);
  ASSERT_TRUE(closedAfter) << "still open after 15 s";
  EXPECT_GE(*closedAfter, 4s);
  EXPECT_LT(*closedAfter, 8s);
}

TEST_F(SlowClients, BlankLinesDoNotKeepAConnectionAlive) {
  Connection blank(server_->port());
  const auto start = Clock::now();
  bool closed = false;
  for (int i = 0; i < 20 && !closed; ++i) {
    blank.Send("\r\n");
    blank.Read(500ms, closed);
  }
  EXPECT_TRUE(closed);
  EXPECT_LT(Clock::now() - start, 8s);
}

class FullServer : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override { config.service.pool = {2, 1}; }
};

TEST_F(FullServer, AConnectionBeyondTheQueueIsAnswered503AndTheServerRecovers) {
  // Two connections take both threads and one waits for a thread.
  std::vector<std::unique_ptr<Connection>> holders;
  for (int i = 0; i < 3; ++i) holders.push_back(std::make_unique<Connection>(server_->port()));
  std::this_thread::sleep_for(300ms);  // accepted and handed out

  Connection turnedAway(server_->port());
  ASSERT_TRUE(turnedAway.Send(PingRequest()));
  bool closed = false;
  std::string reply;
  for (int i = 0; i < 20 && !closed; ++i) reply += turnedAway.Read(100ms, closed);
  EXPECT_EQ(reply.rfind("HTTP/1.1 503 ", 0), 0u) << reply;
  EXPECT_TRUE(closed);

  holders.clear();  // the threads are free again
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Get(kPing).body, "0");
}

class BrokenDatabase : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override {
    dbFile_ = TempPath("broken-" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(dbFile_);
    config.dbFile = dbFile_;
  }
  std::string dbFile_;
};

TEST_F(BrokenDatabase, AFailureInsideAHandlerTellsTheClientNothingOfIt) {
  PutAccount("demo", "demo1234", 1440);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dbFile_.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  ASSERT_EQ(sqlite3_exec(db, "DROP TABLE accounts", nullptr, nullptr, &error), SQLITE_OK) << error;
  sqlite3_close(db);

  const HttpReply reply = Get("/tarvo_app/index.php?act=ok&r=" + Encoded(L"demo", L"demo1234"));
  EXPECT_EQ(reply.status, 500);
  EXPECT_NE(reply.body.find("Internal Server Error"), std::string::npos) << reply.body;
  for (const char* inside : {"accounts", "sqlite", "SQL", "table", "internal error:"})
    EXPECT_EQ(reply.body.find(inside), std::string::npos) << inside << " in " << reply.body;

  const AdminReply admin = Admin("GET", "/accounts/demo");
  EXPECT_EQ(admin.status, 500);
  EXPECT_EQ(admin.json.Dump().find("accounts"), std::string::npos) << admin.json.Dump();
}

}  // namespace
}  // namespace tarvo::devserver::testing

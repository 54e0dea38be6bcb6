#include "client/session/connection_controller.h"

#include <gtest/gtest.h>

#include <future>

#include "client/protocol/scramble.h"
#include "session_fakes.h"

namespace tarvo {
namespace {

using testing::EventLog;
using testing::FakeClock;
using testing::FakeDialer;
using testing::FakeTransport;
using testing::FakeWatchdog;
using testing::RecordingView;

const std::wstring kJoinReply = UnscrambleText(L"vpn.example,vpnuser,secret");

std::wstring Status(const std::wstring& payload) { return L"<startCODE>" + payload + L"<endCODE>"; }

class ConnectionControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    http = std::make_shared<FakeTransport>(log);
    dialer = std::make_shared<FakeDialer>(log);
    watchdog = std::make_shared<FakeWatchdog>();
    clock = std::make_shared<FakeClock>();
    view = std::make_shared<RecordingView>(log);
    dialGate = std::make_shared<DialGate>();
    session = std::make_shared<ConnectionController>(
        SessionPorts{http, dialer, watchdog, clock, view, dialGate, [] { return kJitter; }});
    session->m_strRandCode = L"CODE1";
    session->m_strAppFolder = L"C:\\Tarvo";
    http->Fallback(L"leave", L"OK");  // replies the session ignores
    http->Fallback(L"leave-notice", L"OK");
  }
  void TearDown() override {
    clock->RunFreely();
    session->Shutdown();
  }

  // Waits for `event` (logged `times` times). The clock stands still unless
  // moved: whenever the event has not come for a moment, it is moved to the
  // end of the earliest pause in progress, so the workers go on one pause at a
  // time.
  bool WaitFor(const std::wstring& event, int times = 1) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit) {
      if (log.WaitFor(event, times, kSettle)) return true;
      clock->AdvanceToNextPause();
    }
    return false;
  }

  // Joins the workers, moving the clock as WaitFor does while they run.
  void JoinWorkers() {
    auto joined = std::async(std::launch::async, [this] { session->JoinWorkers(); });
    while (joined.wait_for(kSettle) != std::future_status::ready) clock->AdvanceToNextPause();
  }

  static constexpr std::chrono::milliseconds kSettle{10};
  // Every back-off pause is moved by +3 %: none of them is then a whole
  // second, which tells them from the other pauses.
  static constexpr double kJitter = 0.3;
  static std::vector<std::chrono::milliseconds> BackOffPauses(FakeClock& clock) {
    return clock.Pauses([](std::chrono::milliseconds d) { return d.count() > 1000 && d.count() % 1000 != 0; });
  }

  // Moves the clock on by `step` at a time until `event` has been logged.
  bool AdvanceUntil(const std::wstring& event, std::chrono::milliseconds step) {
    for (int i = 0; i < 2000; ++i) {
      if (log.WaitFor(event, 1, kSettle)) return true;
      clock->Advance(step);
    }
    return false;
  }

  // Connects and waits until the tunnel is confirmed.
  void Connect() {
    http->Script(L"join", {kJoinReply});
    http->Script(L"ping", {L"0"});
    session->ConnectButton();
    ASSERT_TRUE(WaitFor(L"enable disconnect"));
  }

  // Connects with a dial that does not return, and hangs up meanwhile (a
  // disconnect or logout during a slow dial): the window is restored while
  // the dial still hangs.
  void AbandonAHeldDial() {
    http->Script(L"join", {kJoinReply});
    dialer->HoldNextDial();
    session->ConnectButton();
    ASSERT_TRUE(WaitFor(L"dial 1"));
    session->StartHangUp();
    ASSERT_TRUE(WaitFor(L"label status -"));
  }

  void HangUpAndJoin() {
    session->StartHangUp();
    JoinWorkers();
  }

  EventLog log;
  std::shared_ptr<FakeTransport> http;
  std::shared_ptr<FakeDialer> dialer;
  std::shared_ptr<FakeWatchdog> watchdog;
  std::shared_ptr<FakeClock> clock;
  std::shared_ptr<RecordingView> view;
  std::shared_ptr<DialGate> dialGate;
  std::shared_ptr<ConnectionController> session;
};

TEST_F(ConnectionControllerTest, ConnectDialsConfirmsAndFollowsTheDays) {
  http->Script(L"status", {Status(L"43200"), Status(L"1439")});
  Connect();
  EXPECT_EQ(dialer->lastUser(), L"vpnuser");
  EXPECT_EQ(session->m_strVpnServer, L"vpn.example");
  EXPECT_EQ(session->m_strVpnPassword, L"secret");
  EXPECT_EQ(session->m_bConnected, 1);
  ASSERT_TRUE(WaitFor(L"label days 0일"));
  EXPECT_LT(log.IndexOf(L"label days 30일"), log.IndexOf(L"label days 0일"));
  // The address is shown in one step, followed by 17 blanks.
  EXPECT_EQ(log.Count(L"label status! 10.8.0.1                 "), 1);
  EXPECT_LT(log.IndexOf(L"label status 접속중입니다."), log.IndexOf(L"dial 1"));
  EXPECT_LT(log.IndexOf(L"disable connect"), log.IndexOf(L"dial 1"));
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, JoinReplyZeroMeansNoServiceAndNoDial) {
  http->Script(L"join", {L"0"});
  session->ConnectButton();
  JoinWorkers();
  const std::wstring blank(27, L' ');
  const std::vector<std::wstring> expected = {
      L"label status 접속중입니다.", L"request join",       L"disable connect",
      L"disable disconnect",        L"label status! " + blank, L"label fixedip! " + blank,
      L"label status! 서비스 미사용", L"label days 서비스 미사용",
  };
  EXPECT_EQ(log.Events(), expected);
  EXPECT_EQ(session->m_bServiceUnused, 1);
  EXPECT_EQ(session->m_bConnected, 0);
}

TEST_F(ConnectionControllerTest, FailedDialShowsItsNumberAndReleasesTheAttempt) {
  http->Script(L"join", {kJoinReply});
  dialer->ScriptDials({691});
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"enable connect"));
  JoinWorkers();
  EXPECT_EQ(log.Count(L"label status 691 오류"), 1);
  EXPECT_EQ(log.Count(L"hangup 1"), 1);
  EXPECT_EQ(log.Count(L"enable disconnect"), 0);
  EXPECT_EQ(session->m_bConnected, 0);
}

TEST_F(ConnectionControllerTest, SixtyOneFailedStatusRequestsReconnect) {
  Connect();
  std::vector<std::wstring> failures(61, L"junk");
  http->Script(L"status", failures);
  http->Script(L"ping", {L"0", L"0"});  // the reconnect's ping wait, then its confirmation
  http->Fallback(L"status", Status(L"2880"));
  ASSERT_TRUE(WaitFor(L"label status 재접속중입니다."));
  ASSERT_TRUE(WaitFor(L"label days 2일"));
  EXPECT_EQ(log.Count(L"dial 2"), 1);
  EXPECT_EQ(log.Count(L"label status 10.8.0.2                 "), 1);  // two steps this time
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"dial 2"));
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, AValidReplyAtTheSixtiethRetryDoesNotReconnect) {
  Connect();
  std::vector<std::wstring> replies(60, Status(L"error"));  // the first and 59 retries
  replies.push_back(Status(L"2880"));
  http->Script(L"status", replies);
  ASSERT_TRUE(WaitFor(L"label days 2일"));
  EXPECT_EQ(log.Count(L"label status 재접속중입니다."), 0);
  EXPECT_EQ(log.CountPrefix(L"dial "), 1);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, TunnelConfirmedAfterOneRedial) {
  http->Script(L"join", {kJoinReply});
  http->Script(L"ping", {L"1", L"0"});
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"enable disconnect"));
  EXPECT_EQ(log.CountPrefix(L"dial "), 2);
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"dial 2"));
  EXPECT_EQ(log.Count(L"label status! 10.8.0.2                 "), 1);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, VerdictsRunTheirProceduresInOrder) {
  struct Case {
    std::wstring payload;
    std::vector<std::wstring> tail;  // the events after the payload's status request
    int connectedAfter;
  };
  const Case cases[] = {
      {L"0",
       {L"disable connect", L"disable disconnect", L"label days 기간만료", L"request leave", L"hangup 1",
        L"message 기간이 만료되었습니다."},
       0},
      {L"OMG",
       {L"request leave", L"invalidate erase", L"hangup 1",
        L"message 고객님의 ID는 지금 다른 PC에서 접속중 입니다.\n현재 접속된 PC에서 종료됩니다.", L"quit"},
       0},
      {L"EXIT",
       {L"label days 0일", L"hangup 1", L"message 서버 점검중입니다.\n잠시후에 다시 실행해 주세요.", L"quit"},
       1},
  };
  for (const auto& c : cases) {
    TearDown();
    log.Clear();
    SetUp();
    Connect();
    http->Script(L"status", {Status(c.payload)});
    ASSERT_TRUE(WaitFor(c.tail.back()));
    auto events = log.Events();
    const int connected = session->m_bConnected;
    HangUpAndJoin();  // maintenance leaves the flag set: the link thread runs until stopped
    const int statusAt = log.IndexOf(L"request status");
    ASSERT_GE(statusAt, 0);
    events.erase(events.begin(), events.begin() + statusAt + 1);
    EXPECT_EQ(events, c.tail) << std::string(c.payload.begin(), c.payload.end());
    EXPECT_EQ(connected, c.connectedAfter);
  }
}

TEST_F(ConnectionControllerTest, DaysAfterAReconnectComeFromTheCyclesStatusPayload) {
  Connect();
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"4320")});
  http->Script(L"ping", {L"17", L"0", L"0"});  // a ping reply that reads like minutes must not count
  ASSERT_TRUE(WaitFor(L"label days 3일"));
  EXPECT_EQ(log.Count(L"label days 0일"), 0);
  EXPECT_LT(log.IndexOf(L"label status 재접속중입니다."), log.IndexOf(L"label days 3일"));
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, HangUpStopsLinkThenKeepaliveThenHangsUpThenRestores) {
  Connect();
  session->LeaveNotice();
  session->StartHangUp();
  JoinWorkers();
  const int notice = log.IndexOf(L"request leave-notice");
  const int hangup = log.IndexOf(L"hangup 1");
  ASSERT_GE(notice, 0);
  EXPECT_LT(notice, hangup);
  const std::vector<std::wstring> restore = {L"label status -",  L"enable connect", L"disable disconnect",
                                             L"enable exit",     L"enable logout",  L"invalidate"};
  auto events = log.Events();
  ASSERT_GE(events.size(), restore.size());
  EXPECT_EQ(std::vector<std::wstring>(events.end() - static_cast<long>(restore.size()), events.end()), restore);
  EXPECT_LT(hangup, log.IndexOf(L"label status -"));
  EXPECT_EQ(session->m_bConnected, 0);
}

TEST_F(ConnectionControllerTest, HangUpWhenNotConnectedOnlyRestoresTheWindow) {
  session->StartHangUp();
  JoinWorkers();
  EXPECT_EQ(log.CountPrefix(L"hangup"), 0);
  EXPECT_EQ(log.Count(L"label status -"), 1);
}

TEST_F(ConnectionControllerTest, DisconnectDuringAReconnectStopsAllDialling) {
  Connect();
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"2880")});
  // The server stays silent for the reconnect's ping wait: the thread waits there.
  ASSERT_TRUE(WaitFor(L"label status 재접속중입니다."));
  ASSERT_TRUE(WaitFor(L"request ping", 2));
  HangUpAndJoin();
  const int dialsBefore = log.CountPrefix(L"dial ");
  http->Fallback(L"ping", L"0");
  clock->Advance(std::chrono::hours(1));  // long past every pause
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(log.CountPrefix(L"dial "), dialsBefore);
  EXPECT_EQ(log.Count(L"label status -"), 1);
}

TEST_F(ConnectionControllerTest, TheWindowIsRestoredWithoutWaitingForARequestThatCannotBeInterrupted) {
  Connect();
  http->Deafen(L"status");
  ASSERT_TRUE(WaitFor(L"request status"));
  session->StartHangUp();
  ASSERT_TRUE(WaitFor(L"label status -"));
  EXPECT_EQ(log.Count(L"hangup 1"), 1);
  http->Release();  // the abandoned request ends later and changes nothing
  JoinWorkers();
  EXPECT_EQ(log.CountPrefix(L"label days"), 0);
}

TEST_F(ConnectionControllerTest, AHangUpRestoresTheWindowWhileADialIsBlocked) {
  ASSERT_NO_FATAL_FAILURE(AbandonAHeldDial());
  EXPECT_EQ(log.Count(L"dialled 1 rc 0"), 0);
  EXPECT_LE(clock->Now().count(), 3 * SessionTiming::kAddressLossPause.count() + SessionTiming::kAfterJoinRequest.count());
  // The dial returns later, hangs up its own connection and changes nothing.
  dialer->Release();
  JoinWorkers();
  EXPECT_LT(log.IndexOf(L"dialled 1 rc 0"), log.IndexOf(L"hangup 1"));
  EXPECT_EQ(log.CountPrefix(L"request ping"), 0);  // no keepalive was started
  EXPECT_EQ(log.Count(L"label status -"), 1);
  EXPECT_EQ(log.Events().back(), L"hangup 1");
  EXPECT_EQ(session->m_bConnected, 0);
}

TEST_F(ConnectionControllerTest, TheNextConnectsDialWaitsForAnAbandonedDial) {
  ASSERT_NO_FATAL_FAILURE(AbandonAHeldDial());
  http->Script(L"join", {kJoinReply});
  http->Script(L"ping", {L"0"});
  session->ConnectButton();  // the user connects again while the first dial still hangs
  ASSERT_TRUE(WaitFor(L"request join", 2));
  clock->Advance(std::chrono::hours(1));  // long past every pause under way
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(log.Count(L"dial 2"), 0);
  dialer->Release();
  ASSERT_TRUE(WaitFor(L"enable disconnect"));
  EXPECT_EQ(dialer->mostDialsAtOnce(), 1);
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"dial 2"));
  EXPECT_EQ(log.Count(L"label status! 10.8.0.2                 "), 1);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, TheWindowsEntryPointsDoNotWaitForAWorkersRemoteAccessCall) {
  Connect();
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"2880")});
  http->Script(L"ping", {L"0"});  // the reconnect's ping wait; then it hangs up to redial
  dialer->HoldHangUps();
  ASSERT_TRUE(WaitFor(L"hangup held 1"));
  // The worker is inside a hang-up that does not return: the window's thread
  // must still get through the disconnect's calls.
  auto disconnect = std::async(std::launch::async, [&] {
    session->LeaveNotice();
    session->StartHangUp();
  });
  ASSERT_EQ(disconnect.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  dialer->Release();
  ASSERT_TRUE(WaitFor(L"label status -"));
  JoinWorkers();
  // The stopped worker dialled no more, before or after the restore.
  EXPECT_EQ(log.CountPrefix(L"dial "), 1);
  EXPECT_EQ(log.Count(L"label status -"), 1);
  EXPECT_EQ(session->m_bConnected, 0);
}

TEST_F(ConnectionControllerTest, ShutdownDoesNotWaitForAWorkersRemoteAccessCall) {
  http->Script(L"join", {kJoinReply});
  dialer->ScriptDials({691});
  dialer->HoldHangUps();
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"hangup held 1"));  // the failed dial's release
  auto shutdown = std::async(std::launch::async, [&] { session->Shutdown(); });
  ASSERT_EQ(shutdown.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  dialer->Release();
  // The detached worker lets go of the controller when it ends; the fakes
  // must outlive it.
  for (int i = 0; i < 2000 && session.use_count() > 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(session.use_count(), 1);
}

TEST_F(ConnectionControllerTest, ARefusedRedialIsTriedAgain) {
  struct Case {
    const char* name;
    bool reconnect;  // in the reconnect procedure, else in the tunnel confirmation
    std::wstring shown;
  };
  const Case cases[] = {
      {"confirmation", false, L"label status! 10.8.0.3                 "},
      {"reconnect", true, L"label status 10.8.0.3                 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    log.Clear();
    SetUp();
    if (c.reconnect) {
      Connect();
      dialer->ScriptDials({691, 0});
      dialer->LoseAddress();
      http->Script(L"status", {Status(L"2880")});
      http->Script(L"ping", {L"0", L"0"});
    } else {
      http->Script(L"join", {kJoinReply});
      http->Script(L"ping", {L"1", L"0"});
      dialer->ScriptDials({0, 691, 0});
      session->ConnectButton();
    }
    ASSERT_TRUE(WaitFor(c.shown));
    EXPECT_EQ(log.CountPrefix(L"dial "), 3);
    EXPECT_LT(log.IndexOf(L"dialled 2 rc 691"), log.IndexOf(L"hangup 2"));
    EXPECT_LT(log.IndexOf(L"hangup 2"), log.IndexOf(L"dial 3"));
    HangUpAndJoin();
  }
}

TEST_F(ConnectionControllerTest, AMissingWatchdogHangsUpAndEndsTheClient) {
  watchdog->alive = false;
  http->Script(L"join", {kJoinReply});
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"app-exit"));
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"app-exit"));
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, ShutdownLeavesNoWorkerEffect) {
  Connect();
  const auto before = log.Events().size();
  session->Shutdown();
  http->Fallback(L"status", Status(L"0"));
  clock->RunFreely();  // a worker that were still running would go on now
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  for (std::size_t i = before; i < log.Events().size(); ++i)
    EXPECT_EQ(log.Events()[i].rfind(L"request", 0), 0u) << "only a request already under way may be logged";
}

TEST(RedialPause, BacksOffFromOneSecondToAMinuteWithinTenPercent) {
  using std::chrono::milliseconds;
  const struct {
    int refusals;
    long long seconds;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {4, 8}, {5, 16}, {6, 32}, {7, 60}, {8, 60}, {9, 60}, {1000, 60}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refusals);
    const long long base = c.seconds * 1000;
    if (c.refusals == 0) {  // nothing refused: the plain pause, never moved
      EXPECT_EQ(RedialPause(0, 1.0), milliseconds(1000));
      continue;
    }
    EXPECT_EQ(RedialPause(c.refusals, 0.0), milliseconds(base));
    EXPECT_EQ(RedialPause(c.refusals, -1.0), milliseconds(base * 9 / 10));
    EXPECT_EQ(RedialPause(c.refusals, 1.0), milliseconds(base * 11 / 10));
    EXPECT_EQ(RedialPause(c.refusals, 7.0), milliseconds(base * 11 / 10));  // out of range: held to it
  }
  // The default jitter stays within its range.
  RedialBackoff backoff;
  for (int i = 0; i < 7; ++i) backoff.Refused();
  for (int i = 0; i < 200; ++i) {
    const auto pause = backoff.NextPause();
    EXPECT_GE(pause, milliseconds(54'000));
    EXPECT_LE(pause, milliseconds(66'000));
  }
}

TEST_F(ConnectionControllerTest, RefusedRedialsBackOffAndAConfirmedConnectionResetsThePause) {
  using std::chrono::milliseconds;
  Connect();
  dialer->ScriptDials({691, 691, 691, 691, 691, 691, 691, 691, 691, 0});
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"2880")});
  http->Script(L"ping", {L"0", L"0"});  // the reconnect's ping wait, then its confirmation
  ASSERT_TRUE(WaitFor(L"label status 10.8.0.11                 "));
  const std::vector<milliseconds> expected = {milliseconds(1030),  milliseconds(2060),  milliseconds(4120),
                                              milliseconds(8240),  milliseconds(16480), milliseconds(32960),
                                              milliseconds(61800), milliseconds(61800), milliseconds(61800)};
  EXPECT_EQ(BackOffPauses(*clock), expected);
  EXPECT_EQ(log.Count(L"label status 재접속중입니다."), 1);  // the status line waits as documented

  // Confirmed: the next refusal starts from the first pause again.
  dialer->ScriptDials({691, 0});
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"2880")});
  http->Script(L"ping", {L"0", L"0"});
  ASSERT_TRUE(WaitFor(L"label status 10.8.0.13                 "));
  auto pauses = BackOffPauses(*clock);
  EXPECT_EQ(pauses.size(), expected.size() + 1);
  EXPECT_EQ(pauses.back(), milliseconds(1030));
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, AHangUpEndsABackOffPauseAtOnce) {
  Connect();
  dialer->ScriptDials(std::vector<int>(20, 691));
  dialer->LoseAddress();
  http->Script(L"status", {Status(L"2880")});
  http->Fallback(L"ping", L"0");
  ASSERT_TRUE(WaitFor(L"dialled 8 rc 691"));  // seven refusals: a pause of a minute follows
  const auto before = clock->Now();
  const int dials = log.CountPrefix(L"dial ");
  session->StartHangUp();
  ASSERT_TRUE(WaitFor(L"label status -"));
  JoinWorkers();
  EXPECT_LT(clock->Now() - before, std::chrono::seconds(10));
  EXPECT_EQ(log.CountPrefix(L"dial "), dials);
}

TEST_F(ConnectionControllerTest, AnAcceptedDialWithoutAnAddressIsRefusedAfterThirtySeconds) {
  http->Script(L"join", {kJoinReply});
  http->Script(L"ping", {L"0"});
  dialer->WithholdAddresses(1);
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"dialled 1 rc 0"));
  ASSERT_TRUE(AdvanceUntil(L"hangup 1", std::chrono::seconds(5)));
  EXPECT_GE(clock->Now(), SessionTiming::kAddressWaitLimit);
  ASSERT_TRUE(WaitFor(L"label status! 10.8.0.2                 "));
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"dial 2"));
  // Counted as a refused dial: the redial waited the first back-off pause.
  EXPECT_EQ(BackOffPauses(*clock), std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1030)});
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, ACheckOnAStaleTunnelReconnectsAtOnce) {
  Connect();
  ASSERT_TRUE(WaitFor(L"request status"));  // the first cycle's request waits for its reply
  session->CheckNow();                      // the machine woke up
  http->Script(L"status", {Status(L"2880"), L"junk"});
  http->Script(L"ping", {L"junk"});
  ASSERT_TRUE(WaitFor(L"label status 재접속중입니다."));
  // The cycle's request, the check's request and one ping: no retries.
  const int reconnecting = log.IndexOf(L"label status 재접속중입니다.");
  const auto events = log.Events();
  const std::vector<std::wstring> between(events.begin() + log.IndexOf(L"enable disconnect") + 1,
                                          events.begin() + reconnecting);
  const std::vector<std::wstring> expected = {L"request status", L"label days 2일", L"request status",
                                              L"request ping"};
  EXPECT_EQ(between, expected);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, ACheckOnAHealthyTunnelCostsOneStatusRequest) {
  Connect();
  ASSERT_TRUE(WaitFor(L"request status"));
  const auto checked = clock->Now();
  session->CheckNow();
  http->Script(L"status", {Status(L"2880"), Status(L"2880")});
  ASSERT_TRUE(WaitFor(L"request status", 3));
  const auto events = log.Events();
  const std::vector<std::wstring> after(events.begin() + log.IndexOf(L"enable disconnect") + 1, events.end());
  const std::vector<std::wstring> expected = {L"request status", L"label days 2일", L"request status",
                                              L"label days 2일", L"request status"};
  EXPECT_EQ(after, expected);
  // The check cut the first cycle's pause short: three requests, one pause.
  EXPECT_LT(clock->Now() - checked, 2 * SessionTiming::kCyclePause);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, ACheckWhenNotConnectedDoesNothing) {
  session->CheckNow();
  http->Script(L"join", {kJoinReply});
  http->Script(L"ping", {L"0"});
  session->ConnectButton();
  ASSERT_TRUE(WaitFor(L"enable disconnect"));
  const auto connected = clock->Now();
  http->Script(L"status", {Status(L"2880")});
  ASSERT_TRUE(WaitFor(L"request status", 2));
  EXPECT_GE(clock->Now() - connected, SessionTiming::kCyclePause);  // the first pause was not cut short
  EXPECT_EQ(log.CountPrefix(L"request ping"), 1);
  HangUpAndJoin();
}

TEST_F(ConnectionControllerTest, TwoConnectionsOfTheProcessNeverDialAtOnce) {
  // The first window's dial hangs; the user logs out and signs in again.
  ASSERT_NO_FATAL_FAILURE(AbandonAHeldDial());

  auto secondView = std::make_shared<RecordingView>(log);
  auto secondHttp = std::make_shared<FakeTransport>(log);
  auto second = std::make_shared<ConnectionController>(
      SessionPorts{secondHttp, dialer, watchdog, clock, secondView, dialGate, [] { return kJitter; }});
  second->m_strRandCode = L"CODE2";
  secondHttp->Script(L"join", {kJoinReply});
  secondHttp->Script(L"ping", {L"0"});
  second->ConnectButton();
  clock->Advance(std::chrono::hours(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(log.Count(L"dial 2"), 0);
  dialer->Release();
  ASSERT_TRUE(WaitFor(L"enable disconnect"));
  EXPECT_EQ(dialer->mostDialsAtOnce(), 1);
  EXPECT_LT(log.IndexOf(L"dialled 1 rc 0"), log.IndexOf(L"dial 2"));
  EXPECT_LT(log.IndexOf(L"hangup 1"), log.IndexOf(L"dial 2"));  // the abandoned dial hung up its own
  second->StartHangUp();
  auto joined = std::async(std::launch::async, [&] { second->JoinWorkers(); });
  while (joined.wait_for(kSettle) != std::future_status::ready) clock->AdvanceToNextPause();
  JoinWorkers();
}

TEST_F(ConnectionControllerTest, TheEndOfTheWindowsSessionLeavesAndHangsUpWithinItsBounds) {
  Connect();
  dialer->HoldHangUps();  // a hang-up that does not return cannot hold the end up
  const auto started = std::chrono::steady_clock::now();
  session->EndSession(std::chrono::milliseconds(100));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(http->DeadlineOf(L"leave-notice"), SessionTiming::kEndSessionNotice);
  EXPECT_LT(log.IndexOf(L"request leave-notice"), log.IndexOf(L"hangup held 1"));
  EXPECT_EQ(session->m_bConnected, 0);
  const auto before = log.Events().size();
  dialer->Release();
  ASSERT_TRUE(log.WaitFor(L"hangup 1"));  // the detached hang-up ends
  http->Fallback(L"status", Status(L"0"));
  clock->RunFreely();  // a worker still running would go on now
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto events = log.Events();
  for (std::size_t i = before; i < events.size(); ++i)
    EXPECT_TRUE(events[i] == L"hangup 1" || events[i].rfind(L"request", 0) == 0) << "no effect but the hang-up";
  EXPECT_EQ(log.CountPrefix(L"message"), 0);
}

TEST_F(ConnectionControllerTest, TheEndOfTheWindowsSessionWhenNotConnectedOnlyLeaves) {
  session->EndSession();
  EXPECT_EQ(log.Events(), std::vector<std::wstring>{L"request leave-notice"});
}

}  // namespace
}  // namespace tarvo

// The status request's verdicts over a session's life, and the leave events.

#include <gtest/gtest.h>

#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

class SessionVerdicts : public ServerFixture {
 protected:
  void SetUp() override {
    ServerFixture::SetUp();
    PutAccount("tarvo01", "pw1", 3);
  }
};

TEST_F(SessionVerdicts, StatusCountsDownTheMinutesAndEndsAtZero) {
  const std::string code = Confirm(L"tarvo01", L"pw1");
  EXPECT_EQ(Get("/tarvo_app/index.php?rand_code=" + code).body, "<startCODE>3<endCODE>");
  // Whole minutes rounded up: "0" only once the time is really over.
  const struct {
    std::chrono::milliseconds advance;
    const char* payload;
  } steps[] = {{seconds(59), "3"}, {seconds(2), "2"}, {minutes(1), "1"},
               {seconds(58), "1"}, {seconds(1), "0"}, {minutes(60), "0"}};
  for (const auto& step : steps) {
    AdvanceClock(step.advance);
    EXPECT_EQ(StatusPayload(code), step.payload) << "after another " << step.advance.count() << " ms";
  }
  EXPECT_EQ(Get("/tarvo_app/join.php?k=w&rand_code=" + code).body, "0");

  // New minutes from the admin bring the same session back.
  PutAccount("tarvo01", "pw1", 10);
  EXPECT_EQ(StatusPayload(code), "10");
}

TEST_F(SessionVerdicts, ASecondConfirmationSupersedesTheFirstSession) {
  const std::string first = Confirm(L"tarvo01", L"pw1");
  const std::string second = Confirm(L"tarvo01", L"pw1");
  EXPECT_EQ(StatusPayload(first), "OMG");
  EXPECT_EQ(StatusPayload(second), "3");
  const HttpReply staleJoin = Get("/tarvo_app/join.php?k=w&rand_code=" + first);
  EXPECT_EQ(staleJoin.status, 409);
  EXPECT_FALSE(staleJoin.body.empty());

  // Another account's confirmation does not touch this one.
  PutAccount("other", "pw2", 5);
  Confirm(L"other", L"pw2");
  EXPECT_EQ(StatusPayload(second), "3");
}

TEST_F(SessionVerdicts, AdminSignInElsewhereSupersedesEveryLiveSession) {
  const std::string code = Confirm(L"tarvo01", L"pw1");
  const AdminReply reply = Admin("POST", "/accounts/tarvo01/sign-in-elsewhere");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(*reply.json.Get("superseded")->AsInt(), 1);
  EXPECT_EQ(StatusPayload(code), "OMG");
  EXPECT_EQ(Admin("POST", "/accounts/nobody/sign-in-elsewhere").status, 404);
}

TEST_F(SessionVerdicts, MaintenanceAnswersExitUntilItEnds) {
  const std::string code = Confirm(L"tarvo01", L"pw1");
  ASSERT_EQ(Admin("PATCH", "/config", R"({"maintenance":true})").status, 200);
  EXPECT_EQ(StatusPayload(code), "EXIT");
  ASSERT_EQ(Admin("PATCH", "/config", R"({"maintenance":false})").status, 200);
  EXPECT_EQ(StatusPayload(code), "3");
}

TEST_F(SessionVerdicts, UnknownCodeIsAnErrorPayload) {
  for (const char* code : {"AAAAAAAAAAAAAAAA", "", "%zz", "a-b"})
    EXPECT_EQ(Get(std::string("/tarvo_app/index.php?rand_code=") + code).body, "<startCODE>error<endCODE>")
        << code;
}

TEST_F(SessionVerdicts, DeletedAccountHasNoServiceLeft) {
  const std::string code = Confirm(L"tarvo01", L"pw1");
  ASSERT_EQ(Admin("DELETE", "/accounts/tarvo01").status, 200);
  EXPECT_EQ(StatusPayload(code), "0");
  EXPECT_EQ(Get("/tarvo_app/index.php?r=" + Encoded(L"tarvo01", L"pw1")).body, "No");
}

TEST_F(SessionVerdicts, LeavesAreRecordedAndTheCodeStaysUsableForAReconnect) {
  const std::string code = Confirm(L"tarvo01", L"pw1");
  const HttpReply leave = Get("/tarvo_app/index.php?key=ESC&rand_code=" + code);
  EXPECT_EQ(leave.status, 200);
  EXPECT_EQ(leave.body, "OK");
  EXPECT_EQ(Get("/tarvo_plus/ping.php?key=ESC&rand_code=" + code).body, "OK");

  const AdminReply state = Admin("GET", "/state");
  const Json::Array& events = *state.json.Get("leave_events")->AsArray();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(*events[0].Get("kind")->AsString(), "leave");
  EXPECT_EQ(*events[1].Get("kind")->AsString(), "leave-notice");
  for (const Json& e : events) {
    EXPECT_EQ(*e.Get("code")->AsString(), code);
    EXPECT_EQ(*e.Get("id")->AsString(), "tarvo01");
  }
  const Json& session = state.json.Get("sessions")->AsArray()->front();
  EXPECT_FALSE(session.Get("left_at")->IsNull());

  // After a disconnect the client connects again with the same code.
  EXPECT_EQ(Get("/tarvo_app/join.php?k=w&rand_code=" + code).status, 200);
  EXPECT_EQ(StatusPayload(code), "3");
}

}  // namespace
}  // namespace tarvo::devserver::testing

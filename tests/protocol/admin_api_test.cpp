// Accounts, settings, persistence and reset through the admin interface.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "client/protocol/url_encode.h"
#include "devserver/service/text_codec.h"
#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

class AdminApiTest : public ServerFixture {};

TEST_F(AdminApiTest, AccountsAreCreatedChangedAndDeleted) {
  AdminReply created = Admin("PUT", "/accounts/tarvo01", R"({"password":"old","minutes":120})");
  EXPECT_EQ(created.status, 201);
  EXPECT_EQ(*created.json.Get("minutes_left")->AsInt(), 120);
  EXPECT_EQ(Admin("GET", "/accounts/tarvo01").status, 200);

  EXPECT_EQ(Admin("PUT", "/accounts/tarvo01", R"({"password":"new"})").status, 200);
  EXPECT_EQ(Get("/tarvo_app/index.php?r=" + Encoded(L"tarvo01", L"old")).body, "No");
  EXPECT_EQ(Get("/tarvo_app/index.php?r=" + Encoded(L"tarvo01", L"new")).body, "Yes");
  EXPECT_EQ(*Admin("PUT", "/accounts/tarvo01", R"({"minutes":7})").json.Get("minutes_left")->AsInt(), 7);

  EXPECT_EQ(Admin("PUT", "/accounts/" + PathEscape("홍길동"), R"({"password":"pw"})").status, 201);
  const AdminReply list = Admin("GET", "/accounts");
  ASSERT_EQ(list.json.AsArray()->size(), 2u);
  EXPECT_EQ(*list.json.AsArray()->at(1).Get("id")->AsString(), "홍길동");
  EXPECT_EQ(*list.json.AsArray()->at(1).Get("minutes_left")->AsInt(), 0);

  EXPECT_EQ(Admin("DELETE", "/accounts/tarvo01").status, 200);
  EXPECT_EQ(Admin("DELETE", "/accounts/tarvo01").status, 404);
  EXPECT_EQ(Admin("GET", "/accounts/tarvo01").status, 404);
}

TEST_F(AdminApiTest, OnlyThisMachinesToolsMayDriveIt) {
  const std::string port = std::to_string(server_->adminPort());
  const std::string body = R"({"password":"pw","minutes":60})";
  const auto put = [&](const std::string& host, const std::string& type, const std::string& extra = "") {
    return RawExchange(server_->adminPort(), "PUT /accounts/intruder HTTP/1.1\r\nHost: " + host +
                                                 "\r\nContent-Type: " + type + "\r\n" + extra +
                                                 "Content-Length: " + std::to_string(body.size()) +
                                                 "\r\nConnection: close\r\n\r\n" + body);
  };
  const struct {
    const char* name;
    RawReply reply;
    int status;
  } refused[] = {
      {"foreign host", put("evil.example:" + port, "application/json"), 403},
      {"loopback host, other port", put("127.0.0.1:1", "application/json"), 403},
      {"no port", put("127.0.0.1", "application/json"), 403},
      {"text/plain body", put("127.0.0.1:" + port, "text/plain"), 415},
      {"form body", put("localhost:" + port, "application/x-www-form-urlencoded"), 415},
      {"from a web page", put("127.0.0.1:" + port, "application/json", "Origin: http://evil.example\r\n"), 403},
  };
  for (const auto& r : refused) EXPECT_EQ(r.reply.status, r.status) << r.name;
  EXPECT_EQ(Admin("GET", "/accounts/intruder").status, 404) << "nothing was changed";

  // This machine's tools: each loopback name with the port, and a JSON body.
  EXPECT_EQ(put("127.0.0.1:" + port, "application/json; charset=utf-8").status, 201);
  EXPECT_EQ(put("localhost:" + port, "application/json").status, 200);
  EXPECT_EQ(RawExchange(server_->adminPort(), "POST /reset HTTP/1.1\r\nHost: [::1]:" + port +
                                                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                .status,
            200);
}

TEST_F(AdminApiTest, InstallerFilesComeOnlyFromTheInstallerFolderAndUpToTheCap) {
  namespace fs = std::filesystem;
  const std::string inside = WriteTempFile("setup-inside.exe", "MZ inside");
  const fs::path outsideDir = fs::temp_directory_path() / ("tarvo-outside-" + std::to_string(::getpid()));
  fs::create_directories(outsideDir);
  const fs::path outside = outsideDir / "setup.exe";
  std::ofstream(outside, std::ios::binary) << "MZ outside";
  const fs::path link = fs::path(TempPath("link-to-outside.exe"));
  fs::remove(link);
  fs::create_symlink(outside, link);
  const fs::path huge = fs::path(TempPath("huge.exe"));
  { std::ofstream(huge, std::ios::binary) << "MZ"; }
  fs::resize_file(huge, (std::uintmax_t{256} << 20) + 1);  // sparse: no disk taken

  const auto patch = [&](const std::string& file) {
    return Admin("PATCH", "/config", Json().Set("installer_file", file).Dump()).status;
  };
  const struct {
    const char* name;
    std::string file;
  } refused[] = {
      {"outside the folder", outside.string()},
      {"a link out of the folder", link.string()},
      {"a climb out of the folder", TempPath("") + "/../" + outsideDir.filename().string() + "/setup.exe"},
      {"over the size cap", huge.string()},
      {"missing", TempPath("absent.exe")},
  };
  for (const auto& r : refused) EXPECT_EQ(patch(r.file), 400) << r.name;
  EXPECT_TRUE(Admin("GET", "/config").json.Get("installer_file")->IsNull()) << "nothing was changed";
  EXPECT_EQ(patch(inside), 200);
  EXPECT_EQ(Get("/tarvo_app/download/Tarvo_setup.exe").body, "MZ inside");
  fs::remove_all(outsideDir);
  fs::remove(huge);
}

TEST_F(AdminApiTest, UnusableAccountsAreRefused) {
  const struct {
    std::string id, body;
  } cases[] = {
      {"a%2Cb", R"({"password":"pw"})"},          // a comma would split the join reply
      {"a%01b", R"({"password":"pw"})"},          // control character
      {PathEscape("😀"), R"({"password":"pw"})"},  // not in CP949
      {PathEscape(std::string(65, 'a')), R"({"password":"pw"})"},
      {"%FF", R"({"password":"pw"})"},  // not UTF-8
      {"new", R"({"minutes":5})"},      // a new account needs a password
      {"new", R"({"password":""})"},
      {"new", R"({"password":"pw","minutes":-1})"},
      {"new", R"({"password":"pw","minutes":"5"})"},
      {"new", R"({"password":"pw","minutes":1.5})"},
      {"new", R"({"password":"pw",)"},
      {"new", R"("pw")"},
  };
  for (const auto& c : cases) {
    const AdminReply reply = Admin("PUT", "/accounts/" + c.id, c.body);
    EXPECT_EQ(reply.status, 400) << c.id << " " << c.body;
    EXPECT_TRUE(reply.json.Get("error")) << c.id << " " << c.body;
  }
  EXPECT_EQ(Admin("GET", "/accounts").json.AsArray()->size(), 0u);
}

TEST_F(AdminApiTest, ConfigChangesWhatTheClientIsTold) {
  const std::string installer = WriteTempFile("new_setup.exe", "installer v2");
  const AdminReply changed = Admin("PATCH", "/config",
                                   R"({"version":"1.0.2.7","installer_path":"/dl/Tarvo_setup_1027.exe",)"
                                   R"("installer_file":")" +
                                       installer + "\"}");
  ASSERT_EQ(changed.status, 200) << changed.json.Dump();
  EXPECT_EQ(Get("/tarvo_app/index.php?v=q7d4x2m").body,
            "1.0.2.7,/dl/Tarvo_setup_1027.exe," + Sha256OfBytes("installer v2"));
  EXPECT_EQ(Get("/dl/Tarvo_setup_1027.exe").body, "installer v2");
  EXPECT_EQ(Get("/tarvo_app/download/Tarvo_setup.exe").status, 404);

  for (const char* bad :
       {R"({"version":"1,0"})", R"({"installer_path":"no-slash"})", R"({"vpn_server":"a b"})",
        R"({"maintenance":"yes"})", R"({"installer_file":"/nonexistent/setup.exe"})"}) {
    EXPECT_EQ(Admin("PATCH", "/config", bad).status, 400) << bad;
  }
  EXPECT_EQ(*Admin("GET", "/config").json.Get("version")->AsString(), "1.0.2.7")
      << "refused changes change nothing";
}

TEST_F(AdminApiTest, UnknownEndpointsAnswerJson) {
  const AdminReply reply = Admin("GET", "/nothing");
  EXPECT_EQ(reply.status, 404);
  EXPECT_TRUE(reply.json.Get("error"));
}

TEST_F(AdminApiTest, PostWithoutABodyNeedsNoContentLength) {
  // What "curl -X POST URL" sends.
  const RawReply reply = RawExchange(server_->adminPort(), "POST /reset HTTP/1.1\r\nHost: 127.0.0.1:" +
                                                              std::to_string(server_->adminPort()) +
                                                              "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "{\"reset\":true}\n");
}

class SeededAdmin : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override { config.seedDemo = true; }
};

TEST_F(SeededAdmin, ResetReturnsToTheStateAfterStart) {
  EXPECT_TRUE(Confirm(L"demo", L"demo1234").size() == 16);
  EXPECT_TRUE(Get("/tarvo_app/index.php?act=ok&r=" + Encoded(L"demo", L"demo1234")).body.ends_with(",43200"));
  PutAccount("extra", "pw", 5);
  ASSERT_EQ(Admin("PATCH", "/config", R"({"maintenance":true,"version":"9.9"})").status, 200);
  ASSERT_EQ(Admin("POST", "/faults", R"({"match":"join","mode":"drop"})").status, 201);

  ASSERT_EQ(Admin("POST", "/reset").status, 200);
  const AdminReply accounts = Admin("GET", "/accounts");
  ASSERT_EQ(accounts.json.AsArray()->size(), 1u);
  EXPECT_EQ(*accounts.json.AsArray()->front().Get("id")->AsString(), "demo");
  EXPECT_EQ(Admin("GET", "/state").json.Get("sessions")->AsArray()->size(), 0u);
  EXPECT_EQ(Admin("GET", "/faults").json.AsArray()->size(), 0u);
  EXPECT_EQ(Admin("GET", "/requests").json.AsArray()->size(), 0u);
  EXPECT_EQ(*Admin("GET", "/config").json.Get("maintenance")->AsBool(), false);
  EXPECT_EQ(Get("/tarvo_app/index.php?v=q7d4x2m").body, "1.0.2.6,/tarvo_app/download/Tarvo_setup.exe");
}

TEST(AdminPersistence, AccountsAndSessionsSurviveARestartWithADatabaseFile) {
  ServerConfig config;
  config.dbFile = TempPath("accounts.sqlite");
  std::filesystem::remove(config.dbFile);
  std::string code;
  for (int run = 0; run < 2; ++run) {
    DevServer server(config);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    httplib::Client admin("127.0.0.1", server.adminPort());
    httplib::Client service("127.0.0.1", server.port());
    service.set_url_encode(false);
    const std::string r = ToUtf8(EncodeCredentials(L"홍길동", L"비밀번호1"));
    if (run == 0) {
      ASSERT_EQ(admin
                    .Put(("/accounts/" + PathEscape("홍길동")).c_str(),
                         R"({"password":"비밀번호1","minutes":60})", "application/json")
                    ->status,
                201);
      const auto confirm = service.Get(("/tarvo_app/index.php?act=ok&r=" + r).c_str());
      ASSERT_TRUE(confirm);
      code = confirm->body.substr(0, 16);
    } else {
      EXPECT_EQ(service.Get(("/tarvo_app/index.php?r=" + r).c_str())->body, "Yes");
      const std::string status = service.Get(("/tarvo_app/index.php?rand_code=" + code).c_str())->body;
      EXPECT_TRUE(status == "<startCODE>60<endCODE>" || status == "<startCODE>59<endCODE>") << status;
    }
  }
}

}  // namespace
}  // namespace tarvo::devserver::testing

#pragma once
// A reference server started in-process on loopback ports for each test, with
// a clock the test can move, and helpers for the client's requests.

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "devserver/dev_server.h"
#include "devserver/admin/json.h"
#include "devserver/server_config.h"

namespace tarvo::devserver::testing {

struct HttpReply {
  int status = 0;  // 0: no reply
  std::string body;
  std::string contentType;
};

struct AdminReply {
  int status = 0;
  Json json;
};

class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Adjusts the configuration before the server starts.
  virtual void Configure(ServerConfig&) {}

  // GET of a raw target: sent exactly as written, without re-encoding.
  HttpReply Get(const std::string& target);
  AdminReply Admin(const std::string& method, const std::string& path, const std::string& body = "");
  // Creates or changes an account through the admin interface (id in UTF-8).
  void PutAccount(const std::string& id, const std::string& password, long minutes);

  // The r= value the client sends, as ASCII.
  static std::string Encoded(std::wstring_view id, std::wstring_view password);
  // The session code of a successful confirmation.
  std::string Confirm(std::wstring_view id, std::wstring_view password);
  // The payload between the status markers.
  std::string StatusPayload(const std::string& code);
  void AdvanceClock(std::chrono::milliseconds by) { nowMs_ += by.count(); }

  std::unique_ptr<DevServer> server_;
  std::atomic<std::int64_t> nowMs_{0};
};

// Percent-encodes UTF-8 for a URL path (admin account ids).
std::string PathEscape(std::string_view text);
std::string Sha256OfBytes(const std::string& bytes);
// A file holding `bytes` in this test run's temporary folder (removed when the run ends).
std::string TempPath(const std::string& name);
std::string WriteTempFile(const std::string& name, const std::string& bytes);

}  // namespace tarvo::devserver::testing

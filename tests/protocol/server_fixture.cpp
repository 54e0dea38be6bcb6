#include "server_fixture.h"

#include <openssl/sha.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "client/protocol/url_encode.h"
#include "devserver/service/text_codec.h"
#include "devserver/service/time_format.h"

namespace tarvo::devserver::testing {

void ServerFixture::SetUp() {
  nowMs_ = SystemNowMs();
  ServerConfig config;
  config.clock = [this] { return nowMs_.load(); };
  config.installerFolder = TempPath("");  // where WriteTempFile puts the tests' installers
  Configure(config);
  server_ = std::make_unique<DevServer>(config);
  std::string error;
  ASSERT_TRUE(server_->Start(error)) << error;
}

void ServerFixture::TearDown() {
  if (server_) server_->Stop();
}

HttpReply ServerFixture::Get(const std::string& target) {
  httplib::Client client("127.0.0.1", server_->port());
  client.set_url_encode(false);
  client.set_decompress(false);
  client.set_read_timeout(10, 0);
  auto res = client.Get(target.c_str());
  if (!res) return {};
  return {res->status, res->body, res->get_header_value("Content-Type")};
}

AdminReply ServerFixture::Admin(const std::string& method, const std::string& path, const std::string& body) {
  httplib::Client client("127.0.0.1", server_->adminPort());
  client.set_url_encode(false);
  httplib::Result res = method == "GET"      ? client.Get(path.c_str())
                        : method == "DELETE" ? client.Delete(path.c_str())
                        : method == "PUT"    ? client.Put(path.c_str(), body, "application/json")
                        : method == "PATCH"  ? client.Patch(path.c_str(), body, "application/json")
                                             : client.Post(path.c_str(), body, "application/json");
  if (!res) return {};
  std::string error;
  auto json = Json::Parse(res->body, error);
  EXPECT_TRUE(json) << method << " " << path << ": " << error << " in " << res->body;
  return {res->status, json.value_or(Json())};
}

void ServerFixture::PutAccount(const std::string& id, const std::string& password, long minutes) {
  const std::string body =
      Json().Set("password", password).Set("minutes", static_cast<std::int64_t>(minutes)).Dump();
  const AdminReply reply = Admin("PUT", "/accounts/" + PathEscape(id), body);
  ASSERT_TRUE(reply.status == 200 || reply.status == 201) << reply.status << " " << reply.json.Dump();
}

std::string ServerFixture::Encoded(std::wstring_view id, std::wstring_view password) {
  return ToUtf8(EncodeCredentials(id, password));  // only ASCII escapes
}

std::string ServerFixture::Confirm(std::wstring_view id, std::wstring_view password) {
  const HttpReply reply = Get("/tarvo_app/index.php?act=ok&r=" + Encoded(id, password));
  EXPECT_EQ(reply.status, 200);
  const auto comma = reply.body.find(',');
  EXPECT_NE(comma, std::string::npos) << reply.body;
  return reply.body.substr(0, comma);
}

std::string ServerFixture::StatusPayload(const std::string& code) {
  const std::string body = Get("/tarvo_app/index.php?rand_code=" + code).body;
  const std::string start = "<startCODE>", end = "<endCODE>";
  if (!body.starts_with(start) || !body.ends_with(end)) return "malformed: " + body;
  return body.substr(start.size(), body.size() - start.size() - end.size());
}

std::string PathEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || b == '-' || b == '_' || b == '.') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

std::string Sha256OfBytes(const std::string& bytes) {
  unsigned char md[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), md);
  char hex[2 * SHA256_DIGEST_LENGTH + 1];
  for (int i = 0; i < SHA256_DIGEST_LENGTH; ++i) std::snprintf(hex + 2 * i, 3, "%02x", md[i]);
  return hex;
}

namespace {

std::filesystem::path TempDir() {
  return std::filesystem::temp_directory_path() / ("tarvo-protocol-" + std::to_string(::getpid()));
}

class TempDirCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(TempDir(), ignored);
  }
};

const auto* const kCleanup = ::testing::AddGlobalTestEnvironment(new TempDirCleanup);

}  // namespace

std::string TempPath(const std::string& name) {
  std::filesystem::create_directories(TempDir());
  return (TempDir() / name).string();
}

std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace tarvo::devserver::testing

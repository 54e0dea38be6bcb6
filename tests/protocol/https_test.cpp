// The service over HTTPS with a certificate made for the test.

#include <gtest/gtest.h>

#include <cstdlib>

#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

// A self-signed certificate for 127.0.0.1, made once per test run.
struct Certificate {
  std::string cert = TempPath("server.crt");
  std::string key = TempPath("server.key");
  bool made = false;
  Certificate() {
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "
        "/CN=127.0.0.1 "
        "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    made = std::system(command.c_str()) == 0;
  }
};

const Certificate& TestCertificate() {
  static const Certificate certificate;
  return certificate;
}

class Https : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override {
    ASSERT_TRUE(TestCertificate().made) << "openssl could not make a certificate";
    config.tlsCert = TestCertificate().cert;
    config.tlsKey = TestCertificate().key;
  }
};

TEST_F(Https, ServesTheProtocolOverTls) {
  EXPECT_EQ(server_->url(), "https://127.0.0.1:" + std::to_string(server_->port()));
  PutAccount("홍길동", "비밀번호1", 90);

  httplib::SSLClient client("127.0.0.1", server_->port());
  client.set_ca_cert_path(TestCertificate().cert);
  client.enable_server_certificate_verification(true);
  client.set_url_encode(false);
  const auto version = client.Get("/tarvo_app/index.php?v=q7d4x2m");
  ASSERT_TRUE(version) << httplib::to_string(version.error());
  EXPECT_EQ(version->body, "1.0.2.6,/tarvo_app/download/Tarvo_setup.exe");
  const auto confirm =
      client.Get(("/tarvo_app/index.php?act=ok&r=" + Encoded(L"홍길동", L"비밀번호1")).c_str());
  ASSERT_TRUE(confirm);
  EXPECT_TRUE(confirm->body.ends_with(",90")) << confirm->body;

  // The admin interface stays plain HTTP on loopback.
  EXPECT_EQ(Admin("GET", "/health").status, 200);
}

TEST_F(Https, PlainHttpOnTheTlsPortGetsNoReply) {
  const RawReply reply =
      RawExchange(server_->port(), RawGet("/tarvo_plus/ping.php"), std::chrono::seconds(6));
  EXPECT_EQ(reply.status, 0);
  httplib::SSLClient client("127.0.0.1", server_->port());
  client.enable_server_certificate_verification(false);
  const auto ping = client.Get("/tarvo_plus/ping.php");
  ASSERT_TRUE(ping);
  EXPECT_EQ(ping->body, "0");
}

TEST(HttpsSetup, UnusableCertificateOrKeyIsAClearError) {
  ASSERT_TRUE(TestCertificate().made);
  const std::string garbage = WriteTempFile("garbage.pem", "not a certificate");
  const struct {
    std::string cert, key, mentions;
  } cases[] = {
      {TempPath("missing.crt"), TestCertificate().key, "certificate"},
      {garbage, TestCertificate().key, "certificate"},
      {TestCertificate().cert, garbage, "key"},
      {TestCertificate().cert, "", "certificate and a key"},
  };
  for (const auto& c : cases) {
    ServerConfig config;
    config.tlsCert = c.cert;
    config.tlsKey = c.key;
    DevServer server(config);
    std::string error;
    EXPECT_FALSE(server.Start(error)) << c.cert << " " << c.key;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tarvo::devserver::testing

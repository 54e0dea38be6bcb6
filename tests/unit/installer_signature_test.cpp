#include "client/update/installer_signature.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "client/update/download_progress.h"
#include "client/update/sha256.h"

namespace tarvo {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

// A .sig file as the signing tool writes it: the hex digits and a line break.
std::wstring SignatureFile(const std::string& name) {
  std::string text = ReadFile(std::string(TARVO_SIGNATURES_DIR) + "/" + name);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return std::wstring(text.begin(), text.end());
}

Sha256Digest DigestOfText(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return hash.Finish().value();
}

// A file signed at build time by the tool that signs the installer, with
// this build's key and with another one.
class InstallerSignature : public ::testing::Test {
 protected:
  const std::string sample = ReadFile(TARVO_SIGNED_SAMPLE);
  const Sha256Digest digest = DigestOfText(sample);
  const std::wstring publisher = SignatureFile("publisher.sig");
  const std::wstring otherKey = SignatureFile("other-key.sig");
};

TEST_F(InstallerSignature, TheBuildsOwnSignatureVerifiesWithTheCompiledInKey) {
  ASSERT_FALSE(sample.empty());
  ASSERT_EQ(publisher.size(), 128u);
  EXPECT_TRUE(IsSignedBy(PublisherKey(), digest, publisher));
  std::wstring upper = publisher;
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'f') c = static_cast<wchar_t>(c - L'a' + L'A');
  EXPECT_TRUE(IsSignedBy(PublisherKey(), digest, upper));
}

TEST_F(InstallerSignature, AnythingElseIsRefused) {
  std::string changed = sample;
  changed[changed.size() / 2] ^= 0x01;
  std::wstring flipped = publisher;
  flipped[70] = flipped[70] == L'0' ? L'1' : L'0';  // one bit of s
  const struct {
    const char* what;
    Sha256Digest digest;
    std::wstring signature;
  } cases[] = {
      {"one byte of the file changed", DigestOfText(changed), publisher},
      {"a byte more at the end", DigestOfText(sample + '\0'), publisher},
      {"signed by another key", digest, otherKey},
      {"one bit of the signature changed", digest, flipped},
      {"truncated signature", digest, publisher.substr(0, 126)},
      {"only r", digest, publisher.substr(0, 64)},
      {"a digit too many", digest, publisher + L"0"},
      {"empty signature", digest, L""},
      {"not hex", digest, L"zz" + publisher.substr(2)},
      {"blank inside", digest, publisher.substr(0, 64) + L" " + publisher.substr(65)},
      {"all zero", digest, std::wstring(128, L'0')},
  };
  for (const auto& c : cases) EXPECT_FALSE(IsSignedBy(PublisherKey(), c.digest, c.signature)) << c.what;
}

TEST_F(InstallerSignature, AKeyOffTheCurveVerifiesNothing) {
  const auto signature = ParseSignatureHex(publisher);
  ASSERT_TRUE(signature);
  EcdsaP256Point offCurve = PublisherKey();
  offCurve[63] ^= 0x01;  // Y no longer matches X
  EXPECT_FALSE(VerifyEcdsaP256(offCurve, digest, *signature));
  EXPECT_FALSE(VerifyEcdsaP256(EcdsaP256Point{}, digest, *signature));
}

// Reads a text in pieces, as the file is read back from the disk.
class TextSource : public DownloadSource {
 public:
  explicit TextSource(std::string text) : text_(std::move(text)) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity) override {
    const std::size_t n = std::min({capacity, text_.size() - at_, std::size_t{1000}});
    std::copy_n(text_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

TEST_F(InstallerSignature, TheFileOnTheDiskMustBeWhatWasReceivedAndSigned) {
  DownloadOutcome received;
  received.received = sample.size();
  received.digest = digest;
  const auto onDisk = [](std::string text) {
    TextSource source(std::move(text));
    return DigestOf(source);
  };
  const FileDigest same = onDisk(sample);
  EXPECT_EQ(same.size, sample.size());
  EXPECT_EQ(same.sha256, digest);
  EXPECT_TRUE(IsPublishersInstaller(received, same, publisher));

  std::string swapped = sample;
  swapped[0] ^= 0x20;
  EXPECT_FALSE(IsPublishersInstaller(received, onDisk(swapped), publisher)) << "changed after the download";
  EXPECT_FALSE(IsPublishersInstaller(received, onDisk(sample + "x"), publisher)) << "grown after the download";
  EXPECT_FALSE(IsPublishersInstaller(received, same, otherKey)) << "signed by another key";
  EXPECT_FALSE(IsPublishersInstaller(received, same, L"")) << "no signature";
}

}  // namespace
}  // namespace tarvo

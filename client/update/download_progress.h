#pragma once
// The updater's download loop and the rules around it, apart from WinINet
// and the window: what the percentage shows, when the loop ends, and when
// the downloaded installer may be launched.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "client/update/installer_signature.h"
#include "client/update/sha256.h"

namespace tarvo {

inline constexpr std::size_t kDownloadReadSize = 1024;
// Reads that return nothing before the loop gives up; they need not be consecutive.
inline constexpr int kZeroReadAllowance = 10;


// The percentage shown after a read: received / announced * 100, truncated,
// never above 100. While no length is known (none announced, or 0) it is 0.
int DownloadPercent(std::uint64_t received, std::optional<std::uint32_t> announced);
// "37 %".
std::wstring PercentText(int percent);

// Where the bytes come from: at most `capacity` bytes per read; 0 when a read
// gave nothing (the end, or a failure).
class DownloadSource {
 public:
  virtual ~DownloadSource() = default;
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t capacity) = 0;
};

// Where they go; false when a write failed.
class DownloadSink {
 public:
  virtual ~DownloadSink() = default;
  virtual bool Write(const std::uint8_t* bytes, std::size_t size) = 0;
};

struct DownloadOutcome {
  std::uint64_t received = 0;
  Sha256Digest digest{};  // of the bytes received
  bool writeFailed = false;
  bool hashFailed = false;  // the platform could not hash: nothing is launched
  bool stopped = false;
};

// Reads up to kDownloadReadSize bytes per pass, writes them, and reports the
// percentage after every read, empty ones included. Ends after the
// kZeroReadAllowance-th empty read, at a failed write, or at a stop request
// (then nothing more is reported).
DownloadOutcome RunDownloadLoop(DownloadSource& source, DownloadSink& sink,
                                std::optional<std::uint32_t> announced,
                                const std::function<void(int percent)>& progress, std::stop_token stop = {});

// The installer's path from the version reply is used only as a plain
// absolute path on the service's own host: one leading "/", and no "//", "@",
// "\\" or control character (so that, appended to the base URL, it cannot
// name another host, port or scheme).
bool IsPlainInstallerPath(std::wstring_view path);

// Only a complete download is launched: every byte written, as many bytes as
// a known, non-zero Content-Length announced, and, when the version reply
// named a SHA-256, that digest (hex, either case).
bool IsCompleteDownload(const DownloadOutcome& outcome, std::optional<std::uint32_t> announced,
                        std::wstring_view expectedSha256);

// A file read back from the disk.
struct FileDigest {
  std::uint64_t size = 0;
  Sha256Digest sha256{};
  bool hashFailed = false;
};
// Reads `file` until a read gives nothing.
FileDigest DigestOf(DownloadSource& file);

// The check before the launch, on the file as it lies on the disk, held open
// against writing: it holds exactly the bytes that were received (and passed
// IsCompleteDownload), and the version reply's signature of them verifies
// against `key`, the publisher's key this client was built with.
bool IsPublishersInstaller(const DownloadOutcome& received, const FileDigest& onDisk,
                           std::wstring_view signatureHex, const EcdsaP256Point& key = PublisherKey());

}  // namespace tarvo

#include "client/update/download_progress.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "client/update/sha256.h"
#include "common/text/hex.h"
#include "common/text/characters.h"

namespace tarvo {
int DownloadPercent(std::uint64_t received, std::optional<std::uint32_t> announced) {
  if (!announced || *announced == 0) return 0;
  const double percent = static_cast<double>(received) / static_cast<double>(*announced) * 100.0;
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}

std::wstring PercentText(int percent) {
  wchar_t text[16];
  std::swprintf(text, std::size(text), L"%d %%", percent);
  return text;
}

DownloadOutcome RunDownloadLoop(DownloadSource& source, DownloadSink& sink,
                                std::optional<std::uint32_t> announced,
                                const std::function<void(int)>& progress, std::stop_token stop) {
  DownloadOutcome outcome;
  Sha256 hash;
  std::uint8_t buffer[kDownloadReadSize];
  int zeroReadsLeft = kZeroReadAllowance;
  for (;;) {
    if (stop.stop_requested()) {
      outcome.stopped = true;
      break;
    }
    const std::size_t read = std::min(source.Read(buffer, sizeof buffer), sizeof buffer);
    if (stop.stop_requested()) {
      outcome.stopped = true;
      break;
    }
    if (read > 0) {
      if (!sink.Write(buffer, read)) {
        outcome.writeFailed = true;
        break;
      }
      hash.Update(buffer, read);
      outcome.received += read;
    }
    progress(DownloadPercent(outcome.received, announced));
    if (read == 0 && --zeroReadsLeft == 0) break;
  }
  if (const auto digest = hash.Finish())
    outcome.digest = *digest;
  else
    outcome.hashFailed = true;
  return outcome;
}

bool IsPlainInstallerPath(std::wstring_view path) {
  if (path.size() < 2 || path[0] != L'/' || path.find(L"//") != std::wstring_view::npos) return false;
  for (const wchar_t c : path)
    if (c == L'@' || c == L'\\' || IsControlCharacter(c)) return false;
  return true;
}

bool IsCompleteDownload(const DownloadOutcome& outcome, std::optional<std::uint32_t> announced,
                        std::wstring_view expectedSha256) {
  if (outcome.stopped || outcome.writeFailed || outcome.hashFailed) return false;
  if (!announced || *announced == 0 || outcome.received != *announced) return false;
  if (expectedSha256.empty()) return true;
  Sha256Digest expected{};
  return ParseHex(expectedSha256, expected) && expected == outcome.digest;
}

FileDigest DigestOf(DownloadSource& file) {
  FileDigest result;
  Sha256 hash;
  std::uint8_t buffer[64 * 1024];
  for (std::size_t read; (read = std::min(file.Read(buffer, sizeof buffer), sizeof buffer)) > 0;) {
    hash.Update(buffer, read);
    result.size += read;
  }
  if (const auto digest = hash.Finish())
    result.sha256 = *digest;
  else
    result.hashFailed = true;
  return result;
}

bool IsPublishersInstaller(const DownloadOutcome& received, const FileDigest& onDisk,
                           std::wstring_view signatureHex, const EcdsaP256Point& key) {
  return !onDisk.hashFailed && !received.hashFailed && onDisk.size == received.received &&
         onDisk.sha256 == received.digest &&
         IsSignedBy(key, onDisk.sha256, signatureHex);
}

}  // namespace tarvo

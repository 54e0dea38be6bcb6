#pragma once
// Faults that tests inject into the answers of the service listener.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::devserver {

enum class FaultMode {
  kHang,       // no answer until the rule is cleared or `seconds` pass, then the normal reply
  kDrop,       // the connection is closed without a reply
  kDelay,      // the normal reply after `ms` milliseconds
  kStatus500,  // an HTML error page with status 500
  kGarbage,    // random bytes with status 200
  kTruncate,   // the normal headers, then half the body, then the connection is closed
  kDrip,       // the normal reply, head and body, one byte every `ms` milliseconds (default 1000)
  kOversize,   // status 200 and a body of `bytes` bytes (default 1 MiB + 1) with its Content-Length
  kChunkCut,   // the normal headers, a chunk announcing the whole body, half of it, then the connection is reset
  kReply,      // status 200 and `text`, in the client's code page, as the body
  kRedirect,   // status 302 with `text` as the Location
  kOverlong,   // the normal reply with a Content-Length `bytes` short of its body (default 1), the whole body,
               // then the connection is closed
};

std::string_view NameOf(FaultMode mode);
std::optional<FaultMode> ParseFaultMode(std::string_view name);

struct FaultRule {
  std::uint64_t id = 0;
  // A request name ("status", "join", ...) or a raw path beginning with "/".
  std::string match;
  FaultMode mode = FaultMode::kDrop;
  std::int64_t ms = 0;                    // kDelay
  std::int64_t seconds = 0;               // kHang; 0 = until cleared
  std::int64_t bytes = 0;                 // kOversize, kOverlong; 0 = the default
  std::string text;                       // kReply, kRedirect
  std::optional<std::int64_t> remaining;  // uses left; none = until cleared
};

class FaultInjector {
 public:
  std::uint64_t Add(FaultRule rule);
  bool Remove(std::uint64_t id);
  void Clear();
  std::vector<FaultRule> List() const;

  // The first rule for this request, with one of its uses spent.
  std::optional<FaultRule> Take(std::string_view requestName, std::string_view rawPath);

  // Blocks a hung request until its rule is removed or cleared, `limit` passes
  // (zero: no limit) or Shutdown().
  void WaitWhileHeld(std::uint64_t id, std::chrono::milliseconds limit);
  // Sleeps for `duration` unless Shutdown() comes first; false when it did.
  bool Sleep(std::chrono::milliseconds duration);
  // Releases every waiting request; the server is stopping.
  void Shutdown();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FaultRule> rules_;
  // Hang rules stay held after their last use until removed or cleared, so
  // that a "hang the next request" rule keeps that request hanging.
  std::set<std::uint64_t> held_;
  std::uint64_t nextId_ = 1;
  bool shutdown_ = false;
};

}  // namespace tarvo::devserver

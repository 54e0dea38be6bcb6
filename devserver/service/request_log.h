#pragma once
// Every request the service listener received, with its head (request line
// and header lines) byte for byte as it came off the connection.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tarvo::devserver {

struct LoggedRequest {
  std::uint64_t seq = 0;
  std::int64_t atMs = 0;
  std::string remote;  // "127.0.0.1:53012"
  std::string head;    // raw bytes up to and including the blank line
  std::string name;    // request name, see request_target.h
  std::string fault;   // mode of the injected fault, or empty
  int status = 0;      // reply status; 0 while pending or when no reply was sent
};

class RequestLog {
 public:
  std::uint64_t Add(LoggedRequest entry);
  void SetFault(std::uint64_t seq, std::string fault);
  void SetStatus(std::uint64_t seq, int status);
  std::vector<LoggedRequest> List() const;
  void Clear();

  // The oldest entries are dropped beyond either bound, so that a long run
  // cannot exhaust memory: 10,000 entries, 16 MiB of heads and names.
  static constexpr std::size_t kCapacity = 10'000;
  static constexpr std::size_t kCapacityBytes = std::size_t{16} << 20;

 private:
  LoggedRequest* FindLocked(std::uint64_t seq);

  mutable std::mutex mutex_;
  std::deque<LoggedRequest> entries_;
  std::size_t bytes_ = 0;
  std::uint64_t nextSeq_ = 1;
};

}  // namespace tarvo::devserver

#include "devserver/service/request_log.h"

namespace tarvo::devserver {
namespace {

std::size_t SizeOf(const LoggedRequest& e) { return e.head.size() + e.remote.size() + e.name.size() + e.fault.size(); }

}  // namespace

std::uint64_t RequestLog::Add(LoggedRequest entry) {
  std::lock_guard lock(mutex_);
  entry.seq = nextSeq_++;
  bytes_ += SizeOf(entry);
  entries_.push_back(std::move(entry));
  while (entries_.size() > 1 && (entries_.size() > kCapacity || bytes_ > kCapacityBytes)) {
    bytes_ -= SizeOf(entries_.front());
    entries_.pop_front();
  }
  return entries_.back().seq;
}

LoggedRequest* RequestLog::FindLocked(std::uint64_t seq) {
  // Sequence numbers are consecutive within the deque.
  if (entries_.empty() || seq < entries_.front().seq) return nullptr;
  const std::uint64_t index = seq - entries_.front().seq;
  if (index >= entries_.size() || entries_[index].seq != seq) return nullptr;
  return &entries_[index];
}

void RequestLog::SetFault(std::uint64_t seq, std::string fault) {
  std::lock_guard lock(mutex_);
  if (auto* e = FindLocked(seq)) {
    bytes_ += fault.size() - e->fault.size();
    e->fault = std::move(fault);
  }
}

void RequestLog::SetStatus(std::uint64_t seq, int status) {
  std::lock_guard lock(mutex_);
  if (auto* e = FindLocked(seq)) e->status = status;
}

std::vector<LoggedRequest> RequestLog::List() const {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  bytes_ = 0;
}

}  // namespace tarvo::devserver

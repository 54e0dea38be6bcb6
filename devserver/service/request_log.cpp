#include "devserver/service/request_log.h"

namespace tarvo::devserver {

std::uint64_t RequestLog::Add(LoggedRequest entry) {
  std::lock_guard lock(mutex_);
  entry.seq = nextSeq_++;
  entries_.push_back(std::move(entry));
  if (entries_.size() > kCapacity) entries_.pop_front();
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
  if (auto* e = FindLocked(seq)) e->fault = std::move(fault);
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
}

}  // namespace tarvo::devserver

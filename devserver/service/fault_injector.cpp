#include "devserver/service/fault_injector.h"

#include <algorithm>
#include <array>

namespace tarvo::devserver {
namespace {

constexpr std::array<std::string_view, 12> kModeNames = {"hang",     "drop",  "delay",    "status500",
                                                         "garbage",  "truncate", "drip", "oversize",
                                                         "chunkcut", "reply", "redirect", "overlong"};

}  // namespace

std::string_view NameOf(FaultMode mode) { return kModeNames[static_cast<std::size_t>(mode)]; }

std::optional<FaultMode> ParseFaultMode(std::string_view name) {
  for (std::size_t i = 0; i < kModeNames.size(); ++i)
    if (kModeNames[i] == name) return static_cast<FaultMode>(i);
  return std::nullopt;
}

std::uint64_t FaultInjector::Add(FaultRule rule) {
  std::lock_guard lock(mutex_);
  rule.id = nextId_++;
  if (rule.mode == FaultMode::kHang) held_.insert(rule.id);
  rules_.push_back(rule);
  return rule.id;
}

bool FaultInjector::Remove(std::uint64_t id) {
  std::lock_guard lock(mutex_);
  const bool wasHeld = held_.erase(id) > 0;
  const auto removed = std::erase_if(rules_, [id](const FaultRule& r) { return r.id == id; });
  changed_.notify_all();
  return wasHeld || removed > 0;
}

void FaultInjector::Clear() {
  std::lock_guard lock(mutex_);
  rules_.clear();
  held_.clear();
  changed_.notify_all();
}

std::vector<FaultRule> FaultInjector::List() const {
  std::lock_guard lock(mutex_);
  return rules_;
}

std::optional<FaultRule> FaultInjector::Take(std::string_view requestName, std::string_view rawPath) {
  std::lock_guard lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    const bool matches = it->match.starts_with('/') ? it->match == rawPath : it->match == requestName;
    if (!matches) continue;
    FaultRule taken = *it;
    if (it->remaining && --*it->remaining <= 0) rules_.erase(it);
    return taken;
  }
  return std::nullopt;
}

void FaultInjector::WaitWhileHeld(std::uint64_t id, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  auto released = [&] { return shutdown_ || !held_.contains(id); };
  if (limit.count() > 0)
    changed_.wait_for(lock, limit, released);
  else
    changed_.wait(lock, released);
}

bool FaultInjector::Sleep(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, duration, [&] { return shutdown_; });
}

void FaultInjector::Shutdown() {
  std::lock_guard lock(mutex_);
  shutdown_ = true;
  changed_.notify_all();
}

}  // namespace tarvo::devserver

#pragma once
// Fakes of the session's ports that write one shared, ordered event log.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "client/protocol/http_transport.h"
#include "client/session/session_ports.h"
#include "client/protocol/service_requests.h"

namespace tarvo::testing {

class EventLog {
 public:
  void Add(std::wstring event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }
  std::vector<std::wstring> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  int Count(const std::wstring& event) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& e : events_) n += e == event;
    return n;
  }
  int CountPrefix(const std::wstring& prefix) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& e : events_) n += e.rfind(prefix, 0) == 0;
    return n;
  }
  // Position of the first event equal to `event`, or -1.
  int IndexOf(const std::wstring& event, int from = 0) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = static_cast<std::size_t>(from); i < events_.size(); ++i)
      if (events_[i] == event) return static_cast<int>(i);
    return -1;
  }
  // Waits (in real time) until `event` has been logged `times` times.
  bool WaitFor(const std::wstring& event, int times = 1,
               std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
      int n = 0;
      for (const auto& e : events_) n += e == event;
      return n >= times;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::wstring> events_;
};

// Requests are named by what they ask for; each name has a queue of replies.
// When a queue runs dry the request blocks like a server that does not
// answer, until its stop token ends it (or `fallback` is set).
class FakeTransport : public HttpTransport {
 public:
  explicit FakeTransport(EventLog& log) : log_(log) {}

  static std::wstring NameOf(std::wstring_view url) { return std::wstring(service::RequestName(url)); }

  void Script(const std::wstring& name, std::vector<std::wstring> replies) {
    std::lock_guard lock(mutex_);
    for (auto& r : replies) queues_[name].push_back(std::move(r));
    changed_.notify_all();
  }
  void Fallback(const std::wstring& name, std::wstring reply) {
    std::lock_guard lock(mutex_);
    fallback_[name] = std::move(reply);
    changed_.notify_all();
  }

  // Requests of this name wait for Release() even when stopped, as a
  // platform whose blocked calls cannot be interrupted would.
  void Deafen(const std::wstring& name) {
    std::lock_guard lock(mutex_);
    deaf_ = name;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    deaf_.clear();
    changed_.notify_all();
  }

  RequestStatus Send(std::wstring& reply, std::wstring_view url, std::stop_token stop) override {
    const std::wstring name = NameOf(url);
    log_.Add(L"request " + name);
    std::unique_lock lock(mutex_);
    if (deaf_ == name) {
      changed_.wait(lock, [&] { return deaf_ != name; });
      return 12002;  // timed out
    }
    std::condition_variable_any& cv = changed_;
    cv.wait(lock, stop, [&] { return !queues_[name].empty() || fallback_.count(name) > 0; });
    if (stop.stop_requested()) return 12017;  // cancelled
    if (!queues_[name].empty()) {
      reply += queues_[name].front();
      queues_[name].pop_front();
    } else {
      reply += fallback_[name];
    }
    return 0;
  }

  // A server that has not answered by the deadline is given up at once.
  RequestStatus SendWithin(std::wstring& reply, std::wstring_view url, std::chrono::milliseconds deadline) override {
    const std::wstring name = NameOf(url);
    log_.Add(L"request " + name);
    std::lock_guard lock(mutex_);
    deadlines_[name] = deadline;
    if (!queues_[name].empty()) {
      reply += queues_[name].front();
      queues_[name].pop_front();
      return 0;
    }
    if (fallback_.count(name) == 0) return 12002;  // timed out
    reply += fallback_[name];
    return 0;
  }
  // The deadline of the last bounded request of this name (0: none was).
  std::chrono::milliseconds DeadlineOf(const std::wstring& name) {
    std::lock_guard lock(mutex_);
    return deadlines_.count(name) != 0 ? deadlines_[name] : std::chrono::milliseconds(0);
  }

 private:
  EventLog& log_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::map<std::wstring, std::chrono::milliseconds> deadlines_;
  std::map<std::wstring, std::deque<std::wstring>> queues_;
  std::map<std::wstring, std::wstring> fallback_;
  std::wstring deaf_;
};

class FakeDialer : public VpnDialer {
 public:
  explicit FakeDialer(EventLog& log) : log_(log) {}

  // Results of the next dials (0 when none is scripted).
  void ScriptDials(std::vector<int> results) {
    std::lock_guard lock(mutex_);
    for (int r : results) results_.push_back(r);
  }
  // Makes the next dial block until Release() is called.
  void HoldNextDial() { hold_ = true; }
  // Makes hang-ups block until Release() is called.
  void HoldHangUps() { holdHangUps_ = true; }
  void Release() {
    std::lock_guard lock(mutex_);
    hold_ = false;
    holdHangUps_ = false;
    released_.notify_all();
  }
  // The most dials that were ever under way at once.
  int mostDialsAtOnce() {
    std::lock_guard lock(mutex_);
    return mostDialsAtOnce_;
  }
  void LoseAddress() {
    std::lock_guard lock(mutex_);
    address_ = L"-";
  }
  // The next `dials` accepted dials bring their adapter no address.
  void WithholdAddresses(int dials) {
    std::lock_guard lock(mutex_);
    addressless_ = dials;
  }
  std::wstring lastUser() {
    std::lock_guard lock(mutex_);
    return lastUser_;
  }

  int Dial(const DialRequest& request, ConnHandle& handle) override {
    std::unique_lock lock(mutex_);
    const ConnHandle mine = ++nextHandle_;
    log_.Add(L"dial " + std::to_wstring(mine));
    lastUser_ = request.user;
    mostDialsAtOnce_ = std::max(mostDialsAtOnce_, ++dialsAtOnce_);
    released_.wait(lock, [&] { return !hold_; });
    --dialsAtOnce_;
    handle = mine;
    int rc = 0;
    if (!results_.empty()) {
      rc = results_.front();
      results_.pop_front();
    }
    if (rc == 0 && addressless_ > 0)
      --addressless_;
    else if (rc == 0)
      address_ = L"10.8.0." + std::to_wstring(mine);
    log_.Add(L"dialled " + std::to_wstring(mine) + L" rc " + std::to_wstring(rc));
    return rc;
  }
  void HangUp(ConnHandle handle) override {
    std::unique_lock lock(mutex_);
    if (holdHangUps_) {
      log_.Add(L"hangup held " + std::to_wstring(handle));
      released_.wait(lock, [&] { return !holdHangUps_; });
    }
    log_.Add(L"hangup " + std::to_wstring(handle));
    if (handle != 0 && address_ == L"10.8.0." + std::to_wstring(handle)) address_ = L"-";
  }
  std::wstring GetVpnAddress() override {
    std::lock_guard lock(mutex_);
    return address_;
  }

 private:
  EventLog& log_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::deque<int> results_;
  std::atomic<bool> hold_{false};
  std::atomic<bool> holdHangUps_{false};
  int dialsAtOnce_ = 0;
  int mostDialsAtOnce_ = 0;
  ConnHandle nextHandle_ = 0;
  int addressless_ = 0;
  std::wstring address_ = L"-";
  std::wstring lastUser_;
};

class FakeWatchdog : public WatchdogProbe {
 public:
  bool WatchdogAlive() override { return alive.load(); }
  std::atomic<bool> alive{true};
};

// Time stands still until the test moves it. A pause ends once the clock has
// been moved to its end (or a stop is requested); a test moves it with
// Advance or to the end of the earliest pause in progress with
// AdvanceToNextPause. A pause of the thread that made the clock (the test's,
// standing in for the window's thread) moves the clock itself: the test
// called what waits. RunFreely lets every pause end at once, for a test's
// end, where nothing should wait for time that will not come.
class FakeClock : public Clock {
 public:
  bool Pause(std::stop_token stop, std::chrono::milliseconds duration) override {
    std::unique_lock lock(mutex_);
    const std::chrono::milliseconds end = now_ + duration;
    durations_.push_back(duration);
    if (std::this_thread::get_id() == testThread_) {
      now_ = end;
      changed_.notify_all();
      return !stop.stop_requested();
    }
    const auto pending = pending_.insert(end);
    changed_.notify_all();
    changed_.wait(lock, stop, [&] { return free_ || now_ >= end; });
    pending_.erase(pending);
    return !stop.stop_requested();
  }

  void Advance(std::chrono::milliseconds by) {
    std::lock_guard lock(mutex_);
    now_ += by;
    changed_.notify_all();
  }

  // Waits (in real time, up to `wait`) for a pause in progress and moves the
  // clock to its end; false when none came.
  bool AdvanceToNextPause(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, wait, [&] { return !pending_.empty(); })) return false;
    now_ = std::max(now_, *pending_.begin());
    changed_.notify_all();
    return true;
  }

  void RunFreely() {
    std::lock_guard lock(mutex_);
    free_ = true;
    changed_.notify_all();
  }

  // The time the test has moved the clock by.
  std::chrono::milliseconds Now() override {
    std::lock_guard lock(mutex_);
    return now_;
  }

  // Every pause asked for so far, in order, with these durations only.
  std::vector<std::chrono::milliseconds> Pauses(const std::function<bool(std::chrono::milliseconds)>& which) {
    std::lock_guard lock(mutex_);
    std::vector<std::chrono::milliseconds> chosen;
    for (const auto d : durations_)
      if (which(d)) chosen.push_back(d);
    return chosen;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::chrono::milliseconds> durations_;
  std::condition_variable_any changed_;
  std::chrono::milliseconds now_{0};
  std::multiset<std::chrono::milliseconds> pending_;
  bool free_ = false;
  const std::thread::id testThread_ = std::this_thread::get_id();
};

class RecordingView : public SessionView {
 public:
  explicit RecordingView(EventLog& log) : log_(log) {}
  static std::wstring Name(SessionLabel label) {
    switch (label) {
      case SessionLabel::FixedIp: return L"fixedip";
      case SessionLabel::Status: return L"status";
      default: return L"days";
    }
  }
  static std::wstring Name(SessionButton button) {
    switch (button) {
      case SessionButton::Exit: return L"exit";
      case SessionButton::Logout: return L"logout";
      case SessionButton::Connect: return L"connect";
      default: return L"disconnect";
    }
  }
  void SetLabel(SessionLabel label, const std::wstring& text, bool oneStep) override {
    log_.Add(L"label " + Name(label) + (oneStep ? L"!" : L"") + L" " + text);
  }
  void EnableButton(SessionButton button, bool enabled) override {
    log_.Add(std::wstring(enabled ? L"enable " : L"disable ") + Name(button));
  }
  void Invalidate(bool erase) override { log_.Add(erase ? L"invalidate erase" : L"invalidate"); }
  void ShowMessage(const std::wstring& text) override { log_.Add(L"message " + text); }
  void QuitApplication() override { log_.Add(L"quit"); }
  void ExitApplication() override { log_.Add(L"app-exit"); }

 private:
  EventLog& log_;
};

}  // namespace tarvo::testing

#pragma once
// One dial at a time in the whole process. Every session window has a
// connection of its own, and a dial abandoned by a logout may still be under
// way when the next window dials: the remote-access service must never see
// two dials of the entry at once. A dial waits, on its own worker and
// stop-aware, until the dial before it has returned.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

namespace tarvo {

class DialGate {
 public:
  // Waits until no dial is under way, then runs `start` with the gate held;
  // when it returns true the dial counts as under way until Leave(). False
  // when `stop` was requested first or `start` declined.
  bool Enter(std::stop_token stop, const std::function<bool()>& start);
  void Leave();

 private:
  std::mutex mutex_;
  std::condition_variable_any done_;
  bool dialling_ = false;
};

// The gate every connection of this process shares.
std::shared_ptr<DialGate> ProcessDialGate();

}  // namespace tarvo

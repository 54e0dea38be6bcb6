#include "client/session/dial_gate.h"

namespace tarvo {

bool DialGate::Enter(std::stop_token stop, const std::function<bool()>& start) {
  std::unique_lock lock(mutex_);
  if (!done_.wait(lock, stop, [this] { return !dialling_; })) return false;
  if (!start()) return false;
  dialling_ = true;
  return true;
}

void DialGate::Leave() {
  {
    std::lock_guard lock(mutex_);
    dialling_ = false;
  }
  done_.notify_all();
}

std::shared_ptr<DialGate> ProcessDialGate() {
  static const auto gate = std::make_shared<DialGate>();
  return gate;
}

}  // namespace tarvo

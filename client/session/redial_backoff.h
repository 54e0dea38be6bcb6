#pragma once
// How long to wait before dialling again. A tunnel server that refuses every
// dial (a wrong tunnel password, a locked account) must not be dialled every
// second for ever: refused dials back off 1, 2, 4, 8, 16, 32, then 60 s, each
// moved by up to 10 % either way so that many clients do not dial in step.
// A confirmed connection brings the pause back to the plain 1 s.

#include <chrono>
#include <functional>

namespace tarvo {

// The pause before the next dial after `refusals` refused dials in a row;
// `jitter` in [-1, 1] moves it by up to 10 %. No refusal: the plain pause.
std::chrono::milliseconds RedialPause(int refusals, double jitter);

class RedialBackoff {
 public:
  // `jitter` returns a value in [-1, 1]; by default a random one.
  explicit RedialBackoff(std::function<double()> jitter = {});

  std::chrono::milliseconds NextPause() const;
  void Refused() { ++refusals_; }
  void Confirmed() { refusals_ = 0; }
  int refusals() const { return refusals_; }

 private:
  std::function<double()> jitter_;
  int refusals_ = 0;
};

}  // namespace tarvo

#include "client/session/redial_backoff.h"

#include <algorithm>
#include <memory>
#include <random>

namespace tarvo {
namespace {

constexpr std::chrono::milliseconds kPlainPause{1000};
constexpr std::chrono::milliseconds kLongestPause{60'000};
constexpr double kJitterShare = 0.10;

std::function<double()> RandomJitter() {
  auto engine = std::make_shared<std::minstd_rand>(std::random_device{}());
  return [engine] { return std::uniform_real_distribution<double>(-1.0, 1.0)(*engine); };
}

}  // namespace

std::chrono::milliseconds RedialPause(int refusals, double jitter) {
  if (refusals <= 0) return kPlainPause;
  // 1 s after the first refusal, doubled after each further one, at most 60 s.
  std::chrono::milliseconds base = kLongestPause;
  if (refusals <= 6) base = std::min(kLongestPause, kPlainPause * (1 << (refusals - 1)));
  const double moved = static_cast<double>(base.count()) * (1.0 + kJitterShare * std::clamp(jitter, -1.0, 1.0));
  return std::chrono::milliseconds(static_cast<long long>(moved + 0.5));
}

RedialBackoff::RedialBackoff(std::function<double()> jitter)
    : jitter_(jitter ? std::move(jitter) : RandomJitter()) {}

std::chrono::milliseconds RedialBackoff::NextPause() const {
  return refusals_ == 0 ? kPlainPause : RedialPause(refusals_, jitter_());
}

}  // namespace tarvo

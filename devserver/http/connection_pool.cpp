#include "devserver/http/connection_pool.h"

namespace tarvo::devserver {
namespace {

thread_local bool turningAway = false;

// Connections waiting to be turned away; past this the accepting thread turns
// them away itself.
constexpr std::size_t kMaxRejected = 1024;

}  // namespace

ConnectionPool::ConnectionPool(PoolLimits limits) : limits_(limits) {
  rejecter_ = std::thread([this] { TurnAway(); });
}

ConnectionPool::~ConnectionPool() { shutdown(); }

bool ConnectionPool::TurningAway() { return turningAway; }

void ConnectionPool::enqueue(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  if (!shutdown_ && busy_ + queue_.size() < limits_.maxActive + limits_.maxQueued) {
    queue_.push_back(std::move(fn));
    const std::size_t idle = threads_.size() - busy_;
    if (idle < queue_.size() && threads_.size() < limits_.maxActive) threads_.emplace_back([this] { Serve(); });
    work_.notify_one();
    return;
  }
  if (!shutdown_ && rejected_.size() < kMaxRejected) {
    rejected_.push_back(std::move(fn));
    rejectWork_.notify_one();
    return;
  }
  lock.unlock();
  turningAway = true;
  fn();
  turningAway = false;
}

void ConnectionPool::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return shutdown_ || !queue_.empty(); });
    if (queue_.empty()) return;  // shutting down
    std::function<void()> fn = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    lock.unlock();
    fn();
    lock.lock();
    --busy_;
  }
}

void ConnectionPool::TurnAway() {
  turningAway = true;
  std::unique_lock lock(mutex_);
  for (;;) {
    rejectWork_.wait(lock, [this] { return shutdown_ || !rejected_.empty(); });
    if (rejected_.empty()) return;
    std::function<void()> fn = std::move(rejected_.front());
    rejected_.pop_front();
    lock.unlock();
    fn();
    lock.lock();
  }
}

void ConnectionPool::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (shutdown_ && threads_.empty() && !rejecter_.joinable()) return;
    shutdown_ = true;
  }
  work_.notify_all();
  rejectWork_.notify_all();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  if (rejecter_.joinable()) rejecter_.join();
  std::lock_guard lock(mutex_);
  threads_.clear();
}

}  // namespace tarvo::devserver

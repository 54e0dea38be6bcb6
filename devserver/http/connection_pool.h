#pragma once
// The threads that serve a listener's connections. Each accepted connection
// gets a thread of its own, up to `maxActive` at once (threads are made as
// they are needed and kept); up to `maxQueued` more connections wait for a
// thread. A connection beyond that is turned away: it is handed, with
// TurningAway() true, to one thread that does nothing else, so that
// accepting never waits and the queue never grows past its bound.

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "devserver/http/listener_limits.h"

namespace tarvo::devserver {

class ConnectionPool : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(PoolLimits limits);
  ~ConnectionPool() override;

  void enqueue(std::function<void()> fn) override;
  // Lets the queued connections run, then ends every thread.
  void shutdown() override;

  // True on the thread that runs a connection that is being turned away.
  static bool TurningAway();

 private:
  void Serve();
  void TurnAway();

  const PoolLimits limits_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::deque<std::function<void()>> queue_;
  std::vector<std::thread> threads_;
  std::size_t busy_ = 0;
  std::condition_variable rejectWork_;
  std::deque<std::function<void()>> rejected_;
  std::thread rejecter_;
  bool shutdown_ = false;
};

}  // namespace tarvo::devserver

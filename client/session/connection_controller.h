#pragma once
// The connection lifecycle of a signed-in session: connect and dial, the
// watchdog link, the keepalive cycle with its verdicts and reconnects, and
// the hang-up. Portable: it reaches the world only through ports.
//
// Threads stop cooperatively. Every worker is a std::jthread; every pause,
// request and wait honours its stop token; and a worker applies each effect
// (a control change, a flag, a hang-up, a request) only through Effect(),
// which takes the gate that the hang-up takes to stop the workers. So once
// a worker has been stopped it changes nothing. The window's thread never
// waits for a worker: the gate is held only for quick changes, never across
// a remote-access call or a request, and a stopped worker is joined by the
// next worker started in its slot, on that worker's thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "client/protocol/http_transport.h"
#include "client/session/dial_gate.h"
#include "client/session/redial_backoff.h"
#include "client/session/session_ports.h"

namespace tarvo {

// The session window's members that its workers share.
struct SessionState {
  std::wstring m_strRandCode;
  std::wstring m_strDaysLeft;
  std::wstring m_strAppFolder;
  std::wstring m_strVpnServer;
  std::wstring m_strVpnUser;
  std::wstring m_strVpnPassword;
  std::atomic<int> m_bConnected{0};
  std::atomic<int> m_bServiceUnused{1};
};

struct SessionPorts {
  std::shared_ptr<HttpTransport> http;
  std::shared_ptr<VpnDialer> dialer;
  std::shared_ptr<WatchdogProbe> watchdog;
  std::shared_ptr<Clock> clock;
  std::shared_ptr<SessionView> view;
  // Shared by every connection of the process; the process's own when empty.
  std::shared_ptr<DialGate> dialGate;
  // In [-1, 1], moves the back-off pauses; random when empty.
  std::function<double()> jitter;
};

// Timing of the workers.
struct SessionTiming {
  static constexpr std::chrono::milliseconds kAfterJoinRequest{100};
  static constexpr std::chrono::milliseconds kLinkPeriod{1000};
  static constexpr std::chrono::milliseconds kStartPause{1000};
  static constexpr std::chrono::milliseconds kAddressPoll{10};
  static constexpr std::chrono::milliseconds kCyclePause{3000};
  static constexpr std::chrono::milliseconds kRetryPause{1000};
  static constexpr std::chrono::milliseconds kRedialPause{1000};
  static constexpr std::chrono::milliseconds kAddressLossPause{1000};
  static constexpr int kRetriesBeforeReconnect = 60;
  static constexpr int kAddressLossPauses = 3;
  // An accepted dial whose adapter has no address by then counts as refused.
  static constexpr std::chrono::milliseconds kAddressWaitLimit{30'000};
  // At the end of the Windows session: the leave notice's and the hang-up's bounds.
  static constexpr std::chrono::milliseconds kEndSessionNotice{2000};
  static constexpr std::chrono::milliseconds kEndSessionHangUp{3000};
};

class ConnectionController : public SessionState, public std::enable_shared_from_this<ConnectionController> {
 public:
  explicit ConnectionController(SessionPorts ports);
  ~ConnectionController();
  ConnectionController(const ConnectionController&) = delete;
  ConnectionController& operator=(const ConnectionController&) = delete;

  // Window's thread. Join request, then DialThread.
  void ConnectButton();
  // Window's thread. The leave notice; its reply is ignored.
  void LeaveNotice();
  // Window's thread. Starts HangUpThread; returns at once.
  void StartHangUp();
  // Any thread, returns at once. The machine woke from sleep or its
  // addresses changed: while connected, the keepalive checks now (a status
  // request; if that fails, a ping; if both fail, it reconnects at once).
  void CheckNow();
  // Window's thread, the Windows session is ending: the leave notice and,
  // when connected, the hang-up, each within its bound; no worker has any
  // effect afterwards. `hangUpBound` for tests.
  void EndSession(std::chrono::milliseconds hangUpBound = SessionTiming::kEndSessionHangUp);

  // Stops every worker for good (the window is going away): none of them
  // has any further effect, and none is waited for.
  void Shutdown();
  // Tests: waits until every worker has ended.
  void JoinWorkers();

 private:
  using Worker = void (ConnectionController::*)(std::stop_token);
  void StartWorker(std::jthread& slot, Worker body);

  // Runs `effect` unless `stop` was requested; false when it was.
  bool Effect(std::stop_token stop, const std::function<void()>& effect);
  // Unless `stop` was requested: runs `before` (under the gate), then hangs
  // up the current connection outside it. False when stopped.
  bool HangUpEffect(std::stop_token stop, const std::function<void()>& before = {});

  std::wstring Request(std::wstring_view pathAndQuery, std::stop_token stop);
  int DialVpnEntry(std::stop_token stop);
  // Hangs up, pauses and dials until a dial is accepted and its adapter has
  // an address; refusals back off. False when stopped.
  bool Redial(std::stop_token stop);

  enum class AddressWait { Got, TimedOut, Stopped };
  AddressWait WaitForAddress(std::stop_token stop);

  enum class Woken { Elapsed, Check, Stopped };
  // A keepalive pause that CheckNow() ends early.
  Woken PauseOrCheck(std::stop_token stop, std::chrono::milliseconds duration);
  // A check asked for by CheckNow(): false when the server does not answer
  // a ping either, so that the tunnel is to be rebuilt now.
  bool CheckedTunnelAnswers(std::stop_token stop);
  void TunnelConfirmed();

  void DialThread(std::stop_token stop);
  void WatchdogLinkThread(std::stop_token stop);
  void KeepaliveThread(std::stop_token stop);
  void HangUpThread(std::stop_token stop);

  // Keepalive steps; false when the thread was stopped.
  bool ConfirmTunnel(std::stop_token stop);
  bool ShowAddress(std::stop_token stop);
  bool ReconnectProcedure(std::stop_token stop);
  void ExpiryProcedure(std::stop_token stop);
  void DuplicateProcedure(std::stop_token stop);
  void MaintenanceProcedure(std::stop_token stop);

  SessionPorts ports_;
  std::atomic<ConnHandle> rasConnHandle_{0};
  // Only the keepalive worker uses it (one at a time: each joins the one
  // before it).
  RedialBackoff backoff_;
  // CheckNow() sets the flag and ends the keepalive's pause in progress.
  std::atomic<bool> checkNow_{false};
  std::mutex wakeMutex_;
  std::stop_source wake_;
  // Orders the workers' hang-ups with the hang-up worker's: one decided
  // before a stop ends before the hang-up goes on. Only workers take it, and
  // before the gate.
  std::mutex rasMutex_;
  std::recursive_mutex gate_;
  std::jthread m_pDialThread;
  std::jthread m_pLinkThread;
  std::jthread m_pKeepaliveThread;
  std::jthread m_pHangUpThread;
  bool shutDown_ = false;
};

}  // namespace tarvo

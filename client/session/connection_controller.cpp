#include "client/session/connection_controller.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "client/base/texts.h"
#include "client/protocol/replies.h"
#include "client/protocol/server_url.h"
#include "client/protocol/service_requests.h"

namespace tarvo {
namespace {

const std::wstring kNoAddress = L"-";
const std::wstring kBlank(27, L' ');

// The status line shows the address followed by 17 blanks.
std::wstring AddressText(const std::wstring& address) { return address + std::wstring(17, L' '); }

}  // namespace

ConnectionController::ConnectionController(SessionPorts ports)
    : ports_(std::move(ports)), backoff_(ports_.jitter) {
  if (!ports_.dialGate) ports_.dialGate = ProcessDialGate();
}

ConnectionController::~ConnectionController() { Shutdown(); }

void ConnectionController::StartWorker(std::jthread& slot, Worker body) {
  std::lock_guard lock(gate_);
  if (shutDown_) return;
  // A slot's earlier thread has normally ended; if not, the new thread joins
  // it, so that no caller (least of all the window's thread) waits for it.
  std::jthread previous = std::move(slot);
  slot = std::jthread([self = shared_from_this(), body, previous = std::move(previous)](std::stop_token stop) mutable {
    if (previous.joinable()) previous.join();
    ((*self).*body)(stop);
  });
}

bool ConnectionController::Effect(std::stop_token stop, const std::function<void()>& effect) {
  std::lock_guard lock(gate_);
  if (stop.stop_requested() || shutDown_) return false;
  effect();
  return true;
}

void ConnectionController::Shutdown() {
  std::lock_guard lock(gate_);
  shutDown_ = true;
  for (std::jthread* worker : {&m_pDialThread, &m_pLinkThread, &m_pKeepaliveThread, &m_pHangUpThread}) {
    worker->request_stop();
    if (worker->joinable()) worker->detach();  // each holds the controller alive until it returns
  }
}

void ConnectionController::JoinWorkers() {
  // A hang-up under way stops the other workers; let it take them first.
  for (std::jthread* slot : {&m_pHangUpThread, &m_pDialThread, &m_pHangUpThread, &m_pLinkThread,
                             &m_pKeepaliveThread, &m_pHangUpThread}) {
    std::jthread worker;
    {
      std::lock_guard lock(gate_);
      worker = std::move(*slot);
    }
    if (worker.joinable()) worker.join();
  }
}

std::wstring ConnectionController::Request(std::wstring_view pathAndQuery, std::stop_token stop) {
  std::wstring reply;
  if (stop.stop_requested()) return reply;
  ports_.http->Send(reply, MakeServerUrl(pathAndQuery), stop);
  return reply;
}

bool ConnectionController::HangUpEffect(std::stop_token stop, const std::function<void()>& before) {
  std::lock_guard ras(rasMutex_);
  ConnHandle handle = 0;
  if (!Effect(stop, [&] {
        if (before) before();
        handle = rasConnHandle_.load();
      }))
    return false;
  ports_.dialer->HangUp(handle);
  return true;
}

int ConnectionController::DialVpnEntry(std::stop_token stop) {
  constexpr int kStopped = -1;
  DialRequest request;
  // The stop check, the reading of the fields the window's thread writes and
  // the counting of the dial are one step: a hang-up either sees this dial
  // under way or stops it before it starts. A dial of another connection of
  // the process (one abandoned by a logout) is waited for first.
  const bool entered = ports_.dialGate->Enter(stop, [&] {
    std::lock_guard lock(gate_);
    if (stop.stop_requested() || shutDown_) return false;
    request = DialRequest{m_strAppFolder + L"\\temporarily_file", m_strVpnServer, m_strVpnUser, m_strVpnPassword};
    rasConnHandle_ = 0;
    return true;
  });
  if (!entered) return kStopped;
  ConnHandle handle = 0;
  const int rc = ports_.dialer->Dial(request, handle);
  // A dial that returns after its thread was stopped hangs up its own
  // connection and has no other effect.
  const bool kept = Effect(stop, [&] { rasConnHandle_ = handle; });
  if (!kept) ports_.dialer->HangUp(handle);
  ports_.dialGate->Leave();
  return kept ? rc : kStopped;
}

ConnectionController::AddressWait ConnectionController::WaitForAddress(std::stop_token stop) {
  Clock& clock = *ports_.clock;
  const auto limit = clock.Now() + SessionTiming::kAddressWaitLimit;
  while (ports_.dialer->GetVpnAddress() == kNoAddress) {
    if (clock.Now() >= limit) return AddressWait::TimedOut;
    if (!clock.Pause(stop, SessionTiming::kAddressPoll)) return AddressWait::Stopped;
  }
  return stop.stop_requested() ? AddressWait::Stopped : AddressWait::Got;
}

bool ConnectionController::Redial(std::stop_token stop) {
  for (;;) {
    if (!HangUpEffect(stop)) return false;
    if (!ports_.clock->Pause(stop, backoff_.NextPause())) return false;
    const int rc = DialVpnEntry(stop);
    if (stop.stop_requested()) return false;
    if (rc == 0) {
      const AddressWait address = WaitForAddress(stop);
      if (address == AddressWait::Stopped) return false;
      if (address == AddressWait::Got) return true;
    }
    // Refused, or accepted with no address in time: go round again, later.
    backoff_.Refused();
  }
}

void ConnectionController::TunnelConfirmed() {
  backoff_.Confirmed();
  checkNow_ = false;  // the tunnel was just seen to work
}

ConnectionController::Woken ConnectionController::PauseOrCheck(std::stop_token stop,
                                                                std::chrono::milliseconds duration) {
  std::stop_source wake;
  {
    std::lock_guard lock(wakeMutex_);
    if (checkNow_) return Woken::Check;
    wake_ = wake;
  }
  std::stop_callback forward(stop, [&wake] { wake.request_stop(); });
  const bool elapsed = ports_.clock->Pause(wake.get_token(), duration);
  if (stop.stop_requested()) return Woken::Stopped;
  return elapsed ? Woken::Elapsed : Woken::Check;
}

bool ConnectionController::CheckedTunnelAnswers(std::stop_token stop) {
  checkNow_ = false;
  return Request(service::PingPath(), stop) == L"0";
}

// --- window's thread ---------------------------------------------------------

void ConnectionController::ConnectButton() {
  SessionView& view = *ports_.view;
  view.SetLabel(SessionLabel::Status, std::wstring(texts::kConnecting));
  const std::wstring reply = Request(service::JoinPath(m_strRandCode), {});
  ports_.clock->Pause({}, SessionTiming::kAfterJoinRequest);
  view.EnableButton(SessionButton::Connect, false);
  view.EnableButton(SessionButton::Disconnect, false);

  const JoinReply join = ParseJoinReply(reply);
  if (join.serviceUnused) {
    m_bServiceUnused = 1;
    view.SetLabel(SessionLabel::Status, kBlank, true);
    view.SetLabel(SessionLabel::FixedIp, kBlank, true);
    view.SetLabel(SessionLabel::Status, std::wstring(texts::kServiceUnused), true);
    view.SetLabel(SessionLabel::Days, std::wstring(texts::kServiceUnused));
    return;
  }
  m_bServiceUnused = 0;
  {
    std::lock_guard lock(gate_);  // a worker's dial reads them under the gate
    m_strVpnServer = join.vpnServer;
    m_strVpnUser = join.vpnUser;
    m_strVpnPassword = join.vpnPassword;
  }
  m_bConnected = 1;
  StartWorker(m_pDialThread, &ConnectionController::DialThread);
}

void ConnectionController::LeaveNotice() { Request(service::LeaveNoticePath(m_strRandCode), {}); }

void ConnectionController::StartHangUp() { StartWorker(m_pHangUpThread, &ConnectionController::HangUpThread); }

void ConnectionController::CheckNow() {
  if (m_bConnected != 1) return;
  std::lock_guard lock(wakeMutex_);
  checkNow_ = true;
  wake_.request_stop();
}

void ConnectionController::EndSession(std::chrono::milliseconds hangUpBound) {
  std::wstring reply;
  ports_.http->SendWithin(reply, MakeServerUrl(service::LeaveNoticePath(m_strRandCode)),
                          SessionTiming::kEndSessionNotice);
  bool connected = false;
  ConnHandle handle = 0;
  {
    // One step: no dial can keep a connection between the reading of the
    // handle and the stop (a dial that returns later hangs up its own).
    std::lock_guard lock(gate_);
    connected = m_bConnected != 0 && !shutDown_;
    handle = rasConnHandle_.load();
    Shutdown();  // from here on no worker changes anything
  }
  if (!connected) return;
  m_bConnected = 0;
  // The hang-up on a thread of its own, so that a remote-access call that
  // does not return cannot hold the end of the Windows session up.
  struct Done {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
  };
  auto done = std::make_shared<Done>();
  std::thread([dialer = ports_.dialer, handle, done] {
    dialer->HangUp(handle);
    std::lock_guard lock(done->mutex);
    done->done = true;
    done->changed.notify_all();
  }).detach();
  std::unique_lock lock(done->mutex);
  done->changed.wait_for(lock, hangUpBound, [&] { return done->done; });
}

// --- workers -----------------------------------------------------------------

void ConnectionController::DialThread(std::stop_token stop) {
  const int rc = DialVpnEntry(stop);
  if (stop.stop_requested()) return;
  if (rc != 0) {
    HangUpEffect(stop, [&] {
      m_bConnected = 0;
      ports_.view->SetLabel(SessionLabel::Status, texts::DialErrorText(rc));
      ports_.view->EnableButton(SessionButton::Connect, true);
    });
    return;
  }
  Effect(stop, [this] {
    StartWorker(m_pLinkThread, &ConnectionController::WatchdogLinkThread);
    StartWorker(m_pKeepaliveThread, &ConnectionController::KeepaliveThread);
  });
}

void ConnectionController::WatchdogLinkThread(std::stop_token stop) {
  while (m_bConnected == 1) {
    if (!ports_.watchdog->WatchdogAlive()) {
      // Without the watchdog nothing would drop the tunnel if this client
      // died: hang up and end the client.
      if (HangUpEffect(stop)) Effect(stop, [this] { ports_.view->ExitApplication(); });
      return;
    }
    if (!ports_.clock->Pause(stop, SessionTiming::kLinkPeriod)) return;
  }
}

bool ConnectionController::ConfirmTunnel(std::stop_token stop) {
  for (;;) {
    const AddressWait address = WaitForAddress(stop);
    if (address == AddressWait::Stopped) return false;
    if (address == AddressWait::TimedOut) {
      backoff_.Refused();
      if (!Redial(stop)) return false;
      continue;
    }
    const std::wstring ping = Request(service::PingPath(), stop);
    if (stop.stop_requested()) return false;
    if (ping == L"0") {
      TunnelConfirmed();
      return true;
    }
    if (!Redial(stop)) return false;
  }
}

bool ConnectionController::ShowAddress(std::stop_token stop) {
  const std::wstring address = ports_.dialer->GetVpnAddress();
  return Effect(stop, [&] {
    ports_.view->SetLabel(SessionLabel::Status, AddressText(address), true);
    ports_.view->EnableButton(SessionButton::Disconnect, true);
  });
}

void ConnectionController::KeepaliveThread(std::stop_token stop) {
  Clock& clock = *ports_.clock;
  backoff_.Confirmed();
  checkNow_ = false;
  if (!clock.Pause(stop, SessionTiming::kStartPause)) return;
  if (!ConfirmTunnel(stop) || !ShowAddress(stop)) return;

  const std::wstring statusPath = service::StatusPath(m_strRandCode);
  for (;;) {
    if (m_bConnected != 1) return;
    // A check asked for (resume, new addresses) is this cycle's request.
    bool checking = checkNow_.exchange(false);
    std::optional<std::wstring> payload = StatusPayload(Request(statusPath, stop));
    if (stop.stop_requested()) return;
    if (!payload) {
      for (int retry = 0;;) {
        // A checked tunnel whose server answers neither request is rebuilt
        // now, not after a minute of retries.
        if (checking && !CheckedTunnelAnswers(stop)) {
          if (stop.stop_requested() || !ReconnectProcedure(stop)) return;
          retry = 0;
        }
        checking = false;
        payload = StatusPayload(Request(statusPath, stop));
        if (stop.stop_requested()) return;
        if (payload) break;
        ++retry;
        const Woken woken = PauseOrCheck(stop, SessionTiming::kRetryPause);
        if (woken == Woken::Stopped) return;
        if (woken == Woken::Check) {
          checking = true;
          continue;
        }
        if (retry >= SessionTiming::kRetriesBeforeReconnect) {
          retry = 0;
          if (!ReconnectProcedure(stop)) return;
        }
      }
    }
    // A check cuts the pause short; the next cycle's request is the check.
    if (PauseOrCheck(stop, SessionTiming::kCyclePause) == Woken::Stopped) return;

    switch (JudgeStatusPayload(*payload)) {
      case StatusVerdict::Expired:
        ExpiryProcedure(stop);
        return;
      case StatusVerdict::SignedInElsewhere:
        DuplicateProcedure(stop);
        return;
      default:
        break;
    }
    if (ports_.dialer->GetVpnAddress() == kNoAddress && !ReconnectProcedure(stop)) return;
    // The days come from this cycle's status payload, never from a ping reply.
    const std::wstring days = texts::DaysLeftText(DaysFromMinutes(*payload));
    if (!Effect(stop, [&] { ports_.view->SetLabel(SessionLabel::Days, days); })) return;
    if (JudgeStatusPayload(*payload) == StatusVerdict::Maintenance) {
      MaintenanceProcedure(stop);
      return;
    }
  }
}

bool ConnectionController::ReconnectProcedure(std::stop_token stop) {
  Clock& clock = *ports_.clock;
  for (bool again = true; again;) {
    const auto reconnecting = [this] {
      ports_.view->SetLabel(SessionLabel::Status, std::wstring(texts::kReconnecting));
    };
    if (!Effect(stop, reconnecting)) return false;
    for (;;) {  // wait until the server answers again
      const std::wstring ping = Request(service::PingPath(), stop);
      if (!clock.Pause(stop, SessionTiming::kRetryPause)) return false;
      if (ping == L"0") break;
    }
    if (!Redial(stop)) return false;

    const std::wstring ping = Request(service::PingPath(), stop);
    if (stop.stop_requested()) return false;
    if (ping == L"0") {
      again = false;
      TunnelConfirmed();
      const std::wstring address = ports_.dialer->GetVpnAddress();
      if (!Effect(stop, [&] {
            ports_.view->SetLabel(SessionLabel::Status, AddressText(address));
            ports_.view->EnableButton(SessionButton::Disconnect, true);
          }))
        return false;
    } else {
      if (!HangUpEffect(stop)) return false;
      if (!clock.Pause(stop, backoff_.NextPause())) return false;
      const int rc = DialVpnEntry(stop);
      if (stop.stop_requested()) return false;
      if (rc != 0) backoff_.Refused();
    }
  }
  return true;
}

void ConnectionController::ExpiryProcedure(std::stop_token stop) {
  if (!Effect(stop, [this] {
        ports_.view->EnableButton(SessionButton::Connect, false);
        ports_.view->EnableButton(SessionButton::Disconnect, false);
        ports_.view->SetLabel(SessionLabel::Days, std::wstring(texts::kPeriodOverLabel));
        m_bConnected = 0;
      }))
    return;
  Request(service::LeavePath(m_strRandCode), stop);
  if (!HangUpEffect(stop)) return;
  ports_.view->ShowMessage(std::wstring(texts::kPeriodOver));
}

void ConnectionController::DuplicateProcedure(std::stop_token stop) {
  if (!Effect(stop, [this] { m_bConnected = 0; })) return;
  Request(service::LeavePath(m_strRandCode), stop);
  if (!HangUpEffect(stop, [this] { ports_.view->Invalidate(true); })) return;
  ports_.view->ShowMessage(std::wstring(texts::kSignedInElsewhere));
  Effect(stop, [this] { ports_.view->QuitApplication(); });
}

void ConnectionController::MaintenanceProcedure(std::stop_token stop) {
  if (!HangUpEffect(stop)) return;
  if (!ports_.clock->Pause(stop, SessionTiming::kRedialPause)) return;
  ports_.view->ShowMessage(std::wstring(texts::kMaintenance));
  Effect(stop, [this] { ports_.view->QuitApplication(); });
}

void ConnectionController::HangUpThread(std::stop_token stop) {
  {
    // A worker's hang-up decided before the stop ends first.
    std::lock_guard ras(rasMutex_);
    ConnHandle handle = 0;
    bool connected = false;
    {
      std::lock_guard lock(gate_);
      if (shutDown_) return;
      connected = m_bConnected != 0;
      if (connected) {
        // Fixed order: link stopped, keepalive stopped (and a dial still in
        // progress), connection hung up, flag cleared; controls only after.
        // The stopped threads stay in their slots: the next worker started
        // in a slot joins the one before it, on its own thread.
        m_pLinkThread.request_stop();
        m_pKeepaliveThread.request_stop();
        m_pDialThread.request_stop();
        handle = rasConnHandle_.load();
      }
    }
    if (connected) {
      ports_.dialer->HangUp(handle);
      m_bConnected = 0;
    }
  }
  // A stopped worker still inside a dial is not waited for: when its dial
  // returns it hangs up its own connection, and the next connect's dial
  // waits for it. Nor are requests waited for: a stopped one is abandoned.

  VpnDialer& dialer = *ports_.dialer;
  for (int count = 0; dialer.GetVpnAddress() != kNoAddress && count < SessionTiming::kAddressLossPauses; ++count) {
    if (!ports_.clock->Pause(stop, SessionTiming::kAddressLossPause)) return;
  }
  Effect(stop, [this] {
    SessionView& view = *ports_.view;
    view.SetLabel(SessionLabel::Status, std::wstring(texts::kNoStatus));
    view.EnableButton(SessionButton::Connect, true);
    view.EnableButton(SessionButton::Disconnect, false);
    view.EnableButton(SessionButton::Exit, true);
    view.EnableButton(SessionButton::Logout, true);
    view.Invalidate(false);
  });
}

}  // namespace tarvo

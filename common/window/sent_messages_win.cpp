#include "common/window/sent_messages_win.h"

namespace tarvo {
namespace {

thread_local bool windowThread = false;

bool Wait(HANDLE event, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  const DWORD handles = event != nullptr ? 1 : 0;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    const DWORD ms = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
    const DWORD woken = MsgWaitForMultipleObjectsEx(handles, handles != 0 ? &event : nullptr, ms, QS_SENDMESSAGE, 0);
    if (handles != 0 && woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + handles || ms == 0) return false;  // timed out, or failed
    // Answers what was sent; nothing posted is taken from the queue.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

void MarkWindowThread() { windowThread = true; }

bool IsWindowThread() { return windowThread; }

bool WaitAnsweringSentMessages(HANDLE event, std::chrono::milliseconds timeout) { return Wait(event, timeout); }

void PauseAnsweringSentMessages(std::chrono::milliseconds duration) { Wait(nullptr, duration); }

}  // namespace tarvo

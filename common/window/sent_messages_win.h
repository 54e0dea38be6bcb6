#pragma once
// Waits of a window's thread that still answer the messages other threads
// and programs send it (the end of the Windows session asks every window,
// and a screen reader asks for its objects), while the thread's own queue
// (clicks, keys, timers) waits until the thread is free again.

#include <windows.h>

#include <chrono>

namespace tarvo {

// Marks the calling thread as the program's window thread: the waits of the
// exchanges it makes answer sent messages. Other threads are never made to
// take window messages (Wine's IsGUIThread says yes for every thread).
void MarkWindowThread();
bool IsWindowThread();

// Waits until `event` is signalled or `timeout` has passed; true when the
// event was signalled.
bool WaitAnsweringSentMessages(HANDLE event, std::chrono::milliseconds timeout);

// A pause of the window's thread.
void PauseAnsweringSentMessages(std::chrono::milliseconds duration);

}  // namespace tarvo

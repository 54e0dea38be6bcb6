#pragma once

#include <windows.h>

#include <thread>

namespace tarvo {

// The client's application object: start-up checks, then exactly one
// top-level window run modally; the process ends when that run ends.
class CtarvoApp {
 public:
  explicit CtarvoApp(HINSTANCE instance) : instance_(instance) {}

  // False in every case: there is no message loop after the window's own.
  bool InitInstance();

 private:
  bool VersionCheck();
  void RunStartWindow();

  HINSTANCE instance_;
  // The start-up's hidden launches; joined when the application object goes,
  // so that both have happened whatever way the client ends.
  std::jthread launches_;
};

}  // namespace tarvo

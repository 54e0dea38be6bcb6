// Tarvo.exe
#include <windows.h>

#include "client/app/ctarvo_app_win.h"
#include "client/base/test_hooks.h"
#include "common/window/sent_messages_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarvo::MarkStartup("main");
  tarvo::MarkWindowThread();  // every window of the client lives on this thread
  tarvo::CtarvoApp app(instance);
  app.InitInstance();
  return 0;
}

// Tarvo.exe
#include <windows.h>

#include "client/app/ctarvo_app_win.h"
#include "client/base/test_hooks.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarvo::MarkStartup("main");
  tarvo::CtarvoApp app(instance);
  app.InitInstance();
  return 0;
}

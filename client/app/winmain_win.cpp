// Tarvo.exe
#include <windows.h>

#include "client/app/ctarvo_app_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarvo::CtarvoApp app(instance);
  app.InitInstance();
  return 0;
}

// Tarvo_Network.exe: hangs up the VPN entry the moment the client is gone.
#include <windows.h>
#include <commctrl.h>

#include "common/liveness/liveness_region_win.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/process_win.h"
#include "common/process/program_file.h"
#include "watchdog/watchdog_dlg_win.h"

namespace tarvo {

class CTarvoRCApp {
 public:
  explicit CTarvoRCApp(HINSTANCE instance) : instance_(instance) {}

  // Runs the whole program; false in every case, as the process then ends.
  bool InitInstance();

 private:
  HINSTANCE instance_;
};

bool CTarvoRCApp::InitInstance() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  if (!ClaimSingleInstance(L"Tarvo_Network", L"Tarvo_Network")) return false;

  constexpr std::wstring_view kProgramFile = L"Tarvo_Network.exe";
  if (!ProgramFileNameMatches(ModulePath(), kProgramFile)) {
    MessageBoxW(nullptr, WrongFileNameMessage(kProgramFile).c_str(), L"Tarvo_Network", MB_OK);
    ExitProcess(0);
  }

  // The handle keeps the region alive for the process's life; never closed.
  CreateLivenessRegion(WatchdogRegionName, WatchdogToken);

  CTarvoRCDlg dialog(instance_);
  dialog.RunHidden();
  dialog.RunModal(nullptr);
  return false;
}

}  // namespace tarvo

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarvo::CTarvoRCApp app(instance);
  app.InitInstance();
  return 0;
}

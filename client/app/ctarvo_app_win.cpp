#include "client/app/ctarvo_app_win.h"

#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "client/base/app_settings.h"
#include "client/app/app_window_win.h"
#include "client/app/phonebook.h"
#include "client/base/test_hooks.h"
#include "client/base/texts.h"
#include "client/update/update_dlg_win.h"
#include "client/login/ctarvo_dlg_win.h"
#include "client/protocol/credentials_store.h"
#include "client/protocol/http_transport_win.h"
#include "client/protocol/replies.h"
#include "client/protocol/service_requests.h"
#include "client/session/main_dlg_win.h"
#include "common/liveness/liveness_region_win.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/process_win.h"
#include "common/process/program_file.h"

namespace tarvo {

bool CtarvoApp::InitInstance() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  const std::wstring appName(AppName);
  if (!ClaimSingleInstance(appName.c_str(), appName.c_str())) return false;

  if (!ProgramFileNameMatches(ModulePath(), ExeFileName)) {
    RunHangUpCommand();  // a tunnel left over from an earlier run, before the message
    ShowAppMessage(nullptr, WrongFileNameMessage(ExeFileName));
    return false;
  }

  // Published before the watchdog starts, so its first look finds it. The
  // handle is kept for the process's life: it is what keeps the region alive.
  CreateLivenessRegion(ClientRegionName, ClientToken);
  // The two hidden launches (the hang-up of a tunnel left over from an
  // earlier run, then the watchdog) take a while each; they go on, in that
  // order, beside the version check and the first window.
  launches_ = std::jthread([watchdog = ProgramFolder() + L"\\" + std::wstring(WatchdogFileName)] {
    // The shell may hand a launch to COM objects; this thread is their apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    RunHangUpCommand();
    MarkStartup("hang-up-launched");
    ShellOpenHidden(watchdog.c_str(), nullptr);
    MarkStartup("watchdog-launched");
    if (SUCCEEDED(com)) CoUninitialize();
  });

  if (!VersionCheck()) return false;
  MarkStartup("version-checked");

  WritePhonebookFile(ProgramFolder());
  RunStartWindow();
  return false;
}

bool CtarvoApp::VersionCheck() {
  WinInetTransport http;
  const VersionReply version = service::AskVersion(http);
  switch (JudgeVersion(version, AppVersion)) {
    case VersionVerdict::UpToDate:
      return true;
    case VersionVerdict::NoAnswer:
      ShowAppMessage(nullptr, std::wstring(texts::kServerUnreachableAtStart));
      return false;
    case VersionVerdict::UpdateOffered:
    default:
      if (ShowAppMessage(GetActiveWindow(), std::wstring(texts::kUpdateQuestion),
                         MB_YESNO) == IDYES) {
        update updater(instance_);
        updater.m_bAppMainWindow = true;
        updater.DownloadPath = version.downloadPath;
        updater.m_strSha256 = version.sha256;
        updater.m_strSignature = version.signature;
        updater.RunModal(nullptr);
      }
      return false;
  }
}

void CtarvoApp::RunStartWindow() {
  const SavedCredentials saved = LoadSignInPreferences(CredentialsFilePath(TempFolder()), true);
  if (saved.autoSignIn) {
    main session(instance_);
    session.m_bAppMainWindow = true;
    session.m_strUserId = saved.autoSignIn->userId;
    session.m_strPassword = saved.autoSignIn->password;
    session.RunModal(nullptr);
    return;
  }
  MarkStartup("window-creating");
  CtarvoDlg login(instance_);
  login.m_bAppMainWindow = true;
  login.RunModal(nullptr);
}

}  // namespace tarvo

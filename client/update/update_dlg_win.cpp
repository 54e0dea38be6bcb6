#include "client/update/update_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <chrono>

#include "client/base/app_settings.h"
#include "client/app/app_window_win.h"
#include "client/base/test_hooks.h"
#include "client/base/texts.h"
#include "client/update/download_progress.h"
#include "client/update/installer_download_win.h"
#include "client/res/resource.h"
#include "client/res/update_ids.h"
#include "common/process/stop_wait.h"


namespace tarvo {
namespace {

// Posted by the download thread: the percentage after a read (wParam), and
// the end of the download (wParam 1 when the installer is to be launched).
constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kFinishedMessage = WM_APP + 2;

constexpr int kWindowWidth = 470;
constexpr int kWindowHeight = 143;
constexpr auto kStartPause = std::chrono::milliseconds(500);

struct Placement {
  int id, x, y, width, height;
};
constexpr Placement kLayout[] = {
    {IDC_UPDATE_STATUS, 42, 20, 160, 15},
    {IDC_UPDATE_PERCENT, 322, 81, 100, 15},
    {IDC_UPDATE_PROGRESS, 42, 52, 380, 24},
};

constexpr auto kRepostPause = std::chrono::milliseconds(50);

void DownloadThread(std::stop_token stop, HWND window, InstallerDownload job,
                    std::shared_ptr<DownloadResult> result) {
  if (!PauseUnlessStopped(stop, kStartPause)) return;
  // Only a change of the percentage is posted: a large download cannot fill
  // the window's message queue.
  int shown = -1;
  const auto progress = [&](int percent) {
    if (percent == shown || stop.stop_requested()) return;
    if (PostMessageW(window, kProgressMessage, static_cast<WPARAM>(percent), 0)) shown = percent;
  };
  HeldInstaller installer = DownloadInstaller(job, progress, stop);
  const bool launch = static_cast<bool>(installer);
  {
    std::lock_guard lock(result->mutex);
    result->installer = std::move(installer);
  }
  // The end of the download is posted until it is in the window's queue: the
  // program ends only through it.
  while (!stop.stop_requested() && IsWindow(window) &&
         !PostMessageW(window, kFinishedMessage, launch ? 1 : 0, 0)) {
    if (!PauseUnlessStopped(stop, kRepostPause)) return;
  }
}

}  // namespace

update::update(HINSTANCE instance) : Dialog(instance, IDD_UPDATE) {}

update::~update() {
  // Closing the window ends the program; the download must not outlive the
  // window's effects. The thread holds its own copies and is not waited for.
  if (m_pDownloadThread.joinable()) {
    m_pDownloadThread.request_stop();
    m_pDownloadThread.detach();
  }
}

BOOL update::OnInitDialog() {
  if (m_bAppMainWindow) SetAppMainWindow(hwnd());
  for (const auto& p : kLayout) MoveWindow(Item(p.id), p.x, p.y, p.width, p.height, TRUE);
  SetDlgItemTextW(hwnd(), IDC_UPDATE_STATUS, std::wstring(texts::kUpdateDownloading).c_str());
  SetDlgItemTextW(hwnd(), IDC_UPDATE_PERCENT, L"0 %");
  SendDlgItemMessageW(hwnd(), IDC_UPDATE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

  SetWindowPos(hwnd(), nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  SetWindowPos(hwnd(), nullptr, desktop.left + (desktop.right - desktop.left - kWindowWidth) / 2,
               desktop.top + (desktop.bottom - desktop.top - kWindowHeight) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  TraceUpdateWindow(hwnd(), L"start");

  // A path that could name another host is not fetched: nothing is launched.
  const std::wstring url = IsPlainInstallerPath(DownloadPath) ? ServerBaseUrl() + DownloadPath : std::wstring();
  InstallerDownload job{url, TempFolder(), m_strSha256, m_strSignature};
  m_pDownloadThread = std::jthread(DownloadThread, hwnd(), std::move(job), m_pResult);
  return TRUE;
}

bool update::OnMessage(UINT msg, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
  switch (msg) {
    case kProgressMessage:
      ShowProgress(static_cast<int>(wParam));
      break;
    case kFinishedMessage:
      Finish(wParam != 0);
      break;
    default:
      return false;
  }
  result = TRUE;
  return true;
}

void update::ShowProgress(int percent) {
  SendDlgItemMessageW(hwnd(), IDC_UPDATE_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  SetDlgItemTextW(hwnd(), IDC_UPDATE_PERCENT, PercentText(percent).c_str());
  TraceUpdateWindow(hwnd(), L"read");
}

void update::Finish(bool launch) {
  {
    std::lock_guard lock(m_pResult->mutex);
    m_installer = std::move(m_pResult->installer);
  }
  if (launch && m_installer) {
    // Launched from its update folder by its own name while still held; no
    // failure is shown.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = m_installer.path().c_str();
    info.nShow = SW_SHOW;
    const bool started = ShellExecuteExW(&info) != FALSE;
    TraceUpdateWindow(hwnd(), started ? L"launched" : L"launch failed");
  } else {
    TraceUpdateWindow(hwnd(), L"not launched");
    // Told, so that the user knows why nothing was installed; the program
    // then ends as after declining the update.
    ShowAppMessage(hwnd(), std::wstring(texts::kUpdateRefused));
  }
  // The program ends here either way, as it would after the launch.
  EndModal(IDOK);
}

}  // namespace tarvo

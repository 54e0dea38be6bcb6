#include "client/session/main_dlg_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "client/base/app_settings.h"
#include "client/app/app_window_win.h"
#include "client/base/texts.h"
#include "client/browser/web_browser_win.h"
#include "client/login/ctarvo_dlg_win.h"
#include "client/protocol/http_transport_win.h"
#include "client/protocol/server_url.h"
#include "client/protocol/service_requests.h"
#include "client/controls/skin_layout_win.h"
#include "client/res/artwork_ids.h"
#include "client/res/resource.h"
#include "client/session/ras_dialer_win.h"
#include "client/session/session_view_win.h"
#include "client/session/system_ports_win.h"
#include "client/settings/config_dlg_win.h"
#include "common/window/sent_messages_win.h"

namespace tarvo {
namespace {

constexpr int kWideWidth = 686;
constexpr int kNarrowWidth = 351;
constexpr int kHeight = 381;
constexpr Skin kSkin{IDB_SESSION_BACKGROUND, /*shapeWidth=*/0, 381, /*corner=*/15, /*dragHeight=*/60,
                     IsIgnoredDialogKey};
constexpr COLORREF kGrey = RGB(102, 102, 102);
constexpr COLORREF kOrange = RGB(251, 106, 0);
constexpr COLORREF kTeal = RGB(0, 169, 157);

// Posted when the machine's addresses change.
constexpr UINT WM_ADDRESSES_CHANGED = WM_APP + 0x52;

}  // namespace

main::main(HINSTANCE instance)
    : SkinnedDialog(instance, IDD_SESSION, kSkin), m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

main::~main() {
  // The workers are stopped, not waited for: none of them changes anything
  // from now on.
  if (m_session) m_session->Shutdown();
  // The base destroys the window after this destructor, when WM_DESTROY no
  // longer reaches this class: the panes are closed here in that case.
  CloseWebPanes();
  if (m_fontLabels != nullptr) DeleteObject(m_fontLabels);
}

BOOL main::OnInitDialog() {
  if (m_bAppMainWindow) SetAppMainWindow(hwnd());
  m_bModeless = GetParent(hwnd()) != nullptr && !m_bAppMainWindow;
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  m_stcFixedIp = Item(IDC_SESSION_FIXED_IP);
  m_stcUserId = Item(IDC_SESSION_USER_ID);
  m_stcStatus = Item(IDC_SESSION_STATUS);
  m_stcDays = Item(IDC_SESSION_DAYS);
  m_btnService.Attach(hwnd(), IDC_SESSION_SERVICE);

  m_session = std::make_shared<ConnectionController>(
      SessionPorts{std::make_shared<WinInetTransport>(), MakeVpnDialer(), std::make_shared<RegionWatchdogProbe>(),
                   std::make_shared<SystemClock>(), std::make_shared<WindowSessionView>(hwnd(), m_updates), ProcessDialGate(),
                   /*jitter=*/{}});
  m_session->m_strAppFolder = ProgramFolder();

  SetWindowTextW(m_stcUserId, m_strUserId.c_str());
  m_session->m_bConnected = 0;
  SignInConfirm();

  LayOutButtons();
  ShowWindow(Item(IDC_SESSION_EXPAND), SW_HIDE);
  LayOutLabels();
  ApplySkin();
  PlaceWebPanes();

  SetWindowPos(hwnd(), nullptr, 0, 0, kWideWidth, kHeight, SWP_NOOWNERZORDER);
  RECT desktop, window;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(hwnd(), &window);
  SetWindowPos(hwnd(), nullptr, (desktop.right - desktop.left - (window.right - window.left)) / 2,
               (desktop.bottom - desktop.top - (window.bottom - window.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  SetClassLongPtrW(Item(IDC_SESSION_CONNECT), GCLP_HCURSOR,
                   reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_HAND)));
  EnableWindow(Item(IDC_SESSION_DISCONNECT), FALSE);
  // A tunnel that looks up after the machine's addresses changed may carry
  // nothing: the keepalive checks it.
  m_addressChanges.Start(hwnd(), WM_ADDRESSES_CHANGED);
  return TRUE;
}

void main::SignInConfirm() {
  WinInetTransport http;
  const auto confirm = service::ConfirmSignIn(http, m_strUserId, m_strPassword);
  if (!confirm) {
    ShowAppMessage(hwnd(), std::wstring(texts::kConfirmationFailed));
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    CtarvoDlg login(instance());
    login.RunModal(nullptr);
    return;
  }

  ConnectionController& session = *m_session;
  session.m_strRandCode = confirm->randCode;
  session.m_strDaysLeft = confirm->minutesLeft;
  if (confirm->serviceUnused) {
    session.m_bServiceUnused = 1;
    EnableWindow(Item(IDC_SESSION_CONNECT), FALSE);
    EnableWindow(Item(IDC_SESSION_DISCONNECT), FALSE);
    SetLabelText(m_stcFixedIp, std::wstring(texts::kServiceUnused));
    SetLabelText(m_stcDays, texts::DaysLeftText(0));
    SkinServiceButton(false);
    return;
  }
  session.m_bServiceUnused = 0;
  session.m_strDaysLeft = texts::DaysLeftText(confirm->days);
  SetLabelText(m_stcDays, session.m_strDaysLeft);
  SkinServiceButton(true);
}

void main::SkinServiceButton(bool inService) {
  HWND button = Item(IDC_SESSION_SERVICE);
  if (inService) {
    m_btnService.SetSkinBitmaps(IDB_SESSION_EXTEND, IDB_SESSION_EXTEND_HOVER, IDB_SESSION_EXTEND_HOVER, 0);
    MoveWindow(button, 188, 173, 118, 22, TRUE);
  } else {
    m_btnService.SetSkinBitmaps(IDB_SESSION_APPLY, IDB_SESSION_APPLY_HOVER, IDB_SESSION_APPLY_HOVER, 0);
    MoveWindow(button, 188, 173, 108, 22, TRUE);
  }
}

void main::LayOutButtons() {
  PlaceSkinButtons(hwnd(), {
      {&m_btnExit, IDC_SESSION_EXIT, 310, 14, 12, 12, IDB_TITLE_CLOSE, IDB_TITLE_CLOSE_HOVER,
       IDB_TITLE_CLOSE_HOVER, 0},
      {&m_btnMinimize, IDC_SESSION_MINIMIZE, 293, 14, 12, 12, IDB_TITLE_MINIMIZE,
       IDB_TITLE_MINIMIZE_HOVER, IDB_TITLE_MINIMIZE_HOVER, 0},
      {&m_btnConnect, IDC_SESSION_CONNECT, 93, 216, 116, 34, IDB_SESSION_CONNECT,
       IDB_SESSION_CONNECT_HOVER, IDB_SESSION_CONNECT_HOVER, IDB_SESSION_CONNECT_DISABLED},
      {&m_btnDisconnect, IDC_SESSION_DISCONNECT, 213, 216, 116, 34, IDB_SESSION_DISCONNECT,
       IDB_SESSION_DISCONNECT_HOVER, IDB_SESSION_DISCONNECT_HOVER, IDB_SESSION_DISCONNECT_DISABLED},
      {&m_btnLogout, IDC_SESSION_LOGOUT, 191, 60, 58, 22, IDB_SESSION_LOGOUT,
       IDB_SESSION_LOGOUT_HOVER, IDB_SESSION_LOGOUT_HOVER, 0},
      {&m_btnSettings, IDC_SESSION_SETTINGS, 249, 60, 58, 22, IDB_SESSION_SETTINGS,
       IDB_SESSION_SETTINGS_HOVER, IDB_SESSION_SETTINGS_HOVER, 0},
      {&m_btnExpand, IDC_SESSION_EXPAND, 335, 0, 15, 380, IDB_SESSION_EXPAND,
       IDB_SESSION_EXPAND, IDB_SESSION_EXPAND, 0},
      {&m_btnCollapse, IDC_SESSION_COLLAPSE, 335, 0, 15, 380, IDB_SESSION_COLLAPSE,
       IDB_SESSION_COLLAPSE, IDB_SESSION_COLLAPSE, 0},
  });
}

void main::LayOutLabels() {
  m_fontLabels = CreateFontW(12, 6, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, L"돋움");
  const struct {
    HWND label;
    int y;
  } labels[] = {{m_stcUserId, 128}, {m_stcStatus, 153}, {m_stcFixedIp, 103}, {m_stcDays, 178}};
  for (const auto& l : labels) {
    SendMessageW(l.label, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontLabels), TRUE);
    MoveWindow(l.label, 96, l.y, 136, 15, TRUE);
  }
}

// Each pane gets a browser host of its own, closed when the window is destroyed.
void main::PlaceWebPanes() {
  const struct {
    CExplorer1* pane;
    int id, x, y, width, height;
    std::wstring_view page;
  } panes[] = {
      {&m_browserNotice, IDC_SESSION_NOTICE, 367, 17, 301, 346, service::kNoticePage},
      {&m_browserBanner, IDC_SESSION_BANNER, 8, 263, 319, 109, service::kBannerPage},
  };
  for (const auto& p : panes) {
    p.pane->Attach(hwnd(), p.id);
    p.pane->Place(p.x, p.y, p.width, p.height);
    auto* host = new WebBrowser(p.pane->hwnd());
    host->Navigate(MakeServerUrl(p.page));
    host->SetRect(p.pane->ClientRect());
    m_browserHosts.push_back(host);
  }
}

void main::CloseWebPanes() {
  for (WebBrowser* host : m_browserHosts) host->Close();
  m_browserHosts.clear();
}

bool main::OnCommand(WORD id, WORD /*code*/, HWND /*control*/) {
  switch (id) {
    case IDC_SESSION_MINIMIZE:
      ShowWindow(hwnd(), SW_MINIMIZE);
      return true;
    case IDC_SESSION_EXIT:
      ExitButton();
      return true;
    case IDC_SESSION_LOGOUT:
      LogoutButton();
      return true;
    case IDC_SESSION_CONNECT:
      m_session->ConnectButton();
      return true;
    case IDC_SESSION_DISCONNECT:
      DisconnectButton();
      return true;
    case IDC_SESSION_SETTINGS:
      SettingsButton();
      return true;
    case IDC_SESSION_SERVICE:
      ServiceButton();
      return true;
    case IDC_SESSION_EXPAND:
      ExpandButton();
      return true;
    case IDC_SESSION_COLLAPSE:
      CollapseButton();
      return true;
    default:
      return false;
  }
}

void main::ExpandButton() {
  ShowWindow(Item(IDC_SESSION_EXPAND), SW_HIDE);
  ShowWindow(Item(IDC_SESSION_COLLAPSE), SW_SHOW);
  SetWindowPos(hwnd(), nullptr, 0, 0, kWideWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void main::CollapseButton() {
  ShowWindow(Item(IDC_SESSION_EXPAND), SW_SHOW);
  ShowWindow(Item(IDC_SESSION_COLLAPSE), SW_HIDE);
  SetWindowPos(hwnd(), nullptr, 0, 0, kNarrowWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void main::ServiceButton() {
  const std::wstring url = service::AccountPageUrl(m_strUserId, m_strPassword);
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

void main::SettingsButton() {
  config settings(instance());
  settings.m_strUserId = m_strUserId;
  settings.m_strPassword = m_strPassword;
  settings.RunModal(hwnd());
}

void main::DisableSessionButtons() {
  for (int id : {IDC_SESSION_EXIT, IDC_SESSION_LOGOUT, IDC_SESSION_CONNECT, IDC_SESSION_DISCONNECT})
    EnableWindow(Item(id), FALSE);
}

void main::DisconnectButton() {
  DisableSessionButtons();
  m_session->LeaveNotice();
  m_session->StartHangUp();
}

void main::LogoutButton() {
  InvalidateRect(hwnd(), nullptr, TRUE);
  DisableSessionButtons();
  m_session->LeaveNotice();
  m_session->StartHangUp();
  auto login = std::make_unique<CtarvoDlg>(instance());
  if (login->CreateModeless(hwnd())) ShowWindow(login->hwnd(), SW_SHOW);
  m_logins.push_back(std::move(login));
  ShowWindow(hwnd(), SW_HIDE);
}

void main::ExitButton() {
  if (MessageBoxW(hwnd(), texts::kExitQuestion.data(), texts::kQuestionTitle.data(), MB_YESNO) != IDYES)
    return;
  m_session->LeaveNotice();
  m_session->StartHangUp();
  // Lets the hang-up stop the workers and drop the tunnel first.
  PauseAnsweringSentMessages(std::chrono::milliseconds(1500));
  PostMessageW(hwnd(), WM_QUIT, 0, 0);
}

// The Windows session ends: leave and hang up within a few seconds, show
// nothing, and end the client here, since nothing ends it afterwards.
void main::EndOfWindowsSession() {
  if (m_session) m_session->EndSession();
  ExitProcess(0);
}

void main::OnCancel() {
  if (m_bModeless)
    ShowWindow(hwnd(), SW_HIDE);
  else
    EndModal(IDCANCEL);
}

bool main::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (msg) {
    case WM_DESTROY:
      m_addressChanges.Stop();
      CloseWebPanes();  // while their windows still exist
      return false;
    case WM_POWERBROADCAST:  // the default answer follows
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) m_session->CheckNow();
      return false;
    case WM_ADDRESSES_CHANGED:
      m_session->CheckNow();
      return true;
    case WM_QUERYENDSESSION:
      // Yes, at once: the work is done when the session does end.
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wParam != FALSE) EndOfWindowsSession();
      return false;
    case WM_SESSION_UPDATE:  // its parameters carry nothing
      m_updates->RunPending();
      return true;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id < IDC_SESSION_USER_ID || id > IDC_SESSION_DAYS) return false;
      auto dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      if (id == IDC_SESSION_FIXED_IP)
        SetTextColor(dc, m_session->m_bServiceUnused == 1 ? kOrange : kTeal);
      else
        SetTextColor(dc, kGrey);
      result = reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tarvo

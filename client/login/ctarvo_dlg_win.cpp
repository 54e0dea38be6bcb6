#include "client/login/ctarvo_dlg_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "client/base/app_settings.h"
#include "client/app/app_window_win.h"
#include "client/base/test_hooks.h"
#include "client/base/texts.h"
#include "client/controls/accessible_object_win.h"
#include "client/protocol/credentials_store.h"
#include "client/protocol/http_transport_win.h"
#include "client/protocol/server_url.h"
#include "client/system/startup_registration_win.h"
#include "client/protocol/service_requests.h"
#include "client/res/artwork_ids.h"
#include "client/res/resource.h"
#include "client/session/main_dlg_win.h"

namespace tarvo {
namespace {

constexpr COLORREF kFieldText = RGB(57, 70, 78);
constexpr COLORREF kFieldBack = RGB(244, 244, 244);
constexpr Skin kSkin{IDB_LOGIN_BACKGROUND, 351, 431, /*corner=*/15, /*dragHeight=*/40, /*ignoredKeys=*/nullptr};

struct Placement {
  int id, x, y, width, height;
};

constexpr Placement kLayout[] = {
    {IDC_LOGIN_USER_ID, 92, 197, 136, 15},        {IDC_LOGIN_PASSWORD, 92, 236, 136, 15},
    {IDC_LOGIN_SAVE_ID, 234, 198, 52, 16},        {IDC_LOGIN_AUTO_LOGIN, 55, 281, 90, 19},
    {IDC_LOGIN_RUN_AT_STARTUP, 165, 281, 133, 19}, {IDC_LOGIN_FIND_ID, 93, 371, 104, 10},
    {IDC_LOGIN_JOIN, 215, 371, 42, 10},           {IDC_LOGIN_EXIT, 325, 14, 12, 12},
    {IDC_LOGIN_MINIMIZE, 308, 14, 12, 12},        {IDC_LOGIN_SIGN_IN, 54, 313, 241, 44},
};

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

CtarvoDlg::CtarvoDlg(HINSTANCE instance)
    : SkinnedDialog(instance, IDD_LOGIN, kSkin), m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CtarvoDlg::~CtarvoDlg() {
  m_pSession.reset();
  if (m_fontFields != nullptr) DeleteObject(m_fontFields);
  if (m_brushFields != nullptr) DeleteObject(m_brushFields);
}

BOOL CtarvoDlg::OnInitDialog() {
  MarkStartup("window-created");
  if (m_bAppMainWindow) SetAppMainWindow(hwnd());
  // The title is set here rather than in the template, where it would bring
  // a system title bar with it; the window draws its own.
  SetWindowTextW(hwnd(), std::wstring(AppName).c_str());
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SetFocus(Item(IDC_LOGIN_USER_ID));

  LayOutControls();
  MarkStartup("controls-laid-out");
  SetClassLongPtrW(Item(IDC_LOGIN_SIGN_IN), GCLP_HCURSOR,
                   reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_HAND)));
  ApplySkin();
  SetMinimizedIcon(m_hIcon);
  SetAccessibleName(Item(IDC_LOGIN_USER_ID), texts::kNameUserIdField);
  SetAccessibleName(Item(IDC_LOGIN_PASSWORD), texts::kNamePasswordField);

  RestorePreferences();
  return FALSE;  // the user id field has the focus
}

void CtarvoDlg::LayOutControls() {
  for (const auto& p : kLayout) MoveWindow(Item(p.id), p.x, p.y, p.width, p.height, TRUE);

  SaveIdCheck.Attach(hwnd(), IDC_LOGIN_SAVE_ID);
  SaveIdCheck.SetIcons(instance(), IDI_CHECK_SAVE_ID_ON, IDI_CHECK_SAVE_ID_OFF);
  SaveIdCheck.DrawTransparent(true);
  AutoLoginCheck.Attach(hwnd(), IDC_LOGIN_AUTO_LOGIN);
  AutoLoginCheck.SetIcons(instance(), IDI_CHECK_AUTOLOGIN_ON, IDI_CHECK_AUTOLOGIN_OFF);
  AutoLoginCheck.DrawTransparent(true);
  RunAtStartupCheck.Attach(hwnd(), IDC_LOGIN_RUN_AT_STARTUP);
  RunAtStartupCheck.SetIcons(instance(), IDI_CHECK_RUN_AT_STARTUP_ON, IDI_CHECK_RUN_AT_STARTUP_OFF);
  RunAtStartupCheck.DrawTransparent(true);

  m_btnFindId.Attach(hwnd(), IDC_LOGIN_FIND_ID);
  m_btnFindId.SetSkinBitmaps(IDB_LOGIN_FIND_ID, IDB_LOGIN_FIND_ID, IDB_LOGIN_FIND_ID, 0);
  m_btnJoin.Attach(hwnd(), IDC_LOGIN_JOIN);
  m_btnJoin.SetSkinBitmaps(IDB_LOGIN_JOIN, IDB_LOGIN_JOIN, IDB_LOGIN_JOIN, 0);
  m_btnExit.Attach(hwnd(), IDC_LOGIN_EXIT);
  m_btnExit.SetSkinBitmaps(IDB_TITLE_CLOSE, IDB_TITLE_CLOSE_HOVER, IDB_TITLE_CLOSE_HOVER, 0);
  m_btnMinimize.Attach(hwnd(), IDC_LOGIN_MINIMIZE);
  m_btnMinimize.SetSkinBitmaps(IDB_TITLE_MINIMIZE, IDB_TITLE_MINIMIZE_HOVER, IDB_TITLE_MINIMIZE_HOVER, 0);
  m_btnSignIn.Attach(hwnd(), IDC_LOGIN_SIGN_IN);
  m_btnSignIn.SetSkinBitmaps(IDB_LOGIN_SIGNIN, IDB_LOGIN_SIGNIN_HOVER, IDB_LOGIN_SIGNIN_HOVER, 0);

  m_fontFields = CreateFontW(12, 6, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"돋움");
  SendDlgItemMessageW(hwnd(), IDC_LOGIN_USER_ID, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontFields), TRUE);
  SendDlgItemMessageW(hwnd(), IDC_LOGIN_PASSWORD, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontFields), TRUE);
  m_brushFields = CreateSolidBrush(kFieldBack);
}

void CtarvoDlg::RestorePreferences() {
  const SavedCredentials saved = LoadSignInPreferences(CredentialsFilePath(TempFolder()), true);
  if (saved.runAtStartup) RunAtStartupCheck.SetCheck(1, true);
  if (saved.rememberedId) {
    SetDlgItemTextW(hwnd(), IDC_LOGIN_USER_ID, saved.rememberedId->c_str());
    SaveIdCheck.SetCheck(1, true);
  }
  if (saved.autoSignIn) {
    SetDlgItemTextW(hwnd(), IDC_LOGIN_USER_ID, saved.autoSignIn->userId.c_str());
    SetDlgItemTextW(hwnd(), IDC_LOGIN_PASSWORD, saved.autoSignIn->password.c_str());
    AutoLoginCheck.SetCheck(1, true);
  }
}

bool CtarvoDlg::OnCommand(WORD id, WORD /*code*/, HWND /*control*/) {
  switch (id) {
    case IDC_LOGIN_MINIMIZE:
      ShowWindow(hwnd(), SW_MINIMIZE);
      return true;
    case IDC_LOGIN_EXIT:
      ConfirmExit();
      return true;
    case IDC_LOGIN_SIGN_IN:
      SignIn();
      return true;
    case IDC_LOGIN_FIND_ID:
      OpenPage(service::kFindIdPage);
      return true;
    case IDC_LOGIN_JOIN:
      OpenPage(service::kJoinPage);
      return true;
    case IDOK:      // Enter and Escape are handled by the key filter; the
    case IDCANCEL:  // dialog manager's own OK and cancel do nothing here.
      return true;
    default:
      return false;
  }
}

bool CtarvoDlg::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (msg) {
    case WM_PAINT:
      MarkStartup("first-paint");  // the first one only
      return false;
    case WM_CTLCOLOREDIT: {
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kFieldText);
      SetBkColor(dc, kFieldBack);
      result = reinterpret_cast<INT_PTR>(m_brushFields);
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id < IDC_LOGIN_SAVE_ID || id > IDC_LOGIN_RUN_AT_STARTUP) return false;
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
      return true;
    }
    default:
      return false;
  }
}

bool CtarvoDlg::IsField(HWND window) const {
  return window == Item(IDC_LOGIN_USER_ID) || window == Item(IDC_LOGIN_PASSWORD);
}

bool CtarvoDlg::OnPreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    SignIn();
    return true;
  }
  if (msg.wParam == VK_ESCAPE) return true;
  if (msg.message == WM_LBUTTONDOWN && IsField(msg.hwnd) && GetFocus() != msg.hwnd) {
    SetFocus(msg.hwnd);
    SendMessageW(msg.hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == 'A' && (GetKeyState(VK_CONTROL) & 0x8000) && IsField(msg.hwnd)) {
    SendMessageW(msg.hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return true;
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_SPACE || msg.wParam == VK_CANCEL)) return true;
  return false;
}

void CtarvoDlg::SignIn() {
  const std::wstring userId = WindowText(Item(IDC_LOGIN_USER_ID));
  const std::wstring password = WindowText(Item(IDC_LOGIN_PASSWORD));
  if (userId.empty()) {
    ShowAppMessage(hwnd(), std::wstring(texts::kEnterUserId));
    SetFocus(Item(IDC_LOGIN_USER_ID));
    return;
  }
  if (password.empty()) {
    ShowAppMessage(hwnd(), std::wstring(texts::kEnterPassword));
    SetFocus(Item(IDC_LOGIN_PASSWORD));
    return;
  }

  WinInetTransport http;
  switch (service::SignIn(http, userId, password)) {
    case service::SignInOutcome::Rejected:
      ShowAppMessage(hwnd(), std::wstring(texts::kSignInRejected));
      return;
    case service::SignInOutcome::NoAnswer:
      ShowAppMessage(hwnd(), std::wstring(texts::kServerUnreachableAtSignIn));
      return;
    case service::SignInOutcome::Accepted:
      break;
  }

  RunKeyRegistration run;
  const SignInPreferences preferences{SaveIdCheck.GetCheck() != 0, AutoLoginCheck.GetCheck() != 0,
                                      RunAtStartupCheck.GetCheck() != 0};
  SaveSignInPreferences(CredentialsFilePath(TempFolder()), run, ProgramFolder(), userId, password, preferences);

  ShowWindow(hwnd(), SW_HIDE);
  m_pSession = std::make_unique<main>(instance());
  m_pSession->m_strUserId = userId;
  m_pSession->m_strPassword = password;
  if (m_pSession->CreateModeless(hwnd())) ShowWindow(m_pSession->hwnd(), SW_SHOW);
}

void CtarvoDlg::ConfirmExit() {
  if (MessageBoxW(hwnd(), texts::kExitQuestion.data(), texts::kQuestionTitle.data(), MB_YESNO) == IDYES)
    PostQuitToMainWindow();
}

void CtarvoDlg::OpenPage(std::wstring_view path) {
  ShellExecuteW(nullptr, L"open", MakeServerUrl(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tarvo

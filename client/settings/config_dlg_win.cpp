#include "client/settings/config_dlg_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "client/app/app_window_win.h"
#include "client/system/adapter_query_win.h"
#include "client/protocol/credentials_store.h"
#include "client/system/startup_registration_win.h"
#include "client/controls/skin_layout_win.h"
#include "client/res/artwork_ids.h"
#include "client/res/settings_ids.h"
#include "client/settings/centre_over_owner.h"
#include "client/tools/list_dlg_win.h"

namespace tarvo {
namespace {

constexpr int kWidth = 336;
constexpr int kHeight = 316;
// Escape, Alt+F4, Enter and Space do nothing here: the window closes only by
// its buttons.
constexpr Skin kSkin{IDB_SETTINGS_BACKGROUND, kWidth, kHeight, /*corner=*/15, /*dragHeight=*/60, IsIgnoredDialogKey};

}  // namespace

config::config(HINSTANCE instance) : SkinnedDialog(instance, IDD_SETTINGS, kSkin) {}

BOOL config::OnInitDialog() {
  ApplySkin();
  LayOutControls();
  ShowSavedPreferences();
  // The size change centres the window over its owner (WM_SIZE).
  SetWindowPos(hwnd(), nullptr, 0, 0, kWidth, kHeight, SWP_NOOWNERZORDER);
  return TRUE;
}

void config::LayOutControls() {
  struct Toggle {
    CIconButton* box;
    int id, x, y, width, height;
    UINT setIcon, clearIcon;
  };
  const Toggle toggles[] = {
      {&SaveIdCheck, IDC_SETTINGS_SAVE_ID, 112, 45, 95, 19, IDI_TOGGLE_SAVE_ID_ON, IDI_TOGGLE_SAVE_ID_OFF},
      {&AutoLoginCheck, IDC_SETTINGS_AUTO_LOGIN, 112, 75, 90, 19, IDI_TOGGLE_AUTOLOGIN_ON,
       IDI_TOGGLE_AUTOLOGIN_OFF},
      {&RunAtStartupCheck, IDC_SETTINGS_RUN_AT_STARTUP, 112, 105, 131, 19, IDI_TOGGLE_RUN_AT_STARTUP_ON,
       IDI_TOGGLE_RUN_AT_STARTUP_OFF},
  };
  for (const auto& t : toggles) {
    t.box->Attach(hwnd(), t.id);
    t.box->SetIcons(instance(), t.setIcon, t.clearIcon);
    t.box->DrawTransparent(true);
    MoveWindow(Item(t.id), t.x, t.y, t.width, t.height, TRUE);
  }

  PlaceSkinButtons(hwnd(), {
      {&m_btnClose, IDC_SETTINGS_CLOSE, 310, 9, 12, 12, IDB_SETTINGS_CLOSE, IDB_SETTINGS_CLOSE_HOVER,
       IDB_SETTINGS_CLOSE_HOVER},
      {&m_btnRouter, IDC_SETTINGS_ROUTER, 113, 162, 158, 29, IDB_SETTINGS_ROUTER, IDB_SETTINGS_ROUTER,
       IDB_SETTINGS_ROUTER_HOVER},
      {&m_btnWinControl, IDC_SETTINGS_WIN_CONTROL, 113, 196, 158, 29, IDB_SETTINGS_WINCONTROL,
       IDB_SETTINGS_WINCONTROL_HOVER, IDB_SETTINGS_WINCONTROL_HOVER},
      {&m_btnOk, IDC_SETTINGS_OK, 92, 268, 71, 27, IDB_SETTINGS_OK, IDB_SETTINGS_OK_HOVER,
       IDB_SETTINGS_OK_HOVER},
      {&m_btnCancel, IDC_SETTINGS_CANCEL, 170, 268, 71, 27, IDB_SETTINGS_CANCEL, IDB_SETTINGS_CANCEL_HOVER,
       IDB_SETTINGS_CANCEL_HOVER},
  });
}

// Only which preferences the file holds matters here; its id and password
// are not shown. The "^.^" spelling of "+" is left as it is, as this window
// has always read the file.
void config::ShowSavedPreferences() {
  const SavedCredentials saved = LoadSignInPreferences(CredentialsFilePath(TempFolder()), false);
  if (saved.runAtStartup) RunAtStartupCheck.SetCheck(1, true);
  if (saved.rememberedId) SaveIdCheck.SetCheck(1, true);
  if (saved.autoSignIn) AutoLoginCheck.SetCheck(1, true);
}

void config::CentreOverOwner() {
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner == nullptr) return;
  RECT ownerRect, client;
  GetWindowRect(owner, &ownerRect);
  GetClientRect(hwnd(), &client);
  const WindowOrigin at = CentredOver(ownerRect.left, ownerRect.top, ownerRect.right - ownerRect.left,
                                      ownerRect.bottom - ownerRect.top, client.right, client.bottom);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE);
}

bool config::OnCommand(WORD id, WORD /*code*/, HWND /*control*/) {
  switch (id) {
    case IDC_SETTINGS_CLOSE:
    case IDC_SETTINGS_CANCEL:
      EndModal(IDCANCEL);
      return true;
    case IDC_SETTINGS_ROUTER:
      RouterPage();
      return true;
    case IDC_SETTINGS_WIN_CONTROL:
      ToolsWindow();
      return true;
    case IDC_SETTINGS_OK:
      SaveSettings();
      return true;
    default:
      return false;
  }
}

// The router's page at the default gateway ("-" when there is none), in the
// user's browser.
void config::RouterPage() {
  const std::wstring url = L"http://" + GetDefaultGateway();
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

void config::ToolsWindow() {
  list tools(instance());
  tools.RunModal(hwnd());
}

// The window closes with OK even when the file could not be written.
void config::SaveSettings() {
  RunKeyRegistration run;
  const SignInPreferences preferences{SaveIdCheck.GetCheck() != 0, AutoLoginCheck.GetCheck() != 0,
                                      RunAtStartupCheck.GetCheck() != 0};
  SaveSignInPreferences(CredentialsFilePath(TempFolder()), run, ProgramFolder(), m_strUserId, m_strPassword,
                        preferences);
  EndModal(IDOK);
}

bool config::OnWindowMessage(UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
  if (msg == WM_SIZE) CentreOverOwner();
  return false;
}

}  // namespace tarvo

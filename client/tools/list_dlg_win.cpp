#include "client/tools/list_dlg_win.h"

#include <shellapi.h>

#include "client/controls/skin_layout_win.h"
#include "client/res/artwork_ids.h"
#include "client/res/tools_ids.h"

namespace tarvo {
namespace {

// The shape covers the 158 by 147 background exactly; it used to reach one
// row further, which stayed unpainted (a black row under the list).
constexpr Skin kSkin{IDB_TOOLS_BACKGROUND, 159, 148, /*corner=*/5, /*dragHeight=*/0, /*ignoredKeys=*/nullptr};
// Where the list opens in its owner's client area: its header strip (client
// y 1) on the settings window's Win-control button at 113, 196.
constexpr POINT kOverWinControl{113, 195};

// Each tool is either a file opened by the shell or an ANSI command line.
struct Tool {
  WORD id;
  const wchar_t* shellFile;
  const char* commandLine;
};

constexpr Tool kTools[] = {
    {IDC_TOOLS_CMD, L"cmd", nullptr},
    {IDC_TOOLS_REGEDIT, L"regedit", nullptr},
    {IDC_TOOLS_NETWORK, nullptr, "rundll32 shell32.dll,Control_RunDLL ncpa.cpl"},
    {IDC_TOOLS_SECURITY, nullptr, "rundll32 shell32.dll,Control_RunDLL wscui.cpl"},
    // The name is handed over with its trailing blank, as it always has been.
    {IDC_TOOLS_SERVICES, L"services.msc ", nullptr},
};

// The result is not looked at: a tool that cannot be started gives no
// message, and the list closes all the same.
void StartTool(const Tool& tool) {
  if (tool.shellFile != nullptr)
    ShellExecuteW(nullptr, L"open", tool.shellFile, nullptr, nullptr, SW_SHOW);
  else
    WinExec(tool.commandLine, SW_SHOW);
}

}  // namespace

list::list(HINSTANCE instance) : SkinnedDialog(instance, IDD_TOOLS, kSkin) {}

BOOL list::OnInitDialog() {
  ApplySkin();
  LayOutButtons();
  PlaceOverOwnerButton();
  return TRUE;
}

// The template's position (75, 120 units) lands on the button only with the
// template font at 96 dpi; the owner's controls are placed in pixels, so the
// list is too, whatever the font and resolution turn the units into.
void list::PlaceOverOwnerButton() {
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner == nullptr) return;
  POINT at = kOverWinControl;
  ClientToScreen(owner, &at);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void list::LayOutButtons() {
  PlaceSkinButtons(hwnd(), {
      {&m_btnHeader, IDC_TOOLS_HEADER, 0, 1, 158, 29, IDB_TOOLS_HEADER, IDB_TOOLS_HEADER, IDB_TOOLS_HEADER},
      {&m_btnCmd, IDC_TOOLS_CMD, 1, 39, 156, 20, IDB_TOOLS_CMD, IDB_TOOLS_CMD_HOVER, IDB_TOOLS_CMD_HOVER},
      {&m_btnRegedit, IDC_TOOLS_REGEDIT, 1, 59, 156, 20, IDB_TOOLS_REGEDIT, IDB_TOOLS_REGEDIT_HOVER,
       IDB_TOOLS_REGEDIT_HOVER},
      {&m_btnNetConn, IDC_TOOLS_NETWORK, 1, 79, 156, 20, IDB_TOOLS_NETWORK, IDB_TOOLS_NETWORK_HOVER,
       IDB_TOOLS_NETWORK_HOVER},
      {&m_btnSecCenter, IDC_TOOLS_SECURITY, 1, 99, 156, 20, IDB_TOOLS_SECURITY, IDB_TOOLS_SECURITY_HOVER,
       IDB_TOOLS_SECURITY_HOVER},
      {&m_btnServices, IDC_TOOLS_SERVICES, 1, 119, 156, 20, IDB_TOOLS_SERVICES, IDB_TOOLS_SERVICES_HOVER,
       IDB_TOOLS_SERVICES_HOVER},
  });
}

bool list::OnCommand(WORD id, WORD /*code*/, HWND /*control*/) {
  if (id == IDC_TOOLS_HEADER) {
    EndModal(IDOK);
    return true;
  }
  for (const Tool& tool : kTools) {
    if (tool.id != id) continue;
    StartTool(tool);
    EndModal(IDOK);
    return true;
  }
  return false;
}

bool list::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
  switch (msg) {
    case WM_NCACTIVATE:
      // Losing activation (another program, a click outside) dismisses the list.
      if (wParam != 0) return false;
      PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
      result = TRUE;
      return true;
    default:
      return false;
  }
}

}  // namespace tarvo

#include "client/controls/accessible_state.h"

#include "client/base/texts.h"
#include "client/res/artwork_ids.h"

namespace tarvo {

std::uint32_t AccessibleStateBits(const ControlLook& look) {
  using namespace accessible_state;
  std::uint32_t bits = 0;
  if (!look.enabled) {
    bits |= kUnavailable;
  } else {
    bits |= kFocusable;
    if (look.focused) bits |= kFocused;
    if (look.hot) bits |= kHotTracked;
    if (look.pressed && !look.checkBox) bits |= kPressed;
  }
  if (look.checkBox && look.checked) bits |= kChecked;
  if (look.secret) bits |= kProtected;
  return bits;
}

std::wstring_view AccessibleNameOfFace(unsigned faceId) {
  using namespace texts;
  switch (faceId) {
    case IDB_LOGIN_SIGNIN:
      return kNameSignIn;
    case IDB_LOGIN_FIND_ID:
      return kNameFindId;
    case IDB_LOGIN_JOIN:
      return kNameJoin;
    case IDB_TITLE_MINIMIZE:
      return kNameMinimize;
    case IDB_TITLE_CLOSE:
    case IDB_SETTINGS_CLOSE:
      return kNameClose;
    case IDI_CHECK_SAVE_ID_ON:
      return kNameSaveIdShort;
    case IDI_TOGGLE_SAVE_ID_ON:
      return kNameSaveId;
    case IDI_CHECK_AUTOLOGIN_ON:
    case IDI_TOGGLE_AUTOLOGIN_ON:
      return kNameAutoLogin;
    case IDI_CHECK_RUN_AT_STARTUP_ON:
    case IDI_TOGGLE_RUN_AT_STARTUP_ON:
      return kNameRunAtStartup;
    case IDB_SESSION_CONNECT:
      return kNameConnect;
    case IDB_SESSION_DISCONNECT:
      return kNameDisconnect;
    case IDB_SESSION_LOGOUT:
      return kNameLogout;
    case IDB_SESSION_SETTINGS:
      return kNameSettings;
    case IDB_SESSION_EXTEND:
      return kNameExtendService;
    case IDB_SESSION_APPLY:
      return kNameApplyService;
    case IDB_SESSION_EXPAND:
      return kNameExpand;
    case IDB_SESSION_COLLAPSE:
      return kNameCollapse;
    case IDB_SETTINGS_ROUTER:
      return kNameRouter;
    case IDB_SETTINGS_WINCONTROL:
    case IDB_TOOLS_HEADER:
      return kNameWinControl;
    case IDB_SETTINGS_OK:
      return kNameOk;
    case IDB_SETTINGS_CANCEL:
      return kNameCancel;
    case IDB_TOOLS_CMD:
      return kNameToolCmd;
    case IDB_TOOLS_REGEDIT:
      return kNameToolRegedit;
    case IDB_TOOLS_NETWORK:
      return kNameToolNetwork;
    case IDB_TOOLS_SECURITY:
      return kNameToolSecurity;
    case IDB_TOOLS_SERVICES:
      return kNameToolServices;
    default:
      return {};
  }
}

std::wstring_view AccessibleDefaultAction(const ControlLook& look) {
  if (!look.checkBox) return texts::kActionPress;
  return look.checked ? texts::kActionUncheck : texts::kActionCheck;
}

}  // namespace tarvo

#pragma once
// The tools window: a drop-down list of five Windows administration tools,
// opened over the settings window's Win-control button. It starts the chosen
// tool and closes; it also closes as soon as it loses activation.

#include "client/controls/skin_button_win.h"
#include "common/window/skinned_dialog_win.h"

namespace tarvo {

class list : public SkinnedDialog {
 public:
  explicit list(HINSTANCE instance);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void LayOutButtons();
  void PlaceOverOwnerButton();

  CSkinButton m_btnHeader;
  CSkinButton m_btnCmd;
  CSkinButton m_btnRegedit;
  CSkinButton m_btnNetConn;
  CSkinButton m_btnSecCenter;
  CSkinButton m_btnServices;
};

}  // namespace tarvo

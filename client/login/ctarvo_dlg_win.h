#pragma once
// The login window: id, password, the three sign-in preferences, sign-in.

#include <memory>
#include <string>

#include "client/controls/icon_button_win.h"
#include "client/controls/skin_button_win.h"
#include "common/window/skinned_dialog_win.h"

namespace tarvo {

class main;

class CtarvoDlg : public SkinnedDialog {
 public:
  explicit CtarvoDlg(HINSTANCE instance);
  ~CtarvoDlg() override;

  // Set by start-up: this window is the application's main window.
  bool m_bAppMainWindow = false;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool OnPreTranslate(MSG& msg) override;

 private:
  void LayOutControls();
  void RestorePreferences();
  void SignIn();
  void ConfirmExit();
  void OpenPage(std::wstring_view path);
  bool IsField(HWND window) const;

  HICON m_hIcon;
  HFONT m_fontFields = nullptr;
  HBRUSH m_brushFields = nullptr;

  CSkinButton m_btnMinimize;
  CSkinButton m_btnExit;
  CSkinButton m_btnSignIn;
  CSkinButton m_btnFindId;
  CSkinButton m_btnJoin;
  CIconButton SaveIdCheck;
  CIconButton AutoLoginCheck;
  CIconButton RunAtStartupCheck;

  std::unique_ptr<main> m_pSession;
};

}  // namespace tarvo

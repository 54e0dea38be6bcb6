#pragma once
// The window-wrapper base of both programs: a dialog built from a resource
// template, with messages and control commands dispatched to virtual
// handlers, a pre-dispatch filter, and modal or modeless runs.

#include <windows.h>

namespace tarvo {

// WM_COMMAND id that asks the application's main window to close.
inline constexpr WORD ID_APP_EXIT = 0xE141;

// A press at a client y above `areaHeight` is handed to the window as a press
// on its caption, so the user drags the captionless window by its title area.
void DragByTitleArea(HWND window, LPARAM pressAt, int areaHeight);

// The keys that a window closing only by its own buttons ignores: Escape (in
// any message), Alt+F4, and Enter, Space and Cancel presses. For a
// PreTranslateMessage that consumes them.
bool IsIgnoredDialogKey(const MSG& msg);

class Dialog {
 public:
  Dialog(HINSTANCE instance, UINT templateId) : instance_(instance), templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the window, shows it (unless created hidden, or already ended
  // during its initialisation) and runs its own message loop until EndModal
  // (or a WM_QUIT) ends it. The owner is disabled meanwhile.
  INT_PTR RunModal(HWND owner = nullptr);
  // A window that must never be shown (a hidden program's message window).
  void RunHidden() { showOnRun_ = false; }
  // Creates the window and returns; the caller's loop must pass messages
  // through PreTranslateMessage (the modal loop of the top window does).
  bool CreateModeless(HWND parent);
  void EndModal(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  HINSTANCE instance() const { return instance_; }

  // The dialog whose window is `hwnd`, if it was created by this base.
  static Dialog* FromHandle(HWND hwnd);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // Return true when the command was handled.
  virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
  // Any other message; return true and set `result` when handled.
  virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }
  // Seen before dispatch for every message of the loop; return true to consume it.
  virtual bool PreTranslateMessage(MSG& /*msg*/) { return false; }
  virtual void OnOK() { EndModal(IDOK); }
  virtual void OnCancel() { EndModal(IDCANCEL); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool FilterThroughDialogs(MSG& msg);

  HINSTANCE instance_;
  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool showOnRun_ = true;
  bool endModal_ = false;
  INT_PTR modalResult_ = IDCANCEL;
};

}  // namespace tarvo

#pragma once
// The application's main window: whichever top-level window start-up runs.
// Worker threads address it to end the application.

#include <windows.h>

#include <string>

namespace tarvo {

void SetAppMainWindow(HWND window);
HWND AppMainWindow();

// Posts WM_QUIT to the main window's thread: every modal loop ends and the
// process with them.
void PostQuitToMainWindow();

// Message boxes with the application's title.
int ShowAppMessage(HWND owner, const std::wstring& text, UINT type = MB_OK);

// The folder of the running program, without a trailing backslash.
const std::wstring& ProgramFolder();

// The user's temporary folder.
std::wstring TempFolder();

}  // namespace tarvo

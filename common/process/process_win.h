#pragma once
// Process-level helpers both programs use at start-up.

#include <windows.h>

#include <string>

namespace tarvo {

// Full path of the running program file.
std::wstring ModulePath();

// Creates the named mutex (kept for the process's life). When another
// instance already holds it, brings that instance's window titled
// `windowTitle` forward (restoring it if minimised) and returns false.
bool ClaimSingleInstance(const wchar_t* mutexName, const wchar_t* windowTitle);

// "cmd.exe /C rasdial Tarvo /disconnect", hidden and not waited for: drops
// the VPN entry by name whatever process dialled it.
void RunHangUpCommand();

// Shell "open" of a file with optional parameters, window hidden.
void ShellOpenHidden(const wchar_t* file, const wchar_t* parameters);

}  // namespace tarvo

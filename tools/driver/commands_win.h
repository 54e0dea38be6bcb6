#pragma once
// The driver's commands. Each takes the words after the command name, prints
// its result on stdout and returns the exit code; failures throw DriverError.

#include <string>
#include <vector>

#include "tools/driver/command_line.h"

namespace tarvo::driver {

using Args = std::vector<std::wstring>;

// Windows and controls.
int WaitWindowCommand(const Args& args);
int WaitGoneCommand(const Args& args);
int ListWindowsCommand(const Args& args);
int ListControlsCommand(const Args& args);
int TextCommand(const Args& args);
int SetTextCommand(const Args& args);
int ClickCommand(const Args& args);
int EnabledCommand(const Args& args);
int CheckedCommand(const Args& args);
int RectCommand(const Args& args);
int VisibleCommand(const Args& args);
int PostCommand(const Args& args);

// Accessibility: what a screen reader gets.
int AccessibleCommand(const Args& args);
int AccessibleDoCommand(const Args& args);

// Message boxes.
int MsgboxCommand(const Args& args);
int ShowMsgboxCommand(const Args& args);

// Real input and pictures.
int MouseMoveCommand(const Args& args);
int MouseDownCommand(const Args& args);
int MouseUpCommand(const Args& args);
int MouseClickCommand(const Args& args);
int CursorCommand(const Args& args);
int KeyCommand(const Args& args);
int ScreenshotCommand(const Args& args);
int ForegroundCommand(const Args& args);
int WindowShapeCommand(const Args& args);

// Liveness regions.
int HoldRegionCommand(const Args& args);
int CheckRegionCommand(const Args& args);

// Processes and the system.
int ProcessAliveCommand(const Args& args);
int ListProcessesCommand(const Args& args);
int LocaleCommand(const Args& args);
int FontCheckCommand(const Args& args);

}  // namespace tarvo::driver

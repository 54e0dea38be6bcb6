// Stand-in for the system's rasdial: records how it was run, then does what
// the command asks of the test machine's simulated remote access: a hang-up
// of the entry "Tarvo" (or of every entry) takes the simulated tunnel down.
// Always succeeds.

#include <windows.h>

#include <string>
#include <vector>

#include "tools/rasdial/command_log_win.h"
#include "tools/rasdial/rasdial_command.h"
#include "tools/simulation/simulated_adapter_win.h"

namespace {

int Run(const tarvo::rasdial::RasdialCommand& command) {
  using Action = tarvo::rasdial::RasdialCommand::Action;
  switch (command.action) {
    case Action::kDisconnect:
      if (command.entry.empty() || _wcsicmp(command.entry.c_str(), L"Tarvo") == 0) tarvo::simulation::DropAdapter();
      break;
    case Action::kDial:
    case Action::kStatus:
      break;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  tarvo::rasdial::RecordCommandLine(GetCommandLineW());
  return Run(tarvo::rasdial::ParseRasdialArguments(std::vector<std::wstring>(argv + 1, argv + argc)));
}

#pragma once
// What a rasdial command line asks for, in the system tool's syntax:
//   rasdial                                  list the connections
//   rasdial <entry> [user [password]] [/PHONEBOOK:file] ...   dial
//   rasdial [entry] /DISCONNECT              hang up (also "/d", any case)

#include <string>
#include <vector>

namespace tarvo::rasdial {

struct RasdialCommand {
  enum class Action { kStatus, kDial, kDisconnect };
  Action action = Action::kStatus;
  std::wstring entry;                    // empty when none was named
  std::vector<std::wstring> credentials;  // user and password of a dial, as given
  std::vector<std::wstring> switches;     // the other "/NAME[:value]" words, as given
};

// `args` are the words after the program name.
RasdialCommand ParseRasdialArguments(const std::vector<std::wstring>& args);

}  // namespace tarvo::rasdial

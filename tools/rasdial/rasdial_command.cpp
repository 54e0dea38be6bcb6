#include "tools/rasdial/rasdial_command.h"

namespace tarvo::rasdial {
namespace {

bool SameSwitch(const std::wstring& word, const wchar_t* lowerName) {
  std::wstring lower;
  for (const wchar_t c : word) lower += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  return lower == lowerName;
}

}  // namespace

RasdialCommand ParseRasdialArguments(const std::vector<std::wstring>& args) {
  RasdialCommand command;
  bool disconnect = false;
  std::vector<std::wstring> plain;
  for (const std::wstring& word : args) {
    if (!word.empty() && word[0] == L'/') {
      if (SameSwitch(word, L"/disconnect") || SameSwitch(word, L"/d")) {
        disconnect = true;
      } else {
        command.switches.push_back(word);
      }
    } else {
      plain.push_back(word);
    }
  }
  if (!plain.empty()) {
    command.entry = plain.front();
    command.credentials.assign(plain.begin() + 1, plain.end());
  }
  if (disconnect) {
    command.action = RasdialCommand::Action::kDisconnect;
  } else if (!command.entry.empty()) {
    command.action = RasdialCommand::Action::kDial;
  }
  return command;
}

}  // namespace tarvo::rasdial

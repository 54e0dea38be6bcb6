#pragma once
// The command line of tarvo-devserver.

#include <string>
#include <variant>
#include <vector>

#include "devserver/server_config.h"

namespace tarvo::devserver {

struct CommandLine {
  ServerConfig config;
  bool help = false;
};

// The options after the program name; a text with the reason when they are wrong.
std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace tarvo::devserver

// tarvo-devserver: serves the client's requests for development, demos and
// the end-to-end tests. Prints the two listener URLs, then runs until SIGINT
// or SIGTERM.

#include <signal.h>

#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "devserver/command_line.h"
#include "devserver/dev_server.h"

int main(int argc, char** argv) {
  using namespace tarvo::devserver;
  const auto parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "tarvo-devserver: " << *error << "\nTry 'tarvo-devserver --help'.\n";
    return 2;
  }
  const CommandLine& cl = std::get<CommandLine>(parsed);
  if (cl.help) {
    std::cout << UsageText();
    return 0;
  }

  // Blocked before any thread starts, so that only sigwait below sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  DevServer server(cl.config);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "tarvo-devserver: " << error << "\n";
    return 1;
  }
  std::cout << "listening " << server.url() << "\nadmin " << server.adminUrl() << std::endl;

  int signal = 0;
  sigwait(&stopSignals, &signal);
  std::cerr << "tarvo-devserver: stopping\n";
  server.Stop();
  return 0;
}

#include "devserver/command_line.h"

#include <optional>

#include "common/text/option_parser.h"
#include "devserver/service/service_settings.h"

namespace tarvo::devserver {
namespace {

std::optional<std::string> ReadEndpoint(const std::string& option, const std::string& value, Endpoint& out) {
  const auto endpoint = ParseEndpoint(value);
  if (!endpoint)
    return option + ": expected HOST:PORT (for example 127.0.0.1:8080 or [::1]:0), got '" + value + "'";
  out = *endpoint;
  return std::nullopt;
}

std::optional<std::size_t> ReadCount(const std::string& value, std::size_t least) {
  std::size_t n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9' || n > 100'000) return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  if (n < least || n > 100'000) return std::nullopt;
  return n;
}

}  // namespace

std::string UsageText() {
  return "Usage: tarvo-devserver [options]\n"
         "Reference implementation of the Tarvo service web server.\n\n"
         "  --listen HOST:PORT        service listener (default 127.0.0.1:0; port 0 picks a free port)\n"
         "  --admin-listen HOST:PORT  admin JSON interface, loopback only (default 127.0.0.1:0)\n"
         "  --db FILE                 SQLite database of accounts and sessions (default: in memory)\n"
         "  --tls-cert FILE           serve HTTPS with this PEM certificate chain (needs --tls-key)\n"
         "  --tls-key FILE            PEM private key of the certificate\n"
         "  --installer FILE          installer served at /tarvo_app/download/Tarvo_setup.exe\n"
         "  --installer-folder DIR    the folder the admin interface may take installer files from\n"
         "                            (default: the folder of --installer; none without it)\n"
         "  --app-version VERSION     newest client version announced (default 1.0.2.6)\n"
         "  --vpn-server ADDRESS      VPN server handed to clients (default 127.0.0.1)\n"
         "  --seed-demo               create (or reset) the account demo / demo1234 with 30 days\n"
         "  --max-connections N       connections served at once (default 512)\n"
         "  --queue N                 connections waiting beyond those; past that, 503 (default 64)\n"
         "  --help                    show this text\n\n"
         "The first lines on standard output are 'listening URL' and 'admin URL'.\n";
}

std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  ServerConfig& c = cl.config;
  std::vector<std::string> words = args;
  for (std::string& word : words)
    if (word == "-h") word = "--help";
  auto parsed = ParseOptions<char>(words,
                                   {"listen", "admin-listen", "db", "tls-cert", "tls-key", "installer",
                                    "installer-folder", "app-version", "vpn-server", "max-connections", "queue"},
                                   {"help", "seed-demo"});
  if (const auto* error = std::get_if<OptionError<char>>(&parsed)) return DescribeOptionError(error->kind, error->name);
  const auto& options = std::get<ParsedOptions<char>>(parsed);
  if (!options.positional.empty()) return "unexpected argument '" + options.positional.front() + "'";
  cl.help = options.HasFlag("help");
  c.seedDemo = options.HasFlag("seed-demo");
  for (const auto& [name, value] : options.values) {
    const std::string option = "--" + name;
    if (value.empty()) return option + " needs a value";
    std::optional<std::string> error;
    if (option == "--listen") {
      error = ReadEndpoint(option, value, c.listen);
    } else if (option == "--admin-listen") {
      error = ReadEndpoint(option, value, c.adminListen);
      if (!error && !IsLoopbackHost(c.adminListen.host))
        error =
            "--admin-listen: the admin interface listens on loopback only (127.0.0.1, ::1 or localhost), "
            "not " +
            c.adminListen.host;
    } else if (option == "--db") {
      c.dbFile = value;
    } else if (option == "--tls-cert") {
      c.tlsCert = value;
    } else if (option == "--tls-key") {
      c.tlsKey = value;
    } else if (option == "--installer") {
      c.installerFile = value;
    } else if (option == "--installer-folder") {
      c.installerFolder = value;
    } else if (option == "--app-version") {
      c.appVersion = value;
      if (auto reason = InvalidVersionReason(value)) error = "--app-version: " + *reason;
    } else if (option == "--max-connections" || option == "--queue") {
      const auto number = ReadCount(value, option == "--queue" ? 0 : 1);
      if (!number)
        error = option + ": expected a whole number from " + (option == "--queue" ? "0" : "1") + " to 100000";
      else if (option == "--queue")
        c.service.pool.maxQueued = *number;
      else
        c.service.pool.maxActive = *number;
    } else if (option == "--vpn-server") {
      c.vpnServer = value;
      if (auto reason = InvalidVpnServerReason(value)) error = "--vpn-server: " + *reason;
    }
    if (error) return *error;
  }
  if (c.tlsCert.empty() != c.tlsKey.empty()) return "--tls-cert and --tls-key go together";
  return cl;
}

}  // namespace tarvo::devserver

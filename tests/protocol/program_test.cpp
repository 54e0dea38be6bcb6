// The built tarvo-devserver program: its first output lines, its command line
// and a clean stop on SIGTERM.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>

#include "client/protocol/url_encode.h"
#include "devserver/service/text_codec.h"
#include "server_fixture.h"

extern char** environ;

namespace tarvo::devserver::testing {
namespace {

using namespace std::chrono_literals;

// The program with its standard output and error on pipes.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    args.insert(args.begin(), TARVO_DEVSERVER_PROGRAM);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Program() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
  }

  // The next line of standard output, or empty after `timeout`.
  std::string ReadLine(std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    char c;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      if (read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }

  // The exit status, or -1 when the program still runs after `timeout`.
  int WaitExit(std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(20ms);
    }
    return -1;
  }

  std::string Errors() {
    std::string text;
    char buf[512];
    for (ssize_t n; (n = read(err_, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    return text;
  }

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  bool exited_ = false;
};

int PortOf(const std::string& line, const std::string& label) {
  std::smatch m;
  if (!std::regex_match(line, m, std::regex(label + " http://127\\.0\\.0\\.1:([0-9]+)"))) return 0;
  return std::stoi(m[1]);
}

TEST(ProgramTest, PrintsItsUrlsServesAndStopsOnSigterm) {
  Program program({"--listen", "127.0.0.1:0", "--seed-demo"});
  const std::string first = program.ReadLine(), second = program.ReadLine();
  const int port = PortOf(first, "listening"), adminPort = PortOf(second, "admin");
  ASSERT_GT(port, 0) << first;
  ASSERT_GT(adminPort, 0) << second;

  httplib::Client client("127.0.0.1", port);
  client.set_url_encode(false);
  const auto confirm = client.Get(
      ("/tarvo_app/index.php?act=ok&r=" + ToUtf8(EncodeCredentials(L"demo", L"demo1234"))).c_str());
  ASSERT_TRUE(confirm);
  EXPECT_TRUE(confirm->body.ends_with(",43200")) << confirm->body;
  EXPECT_EQ(httplib::Client("127.0.0.1", adminPort).Get("/health")->status, 200);

  kill(program.pid(), SIGTERM);
  EXPECT_EQ(program.WaitExit(), 0);
}

TEST(ProgramTest, BadCommandLinesFailWithAReason) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string mentions;
  } cases[] = {
      {{"--listen", "nonsense"}, 2, "--listen"},
      {{"--listen", "127.0.0.1:70000"}, 2, "--listen"},
      {{"--admin-listen", "0.0.0.0:0"}, 2, "loopback"},
      {{"--admin-listen", "192.168.0.10:8081"}, 2, "loopback"},
      {{"--tls-cert", "server.crt"}, 2, "--tls-key"},
      {{"--bogus"}, 2, "--bogus"},
      {{"--db"}, 2, "--db needs a value"},
      {{"--db="}, 2, "--db needs a value"},
      {{"--seed-demo=yes"}, 2, "--seed-demo takes no value"},
      {{"stray"}, 2, "unexpected argument 'stray'"},
      {{"--app-version", "1,0"}, 2, "--app-version"},
      {{"--installer", "/nonexistent/Tarvo_setup.exe"}, 1, "/nonexistent/Tarvo_setup.exe"},
  };
  for (const auto& c : cases) {
    Program program(c.args);
    EXPECT_EQ(program.WaitExit(), c.exitCode) << c.args[0];
    EXPECT_NE(program.Errors().find(c.mentions), std::string::npos) << c.args[0];
  }
}

TEST(ProgramTest, APortInUseIsAnError) {
  Program first({"--listen", "127.0.0.1:0"});
  const int port = PortOf(first.ReadLine(), "listening");
  ASSERT_GT(port, 0);
  Program second({"--listen", "127.0.0.1:" + std::to_string(port)});
  EXPECT_EQ(second.WaitExit(), 1);
  EXPECT_NE(second.Errors().find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos);
}

TEST(ProgramTest, HelpDescribesTheOptions) {
  Program program({"--help"});
  const std::string first = program.ReadLine();
  EXPECT_EQ(program.WaitExit(), 0);
  EXPECT_EQ(first, "Usage: tarvo-devserver [options]");
}

}  // namespace
}  // namespace tarvo::devserver::testing

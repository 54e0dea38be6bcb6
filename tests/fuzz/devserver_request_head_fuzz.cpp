// The reference server's reading of what a client sends on a connection:
// request heads (and whatever follows them) through the listener's own
// connection loop, over a socket pair, with the server's request hook.
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "devserver/http/capturing_server.h"
#include "devserver/http/request_target.h"
#include "fuzz_input.h"

namespace {

tarvo::devserver::CapturingServer& Listener() {
  static tarvo::devserver::CapturingServer* server = [] {
    auto* s = new tarvo::devserver::CapturingServer();
    s->SetRequestHook([](tarvo::devserver::ConnectionStream& stream, httplib::Request& req) {
      const auto target = tarvo::devserver::RequestTarget::Parse(req.target);
      (void)tarvo::devserver::Classify(target, "/tarvo_app/download/Tarvo_setup.exe");
      TARVO_FUZZ_CHECK(!stream.head().empty());
    });
    s->set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.target, "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    });
    return s;
  }();
  return *server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  // The client's side: the input, then the end of what it sends; the
  // server's replies are read away so that its writes never wait.
  std::thread client([fd = fds[1], data, size] {
    std::size_t sent = 0;
    while (sent < size) {
      const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
  });
  Listener().ServeConnection(fds[0]);  // closes fds[0]
  client.join();
  return 0;
}

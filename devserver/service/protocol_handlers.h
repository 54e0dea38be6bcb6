#pragma once
// The replies of the service listener: the client's requests and the web pages.

#include <httplib.h>

#include <optional>
#include <string>
#include <string_view>

#include "devserver/store/account_store.h"
#include "devserver/http/request_target.h"
#include "devserver/service/service_state.h"

namespace tarvo::devserver {

class ProtocolHandlers {
 public:
  explicit ProtocolHandlers(ServiceState& state) : state_(state) {}

  // How a reply holds its bytes: a download is served from the one loaded
  // copy of the installer, so that slow readers cost no copy each; the
  // faults that rewrite a reply ask for the bytes in the body.
  enum class Body { Shared, Copied };
  void Respond(const RequestTarget& target, RequestKind kind, httplib::Response& res, Body body = Body::Shared);

 private:
  void Version(const RequestTarget& target, httplib::Response& res);
  void SignIn(const RequestTarget& target, httplib::Response& res);
  void Confirm(const RequestTarget& target, httplib::Response& res);
  void Join(const RequestTarget& target, httplib::Response& res);
  void Status(const RequestTarget& target, httplib::Response& res);
  void Leave(const RequestTarget& target, RequestKind kind, httplib::Response& res);
  void InstallerDownload(httplib::Response& res, Body body);
  void AccountPage(const RequestTarget& target, httplib::Response& res);

  std::optional<Account> AuthenticateEncoded(const std::string* rawValue) const;
  std::int64_t MinutesLeftOf(std::string_view accountId) const;

  ServiceState& state_;
};

}  // namespace tarvo::devserver

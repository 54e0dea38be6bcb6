#pragma once
// Failures inside a request handler: the reason goes to the server's log
// (standard error), never to the client, which gets a generic 500.

#include <exception>
#include <string>
#include <string_view>

namespace httplib {
struct Request;
}  // namespace httplib

namespace tarvo::devserver {

std::string DescribeException(std::exception_ptr ep);
void LogHandlerFailure(const httplib::Request& req, std::string_view what);

}  // namespace tarvo::devserver

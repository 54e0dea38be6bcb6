#include "devserver/http/failure_log.h"

#include <httplib.h>

#include <iostream>

namespace tarvo::devserver {

std::string DescribeException(std::exception_ptr ep) {
  try {
    std::rethrow_exception(ep);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

void LogHandlerFailure(const httplib::Request& req, std::string_view what) {
  std::cerr << "tarvo-devserver: " << req.method << ' ' << req.path << " failed: " << what << std::endl;
}

}  // namespace tarvo::devserver

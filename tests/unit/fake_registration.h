#pragma once
// A start-with-Windows registration that remembers its command in memory.

#include <optional>
#include <string>
#include <string_view>

#include "client/system/startup_registration.h"

namespace tarvo {

class FakeRegistration : public StartupRegistration {
 public:
  bool Register(std::wstring_view command) override {
    value = std::wstring(command);
    return true;
  }
  bool Unregister() override {
    const bool had = value.has_value();
    value.reset();
    return had;
  }
  std::optional<std::wstring> value;
};

}  // namespace tarvo

#pragma once
// One JSON object written on one line: the driver's machine-readable output.

#include <string>
#include <string_view>

namespace tarvo::driver {

class JsonLine {
 public:
  JsonLine& Text(std::string_view key, std::string_view utf8Value);
  JsonLine& Number(std::string_view key, long long value);
  JsonLine& Bool(std::string_view key, bool value);
  JsonLine& Hex(std::string_view key, unsigned long long value);  // "0x1f" as a string
  JsonLine& Raw(std::string_view key, std::string_view json);     // an already formed JSON value
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
};

// "0x1f".
std::string HexText(unsigned long long value);
// `utf8` as a quoted JSON string.
std::string JsonQuote(std::string_view utf8);

}  // namespace tarvo::driver

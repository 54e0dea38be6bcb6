#include "tools/driver/json_line.h"

#include <cstdio>

namespace tarvo::driver {

std::string JsonQuote(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void JsonLine::Key(std::string_view key) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonQuote(key);
  body_ += ":";
}

JsonLine& JsonLine::Text(std::string_view key, std::string_view utf8Value) {
  Key(key);
  body_ += JsonQuote(utf8Value);
  return *this;
}

JsonLine& JsonLine::Number(std::string_view key, long long value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Bool(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

std::string HexText(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

JsonLine& JsonLine::Hex(std::string_view key, unsigned long long value) { return Text(key, HexText(value)); }

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json) {
  Key(key);
  body_ += json;
  return *this;
}

}  // namespace tarvo::driver

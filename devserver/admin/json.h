#pragma once
// The JSON the admin interface reads and writes: a small value type, parsed
// and written by nlohmann/json. Objects keep their members in insertion order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace tarvo::devserver {

class Json {
 public:
  using Array = std::vector<Json>;
  using Object = std::vector<std::pair<std::string, Json>>;

  Json() = default;
  Json(std::nullptr_t) {}
  Json(bool b) : value_(b) {}
  Json(int i) : value_(static_cast<std::int64_t>(i)) {}
  Json(std::int64_t i) : value_(i) {}
  Json(std::uint64_t i) : value_(static_cast<std::int64_t>(i)) {}
  Json(double d) : value_(d) {}
  Json(std::string s) : value_(std::move(s)) {}
  Json(const char* s) : value_(std::string(s)) {}
  Json(Array a) : value_(std::move(a)) {}
  Json(Object o) : value_(std::move(o)) {}

  // Nothing when `text` is not one well-formed JSON value; the reason goes to `error`.
  static std::optional<Json> Parse(std::string_view text, std::string& error);
  std::string Dump() const;

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value_); }
  bool IsObject() const { return std::holds_alternative<Object>(value_); }
  const bool* AsBool() const { return std::get_if<bool>(&value_); }
  const std::int64_t* AsInt() const { return std::get_if<std::int64_t>(&value_); }
  const std::string* AsString() const { return std::get_if<std::string>(&value_); }
  const Object* AsObject() const { return std::get_if<Object>(&value_); }
  const Array* AsArray() const { return std::get_if<Array>(&value_); }

  // Member of an object, or null when absent or not an object.
  const Json* Get(std::string_view key) const;
  // Appends a member to an object.
  Json& Set(std::string key, Json value);
  // Appends an element to an array.
  void Push(Json value);

 private:
  nlohmann::ordered_json ToLibrary() const;
  std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, Array, Object> value_;
};

}  // namespace tarvo::devserver

#include "devserver/admin/json.h"

#include <limits>
#include <nlohmann/json.hpp>

namespace tarvo::devserver {
namespace {

// Parsing and writing are the library's; the admin interface keeps its small
// value type, with objects in insertion order.
using Library = nlohmann::ordered_json;

// Deeper documents are refused: no admin request needs them.
constexpr int kMaxDepth = 32;

std::optional<Json> FromLibrary(const Library& value, int depth, std::string& error) {
  if (depth > kMaxDepth) {
    error = "nesting too deep";
    return std::nullopt;
  }
  switch (value.type()) {
    case Library::value_t::null:
      return Json();
    case Library::value_t::boolean:
      return Json(value.get<bool>());
    case Library::value_t::number_integer:
      return Json(value.get<std::int64_t>());
    case Library::value_t::number_unsigned: {
      const auto n = value.get<std::uint64_t>();
      if (n <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return Json(static_cast<std::int64_t>(n));
      return Json(static_cast<double>(n));
    }
    case Library::value_t::number_float:
      return Json(value.get<double>());
    case Library::value_t::string:
      return Json(value.get<std::string>());
    case Library::value_t::array: {
      Json::Array items;
      for (const Library& item : value) {
        auto converted = FromLibrary(item, depth + 1, error);
        if (!converted) return std::nullopt;
        items.push_back(std::move(*converted));
      }
      return Json(std::move(items));
    }
    case Library::value_t::object: {
      Json::Object members;
      for (const auto& [key, member] : value.items()) {
        auto converted = FromLibrary(member, depth + 1, error);
        if (!converted) return std::nullopt;
        members.emplace_back(key, std::move(*converted));
      }
      return Json(std::move(members));
    }
    default:
      error = "not a JSON value";
      return std::nullopt;
  }
}

}  // namespace

std::optional<Json> Json::Parse(std::string_view text, std::string& error) {
  Library parsed;
  try {
    parsed = Library::parse(text.begin(), text.end());
  } catch (const Library::parse_error& e) {
    error = e.what();
    return std::nullopt;
  }
  return FromLibrary(parsed, 0, error);
}

std::string Json::Dump() const {
  return ToLibrary().dump(-1, ' ', false, Library::error_handler_t::replace);
}

nlohmann::ordered_json Json::ToLibrary() const {
  if (const bool* b = AsBool()) return *b;
  if (const std::int64_t* i = AsInt()) return *i;
  if (const double* d = std::get_if<double>(&value_)) return *d;
  if (const std::string* s = AsString()) return *s;
  if (const Array* a = AsArray()) {
    Library items = Library::array();
    for (const Json& item : *a) items.push_back(item.ToLibrary());
    return items;
  }
  if (const Object* o = AsObject()) {
    Library members = Library::object();
    for (const auto& [key, member] : *o) members[key] = member.ToLibrary();
    return members;
  }
  return nullptr;
}

const Json* Json::Get(std::string_view key) const {
  if (const Object* o = AsObject())
    for (const auto& [k, v] : *o)
      if (k == key) return &v;
  return nullptr;
}

Json& Json::Set(std::string key, Json value) {
  if (!IsObject()) value_ = Object{};
  std::get<Object>(value_).emplace_back(std::move(key), std::move(value));
  return *this;
}

void Json::Push(Json value) {
  if (!AsArray()) value_ = Array{};
  std::get<Array>(value_).push_back(std::move(value));
}

}  // namespace tarvo::devserver

#include "devserver/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "devserver/text_codec.h"

namespace tarvo::devserver {
namespace {

constexpr int kMaxDepth = 32;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Json> Document(std::string& error) {
    auto value = Value(0);
    SkipSpace();
    if (value && pos_ != text_.size()) Fail("unexpected text after the value");
    if (!error_.empty()) {
      error = error_ + " at offset " + std::to_string(pos_);
      return std::nullopt;
    }
    return value;
  }

 private:
  std::nullopt_t Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return std::nullopt;
  }

  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool Consume(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<Json> Value(int depth) {
    if (depth > kMaxDepth) return Fail("nesting too deep");
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unexpected end");
    const char c = text_[pos_];
    if (c == '{') return ObjectValue(depth);
    if (c == '[') return ArrayValue(depth);
    if (c == '"') {
      auto s = StringValue();
      if (!s) return std::nullopt;
      return Json(std::move(*s));
    }
    if (Consume("true")) return Json(true);
    if (Consume("false")) return Json(false);
    if (Consume("null")) return Json(nullptr);
    if (c == '-' || (c >= '0' && c <= '9')) return Number();
    return Fail("unexpected character");
  }

  std::optional<Json> ObjectValue(int depth) {
    ++pos_;
    Json::Object members;
    SkipSpace();
    if (Consume("}")) return Json(std::move(members));
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("expected a member name");
      auto key = StringValue();
      if (!key) return std::nullopt;
      SkipSpace();
      if (!Consume(":")) return Fail("expected ':'");
      auto value = Value(depth + 1);
      if (!value) return std::nullopt;
      members.emplace_back(std::move(*key), std::move(*value));
      SkipSpace();
      if (Consume("}")) return Json(std::move(members));
      if (!Consume(",")) return Fail("expected ',' or '}'");
    }
  }

  std::optional<Json> ArrayValue(int depth) {
    ++pos_;
    Json::Array items;
    SkipSpace();
    if (Consume("]")) return Json(std::move(items));
    for (;;) {
      auto value = Value(depth + 1);
      if (!value) return std::nullopt;
      items.push_back(std::move(*value));
      SkipSpace();
      if (Consume("]")) return Json(std::move(items));
      if (!Consume(",")) return Fail("expected ',' or ']'");
    }
  }

  std::optional<unsigned> Hex4() {
    if (pos_ + 4 > text_.size()) return std::nullopt;
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, v, 16);
    if (ec != std::errc() || end != text_.data() + pos_ + 4) return std::nullopt;
    pos_ += 4;
    return v;
  }

  std::optional<std::string> StringValue() {
    ++pos_;
    std::string out;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      const char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          auto hi = Hex4();
          if (!hi) return Fail("bad \\u escape");
          char32_t cp = *hi;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            std::optional<unsigned> lo;
            if (!Consume("\\u") || !(lo = Hex4()) || *lo < 0xDC00 || *lo > 0xDFFF)
              return Fail("unpaired surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*lo - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return Fail("unpaired surrogate");
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
    return Fail("unterminated string");
  }

  std::optional<Json> Number() {
    const std::size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ > from;
    };
    if (!digits()) return Fail("bad number");
    bool integral = true;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      integral = false;
      if (!digits()) return Fail("bad number");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      integral = false;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return Fail("bad number");
    }
    const std::string_view literal = text_.substr(start, pos_ - start);
    if (integral) {
      std::int64_t v = 0;
      const auto [end, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), v);
      if (ec == std::errc() && end == literal.data() + literal.size()) return Json(v);
    }
    const double d = std::strtod(std::string(literal).c_str(), nullptr);
    if (!std::isfinite(d)) return Fail("number out of range");
    return Json(d);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

void DumpString(std::string& out, const std::string& s) {
  out += '"';
  for (char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace

std::optional<Json> Json::Parse(std::string_view text, std::string& error) {
  return Parser(text).Document(error);
}

std::string Json::Dump() const {
  std::string out;
  DumpTo(out);
  return out;
}

void Json::DumpTo(std::string& out) const {
  if (IsNull()) {
    out += "null";
  } else if (const bool* b = AsBool()) {
    out += *b ? "true" : "false";
  } else if (const std::int64_t* i = AsInt()) {
    out += std::to_string(*i);
  } else if (const double* d = std::get_if<double>(&value_)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", *d);
    out += buf;
  } else if (const std::string* s = AsString()) {
    DumpString(out, *s);
  } else if (const Array* a = AsArray()) {
    out += '[';
    for (std::size_t i = 0; i < a->size(); ++i) {
      if (i) out += ',';
      (*a)[i].DumpTo(out);
    }
    out += ']';
  } else if (const Object* o = AsObject()) {
    out += '{';
    for (std::size_t i = 0; i < o->size(); ++i) {
      if (i) out += ',';
      DumpString(out, (*o)[i].first);
      out += ':';
      (*o)[i].second.DumpTo(out);
    }
    out += '}';
  }
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

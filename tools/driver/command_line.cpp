#include "tools/driver/command_line.h"

#include "common/text/option_parser.h"
#include "common/text/utf8.h"

namespace tarvo::driver {

CommandLine::CommandLine(const std::vector<std::wstring>& args, const std::vector<std::wstring>& valueOptions,
                         const std::vector<std::wstring>& flags) {
  auto parsed = ParseOptions(args, valueOptions, flags);
  if (const auto* error = std::get_if<OptionError<wchar_t>>(&parsed))
    throw DriverError(DriverError::kUsage, DescribeOptionError(error->kind, ToUtf8(error->name)));
  auto& options = std::get<ParsedOptions<wchar_t>>(parsed);
  positional_ = std::move(options.positional);
  for (auto& [name, value] : options.values) values_[name] = std::move(value);  // the last one given counts
  flagsSet_.insert(options.flags.begin(), options.flags.end());
}

const std::wstring& CommandLine::Positional(std::size_t i, const char* what) const {
  if (i >= positional_.size()) throw DriverError(DriverError::kUsage, std::string("missing argument: ") + what);
  return positional_[i];
}

void CommandLine::ExpectAtMost(std::size_t n) const {
  if (positional_.size() > n) {
    throw DriverError(DriverError::kUsage, "unexpected argument: " + ToUtf8(positional_[n]));
  }
}

std::optional<std::wstring> CommandLine::Option(const wchar_t* name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

long long CommandLine::Integer(const wchar_t* name, long long fallback) const {
  const auto value = Option(name);
  if (!value) return fallback;
  return ParseInteger(*value, ("--" + ToUtf8(name)).c_str());
}

long long ParseInteger(const std::wstring& text, const char* what) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) negative = text[pos++] == L'-';
  int base = 10;
  if (text.size() - pos > 2 && text[pos] == L'0' && (text[pos + 1] == L'x' || text[pos + 1] == L'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= text.size()) throw DriverError(DriverError::kUsage, std::string("not a number: ") + what);
  unsigned long long value = 0;
  for (; pos < text.size(); ++pos) {
    const wchar_t c = text[pos];
    int digit = -1;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    if (digit < 0 || digit >= base || value > (~0ull >> 5)) {
      throw DriverError(DriverError::kUsage, std::string("not a number: ") + what + " = " + ToUtf8(text));
    }
    value = value * base + static_cast<unsigned>(digit);
  }
  const long long signedValue = static_cast<long long>(value);
  return negative ? -signedValue : signedValue;
}

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
        const char32_t low = static_cast<char32_t>(text[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace tarvo::driver

#pragma once
// Arguments of one driver command: positional words, "--name value" (or
// "--name=value") options and bare "--flag"s. Each command names the options
// it knows, so a misspelt option is an error instead of being ignored.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvo::driver {

// Thrown for every failure of a command; the exit code tells the kind.
struct DriverError : std::runtime_error {
  enum Code { kUsage = 2, kNotFound = 3, kFailed = 4 };
  DriverError(Code code, const std::string& utf8Message) : std::runtime_error(utf8Message), code(code) {}
  Code code;
};

class CommandLine {
 public:
  // `args` are the words after the command name.
  CommandLine(const std::vector<std::wstring>& args, const std::vector<std::wstring>& valueOptions,
              const std::vector<std::wstring>& flags = {});

  std::size_t PositionalCount() const { return positional_.size(); }
  // The i-th positional word; a usage error naming `what` when it is missing.
  const std::wstring& Positional(std::size_t i, const char* what) const;
  // Usage error when more than `n` positional words were given.
  void ExpectAtMost(std::size_t n) const;

  std::optional<std::wstring> Option(const wchar_t* name) const;
  bool Flag(const wchar_t* name) const { return flagsSet_.count(name) != 0; }
  // Decimal or 0x-prefixed hexadecimal; usage error when malformed.
  long long Integer(const wchar_t* name, long long fallback) const;

 private:
  std::vector<std::wstring> positional_;
  std::map<std::wstring, std::wstring> values_;
  std::set<std::wstring> flagsSet_;
};

// Decimal or 0x-prefixed hexadecimal, possibly negative; usage error naming `what`.
long long ParseInteger(const std::wstring& text, const char* what);

// Wide text to UTF-8 (a lone surrogate is encoded as it stands).
std::string ToUtf8(const std::wstring& text);

}  // namespace tarvo::driver

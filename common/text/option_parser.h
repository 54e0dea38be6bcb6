#pragma once
// Command-line options as the project's programs take them: "--name value" or
// "--name=value" for the options that take a value, a bare "--flag" for the
// others, every other word positional and "--" ending the options. Each
// program names the options it knows, so a misspelt option is an error
// instead of being ignored. For narrow and wide words alike.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tarvo {

template <class Char>
struct ParsedOptions {
  using String = std::basic_string<Char>;
  std::vector<String> positional;
  std::vector<std::pair<String, String>> values;  // as given, in order: name without "--", value
  std::vector<String> flags;                      // names without "--"

  bool HasFlag(std::basic_string_view<Char> name) const {
    return std::find(flags.begin(), flags.end(), name) != flags.end();
  }
  // The last value given for `name`.
  std::optional<String> Value(std::basic_string_view<Char> name) const {
    for (auto it = values.rbegin(); it != values.rend(); ++it)
      if (it->first == name) return it->second;
    return std::nullopt;
  }
};

enum class OptionErrorKind { kUnknown, kNeedsValue, kTakesNoValue };

template <class Char>
struct OptionError {
  OptionErrorKind kind;
  std::basic_string<Char> name;  // without "--"
};

// "unknown option --name", "--name needs a value", "--name takes no value".
inline std::string DescribeOptionError(OptionErrorKind kind, std::string_view name) {
  const std::string option = "--" + std::string(name);
  switch (kind) {
    case OptionErrorKind::kNeedsValue: return option + " needs a value";
    case OptionErrorKind::kTakesNoValue: return option + " takes no value";
    case OptionErrorKind::kUnknown: break;
  }
  return "unknown option " + option;
}

template <class Char>
std::variant<ParsedOptions<Char>, OptionError<Char>> ParseOptions(
    const std::vector<std::basic_string<Char>>& args, const std::vector<std::basic_string<Char>>& valueOptions,
    const std::vector<std::basic_string<Char>>& flags = {}) {
  using String = std::basic_string<Char>;
  const auto knows = [](const std::vector<String>& names, const String& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  const String dashes(2, Char('-'));
  ParsedOptions<Char> parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const String& word = args[i];
    if (optionsEnded || word.size() < 3 || word.compare(0, 2, dashes) != 0) {
      if (!optionsEnded && word == dashes)
        optionsEnded = true;
      else
        parsed.positional.push_back(word);
      continue;
    }
    String name = word.substr(2);
    std::optional<String> inlineValue;
    if (const auto eq = name.find(Char('=')); eq != String::npos) {
      inlineValue = name.substr(eq + 1);
      name.resize(eq);
    }
    if (knows(flags, name)) {
      if (inlineValue) return OptionError<Char>{OptionErrorKind::kTakesNoValue, name};
      parsed.flags.push_back(name);
    } else if (knows(valueOptions, name)) {
      if (inlineValue)
        parsed.values.emplace_back(name, *inlineValue);
      else if (i + 1 < args.size())
        parsed.values.emplace_back(name, args[++i]);
      else
        return OptionError<Char>{OptionErrorKind::kNeedsValue, name};
    } else {
      return OptionError<Char>{OptionErrorKind::kUnknown, name};
    }
  }
  return parsed;
}

}  // namespace tarvo

#include "common/text/option_parser.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

using Words = std::vector<std::string>;

TEST(ParseOptions, ValuesFlagsAndPositionalWords) {
  const struct {
    const char* name;
    Words args;
    Words positional;
    std::vector<std::pair<std::string, std::string>> values;
    Words flags;
  } cases[] = {
      {"nothing", {}, {}, {}, {}},
      {"value as the next word", {"--title", "Tarvo"}, {}, {{"title", "Tarvo"}}, {}},
      {"value after =", {"--title=a=b"}, {}, {{"title", "a=b"}}, {}},
      {"empty value after =", {"--title="}, {}, {{"title", ""}}, {}},
      {"a value may look like an option", {"--title", "--flag"}, {}, {{"title", "--flag"}}, {}},
      {"flag and positional words in any order", {"a", "--flag", "b"}, {"a", "b"}, {}, {"flag"}},
      {"short words are positional", {"-h", "-", "--"}, {"-h", "-"}, {}, {}},
      {"-- ends the options", {"--", "--flag", "--title"}, {"--flag", "--title"}, {}, {}},
      {"repeated values kept in order", {"--title", "1", "--title=2"}, {}, {{"title", "1"}, {"title", "2"}}, {}},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseOptions<char>(c.args, {"title"}, {"flag"});
    ASSERT_TRUE(std::holds_alternative<ParsedOptions<char>>(parsed)) << c.name;
    const auto& options = std::get<ParsedOptions<char>>(parsed);
    EXPECT_EQ(options.positional, c.positional) << c.name;
    EXPECT_EQ(options.values, c.values) << c.name;
    EXPECT_EQ(options.flags, c.flags) << c.name;
  }
}

TEST(ParseOptions, MistakesAreNamed) {
  const struct {
    const char* name;
    Words args;
    std::string message;
  } cases[] = {
      {"unknown option", {"--titel", "x"}, "unknown option --titel"},
      {"unknown with a value", {"--titel=x"}, "unknown option --titel"},
      {"value missing at the end", {"a", "--title"}, "--title needs a value"},
      {"flag given a value", {"--flag=yes"}, "--flag takes no value"},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseOptions<char>(c.args, {"title"}, {"flag"});
    ASSERT_TRUE(std::holds_alternative<OptionError<char>>(parsed)) << c.name;
    const auto& error = std::get<OptionError<char>>(parsed);
    EXPECT_EQ(DescribeOptionError(error.kind, error.name), c.message) << c.name;
  }
}

TEST(ParseOptions, WideWordsAndTheLastValueGiven) {
  const auto parsed = ParseOptions<wchar_t>({L"--title", L"타르보", L"창", L"--title=둘째"}, {L"title"});
  const auto& options = std::get<ParsedOptions<wchar_t>>(parsed);
  EXPECT_EQ(options.Value(L"title"), L"둘째");
  EXPECT_EQ(options.Value(L"other"), std::nullopt);
  EXPECT_EQ(options.positional, std::vector<std::wstring>{L"창"});
  EXPECT_FALSE(options.HasFlag(L"title"));
}

}  // namespace
}  // namespace tarvo

// The admin interface's JSON value type over the library: what it takes,
// what it refuses, and what it writes back.

#include "devserver/admin/json.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo::devserver::testing {
namespace {

TEST(AdminJson, ReadsWhatTheAdminInterfaceTakes) {
  std::string error;
  const auto doc = Json::Parse(R"( {"b":1,"a":[true,null,"\u00ed\ud55c"],"big":9223372036854775808,"f":1.5} )", error);
  ASSERT_TRUE(doc) << error;
  ASSERT_TRUE(doc->IsObject());
  EXPECT_EQ(doc->AsObject()->front().first, "b") << "members keep their order";
  EXPECT_EQ(*doc->Get("b")->AsInt(), 1);
  EXPECT_EQ(*doc->Get("a")->AsArray()->at(2).AsString(), "\xC3\xAD\xED\x95\x9C");
  EXPECT_FALSE(doc->Get("big")->AsInt()) << "past the int64 range is no integer";
  EXPECT_FALSE(doc->Get("f")->AsInt()) << "1.5 is no integer";
  EXPECT_EQ(doc->Dump(),
            "{\"b\":1,\"a\":[true,null,\"\xC3\xAD\xED\x95\x9C\"],\"big\":9.223372036854776e+18,\"f\":1.5}");
}

TEST(AdminJson, RefusesWhatIsNotOneWellFormedValue) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"two values", "{} {}"},
      {"trailing comma", R"({"a":1,})"},
      {"single quotes", "{'a':1}"},
      {"unpaired surrogate", R"("\ud800")"},
      {"control character in a string", "\"a\x01\""},
      {"not UTF-8", "\"\xFF\""},
      {"nested too deep", std::string(40, '[') + std::string(40, ']')},
      {"nested very deep", std::string(100000, '[') + std::string(100000, ']')},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Json::Parse(c.text, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(AdminJson, WritesControlCharactersEscaped) {
  EXPECT_EQ(Json(std::string("a\"\\\n\x01")).Dump(), R"("a\"\\\n\u0001")");
  EXPECT_EQ(Json().Set("k", Json(Json::Array{})).Dump(), R"({"k":[]})");
}

}  // namespace
}  // namespace tarvo::devserver::testing

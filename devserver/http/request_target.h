#pragma once
// The request target exactly as the client sent it. The client percent-encodes
// ANSI (CP949) bytes itself, so values are decoded here byte for byte rather
// than by the HTTP library, which would also turn "+" into a blank.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvo::devserver {

enum class RequestKind {
  kVersion,
  kSignIn,
  kConfirm,
  kJoin,
  kPing,
  kStatus,
  kLeave,
  kLeaveNotice,
  kInstaller,
  kNoticePage,
  kBannerPage,
  kHomePage,
  kFindIdPage,
  kJoinPage,
  kAccountPage,
  kOther,
};

// Names used by fault rules and the request log: "version", "sign-in",
// "confirm", "join", "ping", "status", "leave", "leave-notice", "installer",
// "notice", "banner", "home", "find-id", "join-page", "account-page", "other".
std::string_view NameOf(RequestKind kind);
bool IsRequestName(std::string_view name);

struct RequestTarget {
  std::string path;                                         // raw, up to the first "?"
  std::vector<std::pair<std::string, std::string>> params;  // raw names and values, in order

  static RequestTarget Parse(std::string_view target);
  // The raw value of the first parameter called `name`.
  const std::string* Find(std::string_view name) const;
};

RequestKind Classify(const RequestTarget& target, std::string_view installerPath);

// "%" must be followed by two hexadecimal digits; every other byte stands for
// itself ("+" included). Nothing when an escape is broken.
std::optional<std::string> PercentDecode(std::string_view raw);

}  // namespace tarvo::devserver

#include "devserver/http/request_target.h"

#include <array>

namespace tarvo::devserver {
namespace {

constexpr std::array<std::string_view, 16> kNames = {
    "version",   "sign-in", "confirm", "join", "ping",    "status",    "leave",        "leave-notice",
    "installer", "notice",  "banner",  "home", "find-id", "join-page", "account-page", "other"};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

RequestKind ClassifyIndex(const RequestTarget& t) {
  if (t.Find("v")) return RequestKind::kVersion;
  if (t.Find("act")) return RequestKind::kConfirm;
  if (t.Find("key")) return RequestKind::kLeave;
  if (t.Find("r")) return RequestKind::kSignIn;
  if (t.Find("rand_code")) return RequestKind::kStatus;
  return RequestKind::kOther;
}

RequestKind ClassifySitePage(const RequestTarget& t) {
  const std::string* page = t.Find("page");
  if (!page) return RequestKind::kHomePage;
  if (*page == "find_id") return RequestKind::kFindIdPage;
  if (*page == "join") return RequestKind::kJoinPage;
  return RequestKind::kOther;
}

}  // namespace

std::string_view NameOf(RequestKind kind) { return kNames[static_cast<std::size_t>(kind)]; }

bool IsRequestName(std::string_view name) {
  for (auto n : kNames)
    if (n == name) return true;
  return false;
}

RequestTarget RequestTarget::Parse(std::string_view target) {
  RequestTarget t;
  const auto q = target.find('?');
  t.path = std::string(target.substr(0, q));
  if (q == std::string_view::npos) return t;
  std::string_view query = target.substr(q + 1);
  while (!query.empty()) {
    const auto amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    if (!pair.empty()) {
      const auto eq = pair.find('=');
      t.params.emplace_back(std::string(pair.substr(0, eq)),
                            eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1)));
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return t;
}

const std::string* RequestTarget::Find(std::string_view name) const {
  for (const auto& [n, v] : params)
    if (n == name) return &v;
  return nullptr;
}

RequestKind Classify(const RequestTarget& t, std::string_view installerPath) {
  if (t.path == "/tarvo_app/index.php") return ClassifyIndex(t);
  if (t.path == "/tarvo_app/join.php") return RequestKind::kJoin;
  if (t.path == "/tarvo_plus/ping.php") return t.Find("key") ? RequestKind::kLeaveNotice : RequestKind::kPing;
  if (!installerPath.empty() && t.path == installerPath) return RequestKind::kInstaller;
  if (t.path == "/tarvo_plus/notice.php") return RequestKind::kNoticePage;
  if (t.path == "/tarvo_plus/banner.php") return RequestKind::kBannerPage;
  if (t.path == "/bbs/login_check.php") return RequestKind::kAccountPage;
  if (t.path == "/" || t.path == "/index.php") return ClassifySitePage(t);
  return RequestKind::kOther;
}

std::optional<std::string> PercentDecode(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '%') {
      out += raw[i];
      continue;
    }
    if (i + 2 >= raw.size()) return std::nullopt;
    const int hi = HexValue(raw[i + 1]);
    const int lo = HexValue(raw[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace tarvo::devserver

#pragma once
// The HTML pages of the service's web site that the client shows in its
// panes or opens in the user's browser. UTF-8, never parsed by the client.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::devserver {

std::string NoticePage();
std::string BannerPage();
std::string HomePage();
std::string FindIdPage();
std::string JoinPage();
// `id` in UTF-8.
std::string AccountPage(std::string_view id, std::int64_t minutesLeft, std::int64_t expiresMs);
std::string MessagePage(std::string_view title, std::string_view message);
// The page of a failing web server (status 500 fault).
std::string ServerErrorPage();

}  // namespace tarvo::devserver

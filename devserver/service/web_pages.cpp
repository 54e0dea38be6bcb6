#include "devserver/service/web_pages.h"

#include <ctime>

#include "devserver/service/text_codec.h"

namespace tarvo::devserver {
namespace {

constexpr const char* kStyle =
    "body{margin:0;font-family:'Malgun Gothic','Nanum Gothic',sans-serif;font-size:13px;color:#333;"
    "background:#fff}main{padding:16px 20px}h1{font-size:17px;color:#1f5fae;margin:0 0 12px}"
    "a{color:#1f5fae;text-decoration:none}table{border-collapse:collapse;width:100%}"
    "td,th{border-bottom:1px solid #e3e8ef;padding:6px 4px;text-align:left}th{width:35%;color:#666}"
    ".date{color:#999;white-space:nowrap;text-align:right}";

std::string Document(std::string_view title, std::string_view body, std::string_view extraStyle = {}) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"ko\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
  html += HtmlEscape(title);
  html += "</title>\n<style>";
  html += kStyle;
  html += extraStyle;
  html += "</style>\n</head>\n<body>\n";
  html += body;
  html += "\n</body>\n</html>\n";
  return html;
}

// Korea has no daylight saving time: KST is always UTC+9.
std::string KstDateTime(std::int64_t ms) {
  const std::time_t t = static_cast<std::time_t>(ms / 1000 + 9 * 3600);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return std::string(buf) + " (KST)";
}

}  // namespace

std::string NoticePage() {
  return Document("공지사항",
                  "<main>\n<h1>공지사항</h1>\n<table>\n"
                  "<tr><td><a href=\"#n5\">[안내] Tarvo 1.0.2.6 업데이트 안내</a></td><td "
                  "class=\"date\">2024-05-02</td></tr>\n"
                  "<tr><td><a href=\"#n4\">[점검] 5월 정기 서버 점검 (05:00~06:00)</a></td><td "
                  "class=\"date\">2024-04-28</td></tr>\n"
                  "<tr><td><a href=\"#n3\">[안내] 접속이 자주 끊길 때 확인할 사항</a></td><td "
                  "class=\"date\">2024-04-15</td></tr>\n"
                  "<tr><td><a href=\"#n2\">[이벤트] 30일 이용권 구매 시 3일 추가 제공</a></td><td "
                  "class=\"date\">2024-04-01</td></tr>\n"
                  "<tr><td><a href=\"#n1\">[안내] 다른 PC에서 로그인하면 기존 접속이 종료됩니다</a></td><td "
                  "class=\"date\">2024-03-20</td></tr>\n"
                  "</table>\n</main>");
}

std::string BannerPage() {
  return Document(
      "Tarvo",
      "<div class=\"banner\"><strong>Tarvo VPN</strong><span>빠르고 안정적인 국내 IP 서비스 · 30일 이용권 "
      "이벤트 진행 중</span></div>",
      "body{overflow:hidden}.banner{box-sizing:border-box;width:640px;height:120px;padding:26px 28px;"
      "background:linear-gradient(90deg,#1f5fae,#3aa0e8);color:#fff}"
      ".banner strong{display:block;font-size:28px;margin-bottom:8px}.banner span{font-size:15px}");
}

std::string HomePage() {
  return Document(
      "Tarvo",
      "<main>\n<h1>Tarvo VPN</h1>\n<p>국내 IP가 필요할 때, 프로그램 하나로 간편하게 접속하세요.</p>\n<ul>\n"
      "<li><a href=\"/tarvo_plus/notice.php\">공지사항</a></li>\n"
      "<li><a href=\"/?page=join\">회원가입</a></li>\n"
      "<li><a href=\"/?page=find_id\">아이디 찾기</a></li>\n</ul>\n</main>");
}

std::string FindIdPage() {
  return Document(
      "아이디 찾기",
      "<main>\n<h1>아이디 찾기</h1>\n<p>가입하실 때 등록한 이메일 주소를 고객센터로 보내 주시면 아이디를 "
      "안내해 드립니다.</p>\n<p>고객센터: <a href=\"mailto:help@tarvo.co.kr\">help@tarvo.co.kr</a> (평일 "
      "10:00~18:00)</p>\n<p><a href=\"/\">처음으로</a></p>\n</main>");
}

std::string JoinPage() {
  return Document(
      "회원가입",
      "<main>\n<h1>회원가입</h1>\n<p>Tarvo 계정은 이용권 구매와 함께 만들어집니다. 구매 후 받은 아이디와 "
      "비밀번호로 프로그램에 로그인하세요.</p>\n<table>\n"
      "<tr><th>30일 이용권</th><td>9,900원</td></tr>\n<tr><th>90일 이용권</th><td>26,900원</td></tr>\n"
      "</table>\n<p>문의: <a href=\"mailto:help@tarvo.co.kr\">help@tarvo.co.kr</a></p>\n</main>");
}

std::string AccountPage(std::string_view id, std::int64_t minutesLeft, std::int64_t expiresMs) {
  std::string body =
      "<main>\n<h1>내 정보</h1>\n<table>\n<tr><th>아이디</th><td>" + HtmlEscape(id) + "</td></tr>\n";
  body += "<tr><th>남은 기간</th><td>" + std::to_string(minutesLeft / 1440) + "일 (" +
          std::to_string(minutesLeft) + "분)</td></tr>\n";
  body += "<tr><th>만료 일시</th><td>" + KstDateTime(expiresMs) + "</td></tr>\n";
  body += "<tr><th>서비스 상태</th><td>" + std::string(minutesLeft > 0 ? "이용 중" : "서비스 미사용") +
          "</td></tr>\n</table>\n</main>";
  return Document("내 정보", body);
}

std::string MessagePage(std::string_view title, std::string_view message) {
  return Document(title, "<main>\n<h1>" + HtmlEscape(title) + "</h1>\n<p>" + HtmlEscape(message) +
                             "</p>\n<p><a href=\"/\">처음으로</a></p>\n</main>");
}

std::string ServerErrorPage() {
  return "<!DOCTYPE html>\n<html><head><title>500 Internal Server Error</title></head><body>\n"
         "<h1>Internal Server Error</h1>\n<p>The server encountered an internal error and was unable to "
         "complete "
         "your request.</p>\n</body></html>\n";
}

}  // namespace tarvo::devserver

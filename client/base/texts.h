#pragma once
// Every text the client shows: message boxes, labels and their formats, the
// update window's status line. The dialog templates keep their own captions.
// Korean, as the service's users read them; the few English ones are the
// browser pane's and the adapter query's error boxes.

#include <string>
#include <string_view>

namespace tarvo::texts {

// Start-up and the update.
inline constexpr std::wstring_view kServerUnreachableAtStart =
    L"서버와의 통신이 원활하지 않습니다.\n프로그램을 종료합니다.";
inline constexpr std::wstring_view kUpdateQuestion =
    L"Tarvo을 최신 버전으로 업데이트 합니다.\n업데이트를 진행하시겠습니까?";
inline constexpr std::wstring_view kUpdateDownloading = L"업데이트 다운로드 중...";
// The download was refused (incomplete, another digest or signature, a silent server).
inline constexpr std::wstring_view kUpdateRefused = L"업데이트 파일을 확인할 수 없습니다.\n잠시 후 다시 시도해 주세요.";

// Login window.
inline constexpr std::wstring_view kEnterUserId = L"아이디를 입력해 주세요.";
inline constexpr std::wstring_view kEnterPassword = L"비밀번호를 입력해 주세요.";
inline constexpr std::wstring_view kSignInRejected = L"아이디와 비밀번호를 다시 확인해 주세요.";
inline constexpr std::wstring_view kServerUnreachableAtSignIn =
    L"서버와의 접속이 원할 하지 않습니다.\n다시 접속해 주시기 바랍니다.";

// Login and session windows: the exit question, in a Yes/No box titled "Tarvo".
inline constexpr std::wstring_view kExitQuestion = L"Tarvo을 종료하시겠습니까?";
inline constexpr std::wstring_view kQuestionTitle = L"Tarvo";

// Session window and its workers.
inline constexpr std::wstring_view kConfirmationFailed = L"접속정보가 올바르지 않습니다.";
inline constexpr std::wstring_view kServiceUnused = L"서비스 미사용";
inline constexpr std::wstring_view kConnecting = L"접속중입니다.";
inline constexpr std::wstring_view kReconnecting = L"재접속중입니다.";
inline constexpr std::wstring_view kNoStatus = L"-";
inline constexpr std::wstring_view kPeriodOverLabel = L"기간만료";
inline constexpr std::wstring_view kPeriodOver = L"기간이 만료되었습니다.";
inline constexpr std::wstring_view kSignedInElsewhere =
    L"고객님의 ID는 지금 다른 PC에서 접속중 입니다.\n현재 접속된 PC에서 종료됩니다.";
inline constexpr std::wstring_view kMaintenance = L"서버 점검중입니다.\n잠시후에 다시 실행해 주세요.";

// "%d일": whole days of service left.
std::wstring DaysLeftText(int days);
// "%d 오류": a dial refused with this error number.
std::wstring DialErrorText(int error);

// What a screen reader hears of the skinned controls: their faces' texts,
// and the usual words for the marks that have none.
inline constexpr std::wstring_view kNameSignIn = L"로그인";
inline constexpr std::wstring_view kNameFindId = L"아이디/비밀번호 찾기";
inline constexpr std::wstring_view kNameJoin = L"회원가입";
inline constexpr std::wstring_view kNameMinimize = L"최소화";
inline constexpr std::wstring_view kNameClose = L"닫기";
inline constexpr std::wstring_view kNameSaveIdShort = L"ID 저장";  // the login window's box
inline constexpr std::wstring_view kNameSaveId = L"아이디 저장";    // the settings window's switch
inline constexpr std::wstring_view kNameAutoLogin = L"자동로그인";
inline constexpr std::wstring_view kNameRunAtStartup = L"윈도우 시작시 실행";
inline constexpr std::wstring_view kNameConnect = L"접속";
inline constexpr std::wstring_view kNameDisconnect = L"해제";
inline constexpr std::wstring_view kNameLogout = L"로그아웃";
inline constexpr std::wstring_view kNameSettings = L"환경설정";
inline constexpr std::wstring_view kNameExtendService = L"사용기간 연장하기";
inline constexpr std::wstring_view kNameApplyService = L"서비스 신청하기";
inline constexpr std::wstring_view kNameExpand = L"창 넓히기";
inline constexpr std::wstring_view kNameCollapse = L"창 좁히기";
inline constexpr std::wstring_view kNameRouter = L"공유기 설정";
inline constexpr std::wstring_view kNameWinControl = L"Win 컨트롤";
inline constexpr std::wstring_view kNameOk = L"확인";
inline constexpr std::wstring_view kNameCancel = L"취소";
inline constexpr std::wstring_view kNameToolCmd = L"CMD 콘솔창";
inline constexpr std::wstring_view kNameToolRegedit = L"레지스트리 편집기";
inline constexpr std::wstring_view kNameToolNetwork = L"네트워크 연결";
inline constexpr std::wstring_view kNameToolSecurity = L"보안 센터";
inline constexpr std::wstring_view kNameToolServices = L"윈도우 서비스";
// The login window's two fields, whose captions are painted in its background.
inline constexpr std::wstring_view kNameUserIdField = L"아이디";
inline constexpr std::wstring_view kNamePasswordField = L"비밀번호";
// Default actions.
inline constexpr std::wstring_view kActionPress = L"누르기";
inline constexpr std::wstring_view kActionCheck = L"선택";
inline constexpr std::wstring_view kActionUncheck = L"선택 해제";

// The English error boxes of the browser pane (titled "Error") and of the
// adapter query (untitled).
inline constexpr std::wstring_view kBrowserErrorTitle = L"Error";
inline constexpr std::wstring_view kBrowserNotCreated = L"Cannot create oleObject CLSID_WebBrowser";
inline constexpr std::wstring_view kBrowserNotShown = L"oleObject->DoVerb() failed";
inline constexpr std::wstring_view kBrowserNoInterface = L"oleObject->QueryInterface(&webBrowser2) failed";
inline constexpr std::wstring_view kAdapterListNoMemory = L"Error 1";
inline constexpr std::wstring_view kAdapterListNoMemoryAgain = L"Error 2";

}  // namespace tarvo::texts

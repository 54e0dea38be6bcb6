#include "client/controls/accessible_state.h"

#include <gtest/gtest.h>

#include <string>

#include "client/res/artwork_ids.h"

namespace tarvo {
namespace {

using namespace accessible_state;

TEST(AccessibleState, BitsFollowWhatTheControlShows) {
  const struct {
    const char* what;
    ControlLook look;
    std::uint32_t bits;
  } cases[] = {
      {"idle button", {}, kFocusable},
      {"focused, hot and held", {true, true, true, true}, kFocusable | kFocused | kHotTracked | kPressed},
      {"disabled: only unavailable", {false, true, true, true}, kUnavailable},
      {"check box, clear", {true, false, false, false, true, false}, kFocusable},
      {"check box, set", {true, false, false, false, true, true}, kFocusable | kChecked},
      {"check box held: not pressed", {true, false, false, true, true, false}, kFocusable},
      {"disabled set check box", {false, false, false, false, true, true}, kUnavailable | kChecked},
      {"password field", {true, true, false, false, false, false, true}, kFocusable | kFocused | kProtected},
  };
  for (const auto& c : cases) EXPECT_EQ(AccessibleStateBits(c.look), c.bits) << c.what;
}

TEST(AccessibleState, NamesFollowTheFace) {
  const struct {
    unsigned face;
    std::wstring name;
  } cases[] = {
      {IDB_LOGIN_SIGNIN, L"로그인"},           {IDB_TITLE_CLOSE, L"닫기"},
      {IDB_SETTINGS_CLOSE, L"닫기"},           {IDB_TITLE_MINIMIZE, L"최소화"},
      {IDB_SESSION_EXTEND, L"사용기간 연장하기"}, {IDB_SESSION_APPLY, L"서비스 신청하기"},
      {IDB_SESSION_EXPAND, L"창 넓히기"},      {IDB_SESSION_COLLAPSE, L"창 좁히기"},
      {IDI_CHECK_SAVE_ID_ON, L"ID 저장"},      {IDI_TOGGLE_SAVE_ID_ON, L"아이디 저장"},
      {IDI_TOGGLE_AUTOLOGIN_ON, L"자동로그인"}, {IDB_TOOLS_SERVICES, L"윈도우 서비스"},
      // Hover and pressed looks are not faces: a button is named by its normal bitmap.
      {IDB_LOGIN_SIGNIN_HOVER, L""},           {0, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(AccessibleNameOfFace(c.face), c.name) << c.face;
}

TEST(AccessibleState, TheDefaultActionSaysWhatAClickDoes) {
  EXPECT_EQ(AccessibleDefaultAction({}), L"누르기");
  ControlLook box;
  box.checkBox = true;
  EXPECT_EQ(AccessibleDefaultAction(box), L"선택");
  box.checked = true;
  EXPECT_EQ(AccessibleDefaultAction(box), L"선택 해제");
}

}  // namespace
}  // namespace tarvo

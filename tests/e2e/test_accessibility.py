"""What a screen reader hears: each skinned control of the client answers for
its accessible object with its name (the text of its face, or the usual word
for a mark), its role (push button, or check button for the check boxes),
its state and its default action, which does what a click does; the login
window's two fields are named after the captions painted beside them."""

import time

import pytest

from harness_wine import DriverFailure
from client_helpers import (AUTO_LOGIN, CLIENT, COLLAPSE, CONNECT, DISCONNECT, EXIT, LOGIN_EXIT, LOGIN_FIND_ID, LOGIN_JOIN,
                            LOGIN_MINIMIZE, LOGIN_PASSWORD, LOGIN_SIGN_IN, LOGIN_USER_ID, LOGOUT, MINIMIZE, MSG_EXIT,
                            RUN_AT_STARTUP, SAVE_ID, SERVICE, SETTINGS, SETTINGS_CANCEL, SETTINGS_CLOSE, SETTINGS_OK,
                            SETTINGS_ROUTER, SETTINGS_WIN_CONTROL, TITLE, login_window, owned_window, session_window,
                            sign_in, start_client, wait_until)

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

ROLE_TEXT, ROLE_PUSH_BUTTON, ROLE_CHECK_BUTTON = 0x2A, 0x2B, 0x2C
UNAVAILABLE, CHECKED, PROTECTED = 0x1, 0x10, 0x20000000
PUSH, CHECK, TEXT = ROLE_PUSH_BUTTON, ROLE_CHECK_BUTTON, ROLE_TEXT

# The settings window's switches, and the tools window's entries.
TOGGLE_SAVE_ID, TOGGLE_AUTO_LOGIN, TOGGLE_RUN_AT_STARTUP = 1018, 1019, 1020
TOOLS_HEADER, TOOLS_CMD, TOOLS_REGEDIT, TOOLS_NETWORK, TOOLS_SECURITY, TOOLS_SERVICES = range(1011, 1017)


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


def accessible(driver, window: dict, control: int) -> dict:
    return driver.json("accessible", "*", str(control), "--hwnd", str(window["hwnd"]))


def names_and_roles(driver, window: dict, controls: dict[int, tuple[str, int]]) -> dict[int, tuple[str, int]]:
    return {control: (a["name"], a["role"]) for control in controls
            for a in [accessible(driver, window, control)]}


def test_the_login_windows_controls_and_fields_are_named(machine, devserver):
    start_client(machine, devserver)
    login = login_window(machine.driver)
    expected = {
        LOGIN_MINIMIZE: ("최소화", PUSH), LOGIN_EXIT: ("닫기", PUSH), LOGIN_SIGN_IN: ("로그인", PUSH),
        LOGIN_FIND_ID: ("아이디/비밀번호 찾기", PUSH), LOGIN_JOIN: ("회원가입", PUSH),
        SAVE_ID: ("ID 저장", CHECK), AUTO_LOGIN: ("자동로그인", CHECK), RUN_AT_STARTUP: ("윈도우 시작시 실행", CHECK),
        LOGIN_USER_ID: ("아이디", TEXT), LOGIN_PASSWORD: ("비밀번호", TEXT),
    }
    assert names_and_roles(machine.driver, login, expected) == expected
    assert accessible(machine.driver, login, LOGIN_SIGN_IN)["default_action"] == "누르기"
    assert accessible(machine.driver, login, LOGIN_PASSWORD)["state"] & PROTECTED
    assert not accessible(machine.driver, login, LOGIN_USER_ID)["state"] & PROTECTED

    # A check box clicked on reports checked, and its default action is now to clear it.
    assert not accessible(machine.driver, login, SAVE_ID)["state"] & CHECKED
    assert accessible(machine.driver, login, SAVE_ID)["default_action"] == "선택"
    machine.driver.click(TITLE, SAVE_ID, hwnd=login["hwnd"])
    box = accessible(machine.driver, login, SAVE_ID)
    assert box["state"] & CHECKED and box["default_action"] == "선택 해제"
    # Its default action clears it, as a click would.
    machine.driver.run("accessible-do", "*", str(SAVE_ID), "--hwnd", str(login["hwnd"]))
    wait_until(lambda: not machine.driver.checked(TITLE, SAVE_ID, hwnd=login["hwnd"]), what="the box cleared")
    assert not accessible(machine.driver, login, SAVE_ID)["state"] & CHECKED


def test_the_session_windows_buttons_are_named_and_say_when_they_are_unavailable(machine, devserver):
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    expected = {
        MINIMIZE: ("최소화", PUSH), EXIT: ("닫기", PUSH), LOGOUT: ("로그아웃", PUSH), SETTINGS: ("환경설정", PUSH),
        SERVICE: ("사용기간 연장하기", PUSH), CONNECT: ("접속", PUSH), DISCONNECT: ("해제", PUSH),
        COLLAPSE: ("창 좁히기", PUSH),
    }
    assert names_and_roles(machine.driver, session, expected) == expected
    # Not connected: disconnect is disabled, connect is not; a disabled
    # button's default action does nothing.
    assert accessible(machine.driver, session, DISCONNECT)["state"] & UNAVAILABLE
    assert not accessible(machine.driver, session, CONNECT)["state"] & UNAVAILABLE
    with pytest.raises(DriverFailure):
        machine.driver.run("accessible-do", "*", str(DISCONNECT), "--hwnd", str(session["hwnd"]))

    # The default action of the settings button does what its click does.
    assert machine.driver.run("accessible-do", "*", str(SETTINGS), "--hwnd", str(session["hwnd"])) == "done"
    settings = owned_window(machine.driver, session)
    expected_settings = {
        SETTINGS_CLOSE: ("닫기", PUSH), SETTINGS_ROUTER: ("공유기 설정", PUSH),
        SETTINGS_WIN_CONTROL: ("Win 컨트롤", PUSH), SETTINGS_OK: ("확인", PUSH), SETTINGS_CANCEL: ("취소", PUSH),
        TOGGLE_SAVE_ID: ("아이디 저장", CHECK), TOGGLE_AUTO_LOGIN: ("자동로그인", CHECK),
        TOGGLE_RUN_AT_STARTUP: ("윈도우 시작시 실행", CHECK),
    }
    assert names_and_roles(machine.driver, settings, expected_settings) == expected_settings

    machine.driver.click("*", SETTINGS_WIN_CONTROL, hwnd=settings["hwnd"])
    tools = owned_window(machine.driver, settings)
    expected_tools = {
        TOOLS_HEADER: ("Win 컨트롤", PUSH), TOOLS_CMD: ("CMD 콘솔창", PUSH), TOOLS_REGEDIT: ("레지스트리 편집기", PUSH),
        TOOLS_NETWORK: ("네트워크 연결", PUSH), TOOLS_SECURITY: ("보안 센터", PUSH),
        TOOLS_SERVICES: ("윈도우 서비스", PUSH),
    }
    assert names_and_roles(machine.driver, tools, expected_tools) == expected_tools


def test_the_service_buttons_name_follows_its_face(machine, devserver):
    devserver.admin.put("/accounts/nodays", {"password": "pw", "minutes": 0}, expect=None)
    start_client(machine, devserver)
    sign_in(machine.driver, "nodays", "pw")
    session = session_window(machine.driver)
    wait_until(lambda: accessible(machine.driver, session, SERVICE)["name"] == "서비스 신청하기",
               what="the service button named after its face")


def test_nothing_behind_a_modal_window_can_be_pressed(machine, devserver):
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    machine.driver.click(TITLE, SETTINGS, hwnd=session["hwnd"])
    settings = owned_window(machine.driver, session)
    devserver.admin.delete("/requests")
    for control in (CONNECT, LOGOUT, EXIT):
        assert accessible(machine.driver, session, control)["state"] & UNAVAILABLE, control
        with pytest.raises(DriverFailure):
            machine.driver.run("accessible-do", "*", str(control), "--hwnd", str(session["hwnd"]))
    # A click that arrives while the window is disabled (posted before the
    # modal window opened) does nothing either.
    for control in (CONNECT, LOGOUT, EXIT):
        machine.driver.click(TITLE, control, command=True, force=True, hwnd=session["hwnd"])
    time.sleep(1)  # a click that had been posted would have been handled by now
    assert [r["name"] for r in devserver.admin.get("/requests")] == []  # no join, no leave notice
    assert machine.driver.wait_window(hwnd=session["hwnd"])["visible"]
    assert machine.driver.wait_window(hwnd=settings["hwnd"])["visible"]
    with pytest.raises(DriverFailure):
        machine.driver.msgbox(exe=CLIENT, timeout_ms=500)  # no exit question

    # Closed again: each works.
    machine.driver.click("*", SETTINGS_CANCEL, hwnd=settings["hwnd"])
    wait_until(lambda: not accessible(machine.driver, session, EXIT)["state"] & UNAVAILABLE, what="exit available")
    assert machine.driver.run("accessible-do", "*", str(EXIT), "--hwnd", str(session["hwnd"])) == "done"
    assert machine.driver.msgbox(exe=CLIENT)["text"] == MSG_EXIT
    machine.driver.msgbox(answer="no", exe=CLIENT)
    assert machine.driver.run("accessible-do", "*", str(CONNECT), "--hwnd", str(session["hwnd"])) == "done"
    wait_until(lambda: "join" in [r["name"] for r in devserver.admin.get("/requests")], what="the join request")
    assert machine.driver.run("accessible-do", "*", str(LOGOUT), "--hwnd", str(session["hwnd"])) == "done"
    login_window(machine.driver)

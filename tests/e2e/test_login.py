"""The login window and the session window it opens: the sign-in messages,
the account shown after sign-in, the saved preferences and the automatic
sign-in they lead to."""

import pytest

from client_helpers import (AUTO_LOGIN, CLIENT, COLLAPSE, CONNECT, DAYS_LABEL, DISCONNECT, EXPAND, FIXED_IP_LABEL,
                            LOGIN_PASSWORD, LOGIN_USER_ID, MSG_CONFIRM_FAILED, MSG_EMPTY_ID, MSG_EMPTY_PASSWORD,
                            MSG_NO_SERVER, MSG_WRONG_CREDENTIALS, RUN_AT_STARTUP, SAVE_ID, SERVICE, STATUS_LABEL, TITLE,
                            USER_ID_LABEL, WATCHDOG, colors_in, has_color_near, label, login_window, run_value,
                            session_window, sign_in, start_client, wait_until)

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

TEAL, ORANGE = (0, 169, 157), (251, 106, 0)


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


@pytest.mark.parametrize("user_id, password, fault, message", [
    ("", "demo1234", None, MSG_EMPTY_ID),
    ("demo", "", None, MSG_EMPTY_PASSWORD),
    ("demo", "wrong", None, MSG_WRONG_CREDENTIALS),
    ("demo", "demo1234", "drop", MSG_NO_SERVER),
], ids=["empty-id", "empty-password", "wrong-password", "no-server"])
def test_sign_in_problems_are_reported_and_the_login_window_stays(machine, devserver, user_id, password, fault,
                                                                   message):
    if fault:
        devserver.admin.post("/faults", {"match": "sign-in", "mode": fault}, expect=201)
    start_client(machine, devserver)
    login = sign_in(machine.driver, user_id, password)
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=20000)
    assert (box["caption"], box["text"]) == (TITLE, message)
    machine.driver.msgbox(answer="ok", exe=CLIENT)
    assert machine.driver.wait_window(hwnd=login["hwnd"])["visible"]
    assert machine.driver.text(TITLE, LOGIN_USER_ID, hwnd=login["hwnd"]) == user_id


def open_session(machine, devserver, user_id="demo", password="demo1234", minutes=None):
    if minutes is not None:
        devserver.admin.put(f"/accounts/{user_id}", {"password": password, "minutes": minutes},
                            expect=None)
    start_client(machine, devserver)
    login = sign_in(machine.driver, user_id, password)
    session = session_window(machine.driver)
    return login, session


def test_a_sign_in_shows_the_account_in_the_session_window(machine, devserver):
    login, session = open_session(machine, devserver, "tarvo01", "pass 01", minutes=2880)
    driver = machine.driver
    assert not driver.wait_window(hwnd=login["hwnd"])["visible"]
    assert label(driver, session, USER_ID_LABEL) == "tarvo01"
    assert label(driver, session, FIXED_IP_LABEL) == "고정 IP"
    assert label(driver, session, DAYS_LABEL) == "2일"
    assert label(driver, session, STATUS_LABEL) == "-"
    assert driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
    assert not driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert driver.rect(TITLE, SERVICE, hwnd=session["hwnd"]) == (188, 173, 118, 22)
    rect = driver.rect(TITLE, FIXED_IP_LABEL, hwnd=session["hwnd"])
    assert has_color_near(colors_in(machine, "service-state", session, rect), TEAL)


def test_an_account_without_time_shows_the_no_service_look(machine, devserver):
    _, session = open_session(machine, devserver, "expired01", "pw", minutes=0)
    driver = machine.driver
    assert label(driver, session, FIXED_IP_LABEL) == "서비스 미사용"
    assert label(driver, session, DAYS_LABEL) == "0일"
    assert not driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
    assert not driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert driver.rect(TITLE, SERVICE, hwnd=session["hwnd"]) == (188, 173, 108, 22)
    rect = driver.rect(TITLE, FIXED_IP_LABEL, hwnd=session["hwnd"])
    colors = colors_in(machine, "no-service-state", session, rect)
    assert has_color_near(colors, ORANGE) and not has_color_near(colors, TEAL)


def test_a_failed_confirmation_closes_the_session_window_and_opens_a_login_window(machine, devserver):
    devserver.admin.post("/faults", {"match": "confirm", "mode": "status500", "count": 1}, expect=201)
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=20000)
    assert box["text"] == MSG_CONFIRM_FAILED
    machine.driver.msgbox(answer="ok", exe=CLIENT)
    login = login_window(machine.driver)
    assert machine.driver.text(TITLE, LOGIN_USER_ID, hwnd=login["hwnd"]) == ""
    # The new login window signs in as the first did.
    sign_in(machine.driver, "demo", "demo1234")
    assert label(machine.driver, session_window(machine.driver), DAYS_LABEL) == "30일"


def test_collapse_and_expand_change_the_width_and_keep_one_strip(machine, devserver):
    _, session = open_session(machine, devserver)
    driver = machine.driver

    def width_and_strips():
        window = driver.wait_window(hwnd=session["hwnd"])
        left, _, right, _ = window["rect"]
        return right - left, driver.visible(TITLE, EXPAND, hwnd=session["hwnd"]), \
            driver.visible(TITLE, COLLAPSE, hwnd=session["hwnd"])

    assert width_and_strips() == (686, False, True)
    driver.click(TITLE, COLLAPSE, hwnd=session["hwnd"])
    wait_until(lambda: width_and_strips() == (351, True, False), what="the narrow window")
    driver.click(TITLE, EXPAND, hwnd=session["hwnd"])
    wait_until(lambda: width_and_strips() == (686, False, True), what="the wide window")


BOXES = [(s, a, r) for s in (False, True) for a in (False, True) for r in (False, True)]


@pytest.mark.parametrize("boxes", BOXES, ids=["".join("SAR"[i] if b else "-" for i, b in enumerate(x)) for x in BOXES])
def test_preferences_are_saved_and_the_next_start_honours_them(machine, devserver, boxes):
    save_id, auto_login, run_at_startup = boxes
    client = start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234", boxes=boxes)
    session_window(machine.driver)
    value = run_value(machine)
    if run_at_startup:
        assert value == '"C:\\Program Files\\Tarvo\\Tarvo.exe"'
    else:
        assert value is None

    machine.kill_program(CLIENT)
    client.wait(timeout=15)
    machine.kill_program(WATCHDOG)
    machine.wait_program_gone(WATCHDOG)
    start_client(machine, devserver)
    driver = machine.driver
    if auto_login:
        session = session_window(driver)  # straight to the session window
        assert label(driver, session, USER_ID_LABEL) == "demo"
        assert not [w for w in driver.list_windows(TITLE, visible=True) if w["hwnd"] != session["hwnd"]]
        return
    login = login_window(driver)
    hwnd = login["hwnd"]
    assert driver.text(TITLE, LOGIN_USER_ID, hwnd=hwnd) == ("demo" if save_id else "")
    assert driver.text(TITLE, LOGIN_PASSWORD, hwnd=hwnd) == ""
    assert [driver.checked(TITLE, c, hwnd=hwnd) for c in (SAVE_ID, AUTO_LOGIN, RUN_AT_STARTUP)] == \
        [save_id, False, run_at_startup]


def test_a_password_with_bars_signs_in_automatically_at_the_next_start(machine, devserver):
    devserver.admin.put("/accounts/bar-user", {"password": "pa|ss|", "minutes": 2880}, expect=201)
    client = start_client(machine, devserver)
    sign_in(machine.driver, "bar-user", "pa|ss|", boxes=(True, True, False))
    session_window(machine.driver)
    machine.kill_program(CLIENT)
    client.wait(timeout=15)
    machine.kill_program(WATCHDOG)
    machine.wait_program_gone(WATCHDOG)
    start_client(machine, devserver)
    session = session_window(machine.driver)  # the whole password was read back
    assert label(machine.driver, session, USER_ID_LABEL) == "bar-user"
    assert label(machine.driver, session, DAYS_LABEL) == "2일"
    assert not [w for w in machine.driver.list_windows(TITLE, visible=True) if w["hwnd"] != session["hwnd"]]


@pytest.mark.parametrize("code", ["abc 123", "abc#123", "abc\r\nX-Injected: 1"], ids=["blank", "hash", "line-break"])
def test_a_session_code_that_would_break_a_request_line_is_a_failed_confirmation(machine, devserver, code):
    devserver.admin.post("/faults", {"match": "confirm", "mode": "reply", "text": f"{code},2880", "count": 1},
                         expect=201)
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=20000)
    assert box["text"] == MSG_CONFIRM_FAILED
    machine.driver.msgbox(answer="ok", exe=CLIENT)
    # No request went out with the code.
    assert not [r for r in devserver.admin.get("/requests") if "abc" in r["request_line"]]
    sign_in(machine.driver, "demo", "demo1234")
    assert label(machine.driver, session_window(machine.driver), DAYS_LABEL) == "30일"

"""The settings window opened from the session window: the preferences of the
saved-credentials file it shows, saving them with the Run value, leaving
without saving, the keys it ignores, dragging it, and the router's page."""

import socket
import struct
import time

import pytest

from client_helpers import (AUTO_LOGIN, LOGIN_PASSWORD, LOGIN_USER_ID, RUN_AT_STARTUP, SAVE_ID, SETTINGS_CANCEL,
                            SETTINGS_CLOSE, SETTINGS_OK, SETTINGS_ROUTER, TITLE, USER_ID_LABEL, cookie_files,
                            cookie_plain, in_front, label, login_window, open_settings, run_value, session_window,
                            start_client, wait_until, window_gone)
from shell_stand_ins import ShellStandIns

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

TOGGLES = (SAVE_ID, AUTO_LOGIN, RUN_AT_STARTUP)
WIDTH, HEIGHT = 336, 316
RUN_PATH = '"C:\\Program Files\\Tarvo\\Tarvo.exe"'


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


def toggles(driver, settings) -> tuple[bool, bool, bool]:
    return tuple(driver.checked("*", t, hwnd=settings["hwnd"]) for t in TOGGLES)


def set_toggles(driver, settings, wanted) -> None:
    for toggle, want in zip(TOGGLES, wanted):
        if driver.checked("*", toggle, hwnd=settings["hwnd"]) != want:
            driver.click("*", toggle, hwnd=settings["hwnd"])
            wait_until(lambda t=toggle: driver.checked("*", t, hwnd=settings["hwnd"]) == want)


FILE_CASES = [
    ("no-file", None, (False, False, False)),
    ("marker-only", "!!sw!!", (False, False, True)),
    ("all-three", "!!si!!=demoA-A!!sa!!=demo|demo1234A-A!!sw!!", (True, True, True)),
    ("automatic-only", "!!sa!!=demo|demo1234A-A", (False, True, False)),
    ("id-only", "!!si!!=demoA-A", (True, False, False)),
    ("three-records", "!!si!!=demoA-A!!sa!!=demo|demo1234A-AxyzA-A!!sw!!", (False, False, True)),
]


@pytest.mark.parametrize("plain, expected", [c[1:] for c in FILE_CASES], ids=[c[0] for c in FILE_CASES])
def test_the_window_opens_centred_over_the_session_window_with_the_files_preferences(machine, devserver, plain,
                                                                                    expected):
    session, settings = open_settings(machine, devserver, plain=plain)
    driver = machine.driver
    assert toggles(driver, settings) == expected

    left, top, right, bottom = settings["rect"]
    s_left, s_top, s_right, s_bottom = driver.wait_window(hwnd=session["hwnd"])["rect"]
    assert (right - left, bottom - top) == (WIDTH, HEIGHT)
    assert (left, top) == (s_left + (s_right - s_left) // 2 - WIDTH // 2, s_top + (s_bottom - s_top) // 2 - HEIGHT // 2)
    # The rounded shape (0, 0)-(336, 316) covers pixels up to 335, 315.
    assert driver.run("window-shape", "*", "--hwnd", settings["hwnd"]) == f"0 0 {WIDTH - 1} {HEIGHT - 1}"
    assert not driver.wait_window(hwnd=session["hwnd"])["enabled"]  # modal
    if plain and plain.count("!!") == 6:
        machine.screenshot("settings-window")


SAVE_CASES = [
    # starting file (None: none) and Run value, boxes set before OK, the file OK writes, the Run value after
    ("ok-at-once-without-a-file", None, RUN_PATH, None, "", None),
    ("automatic-only", "", None, (False, True, False), "!!sa!!=demo|demo1234A-A", None),
    ("id-and-startup", "", None, (True, False, True), "!!si!!=demoA-A!!sw!!", RUN_PATH),
]


@pytest.mark.parametrize("plain, run_before, boxes, written, run_after", [c[1:] for c in SAVE_CASES],
                         ids=[c[0] for c in SAVE_CASES])
def test_ok_saves_the_file_and_the_run_value_and_the_next_start_honours_them(machine, devserver, plain,
                                                                             run_before, boxes, written, run_after):
    session, settings = open_settings(machine, devserver, plain=plain, run=run_before)
    driver = machine.driver
    if boxes is not None:
        set_toggles(driver, settings, boxes)
    driver.click("*", SETTINGS_OK, hwnd=settings["hwnd"])
    wait_until(lambda: window_gone(driver, settings), what="the settings window to close")
    assert driver.wait_window(hwnd=session["hwnd"])["enabled"]
    assert cookie_plain(machine) == written
    assert run_value(machine) == run_after

    machine.session.kill_test_processes()  # as a restart of the PC would
    start_client(machine, devserver)
    save_id, auto_login, run_at_startup = boxes or (False, False, False)
    if auto_login:
        assert label(driver, session_window(driver), USER_ID_LABEL) == "demo"  # signed in by itself
        return
    login = login_window(driver)
    assert driver.text(TITLE, LOGIN_USER_ID, hwnd=login["hwnd"]) == ("demo" if save_id else "")
    assert driver.text(TITLE, LOGIN_PASSWORD, hwnd=login["hwnd"]) == ""
    assert [driver.checked(TITLE, t, hwnd=login["hwnd"]) for t in TOGGLES] == [save_id, False, run_at_startup]


@pytest.mark.parametrize("button", [SETTINGS_CANCEL, SETTINGS_CLOSE], ids=["cancel", "close-mark"])
def test_cancel_and_the_close_mark_change_nothing(machine, devserver, button):
    session, settings = open_settings(machine, devserver, boxes=(True, False, True))
    driver = machine.driver
    before = cookie_files(machine)[0].read_bytes()
    assert run_value(machine) == RUN_PATH
    set_toggles(driver, settings, (False, True, False))
    driver.click("*", button, hwnd=settings["hwnd"])
    wait_until(lambda: window_gone(driver, settings), what="the settings window to close")
    assert driver.wait_window(hwnd=session["hwnd"])["enabled"]
    assert cookie_files(machine)[0].read_bytes() == before
    assert run_value(machine) == RUN_PATH


def test_escape_alt_f4_enter_and_space_change_nothing(machine, devserver):
    session, settings = open_settings(machine, devserver, boxes=(False, True, False))
    driver = machine.driver
    before = cookie_files(machine)[0].read_bytes()
    wait_until(lambda: in_front(driver, settings), what="the settings window in front")
    for keys in ("escape", "enter", "space", "alt+f4"):
        driver.run("key", keys)
    # Keys are delivered in order: a window still there after a later
    # round trip was not closed by them.
    driver.click("*", SAVE_ID, hwnd=settings["hwnd"])
    wait_until(lambda: toggles(driver, settings) == (True, True, False), what="the click after the keys")
    assert not window_gone(driver, settings)
    assert cookie_files(machine)[0].read_bytes() == before
    assert run_value(machine) is None


@pytest.mark.parametrize("y, drags", [(59, True), (60, False)])
def test_a_press_above_the_line_drags_the_window(machine, devserver, y, drags):
    _, settings = open_settings(machine, devserver)
    driver = machine.driver
    left, top, _, _ = settings["rect"]
    # At a hand's pace: the window's move loop starts on the press and follows
    # the pointer from there; a release sent within microseconds of the press
    # may come before the loop looks at the button.
    driver.mouse("down", 40, y, hwnd=settings["hwnd"])
    for x_off, y_off in ((25, 20), (50, 40)):
        time.sleep(0.05)
        driver.mouse("move", left + 40 + x_off, top + y + y_off)
    time.sleep(0.05)
    driver.mouse("up", left + 40 + 50, top + y + 40)
    expected = (left + 50, top + 40) if drags else (left, top)
    wait_until(lambda: tuple(driver.wait_window(hwnd=settings["hwnd"])["rect"][:2]) == expected,
               timeout=5, what=f"the window at {expected}")


def default_gateway() -> str:
    """The host's default gateway, which Wine reports as the adapters' gateway."""
    with open("/proc/net/route") as routes:
        for line in routes.readlines()[1:]:
            fields = line.split()
            if fields[1] == "00000000" and int(fields[3], 16) & 2:
                return socket.inet_ntoa(struct.pack("<I", int(fields[2], 16)))
    return "-"


@pytest.fixture
def stand_ins(machine):
    stand_ins = ShellStandIns(machine)
    yield stand_ins
    stand_ins.restore()


def test_the_router_button_opens_the_gateway_page_and_the_window_stays(machine, devserver, stand_ins):
    stand_ins.handle("http", "browser.exe")
    _, settings = open_settings(machine, devserver)
    machine.driver.click("*", SETTINGS_ROUTER, hwnd=settings["hwnd"])
    runs = stand_ins.wait_for(1)
    assert [(r.program, r.command_line) for r in runs] == \
        [("browser.exe", f'"C:\\Program Files\\Tarvo\\browser.exe" "http://{default_gateway()}"')]
    assert runs[0].show == 5  # SW_SHOW
    assert not window_gone(machine.driver, settings)

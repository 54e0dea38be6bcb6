"""What the client's end-to-end tests share: ids of the windows' controls,
the texts they show, and the steps of starting, signing in and connecting."""

from __future__ import annotations

import json
import time

from harness_wine import POLL_SECONDS, DriverFailure

CLIENT = "Tarvo.exe"
WATCHDOG = "Tarvo_Network.exe"
TITLE = "Tarvo"

# Login window
LOGIN_MINIMIZE, LOGIN_EXIT, LOGIN_SIGN_IN, LOGIN_FIND_ID, LOGIN_JOIN = 1011, 1012, 1013, 1014, 1015
LOGIN_USER_ID, LOGIN_PASSWORD, SAVE_ID, AUTO_LOGIN, RUN_AT_STARTUP = 1016, 1017, 1018, 1019, 1020

# Session window
MINIMIZE, EXIT, LOGOUT, SETTINGS, SERVICE, CONNECT, DISCONNECT, EXPAND, COLLAPSE = range(1011, 1020)
USER_ID_LABEL, FIXED_IP_LABEL, STATUS_LABEL, DAYS_LABEL = 1025, 1026, 1027, 1028

LOGIN_CLASS = "#32770"

MSG_NO_SERVER_AT_START = "서버와의 통신이 원활하지 않습니다.\n프로그램을 종료합니다."
MSG_WRONG_NAME = "'Tarvo.exe' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다."
MSG_UPDATE = "Tarvo을 최신 버전으로 업데이트 합니다.\n업데이트를 진행하시겠습니까?"
MSG_UPDATE_REFUSED = "업데이트 파일을 확인할 수 없습니다.\n잠시 후 다시 시도해 주세요."
MSG_EMPTY_ID = "아이디를 입력해 주세요."
MSG_EMPTY_PASSWORD = "비밀번호를 입력해 주세요."
MSG_WRONG_CREDENTIALS = "아이디와 비밀번호를 다시 확인해 주세요."
MSG_NO_SERVER = "서버와의 접속이 원할 하지 않습니다.\n다시 접속해 주시기 바랍니다."
MSG_CONFIRM_FAILED = "접속정보가 올바르지 않습니다."
MSG_EXIT = "Tarvo을 종료하시겠습니까?"


def busy_window(failure: DriverFailure) -> bool:
    """Whether the driver failed because the window did not answer its message in time."""
    return "does not answer" in failure.stderr


def window_with_control(driver, control_id: int, what: str, timeout_ms: int) -> dict:
    """The visible top-level window titled Tarvo that has control `control_id`."""
    deadline = time.monotonic() + timeout_ms / 1000
    while True:
        for window in driver.list_windows(TITLE, visible=True):
            try:
                controls = driver.list_controls(hwnd=window["hwnd"])
            except DriverFailure as failure:
                # Shown before its thread takes messages again after a long
                # wait (a late server reply): Wine calls it hung for a moment.
                if not busy_window(failure):
                    raise
                continue
            if any(c.get("id") == control_id for c in controls):
                return window
        if time.monotonic() > deadline:
            raise AssertionError(f"no {what}")
        time.sleep(POLL_SECONDS)


def session_window(driver, timeout_ms=15000) -> dict:
    """The session window, known by its account labels (the login window's
    fields share ids with the session's buttons, so those cannot tell them apart)."""
    return window_with_control(driver, USER_ID_LABEL, "session window", timeout_ms)


# ---------------------------------------------------------------------------
# Steps and state shared by the client's tests

import shutil
import subprocess
from pathlib import Path, PureWindowsPath

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SIM_FOLDER = PureWindowsPath(r"C:\tarvo-sim")


def wine(machine, *args: str, check: bool = False) -> subprocess.CompletedProcess:
    done = machine.session.run_to_end(list(args), cwd=machine.program_dir)
    if check:
        done.check_returncode()
    return done


def run_value(machine) -> str | None:
    """The data of the Run value "Tarvo", or None when there is none."""
    done = wine(machine, "reg", "query", RUN_KEY, "/v", "Tarvo")
    for line in done.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == "Tarvo" and parts[1] == "REG_SZ":
            return parts[2]
    return None


def cookie_files(machine) -> list[Path]:
    return sorted(machine.session.host_path(r"C:\users").glob("*/**/Temp/TarvoCookie.txt"))


def reset_client_state(machine) -> None:
    """No saved preferences, no Run value, no simulated tunnel."""
    for path in cookie_files(machine):
        path.unlink()
    wine(machine, "reg", "delete", RUN_KEY, "/v", "Tarvo", "/f")
    shutil.rmtree(machine.session.host_path(SIM_FOLDER), ignore_errors=True)


def start_client(machine, devserver=None):
    if devserver is not None:
        machine.env["TARVO_SIM_ADMIN_URL"] = devserver.admin_url
    return machine.start_program(CLIENT)


def login_window(driver, timeout_ms=20000) -> dict:
    """The login window, known by its start-with-Windows box, an id the session window lacks."""
    return window_with_control(driver, RUN_AT_STARTUP, "login window", timeout_ms)


def sign_in(driver, user_id: str, password: str, boxes: tuple[bool, bool, bool] | None = None) -> dict:
    """Types the id and password (and sets the three boxes) and presses sign-in."""
    login = login_window(driver)
    hwnd = login["hwnd"]
    driver.set_text(TITLE, LOGIN_USER_ID, user_id, hwnd=hwnd)
    driver.set_text(TITLE, LOGIN_PASSWORD, password, hwnd=hwnd)
    if boxes is not None:
        for control, wanted in zip((SAVE_ID, AUTO_LOGIN, RUN_AT_STARTUP), boxes):
            if driver.checked(TITLE, control, hwnd=hwnd) != wanted:
                driver.click(TITLE, control, hwnd=hwnd)
                wait_until(lambda c=control: driver.checked(TITLE, c, hwnd=hwnd) == wanted)
    driver.click(TITLE, LOGIN_SIGN_IN, hwnd=hwnd)
    return login


def label(driver, window: dict, control: int) -> str:
    return driver.text(TITLE, control, hwnd=window["hwnd"])


def in_front(driver, window: dict) -> bool:
    """Whether `window` is the active window of the desktop, the one keys go to."""
    front = driver.run("foreground").strip()
    return front != "none" and json.loads(front)["hwnd"] == window["hwnd"]


def wait_until(condition, timeout: float = 15.0, interval: float = POLL_SECONDS, what: str = "condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


def wait_label(driver, window: dict, control: int, predicate, timeout: float = 20.0) -> str:
    """Waits until the label's text satisfies `predicate` (or equals it, for a str)."""
    check = (lambda t: t == predicate) if isinstance(predicate, str) else predicate
    seen = []

    def current():
        try:
            text = label(driver, window, control)
        except DriverFailure as failure:
            # A window busy for a while (a request on its thread) does not
            # answer in time: not yet, as long as it answers before the end.
            if not busy_window(failure):
                raise
            seen[:] = ["(the window did not answer)"]
            return None
        seen[:] = [text]
        return text if check(text) else None

    try:
        return wait_until(current, timeout=timeout, what=f"label {control}")
    except AssertionError:
        raise AssertionError(f"label {control} reads {seen[0] if seen else None!r}") from None


def colors_in(machine, label: str, window: dict, rect: tuple[int, int, int, int]) -> dict[str, int]:
    """The colours (as "RRGGBB") and their pixel counts inside `rect` (client
    pixels of `window`), from a screenshot of that window."""
    png = machine.screenshot(label, hwnd=window["hwnd"])
    x, y, w, h = rect
    done = subprocess.run(["convert", str(png), "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-format", "%c",
                           "histogram:info:-"], capture_output=True, check=True, timeout=60)
    colors: dict[str, int] = {}
    for line in done.stdout.decode().splitlines():
        count, _, rest = line.strip().partition(":")
        if "#" in rest:
            colors[rest.split("#", 1)[1][:6].upper()] = int(count)
    return colors


def has_color_near(colors: dict[str, int], rgb: tuple[int, int, int], tolerance: int = 40, at_least: int = 3) -> bool:
    r0, g0, b0 = rgb
    total = 0
    for hexcolor, count in colors.items():
        r, g, b = int(hexcolor[0:2], 16), int(hexcolor[2:4], 16), int(hexcolor[4:6], 16)
        if abs(r - r0) + abs(g - g0) + abs(b - b0) <= tolerance:
            total += count
    return total >= at_least


# ---------------------------------------------------------------------------
# The saved-credentials file as plain text, and the windows the session opens

# Images of the printable ASCII characters U+0020..U+007E, as the client scrambles them.
SCRAMBLE_TABLE = ("8s$CH/;]Bz)'SDXVQc*UdI>\"5Aj2{,_}kmGT3?+git(JE.ox=<9`Wnb1\\uqe 6w0aRL[Ypyr#7vZOPN@F~%-4:^|"
                  "lKfM!&h")
_SCRAMBLED = {chr(0x20 + i): image for i, image in enumerate(SCRAMBLE_TABLE)}
_UNSCRAMBLED = {image: plain for plain, image in _SCRAMBLED.items()}


def scramble(text: str) -> str:
    return "".join(_SCRAMBLED.get(c, c) for c in text)


def unscramble(text: str) -> str:
    return "".join(_UNSCRAMBLED.get(c, c) for c in text)


def temp_folder(machine) -> Path:
    """The Wine user's temporary folder, where the client keeps TarvoCookie.txt."""
    folders = [p for p in machine.session.host_path(r"C:\users").glob("*/**/Temp")
               if p.is_dir() and p.parts[-2:] != ("Public", "Temp")]
    if not folders:
        raise AssertionError("no temporary folder in the prefix")
    return folders[0]


def cookie_plain(machine) -> str | None:
    """The saved-credentials file unscrambled, or None when there is none."""
    files = cookie_files(machine)
    return unscramble(files[0].read_bytes().decode("cp949")) if files else None


def write_cookie_plain(machine, plain: str | None) -> None:
    """Replaces the saved-credentials file by `plain` scrambled (None: no file)."""
    for path in cookie_files(machine):
        path.unlink()
    if plain is not None:
        (temp_folder(machine) / "TarvoCookie.txt").write_bytes(scramble(plain).encode("cp949"))


def owned_window(driver, owner: dict, timeout: float = 15.0) -> dict:
    """The visible window of the client that `owner` owns: the modal window it opened."""
    def find():
        return next((w for w in driver.list_windows(exe=CLIENT, visible=True) if w["owner"] == owner["hwnd"]), None)

    return wait_until(find, timeout=timeout, what=f"a window owned by {owner['hwnd']}")


def window_gone(driver, window: dict) -> bool:
    return not [w for w in driver.list_windows(hwnd=window["hwnd"]) if w["visible"]]


# Settings window controls (its three toggles have the login window's ids)
SETTINGS_CLOSE, SETTINGS_ROUTER, SETTINGS_WIN_CONTROL, SETTINGS_OK, SETTINGS_CANCEL = range(1011, 1016)


def open_settings(machine, devserver, boxes=(False, False, False), plain: str | None = "keep",
                  run: str | None = None, user_id: str = "demo", password: str = "demo1234"):
    """Starts the client and signs in (the login window saves `boxes`), then
    replaces the file by `plain` unless asked to keep it, sets the Run value
    to `run` when given, and opens the settings window. Returns the session
    window and the settings window."""
    start_client(machine, devserver)
    sign_in(machine.driver, user_id, password, boxes=boxes)
    session = session_window(machine.driver)
    if plain != "keep":
        write_cookie_plain(machine, plain)
    if run is not None:
        wine(machine, "reg", "add", RUN_KEY, "/v", "Tarvo", "/d", run, "/f", check=True)
    machine.driver.click(TITLE, SETTINGS, hwnd=session["hwnd"])
    return session, owned_window(machine.driver, session)

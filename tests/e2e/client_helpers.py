"""What the client's end-to-end tests share: ids of the windows' controls,
the texts they show, and the steps of starting, signing in and connecting."""

from __future__ import annotations

import time

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
MSG_EMPTY_ID = "아이디를 입력해 주세요."
MSG_EMPTY_PASSWORD = "비밀번호를 입력해 주세요."
MSG_WRONG_CREDENTIALS = "아이디와 비밀번호를 다시 확인해 주세요."
MSG_NO_SERVER = "서버와의 접속이 원할 하지 않습니다.\n다시 접속해 주시기 바랍니다."
MSG_CONFIRM_FAILED = "접속정보가 올바르지 않습니다."
MSG_EXIT = "Tarvo을 종료하시겠습니까?"


def session_window(driver, timeout_ms=15000) -> dict:
    """The visible top-level window titled Tarvo that has the connect button."""
    deadline = time.monotonic() + timeout_ms / 1000
    while True:
        for window in driver.list_windows(TITLE, visible=True):
            controls = driver.list_controls(hwnd=window["hwnd"])
            if any(c.get("id") == CONNECT for c in controls):
                return window
        if time.monotonic() > deadline:
            raise AssertionError("no session window")
        time.sleep(0.2)

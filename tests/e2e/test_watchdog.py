"""Tarvo_Network.exe as the user and the client see it: it hangs up the VPN
entry through "cmd.exe /C rasdial Tarvo /disconnect" as soon as the client's
liveness token is gone, publishes its own token while it runs, stays hidden,
and refuses to run under another file name."""

import time

import pytest

from client_helpers import wait_until

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

WATCHDOG = "Tarvo_Network.exe"
CLIENT_REGION, CLIENT_TOKEN = "Tarvo_Share_memory2", "tarvo_ok"
WATCHDOG_REGION, WATCHDOG_TOKEN = "Tarvo_Share_memory", "tarvo_network_ok"
HANG_UP_ARGS = "Tarvo /disconnect"
WRONG_NAME_MESSAGE = "'Tarvo_Network.exe' 프로그램을 시작할 수 없습니다.\n지정된 파일을 찾을 수 없습니다."

WS_EX_TOOLWINDOW = 0x80
WS_EX_APPWINDOW = 0x40000


@pytest.fixture
def machine(machine):
    machine.require(WATCHDOG)
    return machine


def start_watching(machine):
    """A client token held by a stand-in process, and the watchdog started beside it."""
    holder = machine.hold_region(CLIENT_REGION, CLIENT_TOKEN)
    watchdog = machine.start_program(WATCHDOG)
    assert machine.wait_region(WATCHDOG_REGION, WATCHDOG_TOKEN) == "pass"
    return holder, watchdog


def watchdog_windows(machine) -> list[dict]:
    """The watchdog's top-level windows once its dialog is set up. It publishes
    its token before it makes the window, and the window is listed with its
    template's styles until its initialisation has run, which ends by moving
    it to no size."""
    def set_up(window):
        left, top, right, bottom = window["rect"]
        return window["class"] == "#32770" and right <= left and bottom <= top

    def listed():
        windows = machine.driver.list_windows(exe=WATCHDOG)
        return windows if any(set_up(w) for w in windows) else None

    return wait_until(listed, what="the watchdog's window")


def assert_hangs_up_once_and_ends(machine, watchdog, since):
    runs = machine.rasdial.wait_for(1, timeout=10)
    assert [run.args for run in runs] == [HANG_UP_ARGS], [run.command_line for run in runs]
    assert watchdog.wait(timeout=10) == 0
    time.sleep(1.2)  # a second hang-up would come one check period later
    assert len(machine.rasdial.runs()) == 1
    return runs[0].time - since


def test_without_a_client_it_hangs_up_at_once_and_ends(machine):
    started = time.time()
    watchdog = machine.start_program(WATCHDOG)
    delay = assert_hangs_up_once_and_ends(machine, watchdog, since=started)
    machine.measured("hang-up after starting the watchdog (Wine start-up included)", delay)
    assert delay < 5.0


@pytest.mark.parametrize("token", ["tarvo_ok ", "TARVO_OK", "tarvo_o"], ids=["trailing-space", "capitals", "cut-short"])
def test_a_client_token_that_differs_counts_as_no_client(machine, token):
    machine.hold_region(CLIENT_REGION, token)
    started = time.time()
    watchdog = machine.start_program(WATCHDOG)
    assert_hangs_up_once_and_ends(machine, watchdog, since=started)


def test_with_a_client_it_keeps_running_and_a_second_copy_ends_silently(machine):
    holder, watchdog = start_watching(machine)
    time.sleep(2.5)  # past the first checks: at once, after 1 s and after 2 s
    assert watchdog.running()
    assert machine.rasdial.runs() == []
    assert machine.driver.check_region(WATCHDOG_REGION, WATCHDOG_TOKEN) == "pass"

    # A copy that waits on a message box would not end by itself.
    second = machine.start_program(WATCHDOG)
    assert second.wait(timeout=15) == 0
    time.sleep(1.2)
    assert watchdog.running()
    assert machine.rasdial.runs() == []
    assert machine.driver.check_region(WATCHDOG_REGION, WATCHDOG_TOKEN) == "pass"


def test_killing_the_client_hangs_up_within_about_a_second(machine):
    holder, watchdog = start_watching(machine)
    time.sleep(1.5)  # well into its once-a-second checks
    killed_at = holder.kill()
    delay = assert_hangs_up_once_and_ends(machine, watchdog, since=killed_at)
    machine.measured("hang-up after the client was killed", delay)
    assert delay < 3.0
    assert machine.driver.check_region(WATCHDOG_REGION, WATCHDOG_TOKEN) == "fail: region missing"


def test_it_runs_without_a_visible_window_or_taskbar_button(machine):
    _, watchdog = start_watching(machine)
    windows = watchdog_windows(machine)
    shown = [w for w in windows if w["visible"] and w["rect"][2] > w["rect"][0] and w["rect"][3] > w["rect"][1]]
    assert shown == []
    dialogs = [w for w in windows if w["class"] == "#32770"]
    assert len(dialogs) == 1, windows
    exstyle = int(dialogs[0]["exstyle"], 16)
    assert exstyle & WS_EX_TOOLWINDOW
    assert not exstyle & WS_EX_APPWINDOW
    assert watchdog.running()
    machine.screenshot("watchdog-running")


@pytest.mark.parametrize("file_name", ["Tarvo_Net.exe", "Tarvo_Network2.exe"])
def test_under_another_file_name_it_says_so_and_ends_without_its_token(machine, file_name):
    watchdog = machine.start(machine.install(WATCHDOG, as_name=file_name))
    box = machine.driver.msgbox(exe=file_name, timeout_ms=15000)
    print(f"message box caption: {box['caption']!r}")
    assert box["text"] == WRONG_NAME_MESSAGE
    assert [b["name"] for b in box["buttons"]] == ["ok"]
    assert machine.driver.check_region(WATCHDOG_REGION, WATCHDOG_TOKEN) == "fail: region missing"
    machine.screenshot(f"wrong-name-{file_name}", hwnd=box["hwnd"])

    machine.driver.msgbox(hwnd=box["hwnd"], answer="ok")
    assert watchdog.wait(timeout=10) == 0
    assert machine.rasdial.runs() == []

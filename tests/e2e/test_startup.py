"""Tarvo.exe from its start to its first window: one instance, the hang-up
of a left-over tunnel, the file-name check, the liveness token and the
watchdog, the version check, the phonebook file."""

import time

import pytest

from harness_wine import PROGRAM_FOLDER

from client_helpers import (CLIENT, MSG_NO_SERVER_AT_START, MSG_UPDATE, MSG_WRONG_NAME, TITLE, WATCHDOG, LOGIN_MINIMIZE,
                            login_window, start_client, wait_until)

WS_MINIMIZE = 0x20000000


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


def request_names(devserver):
    return [r["name"] for r in devserver.admin.get("/requests")]


def test_a_fresh_start_shows_the_login_window_beside_its_watchdog(machine, devserver):
    start_client(machine, devserver)
    login = login_window(machine.driver)
    assert machine.driver.check_region("Tarvo_Share_memory2", "tarvo_ok") == "pass"
    wait_until(lambda: machine.session.pids_of(WATCHDOG), what="the watchdog")
    assert machine.wait_region("Tarvo_Share_memory", "tarvo_network_ok") == "pass"
    # The watchdog's hidden window, made after the login window was shown,
    # leaves the login window in front with the keyboard.
    machine.driver.wait_window(cls="#32770", exe=WATCHDOG)
    time.sleep(1)
    front = machine.driver.json("foreground")
    assert front["hwnd"] == login["hwnd"] and front["focus"] != "0x0", front
    # The left-over tunnel is dropped by name before anything else.
    assert [run.args for run in machine.rasdial.wait_for(1)] == ["Tarvo /disconnect"]
    assert request_names(devserver) == ["version"]
    phonebook = (machine.program_dir / "temporarily_file").read_bytes()
    assert len(phonebook) == 1925 and phonebook.startswith(b"[Tarvo]\r\n")


@pytest.mark.parametrize("version, asks", [("1.0.2.6", False), ("1.0.2.5", True), ("1.0.2.7", True)])
def test_the_version_reply_decides_between_going_on_and_the_update_question(machine, devserver, version, asks):
    devserver.admin.patch("/config", {"version": version})
    client = start_client(machine, devserver)
    if not asks:
        login_window(machine.driver)
        return
    box = machine.driver.msgbox(caption=TITLE, exe=CLIENT, timeout_ms=20000)
    assert box["text"] == MSG_UPDATE
    machine.driver.msgbox(answer="no", exe=CLIENT)
    assert client.wait(timeout=15) == 0
    assert not machine.driver.list_windows(TITLE, visible=True)
    assert not (machine.program_dir / "temporarily_file").exists()


@pytest.mark.parametrize("fault", ["status500", "drop", "no-server"])
def test_no_version_reply_ends_with_the_server_message(machine, devserver, fault):
    if fault == "no-server":
        devserver.stop()
    else:
        devserver.admin.post("/faults", {"match": "version", "mode": fault}, expect=201)
    client = start_client(machine, devserver)
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=30000)
    assert (box["caption"], box["text"]) == (TITLE, MSG_NO_SERVER_AT_START)
    machine.driver.msgbox(answer="ok", exe=CLIENT)
    assert client.wait(timeout=15) == 0


def test_a_renamed_program_stops_before_any_request(machine, devserver):
    renamed = machine.install(CLIENT, as_name="Tarvo2.exe")
    client = machine.start(renamed)
    box = machine.driver.msgbox(exe="Tarvo2.exe", timeout_ms=20000)
    assert box["text"] == MSG_WRONG_NAME
    assert machine.driver.check_region("Tarvo_Share_memory2", "tarvo_ok") != "pass"
    machine.driver.msgbox(answer="ok", exe="Tarvo2.exe")
    assert client.wait(timeout=15) == 0
    assert request_names(devserver) == []


def test_a_second_start_raises_the_running_window_and_shows_nothing(machine, devserver):
    start_client(machine, devserver)
    login = login_window(machine.driver)
    machine.driver.click(TITLE, LOGIN_MINIMIZE, hwnd=login["hwnd"])
    wait_until(lambda: int(machine.driver.wait_window(hwnd=login["hwnd"])["style"], 16) & WS_MINIMIZE,
               what="the window minimised")
    second = machine.start(PROGRAM_FOLDER / CLIENT)
    assert second.wait(timeout=20) == 0
    wait_until(lambda: not int(machine.driver.wait_window(hwnd=login["hwnd"])["style"], 16) & WS_MINIMIZE,
               what="the window restored")
    assert len(machine.driver.list_windows(TITLE, visible=True)) == 1
    assert request_names(devserver) == ["version"]  # the second copy asked nothing

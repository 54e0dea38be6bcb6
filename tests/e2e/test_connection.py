"""The connection lifecycle end to end, with the simulated remote access:
connect and dial, the keepalive's verdicts and reconnects, disconnect,
logout and exit, and the watchdog link that never lets a tunnel outlive
the client."""

import time

import pytest

from client_helpers import (CLIENT, CONNECT, DAYS_LABEL, DISCONNECT, EXIT, FIXED_IP_LABEL, LOGOUT, MSG_EXIT, SIM_FOLDER,
                            STATUS_LABEL, TITLE, WATCHDOG, label, login_window, session_window, sign_in, start_client,
                            wait_label, wait_until)

WINE_SESSIONS = 3  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

CONNECTING, RECONNECTING = "접속중입니다.", "재접속중입니다."
MSG_EXPIRED = "기간이 만료되었습니다."
MSG_ELSEWHERE = "고객님의 ID는 지금 다른 PC에서 접속중 입니다.\n현재 접속된 PC에서 종료됩니다."
MSG_MAINTENANCE = "서버 점검중입니다.\n잠시후에 다시 실행해 주세요."


def is_address(text: str) -> bool:
    return text.startswith("10.8.0.") and text.endswith(" " * 17)


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


def sim_file(machine, name):
    return machine.session.host_path(SIM_FOLDER) / name


def adapter(machine):
    path = sim_file(machine, "adapter")
    return path.read_text().split()[1] if path.exists() else None


def signed_in(machine, devserver, minutes=None):
    if minutes is not None:
        devserver.admin.put("/accounts/demo", {"minutes": minutes})
    client = start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    return client, session_window(machine.driver)


def connect(machine, session):
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    address = wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=30)
    assert machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert adapter(machine) == address.strip()
    return address.strip()


def names(devserver):
    return [r["name"] for r in devserver.admin.get("/requests")]


def test_connect_shows_the_address_and_the_days_follow_the_server(machine, devserver):
    _, session = signed_in(machine, devserver)
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    assert wait_label(machine.driver, session, STATUS_LABEL, lambda t: t in (CONNECTING,) or is_address(t))
    connect_started = time.monotonic()
    wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=30)
    machine.measured("connect click to address shown", time.monotonic() - connect_started)
    assert not machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
    devserver.admin.put("/accounts/demo", {"minutes": 4320})
    wait_label(machine.driver, session, DAYS_LABEL, "3일", timeout=15)
    assert {"join", "ping", "status"} <= set(names(devserver))


def test_a_join_reply_of_zero_shows_the_no_service_look(machine, devserver):
    _, session = signed_in(machine, devserver)
    devserver.admin.put("/accounts/demo", {"minutes": 0})
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    wait_label(machine.driver, session, DAYS_LABEL, "서비스 미사용")
    assert label(machine.driver, session, STATUS_LABEL) == "서비스 미사용"
    assert label(machine.driver, session, FIXED_IP_LABEL).strip() == ""
    assert not machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
    assert not machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert adapter(machine) is None


def test_a_wrong_vpn_password_shows_691_and_connect_comes_back(machine, devserver):
    _, session = signed_in(machine, devserver)
    devserver.admin.post("/faults", {"match": "join", "mode": "garbage", "count": 1}, expect=201)
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    wait_label(machine.driver, session, STATUS_LABEL, "691 오류")
    wait_until(lambda: machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"]), what="connect enabled")
    assert not machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert adapter(machine) is None
    connect(machine, session)  # the next join hands out good credentials


@pytest.mark.parametrize("verdict", ["expired", "elsewhere", "maintenance"])
def test_the_servers_verdicts(machine, devserver, verdict):
    client, session = signed_in(machine, devserver)
    connect(machine, session)
    devserver.admin.delete("/requests")
    if verdict == "expired":
        devserver.admin.put("/accounts/demo", {"minutes": 0})
        expected = MSG_EXPIRED
    elif verdict == "elsewhere":
        devserver.admin.post("/accounts/demo/sign-in-elsewhere")
        expected = MSG_ELSEWHERE
    else:
        devserver.admin.patch("/config", {"maintenance": True})
        expected = MSG_MAINTENANCE
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=20000)
    assert (box["caption"], box["text"]) == (TITLE, expected)
    assert adapter(machine) is None  # hung up before the message
    if verdict == "expired":
        assert label(machine.driver, session, DAYS_LABEL) == "기간만료"
    if verdict == "maintenance":
        assert label(machine.driver, session, DAYS_LABEL) == "0일"
    sent = names(devserver)
    assert ("leave" in sent) == (verdict != "maintenance")
    machine.driver.msgbox(answer="ok", exe=CLIENT)
    if verdict == "expired":
        time.sleep(1)
        assert client.running()
        assert not machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
        assert not machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
        assert machine.driver.enabled(TITLE, EXIT, hwnd=session["hwnd"])
    else:
        assert client.wait(timeout=15) == 0


def test_disconnect_sends_the_leave_notice_then_restores_the_window(machine, devserver):
    _, session = signed_in(machine, devserver)
    connect(machine, session)
    devserver.admin.delete("/requests")
    machine.driver.click(TITLE, DISCONNECT, hwnd=session["hwnd"])
    wait_label(machine.driver, session, STATUS_LABEL, "-")
    wait_until(lambda: machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"]), what="connect enabled")
    assert not machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])
    assert machine.driver.enabled(TITLE, EXIT, hwnd=session["hwnd"])
    assert machine.driver.enabled(TITLE, LOGOUT, hwnd=session["hwnd"])
    assert names(devserver)[0] == "leave-notice"
    assert adapter(machine) is None
    connect(machine, session)  # and it connects again


def test_logout_shows_a_login_window_and_hides_the_session(machine, devserver):
    _, session = signed_in(machine, devserver)
    connect(machine, session)
    machine.driver.click(TITLE, LOGOUT, hwnd=session["hwnd"])
    login_window(machine.driver)
    assert not machine.driver.wait_window(hwnd=session["hwnd"])["visible"]
    wait_until(lambda: adapter(machine) is None, what="the tunnel down")
    # The hidden window is put back for a later use.
    wait_until(lambda: machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"]), what="connect restored")
    assert "leave-notice" in names(devserver)


@pytest.mark.parametrize("answer", ["yes", "no"])
def test_exit_asks_and_ends_the_client_after_the_hang_up(machine, devserver, answer):
    client, session = signed_in(machine, devserver)
    connect(machine, session)
    devserver.admin.delete("/requests")
    machine.driver.click(TITLE, EXIT, hwnd=session["hwnd"])
    box = machine.driver.msgbox(exe=CLIENT)
    assert (box["caption"], box["text"]) == ("Tarvo", MSG_EXIT)
    answered = time.monotonic()
    machine.driver.msgbox(answer=answer, exe=CLIENT)
    if answer == "no":
        time.sleep(1)
        # Nothing sent but the keepalive's own polls; the tunnel stays up.
        assert client.running() and adapter(machine) is not None
        assert set(names(devserver)) <= {"status", "ping"}
        return
    assert client.wait(timeout=15) == 0
    machine.measured("exit answered to client gone", time.monotonic() - answered)
    assert names(devserver)[0] == "leave-notice"
    assert adapter(machine) is None


def test_an_adapter_that_loses_its_address_is_redialled(machine, devserver):
    _, session = signed_in(machine, devserver)
    first = connect(machine, session)
    (machine.session.host_path(SIM_FOLDER) / "adapter").unlink()
    wait_label(machine.driver, session, STATUS_LABEL, RECONNECTING, timeout=20)
    second = wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=30).strip()
    assert adapter(machine) == second and second != first


def test_killing_the_client_makes_the_watchdog_hang_up(machine, devserver):
    _, session = signed_in(machine, devserver)
    connect(machine, session)
    machine.rasdial.clear()
    killed_at = machine.kill_program(CLIENT)
    runs = machine.rasdial.wait_for(1, timeout=10)
    assert runs[0].args == "Tarvo /disconnect"
    machine.measured("client killed to hang-up", runs[0].time - killed_at)
    assert runs[0].time - killed_at < 3.0
    wait_until(lambda: adapter(machine) is None, what="the tunnel down")
    machine.wait_program_gone(WATCHDOG)


def test_killing_the_watchdog_makes_the_client_hang_up_and_end(machine, devserver):
    client, session = signed_in(machine, devserver)
    connect(machine, session)
    killed_at = machine.kill_program(WATCHDOG)
    wait_until(lambda: adapter(machine) is None, timeout=10, interval=0.02, what="the tunnel down")
    machine.measured("watchdog killed to client hang-up", time.time() - killed_at)
    assert client.wait(timeout=15) == 0
    assert time.time() - killed_at < 5.0


def test_without_a_watchdog_the_next_connection_is_dropped_at_once(machine, devserver):
    client, session = signed_in(machine, devserver)
    machine.kill_program(WATCHDOG)
    time.sleep(1.5)
    assert client.running()  # nothing visible while not connected
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    assert client.wait(timeout=20) == 0
    assert adapter(machine) is None


def dial_results(machine) -> list[int]:
    path = sim_file(machine, "dials")
    return [int(line.split()[1]) for line in path.read_text().splitlines()] if path.exists() else []


def test_refused_redials_are_tried_until_one_is_accepted(machine, devserver):
    _, session = signed_in(machine, devserver)
    first = connect(machine, session)
    sim_file(machine, "dial-error").write_text("691")
    sim_file(machine, "adapter").unlink()  # the adapter loses its address
    wait_label(machine.driver, session, STATUS_LABEL, RECONNECTING, timeout=30)
    wait_until(lambda: dial_results(machine).count(691) >= 2, timeout=30, what="two refused redials")
    assert label(machine.driver, session, STATUS_LABEL) == RECONNECTING
    sim_file(machine, "dial-error").unlink()
    address = wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=30)
    assert adapter(machine) == address.strip() != first
    assert machine.driver.enabled(TITLE, DISCONNECT, hwnd=session["hwnd"])


def test_a_disconnect_during_a_slow_redial_gives_the_window_back_at_once(machine, devserver):
    _, session = signed_in(machine, devserver)
    connect(machine, session)
    sim_file(machine, "dial-delay-ms").write_text("12000")
    dials_before = len(dial_results(machine))
    sim_file(machine, "adapter").unlink()
    wait_label(machine.driver, session, STATUS_LABEL, RECONNECTING, timeout=30)
    time.sleep(4)  # past the ping wait and the pause: the redial is under way
    assert len(dial_results(machine)) == dials_before
    clicked = time.monotonic()
    machine.driver.click(TITLE, DISCONNECT, hwnd=session["hwnd"])
    wait_label(machine.driver, session, STATUS_LABEL, "-", timeout=8)
    machine.measured("disconnect during a slow redial to the window back", time.monotonic() - clicked)
    assert machine.driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])
    # The abandoned dial returns later and hangs up its own tunnel.
    wait_until(lambda: len(dial_results(machine)) > dials_before, timeout=20, what="the slow dial to return")
    time.sleep(1)
    assert dial_results(machine)[-1] == 0
    assert adapter(machine) is None
    sim_file(machine, "dial-delay-ms").unlink()
    connect(machine, session)


WM_SESSION_UPDATE = 0x8000 + 0x51  # WM_APP + 0x51


def test_junk_posted_to_the_session_window_changes_nothing(machine, devserver):
    client, session = signed_in(machine, devserver)
    address = connect(machine, session)
    for message, lparam in [(WM_SESSION_UPDATE, 0), (WM_SESSION_UPDATE, 1), (WM_SESSION_UPDATE, 0xDEADBEEF),
                            (WM_SESSION_UPDATE, 0x7FFFFFFFFFF0), (WM_SESSION_UPDATE, 0xDEADBEEF),
                            (0x8000 + 0x52, 0xDEADBEEF), (0x8000, 0x10)]:
        machine.driver.post(TITLE, message, 0x1234, lparam, hwnd=session["hwnd"])
    time.sleep(4)  # a keepalive cycle
    assert client.running()
    assert label(machine.driver, session, STATUS_LABEL).strip() == address
    assert adapter(machine) == address
    machine.driver.click(TITLE, DISCONNECT, hwnd=session["hwnd"])
    wait_label(machine.driver, session, STATUS_LABEL, "-", timeout=15)


# ---------------------------------------------------------------------------
# A user's day: a tunnel server that refuses, a sleep, the end of the Windows
# session, a second sign-in while a dial hangs

WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC = 0x0218, 0x0012


def dial_log(machine) -> list[str]:
    path = sim_file(machine, "dial-log")
    return path.read_text().splitlines() if path.exists() else []


def test_refused_redials_back_off_and_the_client_comes_back_on_its_own(machine, devserver):
    _, session = signed_in(machine, devserver)
    first = connect(machine, session)
    dials_before = len(dial_results(machine))
    sim_file(machine, "dial-error").write_text("691")
    sim_file(machine, "adapter").unlink()
    wait_label(machine.driver, session, STATUS_LABEL, RECONNECTING, timeout=30)
    time.sleep(40)
    refused = dial_results(machine)[dials_before:]
    print(f"refused dials in 40 s: {len(refused)}")
    assert 3 <= len(refused) <= 12 and set(refused) == {691}
    assert label(machine.driver, session, STATUS_LABEL) == RECONNECTING
    sim_file(machine, "dial-error").unlink()
    # The pause under way is at most a minute (and a tenth).
    address = wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=90)
    assert adapter(machine) == address.strip() != first


def test_a_resume_with_a_stale_tunnel_reconnects_within_seconds(machine, devserver):
    _, session = signed_in(machine, devserver)
    connect(machine, session)
    # The adapter keeps its address, but nothing answers through it.
    for request in ("status", "ping"):
        devserver.admin.post("/faults", {"match": request, "mode": "drop"}, expect=201)
    resumed = time.monotonic()
    machine.driver.post(TITLE, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, hwnd=session["hwnd"])
    wait_label(machine.driver, session, STATUS_LABEL, RECONNECTING, timeout=20)
    machine.measured("resume to reconnecting", time.monotonic() - resumed)
    assert time.monotonic() - resumed < 10  # not the minute of 61 failed polls
    devserver.admin.delete("/faults")
    wait_label(machine.driver, session, STATUS_LABEL, is_address, timeout=60)


def test_the_end_of_the_windows_session_leaves_hangs_up_and_ends_the_client(machine, devserver):
    client, session = signed_in(machine, devserver)
    connect(machine, session)
    devserver.admin.delete("/requests")
    started = time.monotonic()
    ended = machine.session.run_to_end(["wineboot", "--end-session"], timeout=60)
    machine.measured("end of the Windows session", time.monotonic() - started)
    assert ended.returncode == 0, ended.stderr
    assert time.monotonic() - started < 15
    assert client.wait(timeout=5) == 0
    assert "leave-notice" in names(devserver)
    assert adapter(machine) is None


def test_a_second_sign_in_dials_only_after_the_first_dial_returned(machine, devserver):
    _, first = signed_in(machine, devserver)
    sim_file(machine, "dial-delay-ms").parent.mkdir(exist_ok=True)  # made by the first dial otherwise
    sim_file(machine, "dial-delay-ms").write_text("8000")
    machine.driver.click(TITLE, CONNECT, hwnd=first["hwnd"])
    wait_until(lambda: any(line.startswith("begin") for line in dial_log(machine)), what="the first dial")
    machine.driver.click(TITLE, LOGOUT, hwnd=first["hwnd"])
    login_window(machine.driver)
    sign_in(machine.driver, "demo", "demo1234")
    wait_until(lambda: not machine.driver.wait_window(hwnd=first["hwnd"])["visible"], what="the first window hidden")
    second = session_window(machine.driver)
    assert second["hwnd"] != first["hwnd"]
    machine.driver.click(TITLE, CONNECT, hwnd=second["hwnd"])
    wait_until(lambda: sum(line.startswith("end") for line in dial_log(machine)) >= 2, timeout=40,
               what="both dials to return")
    log = dial_log(machine)
    # The first dial returns (refused: the logout ended its credentials) before the second begins.
    first_dial = log[0].split()[1]
    assert log[0] == f"begin {first_dial}" and log[1].startswith(f"end {first_dial} ")
    assert log[2].startswith("begin") and log[3].startswith("end")
    sim_file(machine, "dial-delay-ms").unlink()
    address = wait_label(machine.driver, second, STATUS_LABEL, is_address, timeout=30)
    assert adapter(machine) == address.strip()

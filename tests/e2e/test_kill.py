"""Killing either program at random moments of a connection's life (while
connecting, confirming, polling, reconnecting): the tunnel is always dropped
within about a second. The measured reactions are printed and kept in
build/e2e-artifacts/measurements.tsv."""

import os
import random
import statistics
import time

import pytest

from client_helpers import (CLIENT, CONNECT, SIM_FOLDER, STATUS_LABEL, TITLE, WATCHDOG, label, reset_client_state,
                            session_window, sign_in, start_client, wait_until)

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

RUNS = int(os.environ.get("TARVO_KILL_RUNS", "20"))
MOMENTS = ["connecting", "polling", "reconnecting"]


@pytest.fixture
def machine(machine):
    machine.require(CLIENT, WATCHDOG)
    return machine


def tunnel_up(machine) -> bool:
    return (machine.session.host_path(SIM_FOLDER) / "adapter").exists()


def a_connection_at(machine, devserver, moment: str, rng: random.Random):
    """Signs in, connects, and returns at a random point of `moment`."""
    reset_client_state(machine)
    client = start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    wait_until(lambda: machine.session.pids_of(WATCHDOG), what="the watchdog")
    machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    if moment == "connecting":
        wait_until(lambda: tunnel_up(machine), timeout=30, interval=0.02, what="the dial")
        time.sleep(rng.uniform(0.0, 1.5))  # inside the keepalive's start pause and confirmation
    else:
        wait_until(lambda: label(machine.driver, session, STATUS_LABEL).startswith("10.8.0."), timeout=30)
        if moment == "reconnecting":
            (machine.session.host_path(SIM_FOLDER) / "adapter").unlink()
            wait_until(lambda: label(machine.driver, session, STATUS_LABEL) == "재접속중입니다.", timeout=20)
            wait_until(lambda: tunnel_up(machine), timeout=30, interval=0.02, what="the redial")
        time.sleep(rng.uniform(0.0, 3.0))
    assert tunnel_up(machine), f"no tunnel at the moment of the kill ({moment})"
    return client


def report(machine, what, delays):
    machine.measured(f"{what}, median of {len(delays)}", statistics.median(delays))
    machine.measured(f"{what}, slowest of {len(delays)}", max(delays))


def test_killing_the_client_at_random_moments(machine, devserver):
    rng = random.Random(20261209)
    delays = []
    for run in range(RUNS):
        moment = MOMENTS[run % len(MOMENTS)]
        a_connection_at(machine, devserver, moment, rng)
        machine.rasdial.clear()
        killed = machine.kill_program(CLIENT)
        hang_up = machine.rasdial.wait_for(1, timeout=10)[0]
        wait_until(lambda: not tunnel_up(machine), timeout=10, interval=0.02, what="the tunnel down")
        delays.append(hang_up.time - killed)
        machine.wait_program_gone(WATCHDOG)
        assert delays[-1] < 3.0, f"run {run} ({moment}): hang-up {delays[-1]:.2f} s after the kill"
    report(machine, "client killed to hang-up", delays)


def test_killing_the_watchdog_at_random_moments(machine, devserver):
    rng = random.Random(20261210)
    delays = []
    for run in range(RUNS):
        moment = MOMENTS[run % len(MOMENTS)]
        client = a_connection_at(machine, devserver, moment, rng)
        killed = machine.kill_program(WATCHDOG)
        wait_until(lambda: not tunnel_up(machine), timeout=10, interval=0.01, what="the tunnel down")
        delays.append(time.time() - killed)
        assert client.wait(timeout=15) == 0
        assert delays[-1] < 3.0, f"run {run} ({moment}): hang-up {delays[-1]:.2f} s after the kill"
    report(machine, "watchdog killed to client hang-up", delays)

"""Runs Tarvo.exe (the build with test hooks, which dials the simulated
remote access) under Wine against the bundled reference server, signed in
with the demo account demo / demo1234.

With a display (DISPLAY set, and not --headless) the windows open on it for
you to use; the demo ends when you exit the client. Without one it walks
through sign-in, connect, disconnect and exit on a private Xvfb display and
leaves screenshots and a log in build/demo/."""

from __future__ import annotations

import argparse
import os
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from client_helpers import (CLIENT, CONNECT, DISCONNECT, EXIT, STATUS_LABEL, TITLE, login_window,  # noqa: E402
                            session_window, sign_in, start_client, wait_label)
from harness_devserver import DevServer  # noqa: E402
from harness_wine import Machine  # noqa: E402
from standalone import client_machine  # noqa: E402

OUT = REPO / "build" / "demo"


class Log:
    def __init__(self, path: Path):
        self.file = open(path, "w", encoding="utf-8")
        self.started = time.monotonic()

    def __call__(self, text: str) -> None:
        line = f"[{time.monotonic() - self.started:6.1f} s] {text}"
        print(line, flush=True)
        self.file.write(line + "\n")
        self.file.flush()


def walk_through(machine: Machine, server: DevServer, log: Log) -> None:
    driver = machine.driver
    shots = []

    def shot(name: str, window: dict) -> None:
        time.sleep(0.8)  # let the window finish painting
        path = machine.screenshot(name, hwnd=window["hwnd"])
        shots.append(path)
        log(f"screenshot {path.relative_to(REPO)}")

    client = start_client(machine, server)
    log("started Tarvo.exe")
    shot("01-login", login_window(driver))
    sign_in(driver, "demo", "demo1234")
    log("signed in as demo")
    session = session_window(driver)
    shot("02-signed-in", session)
    driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    log("pressed 접속 (connect)")
    address = wait_label(driver, session, STATUS_LABEL, lambda t: t.startswith("10.8.0."), timeout=60).strip()
    log(f"connected: the simulated tunnel has the address {address}")
    shot("03-connected", session)
    driver.click(TITLE, DISCONNECT, hwnd=session["hwnd"])
    wait_label(driver, session, STATUS_LABEL, "-", timeout=30)
    log("pressed 해제 (disconnect): the tunnel is down")
    shot("04-disconnected", session)
    driver.click(TITLE, EXIT, hwnd=session["hwnd"])
    driver.msgbox(answer="yes", exe=CLIENT)
    log("pressed exit and answered 예 (yes)")
    client.wait(timeout=30)
    log("the client has ended")
    log("screenshots: " + ", ".join(str(p.relative_to(REPO)) for p in shots))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--headless", action="store_true", help="walk through on a private display even if one is set")
    args = parser.parse_args()
    display = None if args.headless else os.environ.get("DISPLAY")

    OUT.mkdir(parents=True, exist_ok=True)
    log = Log(OUT / "demo.log")
    with client_machine(OUT, "walk-through", display=display) as (machine, server):
        log(f"reference server at {server.base_url} (admin {server.admin_url}), demo account demo / demo1234")
        log(f"Wine prefix ready on display {machine.session.display}")
        if display:
            client = start_client(machine, server)
            log("Tarvo is open: sign in with demo / demo1234, press 접속 to connect; exit the client to end the demo")
            while client.running():
                time.sleep(0.5)
            log("the client has ended")
        else:
            machine.evidence.append(("the server's last requests", server.last_requests))
            try:
                walk_through(machine, server, log)
            except Exception:
                machine.save_evidence()  # what the screen and the programs showed, into demo.log's folder
                raise
    return 0


if __name__ == "__main__":
    sys.exit(main())

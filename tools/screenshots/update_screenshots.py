"""Takes the screenshots that the README shows (docs/screenshots/*.png): the
build with test hooks under Wine on a private Xvfb display, against the
bundled reference server, through the end-to-end harness.

Usage: tools/screenshots/update_screenshots.py [--out DIR]
(after scripts/build native win64-testing; needs ImageMagick's convert)."""

from __future__ import annotations

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from client_helpers import (CLIENT, COLLAPSE, CONNECT, SETTINGS, SETTINGS_WIN_CONTROL, STATUS_LABEL,  # noqa: E402
                            TITLE, WATCHDOG, login_window, owned_window, session_window, sign_in, start_client,
                            wait_label, wait_until)
from harness_devserver import DevServer  # noqa: E402
from harness_wine import Machine  # noqa: E402
from standalone import client_machine  # noqa: E402



def take(machine: Machine, shots: dict[str, Path], name: str, window: dict) -> None:
    """The window's rectangle on the screen, cropped to the window's shape
    (outside it the screenshot shows the desktop behind)."""
    time.sleep(0.8)  # let the window finish painting
    png = machine.screenshot(name, hwnd=window["hwnd"])
    left, top, right, bottom = map(int, machine.driver.run("window-shape", "*", "--hwnd", window["hwnd"]).split())
    subprocess.run(["convert", str(png), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(png)], check=True, timeout=60)
    shots[name] = png


def restart(machine: Machine, server: DevServer) -> None:
    machine.kill_program(CLIENT)
    machine.kill_program(WATCHDOG)
    machine.wait_program_gone(WATCHDOG)
    start_client(machine, server)


def walk(machine: Machine, server: DevServer) -> dict[str, Path]:
    driver = machine.driver
    shots: dict[str, Path] = {}
    server.admin.put("/accounts/nodays", {"password": "pw", "minutes": 0}, expect=201)

    start_client(machine, server)
    take(machine, shots, "login", login_window(driver))
    sign_in(driver, "demo", "demo1234")
    session = session_window(driver)
    take(machine, shots, "session-wide", session)
    driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
    wait_label(driver, session, STATUS_LABEL, lambda t: t.startswith("10.8.0."), timeout=60)
    take(machine, shots, "session-connected", session)
    driver.click(TITLE, SETTINGS, hwnd=session["hwnd"])
    settings = owned_window(driver, session)
    take(machine, shots, "settings", session)  # over the session window, as the user sees it
    driver.click("*", SETTINGS_WIN_CONTROL, hwnd=settings["hwnd"])
    owned_window(driver, settings)
    take(machine, shots, "tools", session)

    restart(machine, server)
    sign_in(driver, "demo", "demo1234")
    session = session_window(driver)
    driver.click(TITLE, COLLAPSE, hwnd=session["hwnd"])
    wait_until(lambda: (lambda r: r[2] - r[0])(driver.wait_window(hwnd=session["hwnd"])["rect"]) == 351)
    take(machine, shots, "session-narrow", session)

    restart(machine, server)
    sign_in(driver, "nodays", "pw")
    take(machine, shots, "session-no-service", session_window(driver))
    return shots


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", type=Path, default=REPO / "docs" / "screenshots", help="where the PNG files go")
    args = parser.parse_args()
    if not shutil.which("convert"):
        print("update_screenshots: needs ImageMagick's convert", file=sys.stderr)
        return 2
    work = REPO / "build" / "screenshots"
    shutil.rmtree(work, ignore_errors=True)  # a fresh server database each time
    with client_machine(work, "screenshots") as (machine, server):
        try:
            shots = walk(machine, server)
        except Exception:
            machine.save_evidence()
            raise
    args.out.mkdir(parents=True, exist_ok=True)
    for name, path in shots.items():
        shutil.copy2(path, args.out / f"{name}.png")
        print(f"wrote {args.out / (name + '.png')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""The skinned buttons under real mouse input: the connect button shows its
hover face while the pointer is over it, its pressed face while held, and
its normal face again when the pointer leaves; and the screenshots of the
windows that the documentation shows."""

import shutil
import subprocess
from pathlib import Path

import pytest

from client_helpers import (CLIENT, COLLAPSE, CONNECT, TITLE, WATCHDOG, colors_in, has_color_near, login_window,
                            reset_client_state, session_window, sign_in, start_client, wait_until)

GREY, GREEN = (144, 153, 161), (39, 174, 96)
DOCS = Path(__file__).resolve().parents[2] / "docs" / "screenshots"


@pytest.fixture
def machine(machine):
    machine.require(CLIENT, WATCHDOG)
    reset_client_state(machine)
    return machine


def face(machine, session, name):
    rect = machine.driver.rect(TITLE, CONNECT, hwnd=session["hwnd"])
    x, y, w, h = rect
    colors = colors_in(machine, name, session, (x + 4, y + 4, w - 8, h - 8))
    if has_color_near(colors, GREEN, at_least=200):
        return "green"
    return "grey" if has_color_near(colors, GREY, at_least=200) else f"other {sorted(colors.items())[:5]}"


def test_the_connect_button_follows_the_mouse(machine, devserver):
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    driver = machine.driver
    driver.mouse("move", 5, 5)
    wait_until(lambda: face(machine, session, "normal") == "grey", what="the normal face")
    driver.mouse("move", hwnd=session["hwnd"], control=CONNECT)
    wait_until(lambda: face(machine, session, "hover") == "green", what="the hover face")
    driver.mouse("down", hwnd=session["hwnd"], control=CONNECT)
    wait_until(lambda: face(machine, session, "pressed") == "green", what="the pressed face")
    driver.mouse("move", 5, 5)  # dragged off while held: the normal face, no click
    wait_until(lambda: face(machine, session, "dragged-off") == "grey", what="the normal face while held off")
    driver.mouse("up", 5, 5)
    assert driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])  # released outside: nothing started


@pytest.mark.skipif(not shutil.which("convert"), reason="needs ImageMagick")
def test_screenshots_for_the_documentation(machine, devserver):
    """Writes docs/screenshots/*.png when TARVO_UPDATE_SCREENSHOTS=1; otherwise only takes them."""
    import os

    devserver.admin.put("/accounts/nodays", {"password": "pw", "minutes": 0}, expect=201)
    start_client(machine, devserver)
    shots = {"login": machine.screenshot("login", hwnd=login_window(machine.driver)["hwnd"])}
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    shots["session-wide"] = machine.screenshot("session-wide", hwnd=session["hwnd"])
    machine.driver.click(TITLE, COLLAPSE, hwnd=session["hwnd"])
    wait_until(lambda: (lambda r: r[2] - r[0])(machine.driver.wait_window(hwnd=session["hwnd"])["rect"]) == 351)
    shots["session-narrow"] = machine.screenshot("session-narrow", hwnd=session["hwnd"])
    machine.kill_program(CLIENT)
    machine.kill_program(WATCHDOG)
    machine.wait_program_gone(WATCHDOG)
    start_client(machine, devserver)
    sign_in(machine.driver, "nodays", "pw")
    shots["session-no-service"] = machine.screenshot("session-no-service", hwnd=session_window(machine.driver)["hwnd"])
    if os.environ.get("TARVO_UPDATE_SCREENSHOTS") == "1":
        DOCS.mkdir(parents=True, exist_ok=True)
        for name, path in shots.items():
            shutil.copy2(path, DOCS / f"{name}.png")
        # The login window's template is larger than its rounded shape.
        subprocess.run(["convert", str(DOCS / "login.png"), "-crop", "351x431+0+0", "+repage",
                        str(DOCS / "login.png")], check=True, timeout=60)

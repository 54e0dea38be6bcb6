"""The skinned buttons under real mouse input: the connect button shows its
hover face while the pointer is over it, its pressed face while held, and
its normal face again when the pointer leaves. (The documentation's
screenshots come from tools/screenshots/update_screenshots.py.)"""

import pytest

from client_helpers import (CONNECT, TITLE, colors_in, has_color_near, session_window, sign_in, start_client,
                            wait_until)

GREY, GREEN = (144, 153, 161), (39, 174, 96)


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


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

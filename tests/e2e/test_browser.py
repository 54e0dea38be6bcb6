"""The session window's web panes: a browser host in each pane, laid over the
pane and navigated to the service's notice and banner pages, and a session
window that opens and works when the system cannot create a browser.

Wine's HTML engine (Gecko) is a separate download that the test machines do
not have, and the harness keeps Wine's HTML library out of the programs: the
browser object is still created, activated in its pane and fetches the page,
but the pane shows white instead of the page."""

import time

import pytest

from client_helpers import (CLIENT, COLLAPSE, CONNECT, EXPAND, LOGOUT, TITLE, login_window, session_window, sign_in,
                            start_client, wait_until)
from harness_wine import DriverFailure

NOTICE, BANNER = 1024, 1023
# x, y, width, height in the session window's client pixels.
PANES = {NOTICE: (367, 17, 301, 346), BANNER: (8, 263, 319, 109)}
PAGES = {"notice": "/tarvo_plus/notice.php", "banner": "/tarvo_plus/banner.php"}
TEMPLATE_IDS = set(range(1011, 1029))
MSG_NO_BROWSER = "Cannot create oleObject CLSID_WebBrowser"
# The harness's overrides, and no web browser object at all.
NO_BROWSER_DLLS = "mscoree,mshtml,ieframe,shdocvw=;winemenubuilder.exe=d"


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


def as_rect(x, y, width, height):
    return [x, y, x + width, y + height]


def pane_contents(driver, session) -> dict[int, list[dict]]:
    """For each pane: the pane control, then the windows that are not the
    template's and cover exactly the pane (the browser's own windows)."""
    controls = driver.list_controls(hwnd=session["hwnd"])
    found = {}
    for pane_id, place in PANES.items():
        pane = [c for c in controls if c["id"] == pane_id]
        inside = [c for c in controls if c["id"] not in TEMPLATE_IDS and c["rect"] == as_rect(*place)
                  and c["visible"]]
        found[pane_id] = pane + inside
    return found


def wait_browsers_in_panes(driver, session) -> dict[int, list[dict]]:
    def placed():
        contents = pane_contents(driver, session)
        return contents if all(len(c) >= 2 for c in contents.values()) else None

    return wait_until(placed, what="a browser window over each pane")


def page_requests(devserver) -> dict[str, list[str]]:
    requests = {}
    for r in devserver.admin.get("/requests"):
        if r["name"] in PAGES:
            requests.setdefault(r["name"], []).append(r["request_line"])
    return requests


def wait_page_requests(devserver, count=1) -> dict[str, list[str]]:
    def arrived():
        requests = page_requests(devserver)
        return requests if all(len(requests.get(name, [])) >= count for name in PAGES) else None

    return wait_until(arrived, timeout=20, what="the notice and banner pages requested")


def test_each_pane_holds_a_browser_over_it_that_fetches_its_page(machine, devserver):
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    contents = wait_browsers_in_panes(machine.driver, session)
    for pane_id, place in PANES.items():
        pane, *browser = contents[pane_id]
        assert pane["rect"] == as_rect(*place) and pane["visible"], pane
        # Sized to the pane's client area, not to the host's first 320 x 171.
        assert browser, f"no browser window over pane {pane_id}"
    requests = wait_page_requests(devserver)
    for name, path in PAGES.items():
        assert requests[name] == [f"GET {path} HTTP/1.1"]
    # No message box or other window of the client.
    assert all(w["hwnd"] == session["hwnd"] for w in machine.driver.list_windows(visible=True, exe=CLIENT))
    machine.screenshot("session-panes", hwnd=session["hwnd"])


def test_the_session_window_keeps_working_around_its_panes(machine, devserver):
    client = start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    session = session_window(machine.driver)
    driver = machine.driver
    wait_browsers_in_panes(driver, session)
    wait_page_requests(devserver)

    # A click into each pane lets the browser activate itself there.
    for pane_id in PANES:
        driver.mouse("click", title=TITLE, control=pane_id, hwnd=session["hwnd"])
    time.sleep(1)

    def width():
        left, _, right, _ = driver.wait_window(hwnd=session["hwnd"])["rect"]
        return right - left

    driver.click(TITLE, COLLAPSE, hwnd=session["hwnd"])
    wait_until(lambda: width() == 351, what="the narrow window")
    driver.click(TITLE, EXPAND, hwnd=session["hwnd"])
    wait_until(lambda: width() == 686, what="the wide window")
    wait_browsers_in_panes(driver, session)
    assert driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])

    # A new session window after logout gets hosts of its own.
    driver.click(TITLE, LOGOUT, hwnd=session["hwnd"])
    login_window(driver)
    wait_until(lambda: driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"]), what="the old window restored")
    sign_in(driver, "demo", "demo1234")
    second = session_window(driver)
    assert second["hwnd"] != session["hwnd"]
    wait_browsers_in_panes(driver, second)
    wait_page_requests(devserver, count=2)
    assert client.running()


def test_without_a_browser_object_each_pane_says_so_once_and_the_window_opens(machine, devserver):
    machine.env["WINEDLLOVERRIDES"] = NO_BROWSER_DLLS
    start_client(machine, devserver)
    sign_in(machine.driver, "demo", "demo1234")
    driver = machine.driver
    for number, _ in enumerate(PANES, 1):
        box = driver.msgbox(exe=CLIENT, timeout_ms=20000)
        assert (box["caption"], box["text"], [b["name"] for b in box["buttons"]]) == ("Error", MSG_NO_BROWSER, ["ok"])
        assert box["owner"] == "0x0"
        machine.screenshot(f"no-browser-box-{number}", hwnd=box["hwnd"])
        driver.msgbox(answer="ok", exe=CLIENT)
    session = session_window(driver)
    with pytest.raises(DriverFailure):
        driver.msgbox(exe=CLIENT, timeout_ms=2000)
    # The panes are there, empty; the window works as ever.
    for pane_id, contents in pane_contents(driver, session).items():
        assert [c["id"] for c in contents] == [pane_id]
    assert page_requests(devserver) == {}
    driver.click(TITLE, COLLAPSE, hwnd=session["hwnd"])
    wait_until(lambda: driver.visible(TITLE, EXPAND, hwnd=session["hwnd"]), what="the narrow window")
    assert driver.enabled(TITLE, CONNECT, hwnd=session["hwnd"])

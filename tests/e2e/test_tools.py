"""The tools window opened from the settings window's Win-control button:
where it opens and its shape, the tool each entry starts, and the ways it
closes without starting anything."""

import time

import pytest

from harness_wine import DRIVER_PATH

from client_helpers import (CLIENT, SETTINGS_WIN_CONTROL, open_settings, owned_window, wait_until, window_gone)
from shell_stand_ins import ShellStandIns, shell_calls, trace_shell

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

HEADER, CMD, REGEDIT, NETWORK, SECURITY, SERVICES = range(1011, 1017)
WIN_CONTROL_AT = (113, 196)  # the button's place in the settings window's client area
SW_SHOW = 5


# Each test starts with the client and its watchdog installed and no saved sign-in.
pytestmark = pytest.mark.usefixtures("client_installed")


@pytest.fixture
def stand_ins(machine):
    """Every tool of the list replaced by a recording stand-in."""
    stand_ins = ShellStandIns(machine)
    stand_ins.install("cmd.exe", "regedit.exe", "rundll32.exe")
    stand_ins.add_file("services.msc")
    stand_ins.associate(".msc", "MSCFile")
    stand_ins.handle("MSCFile", "mmc.exe")
    yield stand_ins
    stand_ins.restore()


def open_tools(machine, devserver, stand_ins):
    """The client (tracing its shell calls) with the settings window and the
    tools window open, and nothing recorded yet. Returns the client process,
    the settings window and the tools window."""
    trace_shell(machine)
    _, settings = open_settings(machine, devserver)
    client = next(p for p in machine.processes if p.program.name == CLIENT)
    stand_ins.clear()  # start-up's "cmd.exe /C rasdial ..." ran the cmd.exe stand-in too
    machine.driver.click("*", SETTINGS_WIN_CONTROL, hwnd=settings["hwnd"])
    return client, settings, owned_window(machine.driver, settings)


def foreground(driver) -> str:
    return driver.json("foreground")["hwnd"]


def client_origin(driver, window) -> tuple[int, int]:
    """The screen position of the window's client area (the windows have no frame)."""
    left, top, _, _ = driver.wait_window(hwnd=window["hwnd"])["rect"]
    return left, top


def test_the_list_opens_over_the_win_control_button_with_its_rounded_shape(machine, devserver, stand_ins):
    _, settings, tools = open_tools(machine, devserver, stand_ins)
    driver = machine.driver
    x, y = client_origin(driver, settings)
    left, top, _, _ = tools["rect"]
    header = driver.rect("*", HEADER, hwnd=tools["hwnd"])
    assert (left + header[0], top + header[1]) == (x + WIN_CONTROL_AT[0], y + WIN_CONTROL_AT[1])
    assert header == (0, 1, 158, 29)
    # The rounded shape (0, 0)-(159, 148) ends with the background bitmap: the
    # row under the last entry is no longer an unpainted strip.
    assert driver.run("window-shape", "*", "--hwnd", tools["hwnd"]) == "0 0 158 147"
    assert not driver.wait_window(hwnd=settings["hwnd"])["enabled"]  # modal
    assert foreground(driver) == tools["hwnd"]
    machine.screenshot("tools-window")


ENTRIES = [
    # entry, the stand-in that runs, the file given to the shell (None: a command line run by WinExec),
    # the stand-in's command line
    ("cmd", CMD, "cmd.exe", "cmd", '"cmd"'),
    ("regedit", REGEDIT, "regedit.exe", "regedit", '"regedit"'),
    ("network", NETWORK, "rundll32.exe", None, "rundll32 shell32.dll,Control_RunDLL ncpa.cpl"),
    ("security", SECURITY, "rundll32.exe", None, "rundll32 shell32.dll,Control_RunDLL wscui.cpl"),
    ("services", SERVICES, "mmc.exe", "services.msc ",
     '"C:\\Program Files\\Tarvo\\mmc.exe" "C:\\Program Files\\Tarvo\\services.msc"'),
]


@pytest.mark.parametrize("entry, program, shell_file, command_line", [e[1:] for e in ENTRIES],
                         ids=[e[0] for e in ENTRIES])
def test_each_entry_starts_its_tool_and_closes_the_list(machine, devserver, stand_ins, entry, program, shell_file,
                                                        command_line):
    client, settings, tools = open_tools(machine, devserver, stand_ins)
    driver = machine.driver
    calls_before = len(shell_calls(client))
    driver.click("*", entry, hwnd=tools["hwnd"])
    runs = stand_ins.wait_for(1)
    assert [(r.program, r.show, r.command_line) for r in runs] == [(program, SW_SHOW, command_line)]
    # What the shell was asked, exactly (the stand-in sees the name Wine found for it).
    calls = [(c.verb, c.file, c.parameters, c.folder, c.show) for c in shell_calls(client)[calls_before:]]
    assert calls == ([("open", shell_file, None, None, SW_SHOW)] if shell_file else [])

    wait_until(lambda: window_gone(driver, tools), what="the list to close")
    assert driver.wait_window(hwnd=settings["hwnd"])["enabled"]
    wait_until(lambda: foreground(driver) == settings["hwnd"], what="the settings window active again")


def switch_to_another_program(machine, tools):
    """A message box of another program comes to the front."""
    machine.start(DRIVER_PATH, "show-msgbox", "다른 프로그램", "앞으로 나온 창")
    machine.driver.msgbox(caption="다른 프로그램", exe="tarvo-driver.exe")


CLOSINGS = {
    "header": lambda machine, tools: machine.driver.click("*", HEADER, hwnd=tools["hwnd"]),
    "escape": lambda machine, tools: machine.driver.run("key", "escape"),
    "another-program": switch_to_another_program,
}


@pytest.mark.parametrize("closing", list(CLOSINGS))
def test_the_header_escape_and_switching_away_close_the_list_and_start_nothing(machine, devserver, stand_ins,
                                                                               closing):
    _, settings, tools = open_tools(machine, devserver, stand_ins)
    driver = machine.driver
    wait_until(lambda: foreground(driver) == tools["hwnd"], what="the list in front")
    CLOSINGS[closing](machine, tools)
    wait_until(lambda: window_gone(driver, tools), what="the list to close")
    assert driver.wait_window(hwnd=settings["hwnd"])["enabled"]
    time.sleep(1)  # a tool started by mistake would have recorded by now
    assert stand_ins.runs() == []

"""The test machine itself: what the other end-to-end tests take for granted
about Wine, the stand-in rasdial and the driver."""

import subprocess
from pathlib import PureWindowsPath

import pytest


def test_cmd_finds_the_stand_in_rasdial_and_it_records_the_arguments(machine):
    cmd = machine.start(PureWindowsPath(r"C:\windows\system32\cmd.exe"), "/C", "rasdial 타르보 /disconnect")
    assert cmd.wait(timeout=20) == 0
    runs = machine.rasdial.wait_for(1)
    assert [run.args for run in runs] == ["타르보 /disconnect"]


def test_the_driver_reads_and_answers_a_korean_message_box(machine):
    text = "첫 줄입니다.\n둘째 줄입니다."
    shower = machine.start(r"C:\tarvo-test\bin\tarvo-driver.exe", "show-msgbox", "Tarvo", text, "--buttons", "yesno",
                           stdout=subprocess.PIPE)
    box = machine.driver.msgbox(exe="tarvo-driver.exe", caption="Tarvo")
    assert box["text"] == text
    assert [b["name"] for b in box["buttons"]] == ["yes", "no"]
    machine.driver.msgbox(hwnd=box["hwnd"], answer="no")
    assert shower.read_line(timeout=10) == "no"
    assert shower.wait(timeout=10) == 0


@pytest.mark.parametrize("held, verdict", [
    ("tarvo_ok", "pass"),
    ("tarvo_ok ", 'fail: token is "tarvo_ok "'),
    ("TARVO_OK", 'fail: token is "TARVO_OK"'),
    (None, "fail: region missing"),
])
def test_region_checks_see_exactly_the_held_token(machine, held, verdict):
    name = "Tarvo_Harness_region"
    if held is not None:
        holder = machine.hold_region(name, held)
    assert machine.driver.check_region(name, "tarvo_ok") == verdict
    if held is not None:
        holder.kill()
        assert holder.wait(timeout=10) == -9
        assert machine.wait_region(name, "tarvo_ok", expect="fail: region missing") == "fail: region missing"

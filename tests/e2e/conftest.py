"""Fixtures of the end-to-end tests.

wine_session  one Xvfb display and one Korean-locale Wine prefix per pytest run
machine       per test: a fresh program folder, an empty rasdial record, the
              driver; every program the test started is killed at its end and,
              when it failed, a screenshot and the logs land in
              build/e2e-artifacts/<test>/ and a summary is printed
devserver     per test: the reference server on free loopback ports; the
              programs the test starts get its URL in TARVO_SERVER_BASE_URL
client_installed
              per test: the client and its watchdog in the program folder,
              no sign-in file and no Run value from an earlier test
"""

from __future__ import annotations

import re

import pytest

from client_helpers import CLIENT, WATCHDOG, reset_client_state
from harness_devserver import DEVSERVER, DevServer
from harness_wine import WIN_BIN_DIR, Machine, WineSession


@pytest.hookimpl(tryfirst=True, hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    machine = item.funcargs.get("machine") if hasattr(item, "funcargs") else None
    if report.when == "call" and report.failed and isinstance(machine, Machine):
        machine.save_evidence()  # now, while the test's server still runs


@pytest.fixture(scope="session")
def wine_session():
    if not (WIN_BIN_DIR / "tarvo-driver.exe").exists():
        pytest.fail(f"no tarvo-driver.exe in {WIN_BIN_DIR}: run scripts/build win64-testing", pytrace=False)
    session = WineSession()
    try:
        session.start()
        yield session
    finally:
        session.stop()


@pytest.fixture
def machine(wine_session, request):
    name = re.sub(r"[^A-Za-z0-9_.-]+", "-", f"{request.node.path.stem}-{request.node.name}").strip("-")
    machine = Machine(wine_session, name)
    machine.prepare()
    yield machine
    machine.finish()


@pytest.fixture
def devserver(machine):
    if not DEVSERVER.exists():
        pytest.skip(f"{DEVSERVER} is not built yet")
    server = DevServer(machine.session.dir / f"devserver-{machine.artifacts.name}")
    server.start()
    machine.env["TARVO_SERVER_BASE_URL"] = server.base_url
    machine.evidence.append(("the server's last requests", server.last_requests))
    try:
        yield server
    finally:
        server.stop()


@pytest.fixture
def client_installed(machine):
    machine.require(CLIENT, WATCHDOG)
    reset_client_state(machine)
    return machine

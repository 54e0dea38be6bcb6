"""Fixtures of the end-to-end tests.

wine_session  one Xvfb display and one Korean-locale Wine prefix per pytest run
              (per worker with -n: a test file that sets WINE_SESSIONS = N at
              module level runs on N workers with -n auto, as CTest runs them)
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

import ast
import re
from pathlib import Path

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


def wine_sessions_of(test_file: Path) -> int:
    """The WINE_SESSIONS a test file asks for (a module-level number), else 1."""
    try:
        module = ast.parse(test_file.read_text(encoding="utf-8"))
    except (OSError, SyntaxError, ValueError):
        return 1
    for statement in module.body:
        if (isinstance(statement, ast.Assign) and len(statement.targets) == 1
                and isinstance(statement.targets[0], ast.Name) and statement.targets[0].id == "WINE_SESSIONS"
                and isinstance(statement.value, ast.Constant) and isinstance(statement.value.value, int)):
            return max(1, statement.value.value)
    return 1


def pytest_xdist_auto_num_workers(config):
    """With -n auto: as many workers, each with a Wine session of its own, as
    the test files named on the command line ask for; 0 (no workers, the tests
    run in this process) when they ask for one. Files whose tests mostly wait
    on the programs' own timers ask for more."""
    files = [Path(arg.split("::")[0]) for arg in config.args]
    wanted = max((wine_sessions_of(f) for f in files if f.suffix == ".py" and f.is_file()), default=1)
    return wanted if wanted > 1 else 0


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

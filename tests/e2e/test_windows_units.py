"""The unit tests of the Windows adapters (tarvo_windows_tests.exe, GoogleTest),
run under Wine with the platform's own headers, ids and functions. The
transport's tests get a reference server whose ping drips a byte at a time."""

import pytest

from harness_devserver import DEVSERVER, DevServer
from harness_wine import WIN_BIN_DIR


@pytest.fixture
def server(wine_session):
    if not DEVSERVER.exists():
        pytest.skip(f"{DEVSERVER} is not built yet")
    server = DevServer(wine_session.dir / "devserver-windows-units")
    server.start()
    server.admin.post("/faults", {"match": "ping", "mode": "drip", "ms": 5}, expect=201)
    try:
        yield server
    finally:
        server.stop()


def test_the_windows_unit_tests_pass(wine_session, server):
    program = WIN_BIN_DIR / "tarvo_windows_tests.exe"
    assert program.exists(), f"{program} is missing: build it with scripts/build win64-testing"
    completed = wine_session.run_to_end([str(program), "--gtest_brief=0"], timeout=180,
                                        env={"TARVO_TEST_SERVER_URL": server.base_url})
    output = completed.stdout.decode("utf-8", "replace")
    assert completed.returncode == 0, output + completed.stderr.decode("utf-8", "replace")[-4000:]
    assert "[  PASSED  ]" in output, output
    assert "SKIPPED" not in output, output

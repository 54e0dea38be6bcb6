"""The unit tests of the Windows adapters (tarvo_windows_tests.exe, GoogleTest),
run under Wine with the platform's own headers, ids and functions."""

from harness_wine import WIN_BIN_DIR


def test_the_windows_unit_tests_pass(wine_session):
    program = WIN_BIN_DIR / "tarvo_windows_tests.exe"
    assert program.exists(), f"{program} is missing: build it with scripts/build win64-testing"
    completed = wine_session.run_to_end([str(program), "--gtest_brief=0"], timeout=120)
    output = completed.stdout.decode("utf-8", "replace")
    assert completed.returncode == 0, output + completed.stderr.decode("utf-8", "replace")[-4000:]
    assert "[  PASSED  ]" in output, output

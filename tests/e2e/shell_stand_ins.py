"""Recording stand-ins for the programs that the client starts through the
shell: the system tools of the tools window and the web browser.

tarvo-recorder.exe is copied under the programs' names into the program
folder, which the shell and CreateProcess search before the system folders,
and registered as the open command of the file types and URL schemes the
client hands to the shell. Each run appends one line to
C:\\tarvo-test\\started.log: when, under which name, the show state its starter
asked for, and its command line.

Also: the shell's own record of what it was asked to open. With
`trace_shell(machine)` the programs the test starts afterwards write Wine's
"exec" trace to their log, one SHELL_execute line per ShellExecute call with
the verb, file, parameters, folder and show state exactly as given.
"""

from __future__ import annotations

import re
import shutil
import time
from dataclasses import dataclass

from harness_wine import PROGRAM_FOLDER, TEST_FOLDER, WIN_BIN_DIR, WINEDEBUG

from client_helpers import wine

RECORDER = "tarvo-recorder.exe"
STARTED_LOG = TEST_FOLDER / "started.log"
CLASSES = r"HKLM\Software\Classes"


@dataclass
class StartedRun:
    time: float  # seconds since 1970, as time.time()
    program: str  # the file name the stand-in ran under, e.g. "cmd.exe"
    show: int | None  # the SW_ value its starter asked for
    command_line: str

    @staticmethod
    def parse(line: str) -> "StartedRun":
        stamp, program, show, command_line = line.split("\t", 3)
        return StartedRun(int(stamp) / 1000.0, program, None if show == "-" else int(show), command_line)


class ShellStandIns:
    def __init__(self, machine):
        if not (WIN_BIN_DIR / RECORDER).exists():
            raise AssertionError(f"{WIN_BIN_DIR / RECORDER} is not built")
        self.machine = machine
        self.log = machine.session.host_path(STARTED_LOG)
        self._restore: list[tuple[str, str | None]] = []  # registry keys and their former open commands
        self.clear()

    def clear(self) -> None:
        self.log.parent.mkdir(parents=True, exist_ok=True)
        self.log.unlink(missing_ok=True)

    def install(self, *names: str) -> None:
        """Stand-ins named `names` ("cmd.exe", ...) in the program folder."""
        for name in names:
            shutil.copy2(WIN_BIN_DIR / RECORDER, self.machine.program_dir / name)

    def add_file(self, name: str) -> None:
        """An empty file in the program folder, for the shell to find and open."""
        (self.machine.program_dir / name).touch()

    def handle(self, key: str, program: str) -> None:
        """Makes stand-in `program` the open command of class `key` ("http",
        "MSCFile", ...), with the opened file or address as its argument."""
        self.install(program)
        command_key = rf"{CLASSES}\{key}\shell\open\command"
        self._restore.append((command_key, _default_value(self.machine, command_key)))
        _set_default(self.machine, command_key, f'"{PROGRAM_FOLDER / program}" "%1"')

    def associate(self, extension: str, key: str) -> None:
        """Files ending in `extension` (".msc") are of class `key`."""
        extension_key = rf"{CLASSES}\{extension}"
        self._restore.append((extension_key, _default_value(self.machine, extension_key)))
        _set_default(self.machine, extension_key, key)

    def restore(self) -> None:
        """Puts the registry back as it was (the prefix serves the whole session)."""
        for key, value in reversed(self._restore):
            if value is None:
                wine(self.machine, "reg", "delete", key, "/f")
            else:
                _set_default(self.machine, key, value)
        self._restore.clear()

    def runs(self) -> list[StartedRun]:
        try:
            text = self.log.read_text(encoding="utf-8")
        except FileNotFoundError:
            return []
        # A line without its newline is still being written.
        return [StartedRun.parse(line) for line in text.split("\n")[:-1] if line]

    def wait_for(self, count: int = 1, timeout: float = 15.0) -> list[StartedRun]:
        deadline = time.monotonic() + timeout
        while True:
            runs = self.runs()
            if len(runs) >= count or time.monotonic() >= deadline:
                return runs
            time.sleep(0.05)


def _default_value(machine, key: str) -> str | None:
    done = wine(machine, "reg", "query", key, "/ve")
    if done.returncode != 0:
        return None
    for line in done.stdout.decode("utf-8", errors="replace").splitlines():
        _, found, value = line.partition("REG_SZ")
        if found:
            return value.strip()
    return None


def _set_default(machine, key: str, value: str) -> None:
    wine(machine, "reg", "add", key, "/ve", "/d", value, "/f", check=True)


# ---------------------------------------------------------------------------
# Wine's record of the ShellExecute calls


@dataclass
class ShellCall:
    verb: str | None
    file: str | None
    parameters: str | None
    folder: str | None
    show: int


_SHELL_EXECUTE = re.compile(r"trace:exec:SHELL_execute mask=\S+ hwnd=\S+ verb=(?P<verb>\S+) file=(?P<file>L\".*?\"|\(null\)) "
                            r"parm=(?P<parm>L\".*?\"|\(null\)) dir=(?P<dir>L\".*?\"|\(null\)) show=(?P<show>0x[0-9a-f]+)")


def trace_shell(machine) -> None:
    """The programs the test starts from now on record their ShellExecute calls."""
    machine.env["WINEDEBUG"] = f"{WINEDEBUG},trace+exec"


def _traced_text(value: str) -> str | None:
    if value == "(null)":
        return None
    # Wine's debug strings escape backslashes, quotes and control characters.
    return value[2:-1].encode("latin-1", errors="backslashreplace").decode("unicode_escape")


def shell_calls(process) -> list[ShellCall]:
    """The ShellExecute calls a program traced (see trace_shell) so far."""
    calls = []
    for line in process.log_file.read_text(encoding="utf-8", errors="replace").splitlines():
        match = _SHELL_EXECUTE.search(line)
        if match:
            calls.append(ShellCall(_traced_text(match["verb"]), _traced_text(match["file"]),
                                   _traced_text(match["parm"]), _traced_text(match["dir"]), int(match["show"], 16)))
    return calls

"""The Windows side of the end-to-end tests: an Xvfb display, a throw-away
Wine prefix with the Korean locale, the programs under test in their folder,
the test driver, and the record of the stand-in rasdial.

Everything here is plain standard library so that the tests need nothing but
Debian's python3-pytest.
"""

from __future__ import annotations

import fcntl
import itertools
import json
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass
from typing import Callable
from pathlib import Path, PureWindowsPath

REPO_ROOT = Path(__file__).resolve().parents[2]


def _dir_from_env(name: str, default: Path) -> Path:
    value = os.environ.get(name)
    return Path(value).resolve() if value else default


WIN_BIN_DIR = _dir_from_env("TARVO_WIN_BIN_DIR", REPO_ROOT / "build" / "win64-testing" / "bin")
NATIVE_BIN_DIR = _dir_from_env("TARVO_NATIVE_BIN_DIR", REPO_ROOT / "build" / "native" / "bin")
ARTIFACTS_DIR = _dir_from_env("TARVO_E2E_ARTIFACTS", REPO_ROOT / "build" / "e2e-artifacts")
WORK_ROOT = REPO_ROOT / "build" / "e2e-work"
TEMPLATE_ROOT = REPO_ROOT / "build" / "wine-template"
# Bump when the template's contents change, so old templates are not reused.
TEMPLATE_FORMAT = 2

PROGRAM_FOLDER = PureWindowsPath(r"C:\Program Files\Tarvo")
TEST_FOLDER = PureWindowsPath(r"C:\tarvo-test")
DRIVER_PATH = TEST_FOLDER / "bin" / "tarvo-driver.exe"
RASDIAL_LOG = TEST_FOLDER / "rasdial.log"
PROGRAMS = ("Tarvo.exe", "Tarvo_Network.exe")

KOREAN_LOCALE = "ko_KR.UTF-8"
EXPECTED_ACP = 949
# Faces the programs and the system dialogs ask for, which Linux does not have.
FONT_REPLACEMENTS = ("돋움", "Dotum", "굴림", "Gulim", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma")
HANGUL_FONT = "NanumGothic"
HANGUL_SAMPLE = "가나다한글확인"

# Processes of the prefix itself, left alone between tests.
SYSTEM_PROCESSES = {"services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "explorer.exe", "rpcss.exe"}
# Quiet, except the memory-layout errors with which Wine fails to start a
# program now and then (see wine_failed_to_start).
WINEDEBUG = "-all,err+virtual"
# How often the harness looks again while it waits for something: a query of
# the serving driver takes well under a millisecond.
POLL_SECONDS = 0.02
WINE_START_FAILURE = b"failed to map the shared user data"
START_ATTEMPTS = 3
EVIDENCE_LOG_LINES = 15  # of each program's log, printed when a test fails

WINDOWS_PATH = re.compile(r"^[A-Za-z]:\\")
NTDLL_MAPPED = re.compile(rb"/ntdll\.dll$", re.MULTILINE)


class HarnessError(RuntimeError):
    """The test machine itself is broken (not the program under test)."""


class LineReader:
    """Lines from a pipe, each waited for up to a time limit; what comes after
    a line waits in the reader for the next call."""

    def __init__(self, fd: int):
        self.fd = fd
        self.pending = b""

    def read_line(self, timeout: float) -> bytes:
        """The next line without its end; TimeoutError when none is complete in
        time, EOFError when the pipe ends first."""
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            ready, _, _ = select.select([self.fd], [], [], max(deadline - time.monotonic(), 0))
            if not ready:
                raise TimeoutError
            chunk = os.read(self.fd, 65536)
            if not chunk:
                raise EOFError
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line.rstrip(b"\r")


class DriverFailure(AssertionError):
    """tarvo-driver reported a failure (window not found in time, ...)."""

    def __init__(self, args, returncode, stderr):
        super().__init__(f"tarvo-driver {' '.join(args)} -> exit {returncode}: {stderr.strip()}")
        self.returncode = returncode
        self.stderr = stderr


def _which(name: str, fallback: str) -> str:
    return shutil.which(name) or fallback


WINE = _which("wine", "/usr/lib/wine/wine64")
WINESERVER = _which("wineserver", "/usr/lib/wine/wineserver")


def to_windows_path(path: Path) -> str:
    """A Linux path as Wine sees it through drive Z: (the root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# ---------------------------------------------------------------------------
# Display


class Xvfb:
    """A virtual X display of our own: the tests never touch a real one."""

    def __init__(self, log_path: Path):
        self.log_path = log_path
        self.process: subprocess.Popen | None = None
        self.display = ""

    def start(self, timeout: float = 20.0) -> str:
        read_fd, write_fd = os.pipe()
        with open(self.log_path, "ab") as log:
            # -displayfd: the server picks a free display number and reports it.
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 "-noreset"],
                pass_fds=[write_fd], stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        os.close(write_fd)
        try:
            number = LineReader(read_fd).read_line(timeout)
        except TimeoutError:
            raise HarnessError(f"Xvfb gave no display number within {timeout} s (see {self.log_path})") from None
        except EOFError:
            raise HarnessError(f"Xvfb ended at start (see {self.log_path})") from None
        finally:
            os.close(read_fd)
        self.display = ":" + number.decode().strip()
        return self.display

    def stop(self) -> None:
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)


# ---------------------------------------------------------------------------
# Linux view of Wine processes


def _read_proc(pid: int, name: str) -> bytes:
    try:
        with open(f"/proc/{pid}/{name}", "rb") as f:
            return f.read()
    except OSError:
        return b""


def _proc_state(pid: int) -> str:
    stat = _read_proc(pid, "stat").decode(errors="replace")
    end = stat.rfind(")")
    return stat[end + 2:end + 3] if end >= 0 else ""


def pid_running(pid: int) -> bool:
    return _proc_state(pid) not in ("", "Z", "X")


def proc_image(pid: int) -> str:
    """The program of a Wine process as ps shows it: its Windows path."""
    args = _read_proc(pid, "cmdline").split(b"\0")
    return args[0].decode(errors="replace").strip() if args else ""


def proc_env(pid: int) -> dict[str, str]:
    env = {}
    for item in _read_proc(pid, "environ").split(b"\0"):
        key, sep, value = item.decode(errors="replace").partition("=")
        if sep:
            env[key] = value
    return env


def processes_of_prefix(prefix: Path) -> list[int]:
    prefix_text = str(prefix)
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit() and int(entry) != os.getpid():
            pid = int(entry)
            if proc_env(pid).get("WINEPREFIX") == prefix_text and pid_running(pid):
                pids.append(pid)
    return pids


def wait_pids_gone(pids, timeout: float) -> list[int]:
    deadline = time.monotonic() + timeout
    left = [p for p in pids if pid_running(p)]
    while left and time.monotonic() < deadline:
        time.sleep(POLL_SECONDS)
        left = [p for p in left if pid_running(p)]
    return left


def wine_failed_to_start(returncode: int | None, stdout: bytes, stderr: bytes) -> bool:
    """Whether Wine gave up on a program before running it. Now and then the
    address at which Windows keeps its shared user data is already taken in
    the new process (address-space randomisation), and Wine ends it with exit
    code 1; earlier, with all debug channels off, the same failure showed as
    exit 1 without a word. The programs under test and the driver never end
    like that, and a second start succeeds. The message may come with some
    output (reg printing an error of its own after a process it needed was
    refused the same way), so it counts whatever was printed."""
    return returncode == 1 and (WINE_START_FAILURE in stderr or (not stdout and not stderr.strip()))


# ---------------------------------------------------------------------------
# Wine prefix


def wine_env(prefix: Path, display: str, extra: dict[str, str] | None = None) -> dict[str, str]:
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("WINE", "TARVO_SERVER", "LC_")) and k.lower() not in
           ("http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy", "display", "wayland_display",
            "language")}
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": WINEDEBUG,
        # No Mono or Gecko install dialogs, no desktop menu entries on the host.
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "DISPLAY": display,
        "LANG": KOREAN_LOCALE,
        "LC_ALL": KOREAN_LOCALE,
        "TARVO_RASDIAL_LOG": str(RASDIAL_LOG),
    })
    env.update(extra or {})
    return env


def _wine_version() -> str:
    out = subprocess.run([WINE, "--version"], capture_output=True, text=True, timeout=60).stdout.strip()
    return re.sub(r"[^A-Za-z0-9.+-]+", "_", out) or "unknown"


def _registry_file_text() -> str:
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
    lines += [f'"{face}"="{HANGUL_FONT}"' for face in FONT_REPLACEMENTS]
    # Xvfb has no window manager: Wine draws the frames and captions itself,
    # so what is on the screen sits where the windows' rectangles say.
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Managed"="N"']
    # A crashing program must end, not wait behind a crash dialog.
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]", '"ShowCrashDialog"=dword:00000000', ""]
    return "\r\n".join(lines)


def ensure_template(display: str, log) -> Path:
    """The prepared prefix that each session copies, made once per Wine version."""
    inf = Path("/usr/share/wine/wine.inf")
    stamp = int(inf.stat().st_mtime) if inf.exists() else 0
    key = f"{_wine_version()}-{stamp}-ko-v{TEMPLATE_FORMAT}"
    TEMPLATE_ROOT.mkdir(parents=True, exist_ok=True)
    target = TEMPLATE_ROOT / key
    done_marker = target / ".tarvo-template-complete"
    with open(TEMPLATE_ROOT / ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if done_marker.exists():
            return target
        for old in TEMPLATE_ROOT.iterdir():  # templates of another Wine or format
            if old.is_dir():
                shutil.rmtree(old, ignore_errors=True)
        partial = TEMPLATE_ROOT / f"{key}.partial"
        shutil.rmtree(partial, ignore_errors=True)
        shutil.rmtree(target, ignore_errors=True)
        env = wine_env(partial, display)
        started = time.monotonic()
        try:
            subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=log, stderr=log, timeout=300, check=True)
            reg_file = partial / "drive_c" / "tarvo-template.reg"
            reg_file.write_bytes(b"\xff\xfe" + _registry_file_text().encode("utf-16-le"))
            subprocess.run([WINE, "regedit", "/S", r"C:\tarvo-template.reg"], env=env, stdout=log, stderr=log,
                           timeout=120, check=True)
            subprocess.run([WINESERVER, "-w"], env=env, stdout=log, stderr=log, timeout=180, check=True)
        except (subprocess.SubprocessError, OSError) as error:
            subprocess.run([WINESERVER, "-k"], env=env, stdout=log, stderr=log, timeout=60)
            raise HarnessError(f"could not create the Wine prefix template: {error}") from error
        reg_file.unlink()
        (partial / ".tarvo-template-complete").write_text(f"created in {time.monotonic() - started:.1f} s\n")
        partial.rename(target)
        return target


def _remove_stale_sessions() -> None:
    """Work folders of test sessions that died without cleaning up."""
    if not WORK_ROOT.exists():
        return
    for folder in WORK_ROOT.iterdir():
        match = re.match(r"session-(\d+)-", folder.name)
        if not match or pid_running(int(match.group(1))):
            continue
        xvfb_pid = folder / "xvfb.pid"
        if xvfb_pid.exists():
            pid = int(xvfb_pid.read_text() or 0)
            if pid and _read_proc(pid, "comm").strip() == b"Xvfb":
                os.kill(pid, signal.SIGKILL)
        prefix = folder / "prefix"
        if prefix.exists():
            subprocess.run([WINESERVER, "-k"], env=wine_env(prefix, ""), capture_output=True, timeout=60)
            wait_pids_gone(processes_of_prefix(prefix), 10)
        shutil.rmtree(folder, ignore_errors=True)


# ---------------------------------------------------------------------------
# Session: one display and one prefix for a whole pytest run


class WineSession:
    def __init__(self, display: str | None = None):
        """`display`: an X display to use (a person's screen); a private Xvfb otherwise."""
        _remove_stale_sessions()
        WORK_ROOT.mkdir(parents=True, exist_ok=True)
        self.dir = Path(tempfile.mkdtemp(prefix=f"session-{os.getpid()}-", dir=WORK_ROOT)).resolve()
        self.prefix = self.dir / "prefix"
        self.logs = self.dir / "logs"
        self.logs.mkdir()
        self.log_path = self.logs / "session.log"
        self.xvfb = Xvfb(self.logs / "xvfb.log")
        self.display = ""
        self._given_display = display
        self._launches = itertools.count(1)
        self.driver = Driver(self)

    # -- paths

    def host_path(self, windows_path: PureWindowsPath | str) -> Path:
        """The Linux path of a file on drive C: of the prefix."""
        win = PureWindowsPath(windows_path)
        if win.drive.upper() != "C:":
            raise ValueError(f"not on drive C: {win}")
        return self.prefix.joinpath("drive_c", *win.parts[1:])

    # -- life cycle

    def start(self) -> None:
        with open(self.log_path, "ab") as log:
            if self._given_display:
                self.display = self._given_display
            else:
                self.display = self.xvfb.start()
                (self.dir / "xvfb.pid").write_text(str(self.xvfb.process.pid))
            template = ensure_template(self.display, log)
            subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True, timeout=300)
            self._install_tools()
            # Kept running for the whole session: each program starts faster.
            subprocess.run([WINESERVER, "-p"], env=self.env(), stdout=log, stderr=log, timeout=60, check=True)
            # The first program starts the prefix's services and desktop (which
            # keep its standard handles: files, never a test's pipe).
            first = self.run_to_end([str(DRIVER_PATH), "list-windows"], timeout=120)
            log.write(first.stderr)
            first.check_returncode()
        self._check_locale()

    def stop(self) -> None:
        try:
            self.driver.stop()
            if self.prefix.exists():
                subprocess.run([WINESERVER, "-k"], env=self.env(), capture_output=True, timeout=60)
                left = wait_pids_gone(processes_of_prefix(self.prefix), 15)
                for pid in left:
                    os.kill(pid, signal.SIGKILL)
                wait_pids_gone(left, 5)
        finally:
            self.xvfb.stop()
            if os.environ.get("TARVO_E2E_KEEP_PREFIX") != "1":
                shutil.rmtree(self.dir, ignore_errors=True)

    def _install_tools(self) -> None:
        driver = WIN_BIN_DIR / "tarvo-driver.exe"
        rasdial = WIN_BIN_DIR / "rasdial.exe"
        for tool in (driver, rasdial):
            if not tool.exists():
                raise HarnessError(f"{tool} is missing: build it with scripts/build win64-testing")
        self.host_path(DRIVER_PATH).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(driver, self.host_path(DRIVER_PATH))
        # On the system path, where "cmd.exe /C rasdial ..." finds it (Wine has no rasdial of its own).
        shutil.copy2(rasdial, self.host_path(r"C:\windows\system32\rasdial.exe"))

    def _check_locale(self) -> None:
        locale = self.driver.json("locale")
        if locale["acp"] != EXPECTED_ACP:
            raise HarnessError(f"the Wine prefix runs ANSI code page {locale['acp']}, not {EXPECTED_ACP}: "
                               f"is the {KOREAN_LOCALE} locale generated (locale -a)? {locale}")
        for face in ("돋움", "MS Shell Dlg"):
            font = self.driver.json("font-check", face, HANGUL_SAMPLE)
            if font["missing"]:
                raise HarnessError(f"font {face!r} has no Hangul glyphs in the prefix (got {font['selected']!r}); "
                                   f"is fonts-nanum installed?")

    # -- processes

    def env(self, extra: dict[str, str] | None = None) -> dict[str, str]:
        return wine_env(self.prefix, self.display, extra)

    def launch(self, program: PureWindowsPath | str, *args: str, env: dict[str, str] | None = None,
               cwd: Path | None = None, stdout=None) -> "WinProcess":
        """Starts a Windows program (its path on drive C:) under Wine."""
        program = PureWindowsPath(program)
        number = next(self._launches)
        log_file = self.logs / f"{number:03d}-{program.name}.log"
        for attempt in range(START_ATTEMPTS):
            with open(log_file, "ab") as log:
                popen = subprocess.Popen([WINE, str(program), *args], env=self.env(env),
                                         cwd=str(cwd or self.host_path(TEST_FOLDER)), stdin=subprocess.DEVNULL,
                                         stdout=stdout if stdout is not None else log, stderr=log)
            process = WinProcess(program, popen, log_file)
            # Returned once Wine has loaded it, so that a failed start can be told.
            process.wait_for_image()
            if process.running() or attempt == START_ATTEMPTS - 1:
                return process
            # The log holds its stderr (and its stdout, unless the caller reads that).
            if not wine_failed_to_start(popen.wait(), stdout=b"", stderr=log_file.read_bytes()):
                return process
            self._note_failed_start([str(program), *args])
        return process

    def run_to_end(self, args: list[str], cwd: Path | None = None, timeout: float = 60,
                   env: dict[str, str] | None = None) -> subprocess.CompletedProcess:
        """Runs a Windows program (or a Wine command such as "reg") under Wine
        to its end; its output comes back as bytes."""
        # Files, not pipes: a Wine service started along with the program
        # would inherit a pipe and keep it open, so its end would never be seen.
        for attempt in range(START_ATTEMPTS):
            with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
                completed = subprocess.run([WINE, *args], env=self.env(env),
                                           cwd=str(cwd or self.host_path(TEST_FOLDER)), stdin=subprocess.DEVNULL,
                                           stdout=out, stderr=err, timeout=timeout)
                out.seek(0)
                err.seek(0)
                completed.stdout, completed.stderr = out.read(), err.read()
            if attempt == START_ATTEMPTS - 1 or not wine_failed_to_start(completed.returncode, completed.stdout,
                                                                         completed.stderr):
                break
            self._note_failed_start(args)
        return completed

    def _note_failed_start(self, args: list[str]) -> None:
        note = f"{time.strftime('%H:%M:%S')} Wine failed to start {' '.join(args)!r}: once more"
        print(note)
        with open(self.logs / "wine-start-failures.log", "a", encoding="utf-8") as log:
            log.write(note + "\n")

    def test_processes(self) -> list[int]:
        """Linux pids of every process of the prefix except the wineserver and
        the prefix's own services (including programs still being loaded)."""
        pids = []
        for pid in processes_of_prefix(self.prefix):
            if pid == self.driver.pid:  # serves the whole session
                continue
            image = proc_image(pid)
            if Path(image.split(" ")[0]).name.startswith("wineserver"):
                continue
            if WINDOWS_PATH.match(image):
                win = PureWindowsPath(image)
                if win.name.lower() in SYSTEM_PROCESSES and str(win.parent).lower() == r"c:\windows\system32":
                    continue
            pids.append(pid)
        return pids

    def pids_of(self, program_name: str) -> list[int]:
        """Linux pids of the running copies of a program (by file name), however they were started."""
        return [pid for pid in processes_of_prefix(self.prefix)
                if WINDOWS_PATH.match(image := proc_image(pid))
                and PureWindowsPath(image).name.lower() == program_name.lower()]

    def kill_test_processes(self) -> None:
        for _ in range(3):  # a program may have started another one just before
            pids = self.test_processes()
            if not pids:
                return
            # Stopped first, so that none sees another die and reacts (a
            # watchdog hanging up into the next test's rasdial record).
            for sig in (signal.SIGSTOP, signal.SIGKILL):
                for pid in pids:
                    try:
                        os.kill(pid, sig)
                    except ProcessLookupError:
                        pass
            left = wait_pids_gone(pids, 10)
            if left:
                raise HarnessError(f"processes {left} outlived kill -9")
        if self.test_processes():
            raise HarnessError(f"test processes keep coming back: {self.test_processes()}")


class WinProcess:
    """A program started under Wine. Started by its full Windows path, the
    Wine process is the very Linux process that was spawned, so its pid is the
    one ps shows with the program's path."""

    def __init__(self, program: PureWindowsPath, popen: subprocess.Popen, log_file: Path):
        self.program = program
        self.popen = popen
        self.log_file = log_file
        self._stdout: LineReader | None = None

    @property
    def pid(self) -> int:
        return self.popen.pid

    def running(self) -> bool:
        return self.popen.poll() is None

    def wait(self, timeout: float) -> int:
        """The exit code; AssertionError when the program is still running after `timeout`."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"{self.program.name} still runs after {timeout} s") from None

    def wait_for_image(self, timeout: float = 20.0) -> None:
        """Waits until Wine has loaded the program: ps shows its Windows path
        and Wine's ntdll.dll is mapped, which is past the point where Wine may
        give up on a new process (see wine_failed_to_start)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            image = proc_image(self.pid)
            if WINDOWS_PATH.match(image):
                if PureWindowsPath(image).name.lower() != self.program.name.lower():
                    raise HarnessError(f"pid {self.pid} runs {image}, not {self.program}")
                if NTDLL_MAPPED.search(_read_proc(self.pid, "maps")):
                    return
            if not self.running():
                return
            time.sleep(0.02)
        raise HarnessError(f"{self.program} was not loaded within {timeout} s")

    def kill(self) -> float:
        """kill -9, as a crash or the task manager would; returns the time of the kill."""
        self.wait_for_image()
        killed_at = time.time()
        os.kill(self.pid, signal.SIGKILL)
        return killed_at

    def read_line(self, timeout: float) -> str:
        """The next line of the program's stdout (when started with stdout=PIPE)."""
        if self._stdout is None:
            self._stdout = LineReader(self.popen.stdout.fileno())
        try:
            return self._stdout.read_line(timeout).decode("utf-8")
        except TimeoutError:
            raise AssertionError(f"{self.program.name} printed no line within {timeout} s") from None
        except EOFError:
            raise AssertionError(f"{self.program.name} ended (exit {self.popen.wait()}) before printing a line;"
                                 f" log: {self.log_file.read_text(errors='replace')[-2000:]}") from None


# ---------------------------------------------------------------------------
# The test driver


def _window_options(cls=None, exe=None, pid=None, hwnd=None, visible=False, timeout_ms=None) -> list[str]:
    options = []
    for name, value in (("--class", cls), ("--exe", exe), ("--pid", pid), ("--hwnd", hwnd),
                        ("--timeout", timeout_ms)):
        if value is not None:
            options += [name, str(value)]
    if visible:
        options.append("--visible")
    return options


class Driver:
    """tarvo-driver.exe serving inside the session's prefix: started once (with
    a retry when Wine fails to start it), then one JSON line per command on
    its stdin and one answer on its stdout."""

    def __init__(self, session: WineSession):
        self.session = session
        self._process: subprocess.Popen | None = None
        self._answers: LineReader | None = None

    @property
    def pid(self) -> int | None:
        return self._process.pid if self._process is not None and self._process.poll() is None else None

    def _start(self) -> None:
        log_path = self.session.logs / "driver.log"
        for attempt in range(START_ATTEMPTS):
            with open(log_path, "ab") as log:
                # Its stdout is a pipe: the prefix's services are already running
                # (the session's first program started them), so none inherits it.
                process = subprocess.Popen([WINE, str(DRIVER_PATH), "serve"], env=self.session.env(),
                                           cwd=str(self.session.host_path(TEST_FOLDER)), stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, stderr=log)
            self._process, self._answers = process, LineReader(process.stdout.fileno())
            try:
                if json.loads(self._answers.read_line(60)).get("ready"):
                    return
            except (EOFError, TimeoutError, ValueError, AttributeError):
                pass
            self.stop()
            if attempt == START_ATTEMPTS - 1:
                raise HarnessError(f"tarvo-driver serve did not start; see {log_path}")
            self.session._note_failed_start([str(DRIVER_PATH), "serve"])

    def stop(self) -> None:
        process, self._process = self._process, None
        if process is None:
            return
        try:
            process.stdin.close()
            process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            process.kill()
            process.wait(timeout=10)
        process.stdout.close()

    def run(self, *args, timeout_ms: int | None = None, check: bool = True) -> str:
        args = [str(a) for a in args]
        # The driver's own timeout, and a margin.
        limit = (timeout_ms if timeout_ms is not None else 10000) / 1000 + 30
        if self._process is None or self._process.poll() is not None:
            self._start()
        try:
            self._process.stdin.write(json.dumps(args).encode("utf-8") + b"\n")
            self._process.stdin.flush()
            answer = json.loads(self._answers.read_line(limit))
        except (OSError, EOFError, TimeoutError) as error:
            self.stop()  # the next command starts a new one
            raise HarnessError(f"tarvo-driver {' '.join(args)}: no answer ({error!r})") from error
        if check and answer["code"] != 0:
            raise DriverFailure(args, answer["code"], answer["err"])
        stdout = answer["out"]
        return stdout[:-1] if stdout.endswith("\n") else stdout

    def json(self, *args, **kwargs) -> dict:
        return json.loads(self.run(*args, **kwargs))

    def json_lines(self, *args, **kwargs) -> list[dict]:
        return [json.loads(line) for line in self.run(*args, **kwargs).splitlines() if line.strip()]

    # -- windows (title "*" matches any title)

    def wait_window(self, title="*", timeout_ms=10000, **filters) -> dict:
        return self.json("wait-window", title, *_window_options(timeout_ms=timeout_ms, **filters),
                         timeout_ms=timeout_ms)

    def wait_gone(self, title="*", timeout_ms=10000, **filters) -> None:
        self.run("wait-gone", title, *_window_options(timeout_ms=timeout_ms, **filters), timeout_ms=timeout_ms)

    def list_windows(self, title="*", **filters) -> list[dict]:
        return self.json_lines("list-windows", title, *_window_options(**filters))

    def list_controls(self, title="*", **filters) -> list[dict]:
        return self.json_lines("list-controls", title, *_window_options(**filters))

    def text(self, title, control_id, **filters) -> str:
        return self.run("text", title, control_id, *_window_options(**filters))

    def set_text(self, title, control_id, text, **filters) -> None:
        self.run("set-text", title, control_id, text, *_window_options(**filters))

    def click(self, title, control_id, command=False, force=False, **filters) -> None:
        flags = (["--command"] if command else []) + (["--force"] if force else [])
        self.run("click", title, control_id, *flags, *_window_options(**filters))

    def enabled(self, title, control_id, **filters) -> bool:
        return self.run("enabled", title, control_id, *_window_options(**filters)) == "true"

    def checked(self, title, control_id, **filters) -> bool:
        return self.run("checked", title, control_id, *_window_options(**filters)) == "true"

    def rect(self, title, control_id, **filters) -> tuple[int, int, int, int]:
        """x, y, width, height of a control in its window's client pixels."""
        x, y, w, h = (int(v) for v in self.run("rect", title, control_id, *_window_options(**filters)).split())
        return x, y, w, h

    def visible(self, title, control_id, **filters) -> bool:
        return self.run("visible", title, control_id, *_window_options(**filters)) == "true"

    def post(self, title, message: int, wparam: int, lparam: int, **filters) -> None:
        """Posts a message to the window, as any program of the desktop could."""
        self.run("post", title, message, wparam, lparam, *_window_options(**filters))

    def msgbox(self, answer=None, caption=None, timeout_ms=10000, **filters) -> dict:
        """The shown message box (optionally of one program): caption, text, buttons.
        With `answer` ("ok", "yes", "no", ...) it is answered and gone on return."""
        options = _window_options(timeout_ms=timeout_ms, **filters)
        if caption is not None:
            options += ["--caption", caption]
        if answer is not None:
            options += ["--answer", answer]
        return self.json("msgbox", *options, timeout_ms=2 * timeout_ms)

    # -- input

    def mouse(self, action: str, x: int | None = None, y: int | None = None, button: str = "left",
              title: str | None = None, control: int | None = None, **filters) -> tuple[int, int]:
        """Real mouse input; action: move, down, up or click. (x, y) are screen
        pixels, or, with a window given by `title` or the filters (and a
        `control` id), pixels of its client area, its centre when left out.
        Returns the screen point."""
        args = [] if x is None else [x, y]
        if action != "move":
            args += ["--button", button]
        if title is not None:
            args += ["--title", title]
        if control is not None:
            args += ["--control", control]
        point = self.json(f"mouse-{action}", *args, *_window_options(**filters))
        return point["x"], point["y"]

    def cursor(self) -> dict:
        """Where the mouse is and the window under it."""
        return self.json("cursor")

    # -- regions and processes

    def check_region(self, name: str, token: str) -> str:
        """"pass", or "fail: <why>"."""
        return self.run("check-region", name, token)

    def process_alive(self, exe_name: str) -> bool:
        return self.run("process-alive", exe_name).startswith("alive")

    def locale(self) -> dict:
        return self.json("locale")

    def screenshot_bmp(self, bmp: Path, title=None, **filters) -> None:
        args = ["screenshot", to_windows_path(bmp)]
        if title is not None or filters:
            args += [title or "*", *_window_options(**filters)]
        self.run(*args)


# ---------------------------------------------------------------------------
# One test's view of the machine


def _worth_showing(window: dict) -> bool:
    if window["class"] == "IME":
        return False
    return window["visible"] or window.get("exe", "").lower() not in SYSTEM_PROCESSES


class Machine:
    """What a test works with: the driver, the rasdial record, a fresh program
    folder, and the programs it starts (all ended when the test ends)."""

    def __init__(self, session: WineSession, test_name: str):
        self.session = session
        self.driver = session.driver
        self.rasdial = RasdialLog(session.host_path(RASDIAL_LOG))
        self.program_dir = session.host_path(PROGRAM_FOLDER)
        self.artifacts = ARTIFACTS_DIR / test_name
        # Extra environment of the programs this test starts (the server's URL, ...).
        self.env: dict[str, str] = {}
        self.processes: list[WinProcess] = []
        # More to print when the test fails: (heading, function returning lines).
        self.evidence: list[tuple[str, Callable[[], list[str]]]] = []

    def prepare(self) -> None:
        self.session.kill_test_processes()
        self.rasdial.clear()
        shutil.rmtree(self.program_dir, ignore_errors=True)
        self.program_dir.mkdir(parents=True)
        for program in PROGRAMS:
            if (WIN_BIN_DIR / program).exists():
                self.install(program)

    def finish(self) -> None:
        for process in self.processes:
            if process.popen.stdout:
                process.popen.stdout.close()
        self.session.kill_test_processes()

    def save_evidence(self) -> None:
        """Keeps a screenshot, the windows and the programs' logs, and prints
        a summary of them: a CI log is often all there is to look at."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        print(f"\n--- evidence of the failure (files in {self.artifacts})")
        try:
            self.screenshot("failure")
            windows = self.driver.run("list-windows")
            (self.artifacts / "windows.jsonl").write_text(windows + "\n", encoding="utf-8")
            print("top-level windows (without the prefix's own hidden ones):")
            for line in windows.splitlines():
                window = json.loads(line)
                if _worth_showing(window):
                    print(f"  {line}")
                if window["visible"]:  # what it says: a message box's text, say
                    texts = [c["text"] for c in self.driver.list_controls(hwnd=window["hwnd"]) if c.get("text")]
                    print(f"    texts: {texts}")
        except (AssertionError, HarnessError, subprocess.SubprocessError, OSError) as error:
            (self.artifacts / "evidence-error.txt").write_text(str(error), encoding="utf-8")
            print(f"no screenshot or window list: {error}")
        print("programs of the prefix still running:",
              ", ".join(proc_image(pid) for pid in self.session.test_processes()) or "none")
        for process in self.processes:
            state = "running" if process.running() else f"exit code {process.popen.returncode}"
            print(f"{process.log_file.name} (pid {process.pid}, {state})")
            if process.log_file.exists():
                shutil.copy2(process.log_file, self.artifacts / process.log_file.name)
                for line in process.log_file.read_text(errors="replace").splitlines()[-EVIDENCE_LOG_LINES:]:
                    print(f"  | {line}")
        if self.rasdial.path.exists():
            shutil.copy2(self.rasdial.path, self.artifacts / "rasdial.log")
            print("rasdial record:", *self.rasdial.path.read_text(errors="replace").splitlines(), sep="\n  ")
        for heading, lines in self.evidence:
            try:
                print(f"{heading}:", *lines(), sep="\n  ")
            except Exception as error:  # evidence must never hide the failure itself
                print(f"{heading}: unavailable ({error})")
        print("--- end of the evidence")

    # -- programs

    @staticmethod
    def require(*programs: str) -> None:
        """Skips the test when a program under test has not been built."""
        import pytest

        missing = [p for p in programs if not (WIN_BIN_DIR / p).exists()]
        if missing:
            pytest.skip(f"not built yet: {', '.join(missing)} (in {WIN_BIN_DIR})")

    def install(self, program: str, as_name: str | None = None) -> PureWindowsPath:
        """Copies a built program into the program folder, optionally under another file name."""
        shutil.copy2(WIN_BIN_DIR / program, self.program_dir / (as_name or program))
        return PROGRAM_FOLDER / (as_name or program)

    def start(self, program: PureWindowsPath | str, *args: str, env: dict[str, str] | None = None,
              stdout=None) -> WinProcess:
        program = PureWindowsPath(program)
        cwd = self.program_dir if program.parent == PROGRAM_FOLDER else None
        process = self.session.launch(program, *args, env={**self.env, **(env or {})}, cwd=cwd, stdout=stdout)
        self.processes.append(process)
        return process

    def start_program(self, program: str) -> WinProcess:
        """Starts a program of the program folder, installing it first if needed."""
        if not (self.program_dir / program).exists():
            self.install(program)
        return self.start(PROGRAM_FOLDER / program)

    def kill_program(self, program_name: str) -> float:
        """kill -9 every running copy of a program, also one that another
        program started; returns the time of the kill."""
        pids = self.session.pids_of(program_name)
        if not pids:
            raise AssertionError(f"{program_name} is not running")
        killed_at = time.time()
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        return killed_at

    def wait_program_gone(self, program_name: str, timeout: float = 10.0) -> None:
        left = wait_pids_gone(self.session.pids_of(program_name), timeout)
        if left:
            raise AssertionError(f"{program_name} still runs after {timeout} s (pids {left})")

    def hold_region(self, name: str, token: str) -> WinProcess:
        """A process that owns liveness region `name` holding `token` until it is killed."""
        holder = self.start(DRIVER_PATH, "hold-region", name, token, stdout=subprocess.PIPE)
        line = holder.read_line(timeout=30)
        if line != "ready":
            raise HarnessError(f"hold-region printed {line!r}")
        return holder

    def wait_region(self, name: str, token: str, expect: str = "pass", timeout: float = 15.0) -> str:
        """Checks the region until the verdict is `expect`; returns the last verdict."""
        deadline = time.monotonic() + timeout
        verdict = self.driver.check_region(name, token)
        while verdict != expect and time.monotonic() < deadline:
            time.sleep(POLL_SECONDS)
            verdict = self.driver.check_region(name, token)
        return verdict

    def measured(self, what: str, seconds: float) -> None:
        """Prints a timing and keeps it in build/e2e-artifacts/measurements.tsv."""
        print(f"{what}: {seconds * 1000:.0f} ms")
        ARTIFACTS_DIR.mkdir(parents=True, exist_ok=True)
        with open(ARTIFACTS_DIR / "measurements.tsv", "a", encoding="utf-8") as table:
            table.write(f"{time.strftime('%Y-%m-%d %H:%M:%S')}\t{self.artifacts.name}\t{what}\t"
                        f"{seconds * 1000:.0f} ms\n")

    def screenshot(self, label: str, title=None, **filters) -> Path:
        """The screen (or one window) as build/e2e-artifacts/<test>/<label>.png."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        bmp = self.session.dir / f"{label}.bmp"
        self.driver.screenshot_bmp(bmp, title, **filters)
        png = self.artifacts / f"{label}.png"
        if shutil.which("convert"):
            subprocess.run(["convert", str(bmp), str(png)], check=True, capture_output=True, timeout=60)
            bmp.unlink()
            return png
        target = self.artifacts / bmp.name
        shutil.move(bmp, target)
        return target


# ---------------------------------------------------------------------------
# The stand-in rasdial's record


@dataclass
class RasdialRun:
    time: float  # seconds since 1970, as time.time()
    command_line: str  # as the program received it
    args: str  # the command line without the program name

    @staticmethod
    def parse(line: str) -> "RasdialRun":
        stamp, _, command_line = line.partition("\t")
        return RasdialRun(int(stamp) / 1000.0, command_line, _arguments_of(command_line))


def _arguments_of(command_line: str) -> str:
    """Drops the program name the way Windows programs split their command line."""
    text = command_line.lstrip(" \t")
    if text.startswith('"'):
        end = text.find('"', 1)
        rest = "" if end < 0 else text[end + 1:]
    else:
        match = re.match(r"[^ \t]*", text)
        rest = text[match.end():]
    return rest.lstrip(" \t")


class RasdialLog:
    def __init__(self, path: Path):
        self.path = path

    def clear(self) -> None:
        self.path.parent.mkdir(parents=True, exist_ok=True)
        self.path.unlink(missing_ok=True)

    def runs(self) -> list[RasdialRun]:
        try:
            text = self.path.read_text(encoding="utf-8")
        except FileNotFoundError:
            return []
        # A line without its newline is still being written.
        return [RasdialRun.parse(line) for line in text.split("\n")[:-1] if line]

    def wait_for(self, count: int = 1, timeout: float = 10.0) -> list[RasdialRun]:
        deadline = time.monotonic() + timeout
        while True:
            runs = self.runs()
            if len(runs) >= count or time.monotonic() >= deadline:
                return runs
            time.sleep(0.02)

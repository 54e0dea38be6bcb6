"""The update: the question answered Yes opens the update window, which
downloads the installer into a fresh folder of the temporary folder with a
percentage and a progress bar and launches it only when it arrived whole,
matches the digest of the version reply and carries the signature of the key
the client was built with; the client then ends. The real installer puts a
client in place that starts without the question, installs silently, ends
the running client of its own folder first, keeps the saved preferences over
an update, and uninstalls."""

from __future__ import annotations

import shutil
import subprocess
import sys
import time
from pathlib import Path, PureWindowsPath

import pytest

from harness_devserver import DevServer
from harness_wine import REPO_ROOT, TEST_FOLDER, WIN_BIN_DIR

from client_helpers import (CLIENT, MSG_UPDATE, MSG_UPDATE_REFUSED, RUN_KEY, TITLE, WATCHDOG, in_front, login_window, start_client,
                            wait_until, wine)

sys.path.insert(0, str(REPO_ROOT / "installer"))
import signing  # noqa: E402  (the tool that signs the installer at build time)

WINE_SESSIONS = 2  # Wine sessions at once under pytest -n auto, as CTest runs it (conftest.py)

UPDATE_TITLE = "Tarvo 업데이트"
PERCENT, STATUS_LINE, PROGRESS = 1025, 1026, 1029
STATUS_TEXT = "업데이트 다운로드 중..."
NEWER_VERSION = "1.0.2.7"
SETUP = "Tarvo_setup.exe"
SCREEN = (1280, 1024)

UPDATE_FOLDERS = "Tarvo-update-*"
# The key the programs under test were built with (their build folder's throw-away key).
SIGNING_KEY = WIN_BIN_DIR.parent / "signing" / "installer-signing-key.pem"

TRACE = TEST_FOLDER / "update-trace.txt"
FAKE_SETUP_LOG = TEST_FOLDER / "fake-setup.log"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvo"


@pytest.fixture(scope="session")
def fake_setup(tmp_path_factory) -> bytes:
    """A stand-in installer of exactly 2,048 bytes that records where it ran."""
    compiler = shutil.which("x86_64-w64-mingw32-gcc") or shutil.which("x86_64-w64-mingw32-gcc-posix")
    if compiler is None:
        pytest.skip("no x86_64-w64-mingw32-gcc for the stand-in installer")
    exe = tmp_path_factory.mktemp("fake-setup") / "fake_setup.exe"
    subprocess.run([compiler, "-Os", "-nostdlib", "-s", "-e", "start", "-mwindows", "-fno-ident",
                    "-fno-asynchronous-unwind-tables", "-Wl,--file-alignment=512", "-o", str(exe),
                    str(Path(__file__).with_name("fake_setup.c")), "-lkernel32"],
                   check=True, capture_output=True, timeout=120)
    program = exe.read_bytes()
    assert len(program) <= 2048, f"the stand-in installer has {len(program)} bytes"
    return program + bytes(2048 - len(program))  # trailing bytes a program file may carry


def temp_folder(machine) -> Path:
    """The user's temporary folder (where Wine keeps it)."""
    users = machine.session.host_path(r"C:\users")
    folders = sorted(users.glob("*/Temp")) + sorted(users.glob("*/AppData/Local/Temp"))
    assert folders, "no temporary folder in the prefix"
    return folders[0]


def windows_path(machine, host: Path) -> PureWindowsPath:
    return PureWindowsPath("C:\\", *host.relative_to(machine.session.host_path("C:\\")).parts)


@pytest.fixture(scope="session")
def other_key(tmp_path_factory) -> Path:
    key = tmp_path_factory.mktemp("other-key") / "key.pem"
    signing.keygen(key)
    return key


def update_folders(machine) -> list[Path]:
    return sorted(temp_folder(machine).glob(UPDATE_FOLDERS))


@pytest.fixture
def machine(client_installed):
    machine = client_installed
    temp = temp_folder(machine)
    (temp / SETUP).unlink(missing_ok=True)
    for folder in update_folders(machine):
        shutil.rmtree(folder)
    for record in (TRACE, FAKE_SETUP_LOG):
        machine.session.host_path(record).unlink(missing_ok=True)
    machine.env["TARVO_UPDATE_TRACE"] = str(TRACE)
    return machine


def request_names(devserver) -> list[str]:
    return [r["name"] for r in devserver.admin.get("/requests")]


def offer_update(machine, devserver, installer: bytes | Path | None, signed_with: Path | None = SIGNING_KEY):
    """Serves `installer` (None: no installer, and so no digest in the version
    reply) with a newer version, its bytes signed with `signed_with` (None:
    no signature), starts the client and waits for the update question."""
    if isinstance(installer, bytes):
        path = devserver.work_dir / "installer.bin"
        path.write_bytes(installer)
        Path(str(path) + ".sig").unlink(missing_ok=True)
        if signed_with is not None:
            signing.sign(signed_with, path)
        installer = path
    devserver.admin.patch("/config", {"version": NEWER_VERSION,
                                      "installer_file": None if installer is None else str(installer)})
    client = start_client(machine, devserver)
    box = machine.driver.msgbox(caption=TITLE, exe=CLIENT, timeout_ms=20000)
    assert box["text"] == MSG_UPDATE
    return client


def trace(machine) -> list[list[str]]:
    """What the update window showed: event, percentage text, bar position, status line."""
    path = machine.session.host_path(TRACE)
    return [line.split("\t") for line in path.read_text(encoding="utf-8").splitlines()] if path.exists() else []


def setup_runs(machine) -> list[str]:
    path = machine.session.host_path(FAKE_SETUP_LOG)
    return path.read_text(encoding="utf-16-le").splitlines() if path.exists() else []


def update_window(machine) -> dict:
    return machine.driver.wait_window(UPDATE_TITLE, exe=CLIENT, visible=True, timeout_ms=15000)


def test_yes_downloads_in_reads_with_the_progress_shown_and_launches_the_installer(machine, devserver, fake_setup):
    client = offer_update(machine, devserver, fake_setup)
    # The download is held at the server while the window is looked at.
    held = devserver.admin.post("/faults", {"match": "installer", "mode": "hang"}, expect=201)
    machine.driver.msgbox(answer="yes", exe=CLIENT)
    window = update_window(machine)
    hwnd = window["hwnd"]
    left, top, right, bottom = window["rect"]
    assert (right - left, bottom - top) == (470, 143)
    assert (left, top) == ((SCREEN[0] - 470) // 2, (SCREEN[1] - 143) // 2)
    assert machine.driver.rect(UPDATE_TITLE, STATUS_LINE, hwnd=hwnd) == (42, 20, 160, 15)
    assert machine.driver.rect(UPDATE_TITLE, PERCENT, hwnd=hwnd) == (322, 81, 100, 15)
    assert machine.driver.rect(UPDATE_TITLE, PROGRESS, hwnd=hwnd) == (42, 52, 380, 24)
    assert machine.driver.text(UPDATE_TITLE, STATUS_LINE, hwnd=hwnd) == STATUS_TEXT
    assert machine.driver.text(UPDATE_TITLE, PERCENT, hwnd=hwnd) == "0 %"
    machine.screenshot("update-window", hwnd=hwnd)
    wait_until(lambda: "installer" in request_names(devserver), what="the download request")
    devserver.admin.delete(f"/faults/{held['id']}")

    assert client.wait(timeout=30) == 0
    # Two reads of 1024 bytes, then ten empty reads: each change of the
    # percentage is shown once; the status line never changes.
    shown = [["start", "0 %", "0"], ["read", "50 %", "50"], ["read", "100 %", "100"]]
    assert [line[:3] for line in trace(machine)] == shown + [["launched", "100 %", "100"]]
    assert {line[3] for line in trace(machine)} == {STATUS_TEXT}
    # Launched by its name from a fresh folder of the temporary folder, where it stays.
    runs = wait_until(lambda: setup_runs(machine), what="the installer's run")
    [folder] = update_folders(machine)
    assert [PureWindowsPath(run) for run in runs] == [windows_path(machine, folder / SETUP)]
    assert [f.name for f in folder.iterdir()] == [SETUP]
    assert (folder / SETUP).read_bytes() == fake_setup
    assert not (temp_folder(machine) / SETUP).exists()
    assert request_names(devserver) == ["version", "installer"]
    assert not machine.driver.list_windows(TITLE, visible=True)


def test_no_downloads_nothing_and_ends(machine, devserver, fake_setup):
    client = offer_update(machine, devserver, fake_setup)
    machine.driver.msgbox(answer="no", exe=CLIENT)
    assert client.wait(timeout=15) == 0
    assert request_names(devserver) == ["version"]
    assert trace(machine) == [] and not (temp_folder(machine) / SETUP).exists()


FAILURES = ["unreachable", "cut-off", "wrong-digest", "not-found", "window-closed", "unsigned", "other-key",
            "overlong", "silent"]


def answer_the_refusal(machine) -> None:
    """A refused download is told in an OK box titled Tarvo, and nothing is launched while it shows."""
    box = machine.driver.msgbox(exe=CLIENT, timeout_ms=90000)
    assert (box["caption"], box["text"]) == (TITLE, MSG_UPDATE_REFUSED)
    assert setup_runs(machine) == []
    machine.driver.msgbox(answer="ok", exe=CLIENT)


@pytest.mark.parametrize("failure", FAILURES)
def test_a_failed_download_launches_nothing_not_even_an_earlier_installer(machine, devserver, fake_setup,
                                                                           other_key, failure):
    # What earlier updates left: an installer in the temporary folder itself
    # (as older clients kept it), which must not be launched, and a partial
    # download in an update folder, which a new download clears away.
    stale = temp_folder(machine) / SETUP
    stale.write_bytes(fake_setup)
    partial = temp_folder(machine) / "Tarvo-update-0badf00d"
    partial.mkdir()
    (partial / SETUP).write_bytes(fake_setup[:1000])
    # Not found: a short error page with its whole length, and no digest to compare.
    # Unsigned, other key: the right length and digest, but no signature by the build's key.
    signed_with = {"unsigned": None, "other-key": other_key}.get(failure, SIGNING_KEY)
    client = offer_update(machine, devserver, None if failure == "not-found" else fake_setup, signed_with)
    if failure == "unreachable":
        devserver.stop()
    elif failure == "cut-off":  # the whole length announced, half the bytes sent
        devserver.admin.post("/faults", {"match": "installer", "mode": "truncate"}, expect=201)
    elif failure == "overlong":  # a byte more sent than announced
        devserver.admin.post("/faults", {"match": "installer", "mode": "overlong"}, expect=201)
    elif failure == "wrong-digest":  # the file changed after the version reply named its digest
        other = devserver.work_dir / "other.bin"
        other.write_bytes(fake_setup[:-1] + b"\x01")
        devserver.admin.patch("/config", {"installer_file": str(other)})
    elif failure == "window-closed":
        devserver.admin.post("/faults", {"match": "installer", "mode": "hang"}, expect=201)
    elif failure == "silent":  # no reply head for longer than the download's read time-out (30 s)
        devserver.admin.post("/faults", {"match": "installer", "mode": "hang", "seconds": 50}, expect=201)
    machine.driver.msgbox(answer="yes", exe=CLIENT)
    if failure == "window-closed":
        window = update_window(machine)
        wait_until(lambda: "installer" in request_names(devserver), what="the download request")
        wait_until(lambda: in_front(machine.driver, window), what="the update window in front")
        machine.driver.run("key", "escape")
    else:
        answer_the_refusal(machine)

    assert client.wait(timeout=60) == 0
    events = [line[0] for line in trace(machine)]
    assert events == (["start"] if failure == "window-closed" else events[:1] + ["read"] * (len(events) - 2) +
                      ["not launched"])
    if failure in ("unsigned", "other-key"):
        assert trace(machine)[-2][:3] == ["read", "100 %", "100"], "the download itself was complete"
    time.sleep(1)  # a launched program would have written its record by now
    assert setup_runs(machine) == []
    assert stale.read_bytes() == fake_setup
    assert update_folders(machine) == [], "no download is left behind, nor the earlier partial one"


@pytest.fixture
def other_server(machine):
    """A second server on another port: whatever reaches it was fetched from the wrong place."""
    server = DevServer(machine.session.dir / f"devserver-other-{machine.artifacts.name}")
    server.start()
    server.admin.patch("/config", {"installer_file": str(_write(server.work_dir / "other-setup.exe", b"MZ" * 1024))})
    try:
        yield server
    finally:
        server.stop()


def _write(path: Path, data: bytes) -> Path:
    path.write_bytes(data)
    return path


def other_port(server) -> str:
    return server.base_url.rsplit(":", 1)[1]


@pytest.mark.parametrize("path", ["@127.0.0.1:{port}/x/Tarvo_setup.exe", "//127.0.0.1:{port}/x/Tarvo_setup.exe",
                                  ":{port}/tarvo_app/download/Tarvo_setup.exe", "/x\\Tarvo_setup.exe"],
                         ids=["at-sign", "double-slash", "port", "backslash"])
def test_a_download_path_naming_another_host_fetches_and_launches_nothing(machine, devserver, fake_setup,
                                                                           other_server, path):
    hostile = path.format(port=other_port(other_server))
    devserver.admin.post("/faults", {"match": "version", "mode": "reply", "text": f"{NEWER_VERSION},{hostile}"},
                         expect=201)
    client = offer_update(machine, devserver, fake_setup)
    machine.driver.msgbox(answer="yes", exe=CLIENT)
    answer_the_refusal(machine)
    assert client.wait(timeout=60) == 0
    assert [line[0] for line in trace(machine)] == ["start", "not launched"]
    time.sleep(1)
    assert setup_runs(machine) == []
    assert request_names(devserver) == ["version"]
    assert other_server.admin.get("/requests") == []


def test_a_redirect_of_the_installer_is_not_followed(machine, devserver, fake_setup, other_server):
    client = offer_update(machine, devserver, fake_setup)
    elsewhere = other_server.base_url + "/tarvo_app/download/Tarvo_setup.exe"
    devserver.admin.post("/faults", {"match": "installer", "mode": "redirect", "text": elsewhere}, expect=201)
    machine.driver.msgbox(answer="yes", exe=CLIENT)
    answer_the_refusal(machine)
    assert client.wait(timeout=60) == 0
    assert [line[0] for line in trace(machine)][-1] == "not launched"
    time.sleep(1)
    assert setup_runs(machine) == []
    assert request_names(devserver) == ["version", "installer"]
    assert other_server.admin.get("/requests") == []


# ---------------------------------------------------------------------------
# The real installer (built with the programs under test)


def profile(machine) -> PureWindowsPath:
    """The user's profile folder (C:\\users\\<name>)."""
    folders = sorted(machine.session.host_path(r"C:\users").glob("*/AppData/Local"))
    assert folders, "no user profile in the prefix"
    return windows_path(machine, folders[0].parent.parent)


def installed(machine, path: str = "") -> PureWindowsPath:
    folder = profile(machine) / "AppData" / "Local" / "Programs" / "Tarvo"
    return folder / path if path else folder


def start_menu(machine) -> PureWindowsPath:
    return profile(machine) / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Tarvo"


def run_setup(machine, *args: str, timeout: float = 120) -> None:
    copy = TEST_FOLDER / SETUP
    shutil.copy2(WIN_BIN_DIR / SETUP, machine.session.host_path(copy))
    assert machine.start(copy, *args).wait(timeout=timeout) == 0


def registry_value(machine, key: str, name: str) -> str | None:
    done = wine(machine, "reg", "query", key, "/v", name)
    for line in done.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2]
    return None


@pytest.fixture
def clean_install(machine):
    machine.require(SETUP)

    def clean():
        shutil.rmtree(machine.session.host_path(installed(machine)), ignore_errors=True)
        shutil.rmtree(machine.session.host_path(start_menu(machine)), ignore_errors=True)
        wine(machine, "reg", "delete", r"HKCU\Software\Tarvo", "/f")
        wine(machine, "reg", "delete", UNINSTALL_KEY, "/f")

    clean()
    yield
    machine.session.kill_test_processes()
    clean()


def test_the_installer_installs_silently_updates_keeping_the_preferences_and_uninstalls(
        machine, devserver, clean_install):
    run_setup(machine, "/S")
    host = machine.session.host_path
    for name in (CLIENT, WATCHDOG):
        assert host(installed(machine, name)).read_bytes() == (WIN_BIN_DIR / name).read_bytes()
    assert host(installed(machine, "uninstall.exe")).exists()
    assert host(start_menu(machine) / "Tarvo.lnk").exists()
    assert registry_value(machine, UNINSTALL_KEY, "DisplayVersion") == "1.0.2.6"
    assert registry_value(machine, r"HKCU\Software\Tarvo", "InstallDir") == str(installed(machine))

    # Installing over a running client ends it (and so its watchdog) first.
    client = machine.start(installed(machine, CLIENT))
    login_window(machine.driver)
    wait_until(lambda: machine.session.pids_of(WATCHDOG), what="the watchdog")
    # What the user chose stays over an update: the saved sign-in file and
    # the start-with-Windows value.
    cookie = temp_folder(machine) / "TarvoCookie.txt"
    cookie.write_bytes(b"saved preferences")
    run_value = f'"{installed(machine, CLIENT)}"'
    wine(machine, "reg", "add", RUN_KEY, "/v", "Tarvo", "/d", run_value, "/f")
    started = time.monotonic()
    run_setup(machine, "/S")
    client.wait(timeout=5)
    machine.measured("silent install over a running client", time.monotonic() - started)
    assert not machine.session.pids_of(WATCHDOG)
    # The watchdog saw its client go and hung up the tunnel before it ended.
    assert [run.args for run in machine.rasdial.wait_for(2)] == ["Tarvo /disconnect"] * 2
    assert host(installed(machine, CLIENT)).read_bytes() == (WIN_BIN_DIR / CLIENT).read_bytes()
    assert cookie.read_bytes() == b"saved preferences"
    assert registry_value(machine, RUN_KEY, "Tarvo") == run_value

    # Downloads that updates left, complete and partial.
    downloads = [temp_folder(machine) / SETUP, temp_folder(machine) / "Tarvo-update-0000abcd" / SETUP]
    downloads[1].parent.mkdir()
    for download in downloads:
        download.write_bytes(b"MZ")
    unrelated = temp_folder(machine) / "unrelated.txt"
    unrelated.write_bytes(b"not ours")

    # The uninstaller runs from a copy of itself and removes everything of
    # the client's, the saved sign-in file (its password can be recovered)
    # included, and nothing else.
    assert machine.start(installed(machine, "uninstall.exe"), "/S").wait(timeout=60) == 0
    wait_until(lambda: not host(installed(machine)).exists() and not host(start_menu(machine)).exists()
               and registry_value(machine, r"HKCU\Software\Tarvo", "InstallDir") is None,
               timeout=60, what="the program folder, its shortcuts and its keys removed")
    assert registry_value(machine, UNINSTALL_KEY, "DisplayVersion") is None
    assert registry_value(machine, RUN_KEY, "Tarvo") is None
    assert not cookie.exists()
    assert [d for d in downloads if d.exists()] == [] and update_folders(machine) == []
    assert unrelated.read_bytes() == b"not ours"
    unrelated.unlink()


def test_the_installer_leaves_a_client_of_another_folder_running(machine, devserver, clean_install):
    run_setup(machine, "/S")
    elsewhere = start_client(machine, devserver)  # the test's own program folder, not the installation's
    login_window(machine.driver)
    wait_until(lambda: machine.session.pids_of(WATCHDOG), what="its watchdog")
    run_setup(machine, "/S")
    assert elsewhere.running()
    assert machine.session.pids_of(WATCHDOG)
    assert login_window(machine.driver)


def test_the_downloaded_installer_replaces_the_client_which_then_starts_without_the_question(
        machine, devserver, clean_install):
    run_setup(machine, "/S")
    # The installed client is an older one: other bytes in its file.
    client_file = machine.session.host_path(installed(machine, CLIENT))
    client_file.write_bytes(client_file.read_bytes() + b"an older client")
    served = devserver.work_dir / SETUP  # the folder the server takes installers from
    shutil.copyfile(WIN_BIN_DIR / SETUP, served)
    shutil.copyfile(WIN_BIN_DIR / (SETUP + ".sig"), str(served) + ".sig")  # the build's signature
    devserver.admin.patch("/config", {"version": NEWER_VERSION, "installer_file": str(served)})
    machine.env["TARVO_SIM_ADMIN_URL"] = devserver.admin_url
    client = machine.start(installed(machine, CLIENT))
    assert machine.driver.msgbox(caption=TITLE, exe=CLIENT, timeout_ms=20000)["text"] == MSG_UPDATE
    # The version reply is in; from now on the server announces the version
    # that the new client reports.
    devserver.admin.patch("/config", {"version": "1.0.2.6"})
    machine.driver.msgbox(answer="yes", exe=CLIENT)

    started = time.monotonic()
    assert client.wait(timeout=60) == 0
    assert trace(machine)[-1][:3] == ["launched", "100 %", "100"]
    # The installer waits for the client to end, replaces it and starts it.
    login_window(machine.driver, timeout_ms=60000)
    machine.measured("download, install and restart", time.monotonic() - started)
    assert client_file.read_bytes() == (WIN_BIN_DIR / CLIENT).read_bytes()
    [folder] = update_folders(machine)
    assert (folder / SETUP).read_bytes() == (WIN_BIN_DIR / SETUP).read_bytes()
    assert request_names(devserver) == ["version", "installer", "version"]
    assert not machine.driver.list_windows(UPDATE_TITLE)

"""Benchmarks of the real programs under Wine against the reference server.
Prints a table of medians (and the ratio to a bare dialog program measured
in the same run, beside the same dialog importing the client's DLLs);
asserts nothing. Machines are noisy: compare figures of
one run with each other, not across machines.

  --quick   fewer repetitions and a shorter idle window (a smoke run)
  --startup only the start-up figures and stages
  --write F also writes the table, with the machine it ran on, to F"""

from __future__ import annotations

import argparse
import os
import platform
import random
import statistics
import subprocess
import sys
import time
from pathlib import Path, PureWindowsPath

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from client_helpers import (CLIENT, CONNECT, LOGIN_PASSWORD, LOGIN_SIGN_IN, LOGIN_USER_ID,  # noqa: E402
                            SIM_FOLDER, STATUS_LABEL, TITLE, WATCHDOG, login_window, reset_client_state,
                            session_window, sign_in, start_client, wait_label, wait_until)
from harness_devserver import DevServer  # noqa: E402
from harness_wine import WINE, Machine  # noqa: E402
from standalone import client_machine  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
MARKS_FILE = PureWindowsPath(r"C:\tarvo-test\startup-marks.txt")
STRIP = "x86_64-w64-mingw32-strip"
SETTLE_SECONDS = 0.5


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def peak_kib(pid: int) -> int:
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


class Bench:
    def __init__(self, machine: Machine, server: DevServer, repeat: int, idle_seconds: int):
        self.machine = machine
        self.server = server
        self.repeat = repeat
        self.idle_seconds = idle_seconds
        self.rows: list[tuple[str, str]] = []
        self.breakdown: list[tuple[str, str, float, float]] = []  # program, stage, ms since launch, ms since the last

    def row(self, what: str, value: str) -> None:
        print(f"  {what}: {value}", flush=True)
        self.rows.append((what, value))

    def stop_programs(self) -> None:
        self.machine.session.kill_test_processes()
        reset_client_state(self.machine)

    def marked_start(self, launch) -> dict[str, float]:
        """Starts a program that marks its start-up stages (TARVO_STARTUP_MARKS)
        and returns each stage's seconds since the launch, up to its first paint."""
        marks = self.machine.session.host_path(MARKS_FILE)
        marks.unlink(missing_ok=True)
        launched = time.time()
        launch()
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            text = marks.read_text() if marks.exists() else ""
            if "\nfirst-paint " in text:
                break
            time.sleep(0.005)
        else:
            raise RuntimeError(f"no first paint marked in {marks}")
        stages = {}
        for line in text.splitlines():
            stage, micros = line.split()
            stages.setdefault(stage, int(micros) / 1e6 - launched)
        return stages

    def startup(self) -> None:
        bare = self.machine.install("tarvo-bare-dialog.exe")
        bare_imports = self.machine.install("tarvo-bare-dialog-imports.exe")
        for program in (bare, bare_imports):
            strip_like_a_release(self.machine, program.name)
        self.machine.env["TARVO_STARTUP_MARKS"] = str(MARKS_FILE)
        launches = {"Tarvo.exe": lambda: start_client(self.machine, self.server),
                    "bare dialog": lambda: self.machine.start(bare),
                    "bare dialog, client's DLLs": lambda: self.machine.start(bare_imports)}
        measured: dict[str, list[dict[str, float]]] = {program: [] for program in launches}
        # The programs alternate, so that all see the same machine. Round 0
        # is not measured: it reads the programs and Wine's DLLs into the page
        # cache, which a user's second start finds there too.
        for round_number in range(self.repeat + 1):
            for program, launch in launches.items():
                stages = self.marked_start(launch)
                self.stop_programs()
                # Each start on a settled desktop, as a user's: right after the
                # kills (and the registry command of the reset), Wine's server
                # and the X server are still busy, and both programs measured
                # 50 ms slower and twice as unsteady.
                time.sleep(SETTLE_SECONDS)
                if round_number > 0:
                    measured[program].append(stages)
        del self.machine.env["TARVO_STARTUP_MARKS"]
        t = statistics.median(run["first-paint"] for run in measured["Tarvo.exe"])
        b = statistics.median(run["first-paint"] for run in measured["bare dialog"])
        self.row(f"start-up: launch to the login window's first paint, median of {self.repeat}", f"{t * 1000:.0f} ms")
        self.row(f"bare Win32 dialog program: launch to first paint, median of {self.repeat}", f"{b * 1000:.0f} ms")
        # Each round's own ratio (the two starts a moment apart) cancels the
        # machine's slower and quicker spells, which move both programs alike.
        pairs = zip(measured["Tarvo.exe"], measured["bare dialog"])
        ratio = statistics.median(client["first-paint"] / bare["first-paint"] for client, bare in pairs)
        self.row(f"ratio start-up / bare dialog, median of the {self.repeat} rounds' ratios", f"{ratio:.2f}")
        self.row("ratio of the two medians above", f"{t / b:.2f}")
        d = statistics.median(run["first-paint"] for run in measured["bare dialog, client's DLLs"])
        self.row(f"the bare dialog importing the client's DLLs, with its manifest, median of {self.repeat}",
                 f"{d * 1000:.0f} ms ({d / b:.2f} of the bare dialog)")
        for program, runs in measured.items():
            stages = [stage for stage in runs[0] if all(stage in run for run in runs)]
            medians = sorted((statistics.median(run[stage] for run in runs), stage) for stage in stages)
            previous = 0.0
            for at, stage in medians:  # in the order reached (the launches run beside the main thread)
                self.breakdown.append((program, stage, at * 1000, (at - previous) * 1000))
                previous = at

    def driver_round_trip(self) -> float:
        samples = []
        for _ in range(20):
            started = time.monotonic()
            self.machine.driver.cursor()
            samples.append(time.monotonic() - started)
        return statistics.median(samples)

    def session_flows(self) -> None:
        trip = self.driver_round_trip()
        sign_ins, connects = [], []
        for _ in range(max(3, self.repeat // 2)):
            start_client(self.machine, self.server)
            driver = self.machine.driver
            login = login_window(driver)
            driver.set_text(TITLE, LOGIN_USER_ID, "demo", hwnd=login["hwnd"])
            driver.set_text(TITLE, LOGIN_PASSWORD, "demo1234", hwnd=login["hwnd"])
            started = time.monotonic()
            driver.click(TITLE, LOGIN_SIGN_IN, hwnd=login["hwnd"])
            wait_until(lambda: [w for w in driver.list_windows(TITLE, visible=True) if w["hwnd"] != login["hwnd"]],
                       timeout=30, interval=0, what="the session window")
            sign_ins.append(time.monotonic() - started)
            session = session_window(driver)
            started = time.monotonic()
            self.machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
            wait_label(self.machine.driver, session, STATUS_LABEL, lambda t: t.startswith("10.8.0."), timeout=60)
            connects.append(time.monotonic() - started)
            self.stop_programs()
        self.row("driver round trip, median of 20 (the resolution of the next two; included in them)",
                 f"{trip * 1000:.1f} ms")
        self.row(f"sign-in click to session window, median of {len(sign_ins)}",
                 f"{statistics.median(sign_ins) * 1000:.0f} ms")
        self.row(f"connect click to address shown (simulated dialer), median of {len(connects)}",
                 f"{statistics.median(connects) * 1000:.0f} ms")

    def connected(self):
        client = start_client(self.machine, self.server)
        sign_in(self.machine.driver, "demo", "demo1234")
        session = session_window(self.machine.driver, timeout_ms=30000)
        self.machine.driver.click(TITLE, CONNECT, hwnd=session["hwnd"])
        wait_label(self.machine.driver, session, STATUS_LABEL, lambda t: t.startswith("10.8.0."), timeout=60)
        watchdog = wait_until(lambda: self.machine.session.pids_of(WATCHDOG), what="the watchdog")[0]
        return client, watchdog

    def idle_and_memory(self) -> None:
        client, watchdog = self.connected()
        before = cpu_seconds(client.pid)
        time.sleep(self.idle_seconds)
        used = cpu_seconds(client.pid) - before
        self.row(f"CPU of Tarvo.exe connected and idle over {self.idle_seconds} s",
                 f"{used:.2f} s ({used / self.idle_seconds * 100:.2f} % of one core)")
        self.row("peak memory (VmHWM) of Tarvo.exe, connected", f"{peak_kib(client.pid) / 1024:.1f} MiB")
        self.row("peak memory (VmHWM) of Tarvo_Network.exe", f"{peak_kib(watchdog) / 1024:.1f} MiB")
        self.stop_programs()

    def kill_reactions(self) -> None:
        adapter = self.machine.session.host_path(SIM_FOLDER) / "adapter"
        watchdog_reaction, client_reaction = [], []
        # Both programs look at the other once a second. Killed at once after
        # the connection, a kill would land at the same moment of that cycle
        # each time (the median then says where that moment is, about 0.5 s
        # late or early); a random pause of up to one period spreads the kills
        # over it, as a crash's moment would be.
        moments = random.Random(20261210)
        for _ in range(max(3, self.repeat // 2)):
            self.connected()
            self.machine.rasdial.clear()
            time.sleep(moments.uniform(0.0, 1.0))
            killed = self.machine.kill_program(CLIENT)
            run = self.machine.rasdial.wait_for(1, timeout=10)[0]
            watchdog_reaction.append(run.time - killed)
            self.stop_programs()

            self.connected()
            time.sleep(moments.uniform(0.0, 1.0))
            killed = self.machine.kill_program(WATCHDOG)
            wait_until(lambda: not adapter.exists(), timeout=10, interval=0.01, what="the hang-up")
            client_reaction.append(time.time() - killed)
            self.stop_programs()
        self.row(f"watchdog hang-up after the client is killed, median of {len(watchdog_reaction)}",
                 f"{statistics.median(watchdog_reaction) * 1000:.0f} ms")
        self.row(f"client hang-up after the watchdog is killed, median of {len(client_reaction)}",
                 f"{statistics.median(client_reaction) * 1000:.0f} ms")


def strip_like_a_release(machine: Machine, program: str) -> None:
    """Strips the installed copy of a program as the release build strips what
    it ships: the test-hook build keeps its symbols, which no user's copy has."""
    subprocess.run([STRIP, "--strip-all", str(machine.program_dir / program)], check=True, timeout=60)


def machine_description() -> str:
    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.processor())
    wine = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()
    return f"{cpu}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, {wine}"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--startup", action="store_true")
    parser.add_argument("--write", type=Path)
    args = parser.parse_args()
    repeat, idle = (3, 10) if args.quick else (20, 60)

    with client_machine(REPO / "build" / "bench", "bench") as (machine, server):
        for program in (CLIENT, WATCHDOG):
            strip_like_a_release(machine, program)
        bench = Bench(machine, server, repeat, idle)
        print("measuring (medians; Wine under Xvfb, Korean locale):", flush=True)
        bench.startup()
        if not args.startup:
            bench.session_flows()
            bench.idle_and_memory()
            bench.kill_reactions()

    table = ["| measure | figure |", "|---|---|"] + [f"| {what} | {value} |" for what, value in bench.rows]
    stages = ["| program | stage | since launch | since the stage before |", "|---|---|---|---|"] + [
        f"| {program} | {stage} | {at:.0f} ms | {step:.0f} ms |" for program, stage, at, step in bench.breakdown]
    print("\n" + "\n".join(table) + "\n\nStart-up stages (medians):\n" + "\n".join(stages))
    if args.write:
        # The figures replace the file's opening part; its sections ("## ...") stay.
        kept = ""
        if args.write.exists():
            text = args.write.read_text(encoding="utf-8")
            kept = text[text.index("\n## "):] if "\n## " in text else ""
        args.write.write_text(
            "# Performance\n\nMeasured by `scripts/bench` on " + time.strftime("%Y-%m-%d") + ", " +
            machine_description() + ". The programs run under Wine on Xvfb, so the figures include Wine's "
            "own costs; the bare dialog program and the same dialog importing the client's DLLs, measured in "
            "the same run, are the yardsticks for start-up.\n\n" +
            "\n".join(table) + "\n\nStart-up stages (medians, ms since the launch):\n\n" + "\n".join(stages) +
            "\n" + kept, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())

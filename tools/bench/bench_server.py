#!/usr/bin/env python3
"""Load figures of tarvo-devserver on loopback.

Three runs, each bounded in count and time, against a server started for them
on free loopback ports:

  dripping   pings answered while 64 clients send their request heads one
             byte every 2 s (worst latency, pings without an answer)
  idle       pings answered while 300 connections stay open and send nothing
             (a connection the server closes is opened again)
  burst      200 signed-in clients polling the status request together, each
             on a new connection as the client does (requests per second,
             p50/p99 latency, errors)
  body       a POST announcing 1 GiB that streams up to 200 MiB: how soon it is
             answered, and how much the server grew
  dripped    a request whose body comes one byte every 3 s, on the service
             listener and on the admin interface: how long the server holds
             the connection (40 s at most)
  downloads  24 clients reading a 64 MiB installer slowly: how much the
             server grew beside its one loaded copy

Only 127.0.0.1 is ever contacted. Prints one line per figure.
"""

from __future__ import annotations

import argparse
import json
import queue
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from client_helpers import scramble  # noqa: E402  (the client's substitution, as the tests use it)

DEFAULT_SERVER = ROOT / "build" / "native" / "bin" / "tarvo-devserver"
HOST = "127.0.0.1"
PING = "/tarvo_plus/ping.php"
NO_ANSWER_S = 10.0  # a ping not answered by then counts as unanswered

URL_SAFE = set(b"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz@./\\-_:")


def sign_in_value(user_id: str, password: str) -> str:
    """The r= value of the sign-in requests: the filled template, scrambled, URL-encoded."""
    scrambled = scramble("apib{}login/&?uidvlmp" + user_id + "/&?pwdq# " + password)
    return "".join(chr(b) if b in URL_SAFE else f"%{b:02x}" for b in scrambled.encode("cp949"))


class Server:
    def __init__(self, binary: Path, work: Path, installer: Path | None = None):
        extra = ["--installer", str(installer)] if installer else []
        self.process = subprocess.Popen(
            [str(binary), "--listen", f"{HOST}:0", "--admin-listen", f"{HOST}:0", "--db", str(work / "bench.db"),
             *extra],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=open(work / "server.log", "ab"))
        self.port = 0
        self.admin = ""
        deadline = time.monotonic() + 20
        while not (self.port and self.admin) and time.monotonic() < deadline:
            line = self.process.stdout.readline().decode("utf-8", errors="replace")
            if not line:
                break
            if m := re.match(r"listening http://[^:]+:(\d+)", line):
                self.port = int(m.group(1))
            elif m := re.match(r"admin (http://\S+)", line):
                self.admin = m.group(1).rstrip("/")
        if not (self.port and self.admin):
            self.stop()
            sys.exit("tarvo-devserver did not start (see server.log)")
        threading.Thread(target=lambda: self.process.stdout.read(), daemon=True).start()

    def admin_call(self, method: str, path: str, body: dict | None = None) -> dict:
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.admin + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        with opener.open(request, timeout=15) as reply:
            return json.loads(reply.read() or b"{}")

    def resident_mib(self) -> float:
        for line in Path(f"/proc/{self.process.pid}/status").read_text().splitlines():
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
        return 0.0

    @property
    def admin_port(self) -> int:
        return int(self.admin.rsplit(":", 1)[1])

    def stop(self) -> None:
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def get(port: int, target: str, timeout: float = NO_ANSWER_S) -> tuple[int, bytes]:
    """One GET on a new connection, as the client makes them: (status, body); status 0 when no answer."""
    request = (f"GET {target} HTTP/1.1\r\nHost: {HOST}:{port}\r\nConnection: close\r\n\r\n").encode()
    deadline = time.monotonic() + timeout
    try:
        with socket.create_connection((HOST, port), timeout=timeout) as sock:
            sock.sendall(request)
            data = b""
            while time.monotonic() < deadline:
                sock.settimeout(max(deadline - time.monotonic(), 0.01))
                chunk = sock.recv(65536)
                if not chunk:
                    break
                data += chunk
    except OSError:
        return 0, b""
    head, _, body = data.partition(b"\r\n\r\n")
    m = re.match(rb"HTTP/1\.[01] (\d{3})", head)
    return (int(m.group(1)) if m else 0), body


def timed_ping(port: int) -> float | None:
    started = time.monotonic()
    status, body = get(port, PING)
    took = time.monotonic() - started
    return took if status == 200 and body == b"0" else None


def pings_beside(port: int, load, seconds: float, interval: float = 0.5) -> tuple[list[float], int]:
    """Runs `load(stop_event)` on its own thread and pings every `interval` meanwhile."""
    stop = threading.Event()
    worker = threading.Thread(target=load, args=(stop,), daemon=True)
    worker.start()
    time.sleep(1.0)  # let the load take hold
    answered, unanswered = [], 0
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        took = timed_ping(port)
        if took is None:
            unanswered += 1
        else:
            answered.append(took)
        time.sleep(interval)
    stop.set()
    worker.join(15)
    return answered, unanswered


def dripping_clients(port: int, count: int, gap: float):
    head = f"GET {PING} HTTP/1.1\r\nHost: {HOST}:{port}\r\nX-Padding: {'p' * 64}\r\n\r\n".encode()

    def load(stop: threading.Event):
        socks = []
        for _ in range(count):
            try:
                socks.append(socket.create_connection((HOST, port), timeout=5))
            except OSError:
                pass
        position = 0
        while not stop.wait(gap) and position < len(head):
            for sock in socks:
                try:
                    sock.send(head[position:position + 1])
                except OSError:
                    pass
            position += 1
        for sock in socks:
            sock.close()

    return load


def idle_connections(port: int, count: int):
    def load(stop: threading.Event):
        socks: list[socket.socket | None] = [None] * count
        while not stop.is_set():
            for i in range(count):  # (re)open what is not open
                if socks[i] is None:
                    try:
                        socks[i] = socket.create_connection((HOST, port), timeout=5)
                        socks[i].setblocking(False)
                    except OSError:
                        socks[i] = None
            stop.wait(0.2)
            for i, sock in enumerate(socks):  # find the ones the server closed
                if sock is None:
                    continue
                try:
                    if sock.recv(1024) == b"":
                        sock.close()
                        socks[i] = None
                except BlockingIOError:
                    pass
                except OSError:
                    sock.close()
                    socks[i] = None
        for sock in socks:
            if sock is not None:
                sock.close()

    return load


def burst(server: Server, clients: int, polls: int) -> dict:
    codes = []
    for i in range(clients):
        user = f"bench-{i:03d}"
        server.admin_call("PUT", f"/accounts/{user}", {"password": "pw-bench", "minutes": 43200})
        status, body = get(server.port, "/tarvo_app/index.php?act=ok&r=" + sign_in_value(user, "pw-bench"))
        code = body.decode("cp949", errors="replace").split(",")[0]
        if status != 200 or not code:
            sys.exit(f"sign-in of {user} failed: {status} {body[:80]!r}")
        codes.append(code)
    latencies: list[float] = []
    errors = 0
    lock = threading.Lock()
    start = threading.Barrier(clients + 1)

    def client(code: str):
        nonlocal errors
        start.wait()
        mine, failed = [], 0
        for _ in range(polls):
            t0 = time.monotonic()
            status, body = get(server.port, "/tarvo_app/index.php?rand_code=" + code, timeout=10)
            mine.append(time.monotonic() - t0)
            if status != 200 or b"<startCODE>" not in body:
                failed += 1
        with lock:
            latencies.extend(mine)
            errors += failed

    threads = [threading.Thread(target=client, args=(c,)) for c in codes]
    for t in threads:
        t.start()
    start.wait()
    began = time.monotonic()
    for t in threads:
        t.join(120)
    wall = time.monotonic() - began
    latencies.sort()
    return {
        "requests": len(latencies),
        "rps": len(latencies) / wall if wall else 0.0,
        "p50": statistics.median(latencies),
        "p99": latencies[min(len(latencies) - 1, int(len(latencies) * 0.99))],
        "errors": errors,
    }


def huge_body(server: Server) -> str:
    """A POST announcing 1 GiB, streamed for at most 200 MiB or 20 s."""
    before = server.resident_mib()
    reply, sent = b"", 0
    started = time.monotonic()
    answered_at = None
    with socket.create_connection((HOST, server.port), timeout=5) as sock:
        sock.sendall(f"POST {PING} HTTP/1.1\r\nHost: {HOST}\r\nContent-Length: {1 << 30}\r\n\r\n".encode())
        sock.setblocking(False)
        chunk = b"x" * (1 << 20)
        while sent < (200 << 20) and time.monotonic() - started < 20 and answered_at is None:
            try:
                sent += sock.send(chunk)
            except BlockingIOError:
                time.sleep(0.001)
            except OSError:
                break  # the server closed the connection
            try:
                reply += sock.recv(4096)
                if b"\r\n\r\n" in reply:
                    answered_at = time.monotonic()
            except (BlockingIOError, OSError):
                pass
    grown = server.resident_mib() - before
    status = reply.split(b"\r\n", 1)[0].decode(errors="replace") if reply else "no reply"
    took = f"{(answered_at - started) * 1000:.0f} ms" if answered_at else "-"
    return f"{status!r} after {took}, {sent >> 20} MiB sent, server grew by {grown:.0f} MiB"


def dripped_body(port: int, path: str) -> str:
    """A POST that announces 100 bytes of body and sends one every 3 s, for at most 40 s."""
    started = time.monotonic()
    with socket.create_connection((HOST, port), timeout=5) as sock:
        sock.sendall(f"POST {path} HTTP/1.1\r\nHost: {HOST}:{port}\r\nContent-Type: application/json\r\n"
                     "Content-Length: 100\r\n\r\n{".encode())
        sock.settimeout(3)
        while time.monotonic() - started < 40:
            try:
                if sock.recv(4096) == b"":
                    return f"closed after {time.monotonic() - started:.1f} s"
            except socket.timeout:
                pass
            except OSError:
                return f"closed after {time.monotonic() - started:.1f} s"
            try:
                sock.send(b" ")
            except OSError:
                return f"closed after {time.monotonic() - started:.1f} s"
    return "still open after 40 s"


def slow_downloads(server: Server, readers: int) -> str:
    """`readers` clients each take the head and a little of the installer, then read nothing for 5 s."""
    before = server.resident_mib()
    socks = []
    for _ in range(readers):
        sock = socket.socket()
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16 * 1024)
        sock.settimeout(10)
        sock.connect((HOST, server.port))
        sock.sendall(f"GET /tarvo_app/download/Tarvo_setup.exe HTTP/1.1\r\nHost: {HOST}\r\n\r\n".encode())
        socks.append(sock)
    for sock in socks:
        sock.recv(4096)
    peak = before
    for _ in range(25):
        time.sleep(0.2)
        peak = max(peak, server.resident_mib())
    for sock in socks:
        sock.close()
    return f"server {before:.0f} MiB before, {peak:.0f} MiB at most while they read (grew by {peak - before:.0f} MiB)"


def describe(answered: list[float], unanswered: int) -> str:
    worst = f"{max(answered) * 1000:.0f} ms" if answered else "-"
    if unanswered:
        worst = f"over {NO_ANSWER_S:.0f} s"
    return f"worst {worst}, {len(answered)} answered, {unanswered} without an answer within {NO_ANSWER_S:.0f} s"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--server", type=Path, default=DEFAULT_SERVER, help="the tarvo-devserver to measure")
    parser.add_argument("--seconds", type=float, default=12.0, help="how long each ping run lasts")
    parser.add_argument("--quick", action="store_true", help="shorter runs and a smaller burst")
    args = parser.parse_args()
    if not args.server.exists():
        sys.exit(f"{args.server} is not built (scripts/build native)")
    seconds = 6.0 if args.quick else args.seconds
    with tempfile.TemporaryDirectory(prefix="tarvo-bench-server-") as work:
        installer = Path(work) / "Tarvo_setup.exe"
        installer.write_bytes(b"I" * (64 << 20))
        server = Server(args.server, Path(work), installer)
        try:
            print(f"server: {args.server}")
            answered, unanswered = pings_beside(server.port, dripping_clients(server.port, 64, 2.0), seconds)
            print(f"ping beside 64 dripping clients: {describe(answered, unanswered)}")
            answered, unanswered = pings_beside(server.port, idle_connections(server.port, 300), seconds)
            print(f"ping beside 300 idle connections: {describe(answered, unanswered)}")
            time.sleep(6)  # the idle connections of the last run are gone
            figures = burst(server, 50 if args.quick else 200, 5 if args.quick else 10)
            print(f"burst of {50 if args.quick else 200} clients polling status: {figures['requests']} requests, "
                  f"{figures['rps']:.0f} requests/s, p50 {figures['p50'] * 1000:.0f} ms, "
                  f"p99 {figures['p99'] * 1000:.0f} ms, {figures['errors']} errors")
            print(f"a body announcing 1 GiB: {huge_body(server)}")
            print(f"a service body dripping a byte every 3 s: {dripped_body(server.port, PING)}")
            print(f"an admin body dripping a byte every 3 s: {dripped_body(server.admin_port, '/faults')}")
            print(f"24 slow downloads of a 64 MiB installer: {slow_downloads(server, 24)}")
        finally:
            server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())

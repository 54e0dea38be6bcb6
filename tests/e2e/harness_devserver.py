"""The reference server for the end-to-end tests: started on free loopback
ports, with a small client for its JSON admin API."""

from __future__ import annotations

import json
import queue
import re
import subprocess
import threading
import time
import urllib.error
import urllib.request
from pathlib import Path

from harness_wine import NATIVE_BIN_DIR, HarnessError

DEVSERVER = NATIVE_BIN_DIR / "tarvo-devserver"

_LISTENING = re.compile(r"^listening (https?://\S+)")
_ADMIN = re.compile(r"^admin (https?://\S+)")

# Loopback only: never through a proxy from the environment.
_OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class DevServer:
    def __init__(self, work_dir: Path, extra_args: list[str] | None = None):
        self.work_dir = work_dir
        self.extra_args = extra_args or []
        self.process: subprocess.Popen | None = None
        self.base_url = ""
        self.admin_url = ""
        self.log_path = work_dir / "devserver.log"
        self._drain: threading.Thread | None = None

    def start(self, timeout: float = 20.0) -> None:
        self.work_dir.mkdir(parents=True, exist_ok=True)
        # Installer files handed to it through the admin interface live in its work folder.
        args = [str(DEVSERVER), "--listen", "127.0.0.1:0", "--admin-listen", "127.0.0.1:0", "--seed-demo",
                "--db", str(self.work_dir / "devserver.db"), "--installer-folder", str(self.work_dir),
                *self.extra_args]
        log = open(self.log_path, "ab")
        self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log)
        lines: queue.Queue = queue.Queue()

        def drain():  # keeps reading so the server never blocks on a full pipe
            for raw in self.process.stdout:
                log.write(raw)
                log.flush()
                lines.put(raw.decode("utf-8", errors="replace").strip())
            lines.put(None)
            log.close()

        self._drain = threading.Thread(target=drain, daemon=True)
        self._drain.start()
        deadline = time.monotonic() + timeout
        while not (self.base_url and self.admin_url):
            try:
                line = lines.get(timeout=max(deadline - time.monotonic(), 0.01))
            except queue.Empty:
                self.stop()
                raise HarnessError(f"tarvo-devserver printed no addresses within {timeout} s (see {self.log_path})")
            if line is None:
                raise HarnessError(f"tarvo-devserver ended at start, exit {self.process.wait()} "
                                   f"(see {self.log_path})")
            if match := _LISTENING.match(line):
                self.base_url = match.group(1).rstrip("/")
            elif match := _ADMIN.match(line):
                self.admin_url = match.group(1).rstrip("/")
        self.admin = AdminClient(self.admin_url)

    def last_requests(self, count: int = 12) -> list[str]:
        """The last requests the server logged: time, name, reply status (none = no reply sent), request line."""
        return [f"{entry['time']} {entry['name']} -> {entry['status'] or 'none'}"
                f"{' fault ' + entry['fault'] if entry['fault'] else ''}  {entry['request_line'][:160]}"
                for entry in self.admin.get("/requests")[-count:]]

    def stop(self) -> None:
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)
        if self._drain:
            self._drain.join(5)


class AdminClient:
    """JSON over HTTP to the server's admin listener."""

    def __init__(self, base_url: str):
        self.base_url = base_url

    def request(self, method: str, path: str, body=None, expect: int | None = 200):
        data = None if body is None else json.dumps(body).encode("utf-8")
        request = urllib.request.Request(self.base_url + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"} if data else {})
        try:
            with _OPENER.open(request, timeout=15) as response:
                status, raw = response.status, response.read()
        except urllib.error.HTTPError as error:
            status, raw = error.code, error.read()
        text = raw.decode("utf-8", errors="replace")
        if expect is not None and status != expect:
            raise AssertionError(f"admin {method} {path} -> {status}, expected {expect}: {text[:500]}")
        try:
            return json.loads(text) if text.strip() else None
        except json.JSONDecodeError:
            return text

    def get(self, path: str, **kwargs):
        return self.request("GET", path, **kwargs)

    def post(self, path: str, body=None, **kwargs):
        return self.request("POST", path, body, **kwargs)

    def patch(self, path: str, body=None, **kwargs):
        return self.request("PATCH", path, body, **kwargs)

    def put(self, path: str, body=None, **kwargs):
        return self.request("PUT", path, body, **kwargs)

    def delete(self, path: str, **kwargs):
        return self.request("DELETE", path, **kwargs)

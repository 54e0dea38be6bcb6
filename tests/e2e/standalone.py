"""The client outside pytest: the reference server and one Wine session with
a prepared machine, for the tools that run it by hand (the demo, the
benchmark, the documentation's screenshots)."""

from __future__ import annotations

import os
from contextlib import contextmanager
from pathlib import Path

from client_helpers import reset_client_state
from harness_devserver import DevServer
from harness_wine import Machine, WineSession


@contextmanager
def client_machine(work: Path, name: str, display: str | None = None):
    """Yields (machine, server): a machine whose programs reach the server,
    with no saved sign-in; its screenshots and evidence go to `work`. With
    `display` the programs show on that X display, else on a private Xvfb."""
    work.mkdir(parents=True, exist_ok=True)
    os.environ.setdefault("TARVO_E2E_ARTIFACTS", str(work))
    server = DevServer(work / "server")
    server.start()
    session = WineSession(display=display)
    try:
        session.start()
        machine = Machine(session, name)
        machine.artifacts = work
        machine.prepare()
        machine.env["TARVO_SERVER_BASE_URL"] = server.base_url
        reset_client_state(machine)
        yield machine, server
        machine.finish()
    finally:
        session.stop()
        server.stop()

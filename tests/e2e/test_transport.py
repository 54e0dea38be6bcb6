"""The client's HTTP transport as it runs under Wine: one exchange per run of
tarvo-http-probe.exe (the real SendServerRequest over WinINet) against the
reference server, whose request log shows what arrived byte for byte."""

from __future__ import annotations

import base64
import hashlib
import itertools
import re
import subprocess
import urllib.parse
from dataclasses import dataclass
from pathlib import Path

import pytest

from harness_devserver import DEVSERVER, DevServer
from harness_wine import PROGRAM_FOLDER, TEST_FOLDER

PROBE = "tarvo-http-probe.exe"
USER_AGENT = "Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; rv:11.0)  like Gecko"
CONTENT_TYPE = "application/x-www-form-urlencoded"
PING = "/tarvo_plus/ping.php"
VERSION = "/tarvo_app/index.php?v=q7d4x2m"
SIGN_IN = "/tarvo_app/index.php?r="

# EncodeCredentials(id, password) of three accounts: the template filled in,
# scrambled, and its CP949 bytes escaped. The Korean one has escaped Hangul,
# blank, "+" and "%"; in the last one each "X" has become a literal "\".
ACCOUNTS = {
    "demo": ("demo1234", "RF7LM%26O@r7NV%3b%7d:7Y%5eOPFYpP@V%3b%7dF%7cY%7eC8YpP@c%2aUd"),
    "홍길동": ("비밀 번호+%",
            "RF7LM%26O@r7NV%3b%7d:7Y%5eOPF%c8%ab%b1%e6%b5%bfV%3b%7dF%7cY%7eC8%ba%f1%b9%d08%b9%f8%c8%a3%27/"),
    "tarvoX": ("pass X", "RF7LM%26O@r7NV%3b%7d:7Y%5eOPF4R%25%5e@\\V%3b%7dF%7cY%7eC8FR--8\\"),
}

READ_SIZE = 4096  # what the transport asks WinINet for per read

_PROBE_LINE = re.compile(r"^status=(\d+) chars=(\d+) ms=(\d+)$")


@dataclass
class Exchange:
    status: int
    chars: int
    ms: int
    reply: str


def start_server(work_dir: Path, *extra_args: str) -> DevServer:
    if not DEVSERVER.exists():
        pytest.skip(f"{DEVSERVER} is not built yet")
    server = DevServer(work_dir, list(extra_args))
    server.start()
    return server


@pytest.fixture(scope="module")
def server(wine_session):
    server = start_server(wine_session.dir / "devserver-transport")
    yield server
    server.stop()


@pytest.fixture
def probe(machine, server):
    """One exchange per call through the probe, against a freshly reset server."""
    machine.require(PROBE)
    machine.install(PROBE)
    server.admin.post("/reset")
    runs = itertools.count(1)

    def run(url: str, cancel_after_ms: int | None = None, deadline_ms: int | None = None,
            timeout: float = 90) -> Exchange:
        reply_file = TEST_FOLDER / f"reply-{next(runs)}.txt"
        host_reply = machine.session.host_path(reply_file)
        host_reply.unlink(missing_ok=True)
        extra = [] if cancel_after_ms is None else ["--cancel-after", str(cancel_after_ms)]
        extra += [] if deadline_ms is None else ["--deadline", str(deadline_ms)]
        process = machine.start(PROGRAM_FOLDER / PROBE, url, str(reply_file), *extra, stdout=subprocess.PIPE)
        line = process.read_line(timeout=timeout)
        assert process.wait(timeout=10) == 0
        match = _PROBE_LINE.match(line)
        assert match, f"the probe printed {line!r}"
        status, chars, ms = (int(g) for g in match.groups())
        reply = host_reply.read_bytes().decode("utf-8")
        assert len(reply.encode("utf-16-le")) // 2 == chars
        print(f"{url[:100]} -> status={status} chars={chars} ms={ms}")
        return Exchange(status, chars, ms, reply)

    return run


def only_request(server) -> dict:
    entries = server.admin.get("/requests")
    assert len(entries) == 1, [e["request_line"] for e in entries]
    return entries[0]


def raw_head(entry: dict) -> bytes:
    return base64.b64decode(entry["raw_base64"])


def version_reply(server) -> str:
    config = server.admin.get("/config")
    reply = f"{config['version']},{config['installer_path']}"
    return reply + (f",{config['installer_sha256']}" if config["installer_sha256"] else "")


def serve_file(server, path: Path, data: bytes) -> str:
    """Has the server hand out `data` as it stands (its installer download); returns the URL."""
    path.write_bytes(data)
    config = server.admin.patch("/config", {"installer_file": str(path)})
    return server.base_url + config["installer_path"]


# ---------------------------------------------------------------------------
# Replies


def long_korean_text() -> str:
    """About 20 KB in CP949 whose every 4096-byte boundary splits a Hangul
    syllable: one ASCII byte, then only two-byte syllables, all different so
    that any reordering shows."""
    text = "#" + "".join(chr(0xAC00 + (i * 7) % 11172) for i in range(10_000))
    data = text.encode("cp949")
    for boundary in range(READ_SIZE, len(data), READ_SIZE):
        assert data[boundary - 1] >= 0x81 and boundary % 2 == 0  # a lead byte ends each read
    return text


@pytest.mark.parametrize("text", [long_korean_text(), ""], ids=["20KB-korean", "empty"])
def test_a_2xx_reply_arrives_whole_and_in_order(server, probe, machine, text):
    url = serve_file(server, server.work_dir / "reply-body.txt", text.encode("cp949"))
    exchange = probe(url)
    assert exchange.status == 0
    assert exchange.reply == text  # a syllable split between two reads would be "?" here
    machine.measured(f"reply of {len(text.encode('cp949'))} bytes", exchange.ms / 1000)


@pytest.mark.parametrize("path, fault, http_status", [
    ("/no/such/page.php", None, 404),
    ("/tarvo_app/index.php?v=wrong-key", None, 400),
    (PING, {"match": PING, "mode": "status500"}, 500),
], ids=["404", "400", "500"])
def test_a_reply_that_is_not_2xx_is_a_failed_exchange(server, probe, path, fault, http_status):
    if fault:
        server.admin.post("/faults", fault, expect=201)
    exchange = probe(server.base_url + path)
    assert exchange.status != 0
    assert exchange.reply == ""
    assert only_request(server)["status"] == http_status  # the server did answer, with a body


# ---------------------------------------------------------------------------
# The request as the server sees it


def test_the_request_carries_exactly_the_header_block(server, probe):
    exchange = probe(server.base_url + PING)
    assert (exchange.status, exchange.reply) == (0, "0")
    host = server.base_url.removeprefix("http://")
    # Under Wine, WinINet adds only Host; the block's two extra empty lines end
    # up nowhere (a stray CR LF after the head would start a broken request).
    assert raw_head(only_request(server)) == (
        f"GET {PING} HTTP/1.1\r\n"
        f"User-Agent: {USER_AGENT}\r\n"
        f"Content-Type: {CONTENT_TYPE}\r\n"
        f"Host: {host}\r\n"
        "\r\n").encode("ascii")


def add_accounts(server) -> None:
    for user_id, (password, _) in ACCOUNTS.items():
        if user_id != "demo":  # the server's own demo account
            server.admin.put(f"/accounts/{urllib.parse.quote(user_id)}", {"password": password, "minutes": 60},
                             expect=201)


def sign_in(user_id: str) -> str:
    return SIGN_IN + ACCOUNTS[user_id][1]


@pytest.mark.parametrize("target, reply", [
    (PING, "0"),
    (VERSION, None),  # the version reply of the server's configuration
    ("/tarvo_app/index.php?r=%2b%20%25abc%ff", "No"),
    ("/tarvo_plus/ping.php?x=%2B%2b%7E~%41'!*()$,;=:@/?", "0"),
    (sign_in("demo"), "Yes"),
    (sign_in("홍길동"), "Yes"),
], ids=["ping", "version", "escapes", "literals-and-upper-case-escapes", "sign-in", "sign-in-korean"])
def test_the_target_reaches_the_server_byte_for_byte(server, probe, target, reply):
    add_accounts(server)
    exchange = probe(server.base_url + target)
    assert exchange.status == 0
    assert exchange.reply == (reply if reply is not None else version_reply(server))
    head = raw_head(only_request(server))
    assert head.split(b"\r\n", 1)[0] == f"GET {target} HTTP/1.1".encode("ascii")


def test_a_backslash_in_the_credentials_reaches_the_server_as_one(server, probe):
    # WinINet would turn a backslash of the target into "/"; the transport sends it as "%5c".
    add_accounts(server)
    target = sign_in("tarvoX")
    assert "\\" in target
    exchange = probe(server.base_url + target)
    assert (exchange.status, exchange.reply) == (0, "Yes")
    request_line = raw_head(only_request(server)).split(b"\r\n", 1)[0]
    assert request_line == f"GET {target.replace(chr(92), '%5c')} HTTP/1.1".encode("ascii")


# ---------------------------------------------------------------------------
# HTTPS: the certificate is verified


def openssl(*args: str, cwd: Path) -> None:
    done = subprocess.run(["openssl", *args], cwd=cwd, capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, f"openssl {args[0]}: {done.stderr}"


CA_CONFIG = """[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any_subject
unique_subject = no
[any_subject]
organizationName = optional
commonName = supplied
"""


def make_certificates(folder: Path) -> None:
    """self.pem: self-signed for 127.0.0.1. ca.pem signs good.pem (127.0.0.1),
    wrong-name.pem (another host) and expired.pem (127.0.0.1, in 2020); each
    with its .key."""
    folder.mkdir(parents=True, exist_ok=True)
    subject = "/O=Tarvo test/CN="
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", subject + "127.0.0.1",
            "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1", "-keyout", "self.key", "-out", "self.pem",
            cwd=folder)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", subject + "Tarvo test CA",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            "-keyout", "ca.key", "-out", "ca.pem", cwd=folder)
    (folder / "ca.cnf").write_text(CA_CONFIG)
    (folder / "index.txt").write_text("")
    (folder / "serial").write_text("1000\n")
    in_2020 = ["-startdate", "20200101000000Z", "-enddate", "20200201000000Z"]
    for name, host, dates in (("good", "127.0.0.1", ["-days", "2"]),
                              ("wrong-name", "elsewhere.tarvo.invalid", ["-days", "2"]),
                              ("expired", "127.0.0.1", in_2020)):
        san = f"subjectAltName=DNS:{host}" + (f",IP:{host}" if host[0].isdigit() else "")
        (folder / f"{name}.ext").write_text(f"{san}\nextendedKeyUsage=serverAuth\n")
        openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", subject + host, "-keyout", f"{name}.key",
                "-out", f"{name}.csr", cwd=folder)
        openssl("ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
                "-in", f"{name}.csr", "-extfile", f"{name}.ext", *dates, "-out", f"{name}.pem", cwd=folder)


def der_of(pem: Path) -> bytes:
    body = re.search(rb"-----BEGIN CERTIFICATE-----(.*?)-----END CERTIFICATE-----", pem.read_bytes(), re.S)
    return base64.b64decode(body.group(1))


def root_store_reg(der: bytes, remove: bool) -> str:
    """A .reg text that puts a certificate into (or takes it out of) the
    current user's trusted root store: a serialized certificate under its
    SHA-1 thumbprint."""
    key = (r"HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates"
           f"\\{hashlib.sha1(der).hexdigest().upper()}")
    if remove:
        return f"Windows Registry Editor Version 5.00\r\n\r\n[-{key}]\r\n"
    blob = (32).to_bytes(4, "little") + (1).to_bytes(4, "little") + len(der).to_bytes(4, "little") + der
    return (f"Windows Registry Editor Version 5.00\r\n\r\n[{key}]\r\n"
            f"\"Blob\"=hex:{','.join(f'{b:02x}' for b in blob)}\r\n")


def regedit(session, text: str) -> None:
    reg = session.host_path(TEST_FOLDER / "root-store.reg")
    reg.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
    session.run_to_end(["regedit", "/S", str(TEST_FOLDER / "root-store.reg")]).check_returncode()


@pytest.fixture(scope="module")
def certificates(wine_session):
    """The test CA trusted by the prefix while this module runs."""
    folder = wine_session.dir / "certificates"
    make_certificates(folder)
    ca = der_of(folder / "ca.pem")
    regedit(wine_session, root_store_reg(ca, remove=False))
    yield folder
    regedit(wine_session, root_store_reg(ca, remove=True))


# WinINet's error numbers, which the transport passes on as the status.
ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037
ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038
ERROR_INTERNET_INVALID_CA = 12045
ERROR_INTERNET_TIMEOUT = 12002


@pytest.mark.parametrize("certificate, status", [
    ("good", 0),
    ("self", ERROR_INTERNET_INVALID_CA),
    ("wrong-name", ERROR_INTERNET_SEC_CERT_CN_INVALID),
    ("expired", ERROR_INTERNET_SEC_CERT_DATE_INVALID),
], ids=["signed-by-a-trusted-ca", "self-signed", "wrong-name", "expired"])
def test_https_accepts_only_a_certificate_it_can_verify(machine, probe, certificates, certificate, status):
    tls = start_server(machine.session.dir / f"devserver-tls-{certificate}",
                       "--tls-cert", str(certificates / f"{certificate}.pem"),
                       "--tls-key", str(certificates / f"{certificate}.key"))
    try:
        assert tls.base_url.startswith("https://")
        exchange = probe(tls.base_url + PING)
        arrived = tls.admin.get("/requests")
    finally:
        tls.stop()
    assert exchange.status == status
    if status == 0:
        assert exchange.reply == "0"
        assert len(arrived) == 1
        machine.measured("exchange over HTTPS (handshake included)", exchange.ms / 1000)
    else:
        assert exchange.reply == ""
        assert arrived == []  # refused during the handshake: no request was sent


# ---------------------------------------------------------------------------
# Slow, broken and cancelled exchanges


def test_a_stop_request_ends_a_hung_exchange_at_once(server, probe, machine):
    # The server holds the request for 10 s, then answers normally.
    server.admin.post("/faults", {"match": PING, "mode": "hang", "seconds": 10}, expect=201)
    exchange = probe(server.base_url + PING, cancel_after_ms=500)
    machine.measured("exchange stopped 500 ms after its start", exchange.ms / 1000)
    assert only_request(server)["fault"] == "hang"  # it did wait on the server
    assert exchange.status != 0
    assert exchange.reply == ""
    assert exchange.ms < 5000


@pytest.mark.parametrize("fault", [
    {"mode": "delay", "ms": 1500},
    {"mode": "drop"},
    {"mode": "garbage"},
    {"mode": "truncate"},  # fewer bytes than Content-Length: a failed exchange
], ids=lambda fault: fault["mode"])
def test_a_slow_or_broken_reply(server, probe, machine, fault):
    full = version_reply(server)
    server.admin.post("/faults", {"match": "version", **fault}, expect=201)
    exchange = probe(server.base_url + VERSION)
    mode = fault["mode"]
    print(f"{mode}: status={exchange.status} reply={exchange.reply[:60]!r}")
    if mode == "delay":
        assert (exchange.status, exchange.reply) == (0, full)
        assert exchange.ms >= 1500
        machine.measured("reply delayed 1500 ms by the server", exchange.ms / 1000)
    elif mode == "garbage":  # random bytes with status 200: text for the callers' parsers to refuse
        assert exchange.status == 0
        assert exchange.reply != ""
    else:  # no reply, or half the announced body before the connection closes
        assert exchange.status != 0
        assert exchange.reply == ""


def test_a_reply_that_drips_fails_at_the_deadline(server, probe, machine):
    # One byte every 300 ms: the whole reply would take over half a minute.
    server.admin.post("/faults", {"match": "version", "mode": "drip", "ms": 300}, expect=201)
    exchange = probe(server.base_url + VERSION, deadline_ms=3000)
    machine.measured("dripping reply given up at a 3 s deadline", exchange.ms / 1000)
    assert only_request(server)["fault"] == "drip"
    assert (exchange.status, exchange.reply) == (ERROR_INTERNET_TIMEOUT, "")
    assert 3000 <= exchange.ms < 8000


@pytest.mark.parametrize("size, accepted", [(1 << 20, True), ((1 << 20) + 1, False)],
                         ids=["exactly-the-cap", "one-byte-over"])
def test_a_reply_over_the_size_cap_is_a_failed_exchange(server, probe, size, accepted):
    server.admin.post("/faults", {"match": "version", "mode": "oversize", "bytes": size}, expect=201)
    exchange = probe(server.base_url + VERSION)
    if accepted:
        assert (exchange.status, exchange.reply) == (0, "x" * size)
    else:
        assert exchange.status != 0
        assert exchange.reply == ""


def test_a_chunked_reply_cut_short_is_a_failed_exchange(server, probe):
    server.admin.post("/faults", {"match": "version", "mode": "chunkcut"}, expect=201)
    exchange = probe(server.base_url + VERSION)
    assert only_request(server)["fault"] == "chunkcut"
    assert exchange.status != 0
    assert exchange.reply == ""


def test_a_redirect_is_not_followed(server, probe, machine):
    other = start_server(machine.session.dir / "devserver-transport-other")
    try:
        server.admin.post("/faults", {"match": PING, "mode": "redirect", "text": other.base_url + PING}, expect=201)
        exchange = probe(server.base_url + PING)
        reached = other.admin.get("/requests")
    finally:
        other.stop()
    assert only_request(server)["fault"] == "redirect"
    assert exchange.status != 0
    assert exchange.reply == ""
    assert reached == []

"""The Telnet client against real peers on loopback ports: the system's
telnet daemon (inetutils), started here the way a super-server would start
it, for `kestrel telnet`; and openssl s_server behind a START-TLS prelude,
with a certificate authority made here, for the library's TLS.

usage: peers_test.py KESTREL LIBTNCLIENT LOGIN_SCRIPT"""
import ctypes as C
import os
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

kestrel, library_path, login_script = sys.argv[1:4]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


def check_true(label, condition, detail=""):
    if not condition:
        failures.append(f"{label} {detail}")


TELNETD = "/usr/sbin/telnetd"
IAC, SB, SE, WILL, DO = 255, 250, 240, 251, 253
START_TLS, FOLLOWS = 46, 1


# ---------------------------------------------------------------- telnetd

def serve_telnetd(listener):
    """Accepts one connection and runs the daemon on it, as inetd would."""
    connection, _ = listener.accept()
    daemon = subprocess.Popen([TELNETD, "-h", "-E", login_script],
                              stdin=connection, stdout=connection, stderr=subprocess.DEVNULL)
    connection.close()
    daemon.wait(timeout=60)


class Reader(threading.Thread):
    """Collects a process's standard output as it comes."""

    def __init__(self, stream):
        super().__init__(daemon=True)
        self.stream, self.text, self.lock = stream, "", threading.Lock()
        self.start()

    def run(self):
        for chunk in iter(lambda: os.read(self.stream.fileno(), 4096), b""):
            with self.lock:
                self.text += chunk.decode("utf-8", "replace")

    def wait_for(self, word, seconds=10):
        until = time.monotonic() + seconds
        while time.monotonic() < until:
            with self.lock:
                if word in self.text:
                    return True
            time.sleep(0.02)
        return False


def telnetd_session():
    if not os.access(TELNETD, os.X_OK):
        failures.append(f"{TELNETD} is missing (scripts/deps.sh installs inetutils-telnetd)")
        return
    listener = socket.create_server(("127.0.0.1", 0))
    port = listener.getsockname()[1]
    server = threading.Thread(target=serve_telnetd, args=(listener,), daemon=True)
    server.start()
    client = subprocess.Popen([kestrel, "telnet", "localhost", str(port), "--timeout", "3",
                               "--terminal", "XTERM-KESTREL"],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)
    out = Reader(client.stdout)
    for prompt, answer in (("login:", "kestrel"), ("Password:", "secret"),
                           ("Welcome", "73 de kestrel"), ("you said: 73", "bye")):
        if not out.wait_for(prompt):
            failures.append(f"telnetd: no {prompt!r} in {out.text!r}")
            break
        client.stdin.write(answer.encode() + b"\n")
        client.stdin.flush()
    client.stdin.close()
    status = client.wait(timeout=30)
    out.join(timeout=5)
    error = client.stderr.read().decode()
    check("telnetd: exit status", status, 0)
    check_true("telnetd: logged in with the negotiated terminal type",
               "Welcome kestrel, TERM=xterm-kestrel" in out.text, repr(out.text))
    check_true("telnetd: the line went through", "you said: 73 de kestrel" in out.text,
               repr(out.text))
    check_true("telnetd: the password is not echoed", "secret" not in out.text, repr(out.text))
    check_true("telnetd: no carriage returns on a pipe", "\r" not in out.text, repr(out.text))
    check("telnetd: nothing on standard error", error, "")
    server.join(timeout=10)
    listener.close()


# ---------------------------------------------------------------- TLS

def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


def make_certificates(folder):
    """A test authority, and a server certificate of it for localhost."""
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
            "-subj", "/O=Kestrel Test/CN=Kestrel Test CA", cwd=folder)
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost", cwd=folder)
    with open(os.path.join(folder, "ext.cnf"), "w") as ext:
        ext.write("subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"
                  "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "ext.cnf",
            cwd=folder)
    # A second authority that signed nothing here.
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", "other.key", "-out", "other.pem", "-days", "2",
            "-subj", "/CN=Some Other CA", cwd=folder)


def read_exactly(connection, count, seconds=5):
    data = b""
    connection.settimeout(seconds)
    while len(data) < count:
        chunk = connection.recv(count - len(data))
        if not chunk:
            break
        data += chunk
    return data


def relay(listener, tls_port, garbage=False):
    """The Telnet side of a server that offers START-TLS, handing the
    connection to s_server once the client follows."""
    try:
        relay_once(listener, tls_port, garbage)
    except OSError:
        pass  # a client that refused the certificate hangs up at once


def relay_once(listener, tls_port, garbage):
    client, _ = listener.accept()
    with client:
        client.sendall(bytes([IAC, DO, START_TLS]))
        if read_exactly(client, 3) != bytes([IAC, WILL, START_TLS]):
            return
        client.sendall(bytes([IAC, SB, START_TLS, FOLLOWS, IAC, SE]))
        if read_exactly(client, 6) != bytes([IAC, SB, START_TLS, FOLLOWS, IAC, SE]):
            return
        if garbage:
            client.sendall(b"\x16\x03\x01\x00\x05garbage, not a server hello" * 20)
            time.sleep(0.5)
            return
        upstream = socket.create_connection(("127.0.0.1", tls_port))
        with upstream:
            ends = [client, upstream]
            while True:
                readable, _, _ = select.select(ends, [], [], 10)
                if not readable:
                    return
                for end in readable:
                    data = end.recv(65536)
                    if not data:
                        return
                    (upstream if end is client else client).sendall(data)


class SecurityInfo(C.Structure):
    _fields_ = ([(n, C.c_uint32) for n in ("size", "protocol", "cipher", "cipherStrength",
                                            "hash", "hashStrength", "keyExchange",
                                            "certificateStatus")] +
                [("validFrom", C.c_uint16 * 8), ("validUntil", C.c_uint16 * 8),
                 ("issuer", C.c_char_p), ("subject", C.c_char_p)])


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def tls_sessions(folder):
    make_certificates(folder)
    tls_port = free_port()
    s_server = subprocess.Popen(
        ["openssl", "s_server", "-accept", f"127.0.0.1:{tls_port}", "-cert", "server.pem",
         "-key", "server.key", "-rev", "-quiet", "-naccept", "6"],
        cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    try:
        until = time.monotonic() + 10
        while time.monotonic() < until:
            try:
                socket.create_connection(("127.0.0.1", tls_port)).close()
                break
            except OSError:
                time.sleep(0.05)
        tls_cases(folder, tls_port)
    finally:
        s_server.kill()
        s_server.wait()


def session_through_relay(lib, host, tls_port, garbage=False, options=0x1000):
    listener = socket.create_server(("127.0.0.1", 0))
    server = threading.Thread(target=relay, args=(listener, tls_port, garbage), daemon=True)
    server.start()
    handle = lib.TelnetConnectExA(host, listener.getsockname()[1], 3, options)
    return handle, server, listener


def read_some(lib, handle, seconds=5):
    buffer = C.create_string_buffer(256)
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        n = lib.TelnetRead(handle, buffer, 256)
        if n > 0:
            return buffer.raw[:n], 0
        error = lib.TelnetGetLastError()
        if error not in (27511, 27521):
            return b"", error
    return b"", 27511


def tls_cases(folder, tls_port):
    lib = C.CDLL(library_path)
    lib.TelnetConnectExA.argtypes = [C.c_char_p, C.c_int, C.c_int, C.c_uint32]
    lib.TelnetRead.argtypes = [C.c_int, C.c_char_p, C.c_int]
    lib.TelnetWrite.argtypes = [C.c_int, C.c_char_p, C.c_int]
    lib.TelnetGetSecurityInformationA.argtypes = [C.c_int, C.POINTER(SecurityInfo)]
    check("initialize", lib.TelnetInitializeA(None, None), 1)
    os.environ["SSL_CERT_FILE"] = os.path.join(folder, "ca.pem")

    # The good case: the certificate is for localhost and signed by our CA.
    handle, server, listener = session_through_relay(lib, b"localhost", tls_port)
    check_true("tls: connect", handle >= 0, str(lib.TelnetGetLastError()))
    lib.TelnetSetTimeout(handle, 1)
    # Reads drive the negotiation and the handshake: read until the secure
    # layer is up (a loaded machine or the sanitizers may take seconds).
    info = SecurityInfo()
    info.size = C.sizeof(SecurityInfo)
    secured = 0
    until = time.monotonic() + 20
    while time.monotonic() < until:
        read_some(lib, handle, seconds=0.5)
        secured = lib.TelnetGetSecurityInformationA(handle, C.byref(info))
        if secured == 1:
            break
    check("tls: security information", secured, 1)
    check("tls: protocol (TLS 1.2 or later)", info.protocol, 256)
    check("tls: certificate status", info.certificateStatus, 1)
    check_true("tls: cipher strength", info.cipherStrength >= 128, str(info.cipherStrength))
    check("tls: hash", info.hash, 2)
    check("tls: key exchange (elliptic-curve)", info.keyExchange, 4)
    check_true("tls: subject", b"localhost" in (info.subject or b""), repr(info.subject))
    check_true("tls: issuer", b"Kestrel Test CA" in (info.issuer or b""), repr(info.issuer))
    check_true("tls: valid from this year or the last",
               info.validFrom[0] >= time.gmtime().tm_year - 1, str(list(info.validFrom)))
    check_true("tls: valid for two days",
               (info.validUntil[0], info.validUntil[1]) >= (info.validFrom[0], info.validFrom[1]),
               str(list(info.validUntil)))
    lib.TelnetSetTimeout(handle, 5)
    check("tls: write", lib.TelnetWrite(handle, b"kestrel 73\n", 11), 11)
    data, error = read_some(lib, handle)
    check("tls: the server's answer came through the secure layer", data, b"37 lertsek\n")
    check("tls: disconnect", lib.TelnetDisconnect(handle), 0)
    server.join(timeout=5)
    listener.close()

    # The host name the certificate does not name.
    handle, server, listener = session_through_relay(lib, b"127.0.0.1", tls_port)
    data, error = read_some(lib, handle)
    check("tls: wrong host name fails the certificate check", error, 27584)
    check("tls: after a failed check the session is closed",
          lib.TelnetWrite(handle, b"secret\n", 7), -1)
    lib.TelnetDisconnect(handle)
    server.join(timeout=5)
    listener.close()

    # A certificate of an authority the client does not trust.
    os.environ["SSL_CERT_FILE"] = os.path.join(folder, "other.pem")
    handle, server, listener = session_through_relay(lib, b"localhost", tls_port)
    data, error = read_some(lib, handle)
    check("tls: untrusted issuer fails the certificate check", error, 27584)
    lib.TelnetDisconnect(handle)
    server.join(timeout=5)
    listener.close()
    os.environ["SSL_CERT_FILE"] = os.path.join(folder, "ca.pem")

    # Garbage where the server's TLS should be.
    handle, server, listener = session_through_relay(lib, b"localhost", tls_port, garbage=True)
    data, error = read_some(lib, handle)
    check("tls: garbage gives the security-context error", error, 27582)
    lib.TelnetDisconnect(handle)
    server.join(timeout=5)
    listener.close()
    lib.TelnetUninitialize()

    # kestrel telnet --tls through the same prelude.
    listener = socket.create_server(("127.0.0.1", 0))
    server = threading.Thread(target=relay, args=(listener, tls_port), daemon=True)
    server.start()
    environment = dict(os.environ, SSL_CERT_FILE=os.path.join(folder, "ca.pem"))
    client = subprocess.Popen([kestrel, "telnet", "localhost", str(listener.getsockname()[1]),
                               "--tls", "--timeout", "2"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=environment)
    out = Reader(client.stdout)
    time.sleep(1.0)  # the handshake runs when the server's offer is read
    client.stdin.write(b"abc\n")
    client.stdin.close()
    status = client.wait(timeout=30)
    out.join(timeout=5)
    error = client.stderr.read().decode()
    check("kestrel telnet --tls: status", status, 0)
    check_true("kestrel telnet --tls: answer", "cba" in out.text, repr(out.text))
    check_true("kestrel telnet --tls: says it is secure", "secure session with" in error, error)
    server.join(timeout=5)
    listener.close()


telnetd_session()
with tempfile.TemporaryDirectory() as folder:
    tls_sessions(folder)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)

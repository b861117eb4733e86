#!/usr/bin/python3
"""A scriptable HTTPS server on 127.0.0.1 for the transfer tests.

The path of each request says how to answer, including the ways a server can
misbehave: a missing or false "Content-Length", a body cut short, a reset or a
stall in the middle of the body, an answer that never comes, an authentication
challenge, a redirect. It listens on several ports: one with a certificate the
tests trust, one with a certificate for another host, one with a certificate
from an authority no one trusts, one whose certificate has expired, and one
in plain HTTP; free ports, or fixed
ones with --base-port. The ports are printed as one JSON line; the server runs
until it is killed or stdin closes.
"""

import argparse
import base64
import json
import socket
import ssl
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# How long a stalled or silent answer holds the connection open at most.
HOLD_SECONDS = 40


def pattern(size, offset=0):
    """Bytes that the tests can recompute: byte i is i modulo 251."""
    return bytes((i % 251) for i in range(offset, offset + size))


def changed(size):
    """Another version of the file of the same size: no byte in common."""
    return bytes(((i % 251) + 1) % 256 for i in range(size))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    config = {}
    tunnels = 0
    # How many requests carried an "Authorization" header so far.
    authorizations = 0
    authorizations_lock = threading.Lock()
    # How many requests each path of the resumable routes got so far.
    requests = {}

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.headers.get("Authorization") is not None:
            with Handler.authorizations_lock:
                Handler.authorizations += 1
        parts = [p for p in self.path.split("?")[0].split("/") if p]
        route = parts[0] if parts else ""
        args = parts[1:]
        handler = getattr(self, "route_" + route.replace("-", "_"), None)
        if handler is None:
            self.answer(404, b"<html>no existe</html>", reason="Not Found")
            return
        try:
            handler(*args)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            self.close_connection = True

    def do_CONNECT(self):
        """A proxy's tunnel, on the plain HTTP listener. Every host name
        leads to 127.0.0.1: the tests never reach another machine."""
        _, _, port = self.path.rpartition(":")
        Handler.tunnels += 1
        upstream = socket.create_connection(("127.0.0.1", int(port)))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()

        def pump(source, target):
            try:
                while True:
                    data = source.recv(65536)
                    if not data:
                        break
                    target.sendall(data)
            except OSError:
                pass
            finally:
                for end in (source, target):
                    try:
                        end.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass

        back = threading.Thread(target=pump, args=(upstream, self.connection), daemon=True)
        back.start()
        pump(self.connection, upstream)
        back.join(HOLD_SECONDS)
        upstream.close()
        self.close_connection = True

    def route_tunnels(self):
        """How many proxy tunnels were opened so far, as the body."""
        self.answer(200, str(Handler.tunnels).encode())

    # --- helpers -----------------------------------------------------------
    def head(self, status, headers, reason=None):
        self.send_response(status, reason)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.flush()

    def answer(self, status, body, reason=None, extra=()):
        self.head(status, [("Content-Length", str(len(body)))] + list(extra), reason)
        self.wfile.write(body)
        self.wfile.flush()

    def hold(self):
        """Keeps the connection open, saying nothing, until the client goes."""
        self.connection.settimeout(1.0)
        deadline = time.monotonic() + HOLD_SECONDS
        while time.monotonic() < deadline:
            try:
                if not self.connection.recv(1):
                    break
            except socket.timeout:
                continue
            except (ssl.SSLError, OSError):
                break
        self.close_connection = True

    def close_cleanly(self):
        """Ends the connection in order, as a server that means to: over TLS
        with its closing alert, so that no client takes it for a cut."""
        self.wfile.flush()
        self.close_connection = True
        if isinstance(self.connection, ssl.SSLSocket):
            self.connection.settimeout(1.0)
            try:
                self.connection.unwrap()
            except (ssl.SSLError, OSError):
                pass

    def send_pieces(self, size, offset=0):
        sent = 0
        while sent < size:
            piece = min(16384, size - sent)
            self.wfile.write(pattern(piece, offset + sent))
            sent += piece
        self.wfile.flush()

    # --- routes --------------------------------------------------------------
    def route_ok(self, size):
        size = int(size)
        self.head(200, [("Content-Length", str(size)), ("X-Prueba", "Valor")])
        self.send_pieces(size)

    def route_chunked(self, size):
        size = int(size)
        self.head(200, [("Transfer-Encoding", "chunked")])
        self.write_chunked(size)

    def write_chunked(self, size):
        sent = 0
        while sent < size:
            piece = min(1000, size - sent)
            self.wfile.write(b"%x\r\n" % piece + pattern(piece, sent) + b"\r\n")
            sent += piece
        self.wfile.write(b"0\r\n\r\n")
        self.wfile.flush()

    def route_length(self, value, size):
        """A "Content-Length" of any text, then `size` bytes and the end."""
        self.head(200, [("Content-Length", value), ("Connection", "close")])
        self.send_pieces(int(size))
        self.close_connection = True

    def route_short(self, announced, size):
        self.head(200, [("Content-Length", announced), ("Connection", "close")])
        self.send_pieces(int(size))
        self.close_cleanly()

    def route_long(self, announced, size):
        """More bytes than announced: chunked framing carries them all."""
        self.head(200, [("Content-Length", announced), ("Transfer-Encoding", "chunked")])
        self.write_chunked(int(size))
        self.close_connection = True

    def route_status(self, code):
        reasons = {404: "Not Found", 500: "Internal Server Error", 403: "Forbidden",
                   401: "Unauthorized"}
        code = int(code)
        self.answer(code, b"<html><body>Error %d</body></html>" % code, reasons.get(code))

    def route_reset(self, announced, size):
        self.head(200, [("Content-Length", announced)])
        self.send_pieces(int(size))
        time.sleep(0.2)
        # A zero linger time makes close() send a reset instead of a clean end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.wfile.close()
        self.rfile.close()
        self.connection.close()
        self.close_connection = True

    def route_stall(self, announced, size):
        self.head(200, [("Content-Length", announced)])
        self.send_pieces(int(size))
        self.hold()

    def route_silent(self):
        self.hold()

    def route_slow(self, size, pieces, pause_ms):
        """`size` bytes in `pieces` writes with a pause between them."""
        size, pieces, pause = int(size), int(pieces), int(pause_ms) / 1000.0
        self.head(200, [("Content-Length", str(size))])
        sent = 0
        for index in range(pieces):
            piece = size // pieces if index < pieces - 1 else size - sent
            self.wfile.write(pattern(piece, sent))
            self.wfile.flush()
            sent += piece
            time.sleep(pause)

    def route_resume(self, first, then, size):
        """A body of `size` bytes (ETag "v1") whose first answer breaks after
        a third, as `first` says: "reset", "close" or "stall". A request for a
        range of it then gets, as `then` says: "rest" (206 when If-Range
        matches) or "new" (the file changed: 200 with the new one)."""
        size = int(size)
        Handler.count(self.path)
        wanted = self.headers.get("Range")
        if wanted is None:
            self.break_body(first, size, size // 3, 0, [("Content-Length", str(size))])
            return
        start = int(wanted.split("=")[1].rstrip("-"))
        if then == "rest" and self.headers.get("If-Range") == '"v1"':
            self.head(206, [("Content-Length", str(size - start)), ("ETag", '"v1"'),
                            ("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))],
                      "Partial Content")
            self.send_pieces(size - start, start)
        elif then == "new":
            self.answer(200, changed(size), extra=[("ETag", '"v2"')])

    def break_body(self, how, size, sent, offset, headers):
        """Announces `size` bytes, sends `sent` of them, then breaks."""
        self.head(200, headers + [("ETag", '"v1"')])
        self.send_pieces(sent, offset)
        if how == "stall":
            self.hold()
            return
        time.sleep(0.2)
        if how == "reset":
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
        self.wfile.close()
        self.rfile.close()
        self.connection.close()
        self.close_connection = True

    @staticmethod
    def count(path):
        with Handler.authorizations_lock:
            Handler.requests[path] = Handler.requests.get(path, 0) + 1

    def route_requests(self, *path):
        """How many requests the path after "/requests" got so far."""
        self.answer(200, str(Handler.requests.get("/" + "/".join(path), 0)).encode())

    def basic(self):
        return "Basic " + base64.b64encode(
            ("%s:%s" % (self.config["user"], self.config["password"])).encode()).decode()

    def route_authorizations(self):
        self.answer(200, str(Handler.authorizations).encode())

    def route_auth(self, size):
        expected = "Basic " + base64.b64encode(
            ("%s:%s" % (self.config["user"], self.config["password"])).encode()).decode()
        if self.headers.get("Authorization") != expected:
            self.answer(401, b"<html>identificate</html>", "Unauthorized",
                        [("WWW-Authenticate", 'Basic realm="descargas"')])
            return
        self.route_ok(size)

    def route_redirect(self, size):
        port = self.config["https"]
        self.answer(302, b"", "Found", [("Location", "https://127.0.0.1:%d/ok/%s" % (port, size))])

    def route_redirect_loop(self):
        """A redirect to itself, for ever."""
        self.answer(302, b"", "Found", [("Location", "/redirect-loop")])

    def route_close(self):
        """Takes the request and closes the connection without a word."""
        self.close_cleanly()

    def route_redirect_http(self, size):
        port = self.config["http"]
        self.answer(302, b"", "Found", [("Location", "http://127.0.0.1:%d/ok/%s" % (port, size))])


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, context, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.context = context

    def finish_request(self, request, client_address):
        # The handshake runs in the connection's own thread, so a client that
        # never completes it cannot hold up the others.
        if self.context is not None:
            try:
                request = self.context.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        # Connections that the tests cut or reset on purpose are not errors.
        pass


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main(argv=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("--pki", required=True, help="folder made by make-test-pki.sh")
    parser.add_argument("--user", default="prueba")
    parser.add_argument("--password", default="secreto")
    parser.add_argument("--base-port", type=int, default=0,
                        help="listen on BASE to BASE+3 and BASE+6 and leave "
                        "BASE+4 closed, instead of on free ports")
    options = parser.parse_args(argv)
    pki = options.pki
    base = options.base_port

    def listener(offset, certificate=None):
        context = None
        if certificate:
            context = tls_context(pki + "/" + certificate + ".pem", pki + "/" + certificate + ".key")
        return Server(context, base + offset if base else 0)

    servers = {
        "https": listener(0, "server"),
        "other_host": listener(1, "other-host"),
        "untrusted": listener(2, "untrusted"),
        "http": listener(3),
        # Offset 5 is the nginx mirror's in the scripts that fix the ports.
        "expired": listener(6, "expired"),
    }
    ports = {name: server.server_address[1] for name, server in servers.items()}
    if base:
        ports["closed"] = base + 4
    else:
        # A port that nothing listens on.
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        ports["closed"] = probe.getsockname()[1]
        probe.close()

    Handler.config = dict(ports, user=options.user, password=options.password)
    for server in servers.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print(json.dumps(ports), flush=True)
    # Ends with the test or the script that started it.
    sys.stdin.read()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""A local timestamping authority for the signature tests, signing with the
authority in FOLDER (tsa.pem, tsa.key, ca.pem, tsa.cnf). It answers an RFC
3161 TimeStampReq with `openssl ts -reply`, and a legacy Authenticode request
(base64 of a TimeStampRequest) with base64 of a PKCS #7 signature over the
signature value it carries, which becomes the countersignature. Prints the
port it listens on, then serves until killed.

    timestamp_server.py FOLDER
"""
import base64
import http.server
import os
import subprocess
import sys
import tempfile

folder = sys.argv[1]


def last_octet_string(der):
    """The content of the last OCTET STRING in a DER encoding, looked for
    inside every constructed element."""
    found, at = None, 0
    while at + 2 <= len(der):
        tag, length, at = der[at], der[at + 1], at + 2
        if length & 0x80:
            count = length & 0x7F
            length, at = int.from_bytes(der[at:at + count], "big"), at + count
        content, at = der[at:at + length], at + length
        if tag == 0x04:
            found = content
        elif tag & 0x20:
            found = last_octet_string(content) or found
    return found


def openssl(arguments):
    made = subprocess.run(["openssl"] + arguments, capture_output=True)
    return made.returncode == 0, made.stderr.decode(errors="replace")[:200]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        if self.headers.get("Content-Type") != "application/timestamp-query":
            self.legacy(query)
            return
        with tempfile.TemporaryDirectory() as work:
            request, reply = os.path.join(work, "q.tsq"), os.path.join(work, "r.tsr")
            with open(request, "wb") as out:
                out.write(query)
            made, error = openssl(["ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"),
                                   "-queryfile", request, "-out", reply])
            if not made:
                self.send_error(500, error)
                return
            with open(reply, "rb") as answer:
                self.answer("application/timestamp-reply", answer.read())

    def legacy(self, query):
        stamped = last_octet_string(base64.b64decode(query))
        if stamped is None:
            self.send_error(400, "no signature value to stamp")
            return
        with tempfile.TemporaryDirectory() as work:
            blob, reply = os.path.join(work, "blob"), os.path.join(work, "reply.p7")
            with open(blob, "wb") as out:
                out.write(stamped)
            made, error = openssl(["smime", "-sign", "-binary", "-nodetach", "-nosmimecap",
                                   "-md", "sha256", "-in", blob, "-outform", "DER",
                                   "-out", reply,
                                   "-signer", os.path.join(folder, "tsa.pem"),
                                   "-inkey", os.path.join(folder, "tsa.key")])
            if not made:
                self.send_error(500, error)
                return
            with open(reply, "rb") as answer:
                self.answer("application/octet-stream", base64.b64encode(answer.read()))

    def answer(self, content_type, body):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()

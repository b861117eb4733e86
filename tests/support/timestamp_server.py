#!/usr/bin/env python3
"""A local timestamping authority for the signature tests, signing with the
certificates in FOLDER (tsa.cnf, and NAME.pem, NAME.key, NAME.chain.pem for each
signer). It answers an RFC 3161 TimeStampReq with `openssl ts -reply`, and a
legacy Authenticode request (base64 of a TimeStampRequest) with base64 of a
PKCS #7 signature over the signature value it carries, which becomes the
countersignature. The request's path names the signer: /NAME, and / for
"tsa"; ?digest=NAME sets the digest it signs with (sha256 unless told). The
chain file's certificates travel with the answer, so that a
signer below an intermediate authority can be followed to the root. Prints
the port it listens on, then serves until killed.

    timestamp_server.py FOLDER
"""
import base64
import http.server
import os
import re
import subprocess
import sys
import tempfile
import urllib.parse

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


def signer_files(request_path):
    """The certificate, key and chain of the signer the path names, and the
    digest to sign with; None when they are not there."""
    parts = urllib.parse.urlsplit(request_path)
    name = parts.path.strip("/") or "tsa"
    digest = urllib.parse.parse_qs(parts.query).get("digest", ["sha256"])[0]
    if not re.fullmatch(r"[a-z0-9-]+", name) or not re.fullmatch(r"[a-z0-9]+", digest):
        return None
    files = [os.path.join(folder, name + suffix) for suffix in (".pem", ".key", ".chain.pem")]
    return files + [digest] if all(os.path.exists(f) for f in files) else None


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        signer = signer_files(self.path)
        if signer is None:
            self.send_error(404, "no such signer")
            return
        if self.headers.get("Content-Type") != "application/timestamp-query":
            self.legacy(query, signer)
            return
        with tempfile.TemporaryDirectory() as work:
            request, reply = os.path.join(work, "q.tsq"), os.path.join(work, "r.tsr")
            with open(request, "wb") as out:
                out.write(query)
            made, error = openssl(["ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"),
                                   "-signer", signer[0], "-inkey", signer[1],
                                   "-chain", signer[2], "-" + signer[3],
                                   "-queryfile", request, "-out", reply])
            if not made:
                self.send_error(500, error)
                return
            with open(reply, "rb") as answer:
                self.answer("application/timestamp-reply", answer.read())

    def legacy(self, query, signer):
        stamped = last_octet_string(base64.b64decode(query))
        if stamped is None:
            self.send_error(400, "no signature value to stamp")
            return
        with tempfile.TemporaryDirectory() as work:
            blob, reply = os.path.join(work, "blob"), os.path.join(work, "reply.p7")
            with open(blob, "wb") as out:
                out.write(stamped)
            made, error = openssl(["smime", "-sign", "-binary", "-nodetach", "-nosmimecap",
                                   "-md", signer[3], "-in", blob, "-outform", "DER",
                                   "-out", reply,
                                   "-signer", signer[0], "-inkey", signer[1],
                                   "-certfile", signer[2]])
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

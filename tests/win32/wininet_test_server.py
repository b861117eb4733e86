#!/usr/bin/python3
"""The scriptable HTTPS server of the transfer tests, on fixed ports.

The Windows tests run under wine and cannot start Linux programs, so the
server is started beforehand by run-wininet-tests.sh, on ports the test
program is told of. It listens on BASE (the trusted certificate), BASE+1 (a
certificate for another host), BASE+2 (an untrusted authority) and BASE+3
(plain HTTP); nothing listens on BASE+4. It adds a route that shows what the
client sent, and a redirect to the name the trusted certificate is for.
"""

import argparse
import importlib.util

def load_server(path):
    found = importlib.util.spec_from_file_location("test_server", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--script", required=True, help="the transfer tests' test_server.py")
    options, server_arguments = parser.parse_known_args()
    server = load_server(options.script)
    Handler = server.Handler

    def route_headers(self):
        """The request's header lines as the body."""
        self.answer(200, str(self.headers).encode("latin-1"))

    def route_redirect_name(self, size):
        """A redirect to the name the trusted certificate is for."""
        port = self.config["https"]
        self.answer(302, b"", "Found", [("Location", "https://localhost:%d/ok/%s" % (port, size))])

    def route_redirect_relative(self, size):
        self.answer(301, b"", "Moved Permanently", [("Location", "/ok/%s" % size)])

    Handler.route_headers = route_headers
    Handler.route_redirect_name = route_redirect_name
    Handler.route_redirect_relative = route_redirect_relative

    # --pki and --base-port are the base server's.
    server.main(server_arguments)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""A WebDAV server that answers wrong on purpose, for the sync's tests.

faulty_dav.py PORT MODE, on 127.0.0.1. MODE is one of:
  malformed  every request gets a 207 whose XML breaks off in the middle
  loop       every request is redirected, /a to /b and back again
  chain      /hop/N is redirected to /hop/N+1, without end
  silent     connections are accepted, nothing is ever answered
  huge       every request gets a 207 of 20 MB, its length said only under /length/
  outside    a multistatus naming cards outside the address book /book/
  trickle    a 207 that comes one byte every 0.2 s, for ever
  echo       a 200 whose body is the request as it came (method, path, headers, body);
             under /redirect/ a 301 to the same path under /echo/ first
  digest     the multistatus of outside, only for Digest as user "user", password "secret"
  tls        the multistatus of outside, over TLS with a certificate of its own making
"""
import hashlib
import http.server
import os
import re
import ssl
import subprocess
import sys
import tempfile
import time

MODE = sys.argv[2]
HUGE = 20 * 1024 * 1024


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def answer(self):
        length = int(self.headers.get("Content-Length") or 0)
        received = self.rfile.read(length) if length else b""
        if MODE == "echo":
            if self.path.startswith("/redirect/"):
                self.send_response(301)
                self.send_header("Location", "/echo/" + self.path[len("/redirect/"):])
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            headers = "".join("%s: %s\r\n" % field for field in self.headers.items())
            body = ("%s %s\r\n%s\r\n" % (self.command, self.path, headers)).encode()
            body += received
            self.send_response(200)
            self.send_header("Content-Type", "text/plain; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        if MODE == "trickle":
            self.send_response(207)
            self.end_headers()
            self.wfile.write(b"<multistatus xmlns='DAV:'>")
            while True:
                self.wfile.write(b" ")
                self.wfile.flush()
                time.sleep(0.2)
        if MODE == "silent":
            time.sleep(120)
            return
        if MODE == "loop":
            self.send_response(301)
            self.send_header("Location", "/b/" if self.path.startswith("/a") else "/a/")
            self.end_headers()
            return
        if MODE == "digest" and not self.digest_accepted():
            self.send_response(401)
            self.send_header("WWW-Authenticate",
                             'Digest realm="faulty", qop="auth", nonce="%s", algorithm=MD5'
                             % NONCE)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if MODE == "chain":
            parts = self.path.strip("/").split("/")
            hop = int(parts[1]) + 1 if len(parts) == 2 and parts[1].isdigit() else 1
            self.send_response(302)
            self.send_header("Location", "/hop/%d/" % hop)
            self.end_headers()
            return
        self.send_response(207)
        self.send_header("Content-Type", "application/xml; charset=utf-8")
        if MODE == "malformed":
            body = (b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:"><d:response>'
                    b'<d:href>/book/a.vcf</d:href><d:propstat><d:prop><d:getetag>"1"')
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        elif MODE == "huge":
            head = b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">'
            chunk = b"<!--" + b"x" * 65536 + b"-->"
            count = HUGE // len(chunk) + 1
            tail = b"</d:multistatus>"
            # Under /length/ the size is said before the body; elsewhere only the end tells.
            if "/length/" in self.path:
                self.send_header("Content-Length", str(len(head) + count * len(chunk) + len(tail)))
            self.end_headers()
            self.wfile.write(head)
            for _ in range(count):
                self.wfile.write(chunk)
            self.wfile.write(tail)
        elif MODE in ("outside", "digest", "tls"):
            body = (b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">'
                    b'<d:response><d:href>/book/in.vcf</d:href><d:propstat><d:prop>'
                    b'<d:getetag>"1"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status>'
                    b'</d:propstat></d:response>'
                    b'<d:response><d:href>/other/out.vcf</d:href><d:propstat><d:prop>'
                    b'<d:getetag>"2"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status>'
                    b'</d:propstat></d:response>'
                    b'<d:response><d:href>http://elsewhere.invalid/book/x.vcf</d:href>'
                    b'<d:propstat><d:prop><d:getetag>"3"</d:getetag></d:prop>'
                    b'<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>'
                    b'<d:response><d:href>/book/../secret.vcf</d:href><d:propstat><d:prop>'
                    b'<d:getetag>"4"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status>'
                    b'</d:propstat></d:response>'
                    b'</d:multistatus>')
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    def digest_accepted(self):
        header = self.headers.get("Authorization") or ""
        if not header.startswith("Digest "):
            return False
        pattern = r'(\w+)=(?:"([^"]*)"|([^,\s]*))'
        fields = {k: quoted or bare for k, quoted, bare in re.findall(pattern, header[7:])}

        def md5(text):
            return hashlib.md5(text.encode()).hexdigest()

        first = md5("user:faulty:secret")
        second = md5("%s:%s" % (self.command, fields.get("uri", "")))
        wanted = md5(":".join([first, fields.get("nonce", ""), fields.get("nc", ""),
                               fields.get("cnonce", ""), fields.get("qop", ""), second]))
        return fields.get("username") == "user" and fields.get("response") == wanted

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCOL = answer


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


NONCE = os.urandom(8).hex()


def certificate(folder):
    key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, capture_output=True)
    return cert, key


if __name__ == "__main__":
    context = None
    if MODE == "tls":
        with tempfile.TemporaryDirectory() as folder:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*certificate(folder))
    # The port opens only once all is ready: the tests take a connection as the sign.
    server = Server(("127.0.0.1", int(sys.argv[1])), Handler)
    if context:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()

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
  book       an address book at /book/ kept in memory (PUT, GET, DELETE, PROPFIND,
             sync-collection, addressbook-multiget) whose listings turn faulty on request:
             POST /fault/NAME, NAME one of none, malformed, loop, outside, silent, huge (a
             card of 20 MB added to the book), slowput (the next PUT is answered after 3 s,
             the card stored then, and every PUT after it after 50 ms)
"""
import hashlib
import html
import http.server
import os
import re
import ssl
import subprocess
import sys
import tempfile
import threading
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
        if MODE == "book":
            BOOK.answer(self, received)
            return
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

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCOL = do_POST = answer


class Book:
    """The address book of the book mode, and the fault its listings have now."""

    PATH = "/book/"
    PAGE = "http://faulty.invalid/page/"

    def __init__(self):
        self.cards = {}  # path: (etag, card)
        self.changes = []  # (revision, path), the latest change of a path last
        self.revision = 0
        self.fault = "none"
        self.lock = threading.Lock()

    def changed(self, path):
        self.revision += 1
        self.changes.append((self.revision, path))
        return '"%d"' % self.revision

    def token(self):
        return "http://faulty.invalid/sync/%d" % self.revision

    def send(self, handler, status, body=b"", headers=()):
        handler.send_response(status)
        for name, value in headers:
            handler.send_header(name, value)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        handler.wfile.write(body)

    def response(self, path, data):
        if path not in self.cards:
            return ("<d:response><d:href>%s</d:href><d:status>HTTP/1.1 404 Not Found"
                    "</d:status></d:response>" % path)
        etag, card = self.cards[path]
        inner = "<d:getetag>%s</d:getetag>" % html.escape(etag)
        if data:
            inner += "<c:address-data>%s</c:address-data>" % html.escape(card.decode()).replace(
                "\r", "&#13;")
        return ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
                "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>" % (path, inner))

    def multistatus(self, handler, responses, token=None):
        if self.fault == "outside":
            card = ("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:outsider\r\nN:Outsider;Olly;;;\r\n"
                    "FN:Olly Outsider\r\nEND:VCARD\r\n")
            for href in ("/other/out.vcf", "http://elsewhere.invalid/book/x.vcf",
                         "/book/../secret.vcf"):
                responses.append("<d:response><d:href>%s</d:href><d:propstat><d:prop>"
                                 "<d:getetag>\"9\"</d:getetag><c:address-data>%s"
                                 "</c:address-data></d:prop><d:status>HTTP/1.1 200 OK"
                                 "</d:status></d:propstat></d:response>"
                                 % (href, html.escape(card)))
        body = ('<?xml version="1.0" encoding="utf-8"?><d:multistatus xmlns:d="DAV:" '
                'xmlns:c="urn:ietf:params:xml:ns:carddav">' + "".join(responses))
        if token:
            body += "<d:sync-token>%s</d:sync-token>" % token
        body = (body + "</d:multistatus>").encode()
        if self.fault == "malformed":
            body = body[:len(body) // 2]
        self.send(handler, 207, body, [("Content-Type", "application/xml; charset=utf-8")])

    def listing(self, handler, received):
        """A PROPFIND or REPORT of the book, as the fault wants it."""
        if self.fault == "loop":
            target = "/loop/b/" if handler.path.startswith("/loop/a/") else "/loop/a/"
            self.send(handler, 301, headers=[("Location", target)])
            return
        text = received.decode()
        if handler.command == "PROPFIND":
            responses = [("<d:response><d:href>%s</d:href><d:propstat><d:prop><d:resourcetype>"
                          "<d:collection/><c:addressbook/></d:resourcetype><d:sync-token>%s"
                          "</d:sync-token></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                          "</d:propstat></d:response>" % (self.PATH, self.token()))]
            if handler.headers.get("Depth") == "1":
                responses += [self.response(path, False) for path in sorted(self.cards)]
            self.multistatus(handler, responses)
        elif "addressbook-multiget" in text:
            hrefs = re.findall(r"<[^>]*href>([^<]*)</", text)
            self.multistatus(handler, [self.response(html.unescape(h), True) for h in hrefs])
        elif "sync-collection" in text:
            found = re.search(r"sync-token>([^<]*)</", text)
            token = html.unescape(found.group(1)) if found else ""
            data = "address-data" in text
            if self.fault == "truncate" and (not token or token.startswith(self.PAGE)):
                # A whole listing two cards at a time, each part but the last cut short (507)
                # with the token of the next.
                start = int(token[len(self.PAGE):]) if token else 0
                paths = sorted(self.cards)[start:start + 2]
                responses = [self.response(p, data) for p in paths]
                if start + 2 < len(self.cards):
                    responses.append("<d:response><d:href>%s</d:href><d:status>HTTP/1.1 507 "
                                     "Insufficient Storage</d:status></d:response>" % self.PATH)
                    self.multistatus(handler, responses, self.PAGE + str(start + 2))
                else:
                    self.multistatus(handler, responses, self.token())
                return
            if not token:
                paths = sorted(self.cards)
            else:
                since = token.rsplit("/", 1)[-1]
                if not token.startswith("http://faulty.invalid/sync/") or not since.isdigit() \
                        or int(since) > self.revision:
                    self.send(handler, 403, b'<?xml version="1.0"?><d:error xmlns:d="DAV:">'
                              b'<d:valid-sync-token/></d:error>',
                              [("Content-Type", "application/xml; charset=utf-8")])
                    return
                paths = sorted({p for r, p in self.changes if r > int(since)})
            self.multistatus(handler, [self.response(p, data) for p in paths], self.token())
        else:
            self.send(handler, 400)

    def answer(self, handler, received):
        if self.fault == "silent" and handler.command in ("PROPFIND", "REPORT"):
            time.sleep(120)
            return
        if handler.command == "PUT" and self.fault in ("slowput", "sluggish"):
            with self.lock:
                slow = self.fault == "slowput"
                self.fault = "sluggish"
            time.sleep(3 if slow else 0.05)
        # One request at a time: the requests of a sync come several at once.
        with self.lock:
            self.answer_one(handler, received)

    def answer_one(self, handler, received):
        path = handler.path
        if handler.command == "POST" and path.startswith("/fault/"):
            self.fault = path[len("/fault/"):]
            if self.fault == "huge":
                note = b"x" * HUGE
                self.cards[self.PATH + "huge.vcf"] = (
                    self.changed(self.PATH + "huge.vcf"),
                    b"BEGIN:VCARD\r\nVERSION:3.0\r\nUID:huge\r\nN:Huge;Hugo;;;\r\n"
                    b"FN:Hugo Huge\r\nNOTE:" + note + b"\r\nEND:VCARD\r\n")
            self.send(handler, 200)
            return
        if handler.command in ("PROPFIND", "REPORT"):
            if path == self.PATH or path.startswith("/loop/"):
                self.listing(handler, received)
            else:
                self.send(handler, 404)
            return
        if not path.startswith(self.PATH) or path == self.PATH:
            self.send(handler, 405)
            return
        have = self.cards.get(path)
        match = handler.headers.get("If-Match")
        if handler.command == "GET":
            if have:
                self.send(handler, 200, have[1], [("ETag", have[0]), ("Content-Type", "text/vcard")])
            else:
                self.send(handler, 404)
        elif handler.command == "PUT":
            if (handler.headers.get("If-None-Match") == "*" and have) or \
                    (match and (not have or have[0] != match)):
                self.send(handler, 412)
                return
            etag = self.changed(path)
            self.cards[path] = (etag, received)
            self.send(handler, 204 if have else 201, headers=[("ETag", etag)])
        elif handler.command == "DELETE":
            if not have:
                self.send(handler, 404)
            elif match and have[0] != match:
                self.send(handler, 412)
            else:
                del self.cards[path]
                self.changed(path)
                self.send(handler, 204)
        else:
            self.send(handler, 405)


BOOK = Book()


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

"""An HTTPS server on 127.0.0.1 that serves the files of one folder and
misbehaves on request, for testing downloads without reaching outside the
machine. Clients name it `localhost` (its certificate is made for that name).

Paths (REST is again such a path; the first part chooses):
    /NAME               the file NAME of the folder, with ETag and Last-Modified;
                        304 to a matching If-None-Match / If-Modified-Since
    /DIR/               (any path ending in '/') a listing of the folder's
                        files in the form of Apache's folder pages
    /redirect/N/REST    N redirects (302) to /REST
    /loop/REST          302 to itself
    /to-http/REST       302 to http://localhost:PORT/REST
    /status/CODE/REST   the status CODE with a short HTML page
    /html/REST          200 with a text/html page
    /short/REST         announces 1000 bytes more than REST has, sends half, closes
    /long/REST          announces half of REST, sends all of it, closes
    /stall/REST         headers and 4 KiB of REST, then nothing for 35 s
    /huge/REST          announces 2 GiB, sends REST, closes
    /slow/REST          REST in pieces of 64 KiB, 50 ms apart

Every request is recorded in `requests` as (method, path, status, body
bytes sent), so that a test can check that an unchanged file sent no body.

In a test:  with LoopbackServer(folder, make_certificate(work)) as server: server.url("x.nc")
By hand:    python3 loopback_server.py FOLDER CERTIFICATE_FOLDER   (prints the port)
"""

import email.utils
import html
import http.server
import os
import socket
import ssl
import subprocess
import sys
import threading


def make_certificate(folder):
    """A self-signed certificate for `localhost` in folder (made once):
    (cert.pem, key.pem, cert.der)."""
    os.makedirs(folder, exist_ok=True)
    pem, key, der = (os.path.join(folder, name) for name in ("cert.pem", "key.pem", "cert.der"))
    if not os.path.exists(der):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", pem,
                        "-days", "7", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"],
                       check=True, capture_output=True)
        subprocess.run(["openssl", "x509", "-in", pem, "-outform", "DER", "-out", der], check=True)
    return pem, key, der


def closed_port():
    """A port on the loopback address nobody listens on."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.sent = 0
        status = self.answer(self.path.split("?")[0].lstrip("/"))
        with self.server.lock:
            self.server.requests.append((self.command, self.path, status, self.sent))

    def answer(self, path):
        word, _, rest = path.partition("/")
        if word == "redirect":
            count, _, rest = rest.partition("/")
            return self.redirect(f"/redirect/{int(count) - 1}/{rest}" if int(count) > 1 else "/" + rest)
        if word == "loop":
            return self.redirect("/" + path)
        if word == "to-http":
            return self.redirect(f"http://localhost:{self.server.server_port}/{rest}")
        if word == "status":
            code, _, _ = rest.partition("/")
            return self.page(int(code), f"<h1>{code}</h1>")
        if word == "html":
            return self.page(200, "<h1>Willkommen</h1><p>Die Datei finden Sie weiter unten.</p>")
        if path == "" or path.endswith("/"):
            return self.page(200, self.listing())
        file = os.path.join(self.server.folder, os.path.basename(rest if word in MISBEHAVIOURS else path))
        if not os.path.isfile(file):
            return self.page(404, "<h1>Not Found</h1>")
        with open(file, "rb") as f:
            data = f.read()
        if word in MISBEHAVIOURS:
            return MISBEHAVIOURS[word](self, data)
        stat = os.stat(file)
        tag = f'"{stat.st_size:x}-{stat.st_mtime_ns:x}"'
        modified = email.utils.formatdate(int(stat.st_mtime), usegmt=True)
        since = self.headers.get("If-Modified-Since")
        match = self.headers.get("If-None-Match")
        if match is not None:
            unchanged = tag in [t.strip() for t in match.split(",")] or match.strip() == "*"
        else:
            unchanged = since is not None and email.utils.parsedate_to_datetime(since).timestamp() >= int(stat.st_mtime)
        headers = {"ETag": tag, "Last-Modified": modified}
        if unchanged:
            self.start(304, headers)
            return 304
        self.start(200, {**headers, "Content-Length": len(data)})
        self.send(data)
        return 200

    def start(self, status, headers, content_type="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        for name, value in headers.items():
            self.send_header(name, str(value))
        self.end_headers()

    def send(self, data):
        self.wfile.write(data)
        self.wfile.flush()
        self.sent += len(data)

    def page(self, status, body):
        data = f"<!DOCTYPE html><html><body>{body}</body></html>\n".encode()
        self.start(status, {"Content-Length": len(data)}, "text/html; charset=utf-8")
        self.send(data)
        return status

    def redirect(self, location):
        self.start(302, {"Location": location, "Content-Length": 0})
        return 302

    def listing(self):
        names = sorted(os.listdir(self.server.folder))
        rows = "".join(f'<a href="{html.escape(n)}">{html.escape(n)}</a>\n' for n in names)
        return f'<h1>Index of {html.escape(self.path)}</h1><pre><a href="?C=N;O=D">Name</a>\n' \
               f'<a href="/">Parent Directory</a>\n{rows}</pre>'

    def misbehave(self, announced, data, pause=0.0):
        """Sends data in pieces of 64 KiB as if it were `announced` bytes long, then closes."""
        self.close_connection = True
        self.start(200, {"Content-Length": announced, "Connection": "close"})
        for at in range(0, len(data), 1 << 16):
            self.send(data[at:at + (1 << 16)])
            if pause and self.server.stopping.wait(pause):
                break
        return 200

    def short(self, data):
        return self.misbehave(len(data) + 1000, data[:len(data) // 2])

    def long(self, data):
        return self.misbehave(len(data) // 2, data)

    def stall(self, data):
        self.misbehave(len(data), data[:4096])
        self.server.stopping.wait(35)
        return 200

    def huge(self, data):
        return self.misbehave(2 << 30, data)

    def slow(self, data):
        return self.misbehave(len(data), data, pause=0.05)


MISBEHAVIOURS = {"short": Handler.short, "long": Handler.long, "stall": Handler.stall, "huge": Handler.huge,
                 "slow": Handler.slow}


class LoopbackServer(http.server.ThreadingHTTPServer):
    """Serves folder over HTTPS with the certificate of make_certificate,
    in a thread of its own while used as a context manager."""
    daemon_threads = True

    def __init__(self, folder, certificate):
        super().__init__(("127.0.0.1", 0), Handler)
        self.folder = folder
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(certificate[0], certificate[1])
        self.lock = threading.Lock()
        self.requests = []
        self.stopping = threading.Event()

    def url(self, path):
        return f"https://localhost:{self.server_port}/{path}"

    def finish_request(self, request, client_address):
        # The handshake runs in the request's thread: a client that fails it
        # (an untrusted certificate) must not hold up the others.
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            super().finish_request(request, client_address)
        finally:
            request.close()

    def handle_error(self, request, client_address):
        # A client that gives up mid-answer is what the misbehaving paths provoke.
        if not isinstance(sys.exc_info()[1], (ConnectionError, ssl.SSLError, TimeoutError)):
            super().handle_error(request, client_address)

    def __enter__(self):
        threading.Thread(target=self.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.shutdown()
        self.server_close()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with LoopbackServer(os.path.abspath(sys.argv[1]), make_certificate(sys.argv[2])) as server:
        print(server.server_port, flush=True)
        try:
            threading.Event().wait()
        except KeyboardInterrupt:
            pass

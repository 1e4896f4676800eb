#!/usr/bin/python3
"""SMTP peers on 127.0.0.1 for the mail client's tests: smtp_peer.py MODE DIR prints
"PORT PID" once it listens. "store" is aiosmtpd; each message, parsed by the email
package, goes to DIR/N.json with its attachments in DIR/N.K.bin. "auth" and
"auth-login" are the same server asking for a sign-in (user "me", password
"s3cret"; "auth-login" offers AUTH LOGIN only) with a stand-in for STARTTLS that
answers 220 and carries on in plain text, for clients whose TLS layer is a
stand-in too. "tls CERT KEY OTHERCERT OTHERKEY" is "auth" with real TLS and prints
"PORT PID PORT2 PORT3": STARTTLS on PORT, TLS from the start on PORT2, both with
CERT, and STARTTLS with OTHERCERT on PORT3. The other modes script faults and log
what the client sent to DIR/received.txt; "sink" takes messages as fast as it can
read them and keeps nothing (for timings). Every closed connection adds a line to
DIR/closed.log."""
import asyncio
import email
import email.policy
import email.utils
import json
import os
import socket
import logging
import ssl
import sys
import threading

mode, folder = sys.argv[1], sys.argv[2]
logging.getLogger("mail.log").setLevel(logging.ERROR)  # aiosmtpd's own notes on login_data


def closed():
    with open(os.path.join(folder, "closed.log"), "a") as log:
        log.write("closed\n")


def store():
    try:
        from aiosmtpd.smtp import SMTP, AuthResult, syntax
    except ImportError:
        print("NO-AIOSMTPD", flush=True)
        return

    class Store:
        count = 0

        async def handle_DATA(self, server, session, envelope):
            message = email.message_from_bytes(envelope.original_content,
                                               policy=email.policy.default)
            n = Store.count
            Store.count += 1
            text = message.get_body(("plain",))
            record = {
                "mail_from": envelope.mail_from,
                "rcpt_tos": envelope.rcpt_tos,
                "from": [[a.display_name, a.addr_spec] for a in message["from"].addresses],
                "to": [[a.display_name, a.addr_spec] for a in message["to"].addresses],
                "subject": str(message["subject"]),
                "date_ok": email.utils.parsedate_to_datetime(message["date"]) is not None,
                "has_message_id": message["message-id"] is not None,
                "body": text.get_content().replace("\r\n", "\n") if text is not None else None,
                "attachments": [],
            }
            if mode != "store":
                record["login"] = session.auth_data.login.decode() if session.authenticated \
                    else None
                record["secured"] = session.ssl is not None or getattr(session, "secured", False)
                extra = session.ssl if isinstance(session.ssl, dict) else {}
                tls = extra.get("ssl_object") or getattr(session, "ssl_object", None)
                record["tls"] = tls.version() if tls else None
            for k, part in enumerate(message.iter_attachments()):
                with open(os.path.join(folder, "%d.%d.bin" % (n, k)), "wb") as out:
                    out.write(part.get_payload(decode=True))
                record["attachments"].append(part.get_filename())
            path = os.path.join(folder, "%d.json" % n)
            with open(path + ".part", "w") as out:
                json.dump(record, out)
            os.rename(path + ".part", path)
            return "250 OK"

    class Recorded(SMTP):
        def connection_lost(self, error):
            super().connection_lost(error)
            closed()

    def authenticator(server, session, envelope, mechanism, data):
        secured = session.ssl is not None or getattr(session, "secured", False)
        good = secured and (data.login, data.password) == (b"me", b"s3cret")
        return AuthResult(success=good, handled=False, auth_data=data)

    class StandIn(Recorded):
        @syntax("STARTTLS")
        async def smtp_STARTTLS(self, arg):
            await self.push("220 Ready to start TLS")
            self.session.secured = True
            self.session.extended_smtp = False  # a new EHLO is due, as after real TLS

    def context(cert, key):
        made = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        made.load_cert_chain(cert, key)
        return made

    class FromTheStart(Recorded):
        def connection_made(self, transport):
            super().connection_made(transport)
            self.session.ssl_object = transport.get_extra_info("ssl_object")
            self.session.secured = self.session.ssl_object is not None

    def maker(cls, tls=None):
        options = {"data_size_limit": None}
        if mode != "store":
            options.update(authenticator=authenticator, tls_context=tls,
                           auth_require_tls=cls is Recorded)
        if mode == "auth-login":
            options["auth_exclude_mechanism"] = ["PLAIN"]
        return lambda: cls(Store(), **options)

    async def main():
        loop = asyncio.get_running_loop()
        if mode != "tls":
            server = await loop.create_server(
                maker(Recorded) if mode == "store" else
                maker(StandIn, ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)), "127.0.0.1", 0)
            print(server.sockets[0].getsockname()[1], os.getpid(), flush=True)
            await server.serve_forever()
        trusted, other = context(*sys.argv[3:5]), context(*sys.argv[5:7])
        servers = [await loop.create_server(maker(Recorded, trusted), "127.0.0.1", 0),
                   await loop.create_server(maker(FromTheStart), "127.0.0.1", 0, ssl=trusted),
                   await loop.create_server(maker(Recorded, other), "127.0.0.1", 0)]
        ports = [str(s.sockets[0].getsockname()[1]) for s in servers]
        print(ports[0], os.getpid(), *ports[1:], flush=True)
        await asyncio.gather(*(s.serve_forever() for s in servers))

    asyncio.run(main())


def scripted():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print(listener.getsockname()[1], os.getpid(), flush=True)
    replies = {b"HELO": b"250 hello\r\n", b"MAIL": b"250 ok\r\n", b"RCPT": b"250 ok\r\n",
               b"DATA": b"354 go on\r\n", b"QUIT": b"221 bye\r\n"}
    greeting = {"greet421": b"421 busy\r\n",
                "multiline": b"220-first line\r\n220-second line\r\n220 ready\r\n",
                "long-line": b"220 " + b"x" * 5000 + b"\r\n"}.get(mode, b"220 ready\r\n")
    if mode == "multiline":
        replies[b"HELO"] = b"250-hello\r\n250-more\r\n250 done\r\n"
    if mode == "inject":  # a reply slipped in behind STARTTLS's, before the handshake
        replies.update({b"EHLO": b"250-hello\r\n250-STARTTLS\r\n250 AUTH PLAIN\r\n",
                        b"STAR": b"220 go ahead\r\n554 injected\r\n", b"AUTH": b"235 ok\r\n"})
    while True:
        peer, _ = listener.accept()
        record = open(os.path.join(folder, "received.txt"), "ab")
        if mode != "silent":
            peer.sendall(greeting)
        pending, in_data = b"", False
        while True:
            got = peer.recv(65536)
            if not got:
                break
            record.write(got)
            record.flush()
            pending += got
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                if in_data:
                    if line == b".":
                        in_data = False
                        peer.sendall(b"554 rejected\r\n" if mode == "reject-data" else
                                     b"250 ok\r\n")
                    continue
                if mode == "silent":
                    continue
                if mode == "close" and line.startswith(b"HELO"):
                    peer.close()
                    break
                verb = line[:4].upper()
                peer.sendall(replies.get(verb, b"500 what\r\n"))
                in_data = verb == b"DATA"
            if peer.fileno() < 0:
                break
        record.close()
        peer.close()
        closed()


def sink():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print(listener.getsockname()[1], os.getpid(), flush=True)
    replies = {b"HELO": b"250 hello\r\n", b"EHLO": b"250 hello\r\n", b"MAIL": b"250 ok\r\n",
               b"RCPT": b"250 ok\r\n", b"DATA": b"354 go on\r\n", b"QUIT": b"221 bye\r\n"}
    while True:
        peer, _ = listener.accept()
        peer.sendall(b"220 ready\r\n")
        pending, in_data = b"", False
        while True:
            got = peer.recv(1 << 20)
            if not got:
                break
            pending += got
            if in_data:
                # Only the end matters; four bytes are kept in case it spans two reads.
                if b"\r\n.\r\n" not in pending:
                    pending = pending[-4:]
                    continue
                pending = pending.split(b"\r\n.\r\n", 1)[1]
                in_data = False
                peer.sendall(b"250 ok\r\n")
            while b"\r\n" in pending and not in_data:
                line, pending = pending.split(b"\r\n", 1)
                verb = line[:4].upper()
                peer.sendall(replies.get(verb, b"500 what\r\n"))
                in_data = verb == b"DATA"
                if in_data:
                    pending = b"\r\n" + pending  # the end may follow at once
        peer.close()
        closed()


{"store": store, "auth": store, "auth-login": store, "tls": store,
 "sink": sink}.get(mode, scripted)()

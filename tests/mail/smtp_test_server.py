#!/usr/bin/python3
"""SMTP server of the mail tests: listens on 127.0.0.1 at a free port, with
STARTTLS required (--mode starttls) or TLS from the first byte (--mode smtps),
stores each accepted message as NNN.eml (the envelope's recipients in
NNN.rcpt) in --dir, and refuses recipients whose local part starts with
--refuse. Prints "PORT n" once listening; stops when its standard input
closes."""

import argparse
import asyncio
import logging
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Store:
    def __init__(self, folder, refuse):
        self.folder = folder
        self.refuse = refuse
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and address.split("@")[0].startswith(self.refuse):
            return "550 5.1.1 Caixa postal inexistente: " + address
        envelope.rcpt_tos.append(address)
        return "250 2.1.5 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%03d" % self.count)
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        with open(base + ".rcpt", "w") as f:
            f.write("\n".join(envelope.rcpt_tos))
        os.replace(base + ".tmp", base + ".eml")
        return "250 2.0.0 Mensagem %03d aceita" % self.count


async def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", required=True)
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--mode", choices=["starttls", "smtps", "plain"], default="starttls")
    ap.add_argument("--refuse", default="")
    ap.add_argument("--auth", default="", help="USER:PASSWORD the server demands")
    args = ap.parse_args()
    # The sessions a test breaks on purpose (no TLS, an unknown authority)
    # are expected: no tracebacks.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    store = Store(args.dir, args.refuse)
    loop = asyncio.get_running_loop()
    extra = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login.decode() == user and data.password.decode() == password
            # handled=False: a refusal is answered 535 by the server itself.
            return AuthResult(success=ok, handled=False)

        extra = dict(authenticator=authenticator, auth_required=True)
    if args.mode == "plain":
        # No TLS at all: the client must refuse to send.
        factory = lambda: SMTP(store, hostname="localhost")
        server = await loop.create_server(factory, "127.0.0.1", 0)
    elif args.mode == "starttls":
        factory = lambda: SMTP(store, hostname="localhost", tls_context=context, require_starttls=True, **extra)
        server = await loop.create_server(factory, "127.0.0.1", 0)
    else:
        factory = lambda: SMTP(store, hostname="localhost")
        server = await loop.create_server(factory, "127.0.0.1", 0, ssl=context)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)

    stop = loop.create_future()
    loop.add_reader(sys.stdin.fileno(), lambda: stop.done() or (sys.stdin.buffer.read1(4096) or stop.set_result(None)))
    await stop
    server.close()
    await server.wait_closed()


asyncio.run(main())

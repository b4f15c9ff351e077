"""A real FTP server (pyftpdlib) that misbehaves on request, for what a
well-behaved server cannot be made to do: refuse one upload, refuse the
listing, refuse renaming, answer slowly, stop answering, or take uploads
slowly."""

import argparse
import logging
import os
import re
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--passive", required=True, help="first-last")
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--refuse-store", action="append", default=[],
                        help="answer STOR of this name, or of a temporary "
                             "name for it, with 553")
    parser.add_argument("--refuse-list", action="store_true",
                        help="answer every NLST and MLSD with 451")
    parser.add_argument("--refuse-rename", action="store_true",
                        help="answer every RNFR with 502")
    parser.add_argument("--refuse-replace", action="store_true",
                        help="answer RNTO with 553 when the target exists")
    parser.add_argument("--delay-ms", type=int, default=0,
                        help="wait this long before answering each command")
    parser.add_argument("--hang-on", default="",
                        help="never answer this command (e.g. STOR), nor anything after it")
    parser.add_argument("--throttle", type=int, default=0,
                        help="take uploads at most this many bytes a second")
    parser.add_argument("--list-extra", action="append", default=[],
                        help="add this line to every name listing")
    parser.add_argument("--tls-cert", default="",
                        help="require TLS on control and data connections")
    parser.add_argument("--tls-key", default="")
    options = parser.parse_args()
    # Every command is logged ("<- STOR index") for the test to read.
    config_logging(level=logging.DEBUG)

    # The publishing run uploads to "_quillery-XXXXXXXX-" and the final name.
    refused_names = [re.compile(r"(?:_quillery-[0-9a-f]{8}-)?" + re.escape(name))
                     for name in options.refuse_store]

    base = FTPHandler
    if options.tls_cert:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler
        base.certfile = options.tls_cert
        base.keyfile = options.tls_key
        base.tls_control_required = True
        base.tls_data_required = True

    class FaultyHandler(base):
        hanging = False

        def pre_process_command(self, line, cmd, arg):
            refused = None
            if cmd == "STOR" and any(p.fullmatch(os.path.basename(arg)) for p in refused_names):
                refused = "553 Could not create file."
            elif cmd in ("NLST", "MLSD") and options.refuse_list:
                refused = "451 Listing refused."
            elif cmd == "RNFR" and options.refuse_rename:
                refused = "502 Command not implemented."
            elif (cmd == "RNTO" and options.refuse_replace
                  and os.path.exists(self.fs.ftp2fs(arg))):
                refused = "553 File exists."
            if self.hanging or cmd == options.hang_on or refused:
                # Logged as the handler logs what it carries out.
                self.logline("<- %s" % line)
            if self.hanging or cmd == options.hang_on:
                self.hanging = True
                return
            if options.delay_ms:
                time.sleep(options.delay_ms / 1000.0)
            if refused:
                self.respond(refused)
                return
            super().pre_process_command(line, cmd, arg)

        def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
            if cmd == "NLST" and options.list_extra:
                data += "".join(name + "\r\n" for name in options.list_extra).encode("utf8")
            elif cmd == "MLSD" and options.list_extra:
                # The listing comes as a producer: collected, then extended.
                data = b"".join(iter(data.more, b"")) if isproducer else data
                isproducer = False
                data += "".join("type=file;size=1; " + name + "\r\n"
                                for name in options.list_extra).encode("utf8")
            super().push_dtp_data(data, isproducer, file, cmd)

    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.root, perm="elradfmwMT")
    FaultyHandler.authorizer = authorizer
    first, last = (int(p) for p in options.passive.split("-"))
    FaultyHandler.passive_ports = list(range(first, last + 1))
    if options.throttle:
        class SlowDTPHandler(ThrottledDTPHandler):
            read_limit = options.throttle
        FaultyHandler.dtp_handler = SlowDTPHandler

    server = FTPServer(("127.0.0.1", options.port), FaultyHandler)
    server.serve_forever()


if __name__ == "__main__":
    main()

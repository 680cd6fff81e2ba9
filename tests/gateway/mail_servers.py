#!/usr/bin/python3
"""Real mail servers for the gateway's tests, on 127.0.0.1 only.

  mail_servers.py start DIR   makes DIR (which must be short and enterable by
                              Dovecot's own users) hold a self-signed
                              certificate, a Dovecot for IMAP, POP3 and LMTP
                              delivering into maildirs under DIR/home, and an
                              SMTP server (STARTTLS, AUTH) that hands every
                              accepted message to that LMTP; prints
                              "imap=N pop3=N smtp=N smtps=N" once all listen.
  mail_servers.py stop DIR    stops both by the PIDs start kept.
  mail_servers.py smtp ...    the SMTP server itself (start runs it).

Accounts (password "secret"): "office" (the gateway's mailbox) and any
other local part, all delivered by LMTP into DIR/home/<user>/Maildir. The
SMTP server refuses every recipient whose local part begins with "refuse"
(550) and every one beginning with "later" for now (451).
"""
import os
import signal
import socket
import subprocess
import sys
import time

USERS = ["office", "friend", "other", "postbox", "bench", "in1", "in2", "in3", "in4", "in5", "in6"]
PASSWORD = "secret"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, proc, what, log):
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        if proc is not None and proc.poll() is not None:
            raise RuntimeError(f"{what} ended at once (exit {proc.returncode}): {tail(log)}")
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError(f"{what} does not listen on port {port}: {tail(log)}")


def tail(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()[-2000:]
    except OSError:
        return "(no log)"


def start(d):
    d = os.path.abspath(d)
    os.makedirs(d, exist_ok=True)
    # Dovecot's login and internal users must reach the sockets and the
    # configuration: every folder on the way is 0755.
    p = d
    while p != "/":
        os.chmod(p, os.stat(p).st_mode | 0o755) if p.startswith(d) else None
        p = os.path.dirname(p)
    for sub in ["run", "state", "home"]:
        os.makedirs(os.path.join(d, sub), exist_ok=True)
        os.chmod(os.path.join(d, sub), 0o755)
    cert, key = os.path.join(d, "cert.pem"), os.path.join(d, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    os.chmod(key, 0o644)
    with open(os.path.join(d, "users"), "w") as f:
        for u in USERS:
            home = os.path.join(d, "home", u)
            os.makedirs(home, exist_ok=True)
            os.chown(home, 5000, 5000)
            f.write(f"{u}:{{PLAIN}}{PASSWORD}:5000:5000::{home}::\n")
    imap, pop3, lmtp, smtp, smtps = (free_port() for _ in range(5))
    log = os.path.join(d, "dovecot.log")
    conf = os.path.join(d, "dovecot.conf")
    with open(conf, "w") as f:
        f.write(f"""
base_dir = {d}/run
state_dir = {d}/state
log_path = {log}
info_log_path = {log}
protocols = imap pop3 lmtp
listen = 127.0.0.1
ssl = yes
ssl_cert = <{cert}
ssl_key = <{key}
auth_mechanisms = plain login
first_valid_uid = 5000
mail_location = maildir:~/Maildir
pop3_uidl_format = %08Xu%08Xv
lmtp_save_to_detail_mailbox = no
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%n {d}/users
}}
userdb {{
  driver = passwd-file
  args = username_format=%n {d}/users
}}
service imap-login {{
  inet_listener imap {{
    port = {imap}
  }}
  inet_listener imaps {{
    port = 0
  }}
}}
service pop3-login {{
  inet_listener pop3 {{
    port = {pop3}
  }}
  inet_listener pop3s {{
    port = 0
  }}
}}
service lmtp {{
  inet_listener lmtp {{
    address = 127.0.0.1
    port = {lmtp}
  }}
}}
service stats {{
  unix_listener stats-reader {{
    mode = 0666
  }}
  unix_listener stats-writer {{
    mode = 0666
  }}
}}
""")
    dovecot = subprocess.Popen(["dovecot", "-F", "-c", conf], stdin=subprocess.DEVNULL,
                               stdout=open(os.path.join(d, "dovecot.out"), "w"),
                               stderr=subprocess.STDOUT, start_new_session=True)
    with open(os.path.join(d, "dovecot.pid"), "w") as f:
        f.write(str(dovecot.pid))
    smtplog = os.path.join(d, "smtp.log")
    relay = subprocess.Popen([sys.executable, os.path.abspath(__file__), "smtp", d, str(smtp),
                              str(smtps), str(lmtp)], stdin=subprocess.DEVNULL,
                             stdout=open(smtplog, "w"), stderr=subprocess.STDOUT,
                             start_new_session=True)
    with open(os.path.join(d, "smtp.pid"), "w") as f:
        f.write(str(relay.pid))
    try:
        for port, proc, what, lg in [(imap, dovecot, "Dovecot IMAP", log),
                                     (pop3, dovecot, "Dovecot POP3", log),
                                     (lmtp, dovecot, "Dovecot LMTP", log),
                                     (smtp, relay, "SMTP server", smtplog),
                                     (smtps, relay, "SMTP server (TLS)", smtplog)]:
            wait_port(port, proc, what, lg)
    except Exception:
        stop(d)
        raise
    print(f"imap={imap} pop3={pop3} smtp={smtp} smtps={smtps}", flush=True)


def stop(d):
    for name in ["smtp.pid", "dovecot.pid"]:
        path = os.path.join(d, name)
        try:
            with open(path) as f:
                pid = int(f.read())
        except (OSError, ValueError):
            continue
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        for _ in range(200):
            try:
                os.kill(pid, 0)
            except ProcessLookupError:
                break
            # Our own child only when started in this process; otherwise
            # wait for it to vanish.
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass
            time.sleep(0.02)
        else:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        os.unlink(path)


def smtp(d, port, tls_port, lmtp_port):
    import ssl
    import smtplib
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult, LoginPassword

    class Relay:
        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            local = address.split("@")[0].lower()
            if local.startswith("refuse"):
                return f"550 5.1.1 <{address}>: Recipient address rejected: User unknown"
            if local.startswith("later"):
                return "451 4.3.0 Mailbox busy, try again later"
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            with smtplib.LMTP("127.0.0.1", lmtp_port) as lmtp:
                lmtp.sendmail(envelope.mail_from, envelope.rcpt_tos, envelope.original_content)
            with open(os.path.join(d, "accepted.log"), "a") as f:
                f.write(f"{envelope.mail_from} {' '.join(envelope.rcpt_tos)}\n")
            return "250 2.0.0 OK queued"

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == b"office"
              and auth_data.password == PASSWORD.encode())
        return AuthResult(success=ok)

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(d, "cert.pem"), os.path.join(d, "key.pem"))
    starttls = Controller(Relay(), hostname="127.0.0.1", port=port, tls_context=context,
                          require_starttls=True, authenticator=authenticate, auth_required=True)
    implicit = Controller(Relay(), hostname="127.0.0.1", port=tls_port, ssl_context=context,
                          authenticator=authenticate, auth_required=True,
                          auth_require_tls=False)
    starttls.start()
    implicit.start()
    done = []
    signal.signal(signal.SIGTERM, lambda *a: done.append(1))
    while not done:
        time.sleep(0.05)
    starttls.stop()
    implicit.stop()


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "start":
        try:
            start(sys.argv[2])
        except Exception as e:
            print(f"mail servers cannot start: {e}", file=sys.stderr)
            sys.exit(1)
    elif len(sys.argv) >= 3 and sys.argv[1] == "stop":
        stop(sys.argv[2])
    elif len(sys.argv) == 6 and sys.argv[1] == "smtp":
        smtp(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)

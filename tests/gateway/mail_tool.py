#!/usr/bin/python3
"""What the gateway's tests do on the Internet side of the gateway.

  mail_tool.py inject SMTP_PORT CA_FILE RCPT FILE
      sends the message in FILE (lines end in CRLF on the wire) to RCPT
      through the test SMTP server (STARTTLS, login "office").
  mail_tool.py parse FILE
      reads one delivered message with Python's e-mail parser and prints
      "subject: ...", "from: ...", "to: ...", "cc: ...", "body: ..." (the text
      part, line breaks as \\n) and "attachment: NAME HEXBYTES" lines, in
      UTF-8.
"""
import smtplib
import ssl
import sys
from email import policy
from email.parser import BytesParser


def inject(port, cafile, rcpt, path):
    with open(path, "rb") as f:
        data = f.read()
    context = ssl.create_default_context(cafile=cafile)
    with smtplib.SMTP("127.0.0.1", int(port), timeout=15) as s:
        s.starttls(context=context)
        s.login("office", "secret")
        s.sendmail("sender@example.net", [rcpt], data)


def parse(path):
    with open(path, "rb") as f:
        m = BytesParser(policy=policy.default).parse(f)
    print("subject:", m["subject"])
    print("from:", m["from"])
    print("to:", m["to"])
    print("cc:", m["cc"] or "")
    print("message-id:", m["message-id"])
    body = m.get_body(preferencelist=("plain",))
    text = body.get_content() if body is not None else ""
    print("body:", text.replace("\r\n", "\n").replace("\n", "\\n"))
    for part in m.iter_attachments():
        print("attachment:", part.get_filename(), part.get_content().hex()
              if isinstance(part.get_content(), bytes) else part.get_content().encode().hex())


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    if len(sys.argv) == 6 and sys.argv[1] == "inject":
        inject(*sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] == "parse":
        parse(sys.argv[2])
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)

#!/usr/bin/env python3
"""Splits a multipart container with Python's email package and prints its parts.

Reads one container a line from standard input: FILE BOUNDARY-HEX DRM
FILE holds the container's bytes alone (what follows the headers of the part
that carries it), BOUNDARY-HEX is its boundary in hex and DRM is 1 for a DRM
message, where a part whose Content-Transfer-Encoding is base64 is printed
decoded; otherwise every part is printed as written (tests keep
quoted-printable out of their fixtures).

Output for each container: "container N", then one part after the other:
    part N
    h NAME=VALUE      one line per header and per header parameter, names in
                      lower case, values without
                      their quotes, lines sorted
    data HEX          the part's bytes
"""
import email
import sys


def parts_of(path, boundary, drm):
    with open(path, "rb") as f:
        container = f.read()
    head = b'Content-Type: multipart/mixed; boundary="' + boundary + b'"\r\n\r\n'
    message = email.message_from_bytes(head + container)
    parts = message.get_payload() if message.is_multipart() else []
    out = []
    for n, part in enumerate(parts):
        out.append("part %d" % n)
        lines = []
        for name, value in part.items():
            params = part.get_params(header=name) or [(value, "")]
            main_value, _ = params[0]
            lines.append("h %s=%s" % (name.lower(), main_value.strip()))
            for key, param in params[1:]:
                lines.append("h %s=%s" % (key.lower(), param))
        out.extend(sorted(lines))
        cte = (part.get("Content-Transfer-Encoding") or "").strip().lower()
        if cte == "base64" and not drm:
            data = part.get_payload().encode("ascii")
        else:
            # Without a transfer encoding that it knows, decoding gives the
            # bytes as they stand.
            data = part.get_payload(decode=True)
        out.append("data " + data.hex())
    return out


def main():
    for n, line in enumerate(sys.stdin):
        path, boundary, drm = line.split()
        print("container %d" % n)
        for text in parts_of(path, bytes.fromhex(boundary), drm == "1"):
            print(text)


if __name__ == "__main__":
    main()

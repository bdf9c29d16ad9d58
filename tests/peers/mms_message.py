#!/usr/bin/env python3
"""Writes a multimedia message as a MIME multipart/related file, made with
the standard library's email package, for tests/peers/mms_relay.py --body:

    mms_message.py KIND FILE [--to A,B] [--cc C] [--from F] [--subject S]

KIND is one of:
  slides      a SMIL part of two slides, each a picture named by "cid:"
              (its Content-ID in angle brackets), the first with a text
              holding an http link
  three-slides a SMIL part of three slides: a picture over a text, a
              picture, a text alone (each in its region)
  no-smil     two pictures and a text, no SMIL part
  no-slides   a SMIL part with a layout but no par or seq, and a picture
  empty-slide a SMIL part whose first slide is empty and whose second shows
              a picture
  missing     a SMIL part whose slide names a picture by a Content-ID that
              no part has
  bare        two pictures and a text, no SMIL part, and no part has a
              Content-ID or a Content-Location
  empty       no parts at all
"""
import argparse
import email.message
import email.policy
import sys

# A 1x1 JPEG and GIF, enough for a part that says it is a picture.
JPEG = bytes.fromhex(
    "ffd8ffe000104a46494600010100000100010000ffdb004300080606070605080707070909080a0c140d0c0b0b0c1912130f"
    "141d1a1f1e1d1a1c1c20242e2720222c231c1c2837292c30313434341f27393d38323c2e333432ffc0000b080001000101"
    "011100ffc4001f0000010501010101010100000000000000000102030405060708090a0bffc400b5100002010303020403"
    "050504040000017d01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a1617"
    "18191a25262728292a3435363738393a434445464748494a535455565758595a636465666768696a737475767778797a83"
    "8485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7"
    "d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9faffda0008010100003f00fbd3ffd9")
GIF = bytes.fromhex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b")

SLIDES_SMIL = """<smil xmlns="http://www.w3.org/2001/SMIL20/Language">
  <head>
    <layout>
      <root-layout width="176px" height="208px"/>
      <region id="Image" top="0" left="0" width="100%" height="70%" fit="meet"/>
      <region id="Text" top="70%" left="0" width="100%" height="30%" fit="scroll"/>
    </layout>
  </head>
  <body>
    <par dur="5000ms">
      <img src="cid:pic1@tessel" region="Image"/>
      <text src="cid:text1@tessel" region="Text"/>
    </par>
    <par dur="4s">
      <img src="cid:pic2@tessel" region="Image"/>
    </par>
  </body>
</smil>
"""

THREE_SLIDES_SMIL = """<smil>
  <head>
    <layout>
      <root-layout width="176px" height="208px"/>
      <region id="Image" top="0" left="0" width="100%" height="60%" fit="meet"/>
      <region id="Text" top="60%" left="0" width="100%" height="40%" fit="scroll"/>
    </layout>
  </head>
  <body>
    <par dur="3000ms">
      <img src="cid:pic1@tessel" region="Image"/>
      <text src="cid:text1@tessel" region="Text"/>
    </par>
    <par dur="2s">
      <img src="cid:pic2@tessel" region="Image"/>
    </par>
    <par dur="1s">
      <text src="cid:text2@tessel" region="Text"/>
    </par>
  </body>
</smil>
"""

EMPTY_SLIDE_SMIL = """<smil><body><par dur="2s"></par><par><img src="cid:pic1@tessel"/></par></body></smil>"""
MISSING_SMIL = """<smil><body><par><img src="cid:nowhere@tessel"/></par></body></smil>"""
NO_SLIDES_SMIL = """<smil><head><layout><region id="Image"/></layout></head><body></body></smil>"""

LINK_TEXT = "See http://example.com/album?id=7 for more"


def part(content_type, data, cid=None, location=None):
    p = email.message.MIMEPart(policy=email.policy.compat32)
    maintype, subtype = content_type.split("/", 1)
    if maintype == "text" or content_type == "application/smil":
        p.set_payload(data, charset="utf-8")
        p.set_type(content_type)
    else:
        p.set_payload(data)
        p.set_type(content_type)
        email.encoders.encode_base64(p)
    if cid:
        p["Content-ID"] = "<%s>" % cid
    if location:
        p["Content-Location"] = location
    return p


def build(kind, args):
    message = email.message.MIMEPart(policy=email.policy.compat32)
    message["From"] = args.sender
    message["To"] = args.to
    if args.cc:
        message["Cc"] = args.cc
    message["Subject"] = args.subject
    parts = []
    if kind == "slides":
        parts = [part("application/smil", SLIDES_SMIL, "smil@tessel", "smil.xml"),
                 part("image/jpeg", JPEG, "pic1@tessel", "one.jpg"),
                 part("image/gif", GIF, "pic2@tessel", "two.gif"),
                 part("text/plain", LINK_TEXT, "text1@tessel", "text.txt")]
    elif kind == "three-slides":
        parts = [part("application/smil", THREE_SLIDES_SMIL, "smil@tessel", "smil.xml"),
                 part("image/jpeg", JPEG, "pic1@tessel", "one.jpg"),
                 part("image/gif", GIF, "pic2@tessel", "two.gif"),
                 part("text/plain", "The first slide", "text1@tessel", "first.txt"),
                 part("text/plain", "The last slide", "text2@tessel", "last.txt")]
    elif kind == "no-smil":
        parts = [part("image/jpeg", JPEG, None, "one.jpg"),
                 part("text/plain", "Two pictures", None, "note.txt"),
                 part("image/gif", GIF, None, "two.gif")]
    elif kind in ("empty-slide", "missing"):
        smil = EMPTY_SLIDE_SMIL if kind == "empty-slide" else MISSING_SMIL
        parts = [part("application/smil", smil, "smil@tessel", "smil.xml"),
                 part("image/jpeg", JPEG, "pic1@tessel", "one.jpg")]
    elif kind == "bare":
        parts = [part("image/jpeg", JPEG), part("text/plain", "Nameless parts"), part("image/gif", GIF)]
    elif kind == "no-slides":
        parts = [part("application/smil", NO_SLIDES_SMIL, "smil@tessel", "smil.xml"),
                 part("image/jpeg", JPEG, "pic1@tessel", "one.jpg")]
    message.set_type("multipart/related")
    if parts and parts[0].get_content_type() == "application/smil":
        message.set_param("type", "application/smil")
        message.set_param("start", "<smil@tessel>")
    message.set_payload(parts)
    return message


def main():
    import email.encoders  # noqa: F401 (used by part)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("kind", choices=["slides", "three-slides", "no-smil", "no-slides", "empty-slide", "missing", "bare", "empty"])
    parser.add_argument("file")
    parser.add_argument("--from", dest="sender", default="+15550001111")
    parser.add_argument("--to", default="+15550002222")
    parser.add_argument("--cc", default="")
    parser.add_argument("--subject", default="Two slides")
    args = parser.parse_args()
    message = build(args.kind, args)
    with open(args.file, "wb") as out:
        out.write(message.as_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())

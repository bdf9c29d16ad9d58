#!/usr/bin/env python3
"""Reads SMIL files with xml.etree and prints the presentation the message
view builds from it, in the form of the engine's presentation dump:

    slides N
    region ID top T left L width W height H fit F      (map order)
    slide S visual V seq|par dur D children C          (top-level, in order)
    media KIND src "SRC" region "R" id "I" begin B end E
    param "NAME" "VALUE"

The rules are applied here on their own, from the element events:
regions, par/seq nesting, media completed at the next end tag other than a
param's, attributes read by the state the last recognised start tag set.
"""
import re
import sys
import xml.etree.ElementTree as ET

MAX = 0x7FFFFFFF
MEDIA = {"audio": 0, "video": 1, "text": 2, "img": 3, "animation": 4, "textstream": 5, "ref": 6}
KIND_NAMES = ["audio", "video", "text", "img", "animation", "textstream", "ref"]
FITS = {"hidden": 0, "fill": 1, "meet": 2, "scroll": 3, "slice": 4}


def number(digits):
    return min(int(digits), MAX) if digits else 0


def time_of(text):
    m = re.search(r"([0-9]+)ms", text)
    if m:
        return number(m.group(1))
    m = re.search(r"([0-9]+)s", text)
    if m:
        return min(number(m.group(1)) * 1000, MAX)
    return 0


def percent_of(text):
    m = re.search(r"([0-9]+)%", text)
    if m:
        return number(m.group(1))
    return number(re.match(r"[0-9]*", text).group(0))


def edge_of(text, pixels):
    return pixels if re.search(r"[0-9]+px", text) else percent_of(text)


class Node:
    def __init__(self, seq):
        self.seq, self.dur, self.children, self.media = seq, 0, [], []
        self.slide = self.visual = 0

    def visual_kind(self):
        return any(m["kind"] in (1, 3) for m in self.media)


def read(path):
    regions, slides = {}, []
    state, region, medium, node, stack, param = "none", None, None, None, [], ""
    visual = 0
    for event, elem in ET.iterparse(path, events=("start", "end")):
        name = elem.tag.split("}", 1)[-1]
        if event == "start":
            if name == "region":
                state, region = "region", {"id": "", "top": 0, "left": 0, "width": 0, "height": 0, "fit": 0}
            elif name in ("par", "seq"):
                state = name
                if node is not None:
                    stack.append(node)
                node = Node(name == "seq")
            elif name == "param":
                state, param = "param", ""
            elif name in MEDIA:
                state = "media"
                medium = {"kind": MEDIA[name], "src": "", "region": "", "id": "", "begin": 0, "end": 0,
                          "params": {}}
            for key, value in elem.attrib.items():
                if state == "region" and region is not None:
                    if key == "id":
                        region["id"] = value
                    elif key in ("top", "left"):
                        region[key] = edge_of(value, 0)
                    elif key in ("width", "height"):
                        region[key] = edge_of(value, 100)
                    elif key == "fit":
                        region["fit"] = FITS.get(value, 0)
                elif state in ("par", "seq") and node is not None and key == "dur":
                    node.dur = time_of(value)
                elif state == "media" and medium is not None:
                    if key in ("src", "region", "id"):
                        medium[key] = value
                    elif key in ("begin", "end"):
                        medium[key] = time_of(value)
                elif state == "param":
                    if key == "name":
                        param = value
                    elif key == "value" and medium is not None:
                        medium["params"][param] = value
            continue
        if state == "media" or (state == "param" and name != "param"):
            if medium is not None and node is not None:
                node.media.append(medium)
            medium, state = None, "none"
        if name in ("par", "seq"):
            state = "none"
            if node is None:
                continue
            if stack:
                parent = stack.pop()
                parent.children.append(node)
                node = parent
                continue
            node.slide = len(slides) + 1
            if node.visual_kind():
                visual += 1
                node.visual = visual
            slides.append(node)
            node = None
        elif name == "region":
            state = "none"
            if region is not None:
                regions[region["id"]] = region
            region = None
    return regions, slides


def dump(path):
    regions, slides = read(path)
    out = ["slides %d" % len(slides)]
    for r in regions.values():
        out.append("region %s top %d left %d width %d height %d fit %d"
                   % (r["id"], r["top"], r["left"], r["width"], r["height"], r["fit"]))
    for s in slides:
        out.append("slide %d visual %d %s dur %d children %d"
                   % (s.slide, s.visual, "seq" if s.seq else "par", s.dur, len(s.children)))
        for m in s.media:
            out.append('media %s src "%s" region "%s" id "%s" begin %d end %d'
                       % (KIND_NAMES[m["kind"]], m["src"], m["region"], m["id"], m["begin"], m["end"]))
            for k, v in m["params"].items():
                out.append('param "%s" "%s"' % (k, v))
    return "\n".join(out) + "\n"


def main():
    # Several files: each dump follows a line "== PATH".
    if len(sys.argv) == 2:
        sys.stdout.write(dump(sys.argv[1]))
        return
    for path in sys.argv[1:]:
        sys.stdout.write("== %s\n%s" % (path, dump(path)))


if __name__ == "__main__":
    main()

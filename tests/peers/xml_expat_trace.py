#!/usr/bin/env python3
"""Prints expat's view of XML documents as an event trace.

Reads one document per line of standard input, hex-encoded, and writes for
each the lines below, then a line "----":

  start NAME         a start tag (an empty-element tag gives start and end)
  attr NAME=VALUE    each attribute of the start tag, in document order
  text VALUE         an element's character data before its first child
                     element (comments and processing instructions do not
                     split it, CDATA is part of it), written just before that
                     child starts or the element ends, when not empty
  end NAME           an end tag
  malformed          expat refused the document (always the last line)

Bytes outside printable ASCII, and the backslash, are written as \\xHH of
their UTF-8 form, so the trace is plain ASCII.
"""
import sys
import xml.parsers.expat


def escaped(text):
    out = []
    for b in text.encode("utf-8"):
        if b < 0x20 or b > 0x7E or b == 0x5C:
            out.append("\\x%02x" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def trace(document):
    lines = []
    stack = []  # [name, text gathered so far, whether a child has started]

    def flush(top):
        if not top[2] and top[1]:
            lines.append("text " + escaped(top[1]))
        top[2] = True

    def start(name, attributes):
        if stack:
            flush(stack[-1])
        stack.append([name, "", False])
        lines.append("start " + escaped(name))
        for i in range(0, len(attributes), 2):
            lines.append("attr %s=%s" % (escaped(attributes[i]), escaped(attributes[i + 1])))

    def end(name):
        flush(stack.pop())
        lines.append("end " + escaped(name))

    def characters(data):
        if stack and not stack[-1][2]:
            stack[-1][1] += data

    parser = xml.parsers.expat.ParserCreate()
    parser.ordered_attributes = True
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = characters
    try:
        parser.Parse(document, True)
    except xml.parsers.expat.ExpatError:
        lines.append("malformed")
    return lines


def main():
    for line in sys.stdin:
        line = line.strip()
        for event in trace(bytes.fromhex(line)):
            print(event)
        print("----")


if __name__ == "__main__":
    main()

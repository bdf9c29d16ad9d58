#!/usr/bin/env python3
"""Reads HTML texts as a browser's parser would and says what they show.

Input: a file of JSON lines, each {"html": "..."}. Output: one JSON line per
input line, {"tags": [...], "text": "...", "links": [[href, text], ...]}:
the distinct tag names met (sorted), the visible text with each <br> as a
line feed, and every link's target and shown text, entities decoded.
"""
import json
import sys
from html.parser import HTMLParser


class Reader(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = set()
        self.text = []
        self.links = []
        self.open_link = None

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        if tag == "br":
            self.text.append("\n")
        elif tag == "a":
            self.open_link = [dict(attrs).get("href", ""), ""]
            self.links.append(self.open_link)

    def handle_endtag(self, tag):
        self.tags.add(tag)
        if tag == "a":
            self.open_link = None

    def handle_data(self, data):
        self.text.append(data)
        if self.open_link is not None:
            self.open_link[1] += data


def main():
    with open(sys.argv[1], encoding="utf-8") as lines:
        for line in lines:
            reader = Reader()
            reader.feed(json.loads(line)["html"])
            reader.close()
            print(json.dumps({"tags": sorted(reader.tags), "text": "".join(reader.text),
                              "links": reader.links}))


if __name__ == "__main__":
    main()

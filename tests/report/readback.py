#!/usr/bin/env python3
"""Reads a report back with readers of the Python library (and unrtf for
RTF) and prints what they see: "TITLE:" and the title, then one line per
table row with the cells separated by U+001F."""
import csv
import subprocess
import sys
from html.parser import HTMLParser

SEP = "\x1f"


class TableText(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title = None
        self.rows = []
        self.row = None
        self.cell = None
        self.in_title = False

    def handle_starttag(self, tag, attrs):
        if tag == "title":
            self.in_title = True
            self.title = ""
        elif tag in ("thead", "tr"):
            self.end_row()
            self.row = []
        elif tag in ("th", "td"):
            if self.row is None:
                self.row = []
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "title":
            self.in_title = False
        elif tag in ("th", "td") and self.cell is not None:
            self.row.append(self.cell)
            self.cell = None
        elif tag in ("thead", "tr", "table"):
            self.end_row()

    def end_row(self):
        if self.row:
            self.rows.append(self.row)
        self.row = None

    def handle_data(self, data):
        if self.in_title:
            self.title += data
        elif self.cell is not None:
            self.cell += data


def print_html(text, strip):
    parser = TableText()
    parser.feed(text)
    parser.close()
    print("TITLE:" + (parser.title or "").strip())
    for row in parser.rows:
        print(SEP.join(c.strip() if strip else c for c in row))


def main():
    sys.stdout.reconfigure(encoding="utf-8", newline="\n")
    mode, path = sys.argv[1], sys.argv[2]
    if mode == "html":
        with open(path, encoding="utf-8", newline="") as f:
            print_html(f.read(), strip=False)
    elif mode == "rtf":
        out = subprocess.run(["unrtf", "--html", path], check=True,
                             capture_output=True).stdout
        print_html(out.decode("utf-8"), strip=True)
    elif mode == "csv":
        with open(path, encoding="utf-8", newline="") as f:
            for row in csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
                if row:
                    print(SEP.join(row))
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The help pages: one per language of the program, well-formed, with the same
anchors as the English page, no link to a missing file, picture or anchor, the
window's pictures in the page's own language, and every program message they
quote (the texts in <i>) the program's own text in that language.

    check_help_pages.py HELP_DIR PO_DIR TEMPLATE_DIR LANG...

TEMPLATE_DIR holds templates (<domain>.pot) freshly extracted from the
sources: their ids are the English texts the program shows today, and a
language's texts are the translations of those ids in po/<lang>/<domain>.po.
"""
import glob
import os
import re
import sys
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import urlsplit

import polib  # Debian's python3-polib

HELP_DIR = PO_DIR = TEMPLATE_DIR = ""
LANGUAGES = []
ENGLISH = "en"
# A quoted text may end in an ellipsis that stands for the variable part.
ELLIPSES = ("…", "...")


def normalized(text):
    return " ".join(text.split())


def page_path(language):
    if language == ENGLISH:
        return os.path.join(HELP_DIR, "index.htm")
    return os.path.join(HELP_DIR, language, "index.htm")


def parse_page(path):
    """The page's root element; the page must be well-formed (XHTML syntax)."""
    return ET.parse(path).getroot()


# --- message catalogs

def read_catalog(path):
    """[(msgid, [msgstr...], fuzzy)] of a .po or .pot file; obsolete entries left out."""
    entries = []
    for entry in polib.pofile(path):
        if entry.obsolete:
            continue
        if entry.msgid_plural:
            msgstrs = [entry.msgstr_plural[n] for n in sorted(entry.msgstr_plural)]
        else:
            msgstrs = [entry.msgstr]
        entries.append((entry.msgid, msgstrs, "fuzzy" in entry.flags))
    return entries


def source_ids():
    ids = set()
    for template in glob.glob(os.path.join(TEMPLATE_DIR, "*.pot")):
        ids.update(msgid for msgid, _, _ in read_catalog(template) if msgid)
    return ids


def program_texts(language):
    """The texts the program shows in that language."""
    ids = source_ids()
    if language == ENGLISH:
        return ids
    texts = set()
    for po in glob.glob(os.path.join(PO_DIR, language, "*.po")):
        for msgid, msgstrs, fuzzy in read_catalog(po):
            if msgid in ids and not fuzzy:
                texts.update(s for s in msgstrs if s)
    return texts


def _pattern(text):
    """A program text as a pattern: its printf fields stand for any value."""
    parts = re.split(r"(%[-+ 0#]*\d*(?:\.\d+)?[lhz]*[dsuifgxc])", normalized(text))
    return "".join(".+?" if i % 2 else re.escape(p) for i, p in enumerate(parts))


def is_program_text(quoted, texts):
    quoted = normalized(quoted)
    stem = None
    for ellipsis in ELLIPSES:
        if quoted.endswith(ellipsis):
            stem = quoted[:-len(ellipsis)].rstrip()
    for text in texts:
        if re.fullmatch(_pattern(text), quoted):
            return True
        if stem and normalized(text).startswith(stem):
            return True
    return False


# --- the tests

class HelpPages(unittest.TestCase):
    def languages(self):
        return [ENGLISH] + LANGUAGES

    def test_every_language_has_a_well_formed_page(self):
        for language in self.languages():
            with self.subTest(language=language):
                path = page_path(language)
                self.assertTrue(os.path.isfile(path), path)
                root = parse_page(path)
                self.assertEqual(root.tag, "html")
                self.assertEqual(root.get("lang"), language)

    def test_pages_have_the_anchors_of_the_english_page(self):
        english = anchors(page_path(ENGLISH))
        self.assertIn("contents", english)
        for language in LANGUAGES:
            with self.subTest(language=language):
                self.assertEqual(anchors(page_path(language)), english)

    def test_links_and_pictures_lead_somewhere(self):
        for language in self.languages():
            path = page_path(language)
            for target in links(path):
                with self.subTest(page=path, link=target):
                    parts = urlsplit(target)
                    if parts.scheme:
                        continue
                    linked = os.path.normpath(os.path.join(os.path.dirname(path), parts.path)) \
                        if parts.path else path
                    self.assertTrue(os.path.isfile(linked), linked)
                    if parts.fragment and linked.endswith(".htm"):
                        self.assertIn(parts.fragment, anchors(linked))

    def test_pages_show_the_window_in_their_own_language(self):
        for language in self.languages():
            with self.subTest(language=language):
                pictures = {os.path.basename(src) for src in pictures_of(page_path(language))}
                for name in ("window", "progress"):
                    self.assertIn("%s-%s.png" % (name, language), pictures)

    def test_quoted_messages_are_the_programs_own(self):
        for language in self.languages():
            texts = program_texts(language)
            self.assertTrue(texts, "no program texts for " + language)
            quoted = quoted_texts(page_path(language))
            self.assertTrue(quoted, "the page quotes no message: " + language)
            for text in quoted:
                with self.subTest(language=language, quoted=text):
                    self.assertTrue(is_program_text(text, texts),
                                    "not a message of the program in this language")

    def test_the_matcher_takes_only_what_the_program_says(self):
        texts = {"Report successfully generated in file ", "Reading table %d (%d record from %d)...",
                 "Serial port error"}
        cases = [
            ("Report successfully generated in file …", True),
            ("Report successfully generated in file ...", True),
            ("Reading table 1 (10 record from 250)...", True),
            ("Serial  port\n error", True),
            ("Serial port error…", True),
            ("Serial port", False),
            ("Report successfully written in file …", False),
            ("Reading table 1 (10 records of 250)...", False),
            ("Serial port error, try again", False),
        ]
        for quoted, expected in cases:
            with self.subTest(quoted=quoted):
                self.assertEqual(is_program_text(quoted, texts), expected)


def anchors(path):
    return {e.get("id") for e in parse_page(path).iter() if e.get("id")}


def links(path):
    root = parse_page(path)
    return [e.get(attr) for e in root.iter() for attr in ("href", "src") if e.get(attr)]


def pictures_of(path):
    return [e.get("src") for e in parse_page(path).iter("img")]


def quoted_texts(path):
    return [normalized("".join(e.itertext())) for e in parse_page(path).iter("i")]


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    HELP_DIR, PO_DIR, TEMPLATE_DIR = sys.argv[1:4]
    LANGUAGES = sys.argv[4:]
    unittest.main(argv=sys.argv[:1], verbosity=2)

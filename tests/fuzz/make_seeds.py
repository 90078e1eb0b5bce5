#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/.

receive_path: an operation byte, its argument, then the bytes the unit
sends: good answers built from the protocol's request vectors and the
sample memory, error answers, a damaged answer followed by a good one.

param_text: a parameter type selector (0 byte, 1 float, 2 wide text,
3 address, 4 and 5 types without a text form), an encoding selector (0 UTF-8,
1 UTF-16LE, 2 Latin-1), then the text.

report_driver: a table count, an encoding flag (0 8-bit, 1 UTF-16LE), then
report lines ended by zero bytes or units, from the sample memory.

unit_table: a byte for the chart's size and limits, then a table as UTF-8
text (its header, then its records), from the sample memory and a table of
dates and times in one cell.

web_query: a query string as a browser's form or a script sends it, then a
line feed and an Accept-Language header.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, "..", "..", "tools", "sample-memory.txt")


def checksum(data):
    h, i = 0, 0
    if len(data) % 2:
        h, i = data[0], 1
    while i < len(data):
        h = ((h << 5) | (h >> 27)) & 0xFFFFFFFF
        h ^= (data[i] << 8) | data[i + 1]
        i += 2
    return h


def packet(command, dtype, data=b""):
    head = bytes([255, 255, 255, 1, 1, 1, command, dtype]) + struct.pack("<H", len(data))
    head += struct.pack("<I", checksum(head))
    if data:
        return head + data + struct.pack("<I", checksum(data))
    return head


def wide(variable, text):
    return packet(6, 29, bytes([variable]) + text.encode("utf-16-le") + b"\0\0")


def error(variable, code):
    return packet(3, 0, bytes([variable, code]))


ACK = packet(8, 5)
OPS = {"select": 0, "header": 1, "count": 2, "record": 3, "clear": 4, "variable": 5}


def sample_lines():
    with open(SAMPLE, encoding="utf-8") as f:
        return f.read().split("\n")


def receive_seeds():
    lines = sample_lines()
    seeds = {
        "select_ack": (OPS["select"], 0, ACK),
        "select_past_last": (OPS["select"], 3, error(252, 4) * 6),
        "header_text": (OPS["header"], 0, wide(252, lines[0])),
        "header_cyrillic": (OPS["header"], 0, wide(252, lines[14])),
        # The read request of variable 252 as wide text, taken as an answer.
        "header_request_vector": (OPS["header"], 0, bytes.fromhex(
            "FFFFFF0101010 61D0100AF467480FCFC000000".replace(" ", ""))),
        "count": (OPS["count"], 0, packet(6, 5, bytes([253, 12, 0]))),
        "count_busy_then_good": (OPS["count"], 0, error(253, 5) + packet(6, 5, bytes([253, 3, 0]))),
        "record_ready": (OPS["record"], 1, ACK + packet(6, 1, bytes([248, 0])) + wide(254, lines[1])),
        "record_polled": (OPS["record"], 2, ACK + packet(6, 1, bytes([248, 2]))
                          + packet(6, 1, bytes([248, 0])) + wide(254, lines[2])),
        "record_no_status": (OPS["record"], 0, ACK + error(248, 4) * 6 + wide(254, lines[16])),
        "record_bad_header_then_good": (OPS["record"], 0, ACK
                                        + bytes(14) + packet(6, 1, bytes([248, 0]))
                                        + wide(254, lines[3])),
        # The clear-memory request vector, answered by itself.
        "clear": (OPS["clear"], 0, bytes.fromhex("FFFFFF01010108050300AF877580FD0000A01F0000")),
        "clear_refused": (OPS["clear"], 0, error(253, 1) * 6),
        "text8": (OPS["variable"], 3, packet(6, 3, bytes([254]) + b"abc\0")),
        "lsingle": (OPS["variable"], 13, packet(6, 13, bytes([254, 0x34, 0x12, 0, 0]))),
        "float": (OPS["variable"], 25, packet(6, 25, bytes([254]) + struct.pack("<f", 1.5))),
        "long": (OPS["variable"], 11, packet(6, 11, bytes([254]) + struct.pack("<i", -7))),
        "quad": (OPS["variable"], 31, packet(6, 31, bytes([254]) + bytes(range(8)))),
        "byte_block": (OPS["variable"], 1, packet(6, 1, bytes([254, 1, 2, 3]))),
        "address_refused": (OPS["variable"], 33, packet(6, 33, bytes([254, 1, 2, 3]))),
        "word_short": (OPS["variable"], 5, packet(6, 5, bytes([254, 1]))),
    }
    return {name: bytes([op, arg]) + body for name, (op, arg, body) in seeds.items()}


def report_seeds():
    lines = sample_lines()
    tables = sum(1 for line in lines if line == "")
    seeds = {}
    for flag, name in ((0, "latin1"), (1, "utf16")):
        encoding = "latin-1" if flag == 0 else "utf-16-le"
        end = b"\0" if flag == 0 else b"\0\0"
        chosen = lines[:14] if flag == 0 else lines
        body = b"".join(line.encode(encoding, "replace") + end for line in chosen)
        seeds["sample_" + name] = bytes([tables, flag]) + body
    seeds["escapes"] = bytes([1, 1]) + "a<b>&c\t{x}\\y\tЖ€\U0001F600\t\t \n".encode("utf-16-le")
    seeds["no_tables"] = bytes([0, 0]) + b"h\0r\0\0"
    return seeds


def param_seeds():
    texts = {
        "byte": (0, "300"), "byte_negative": (0, "-1"), "byte_junk": (0, "42abc"),
        "float": (1, "2.5"), "float_exp": (1, "-1.5e-3"), "float_huge": (1, "1e300"),
        "float_largest": (1, "3.40282347e+38"), "float_nan": (1, "nan"),
        "float_denormal": (1, "1.4e-45"),
        "wide": (2, "Давление ЖЁ €"), "wide_empty": (2, ""),
        "address": (3, "1.2.3"), "address_padded": (3, "010.000.255"),
        "address_over": (3, "256.1.1"), "address_four": (3, "1.2.3.4"),
        "address_long": (3, "0001.2.3"), "address_signs": (3, "+1.-0. 7"),
        "none": (4, "5"), "long": (5, "123"),
    }
    seeds = {}
    for name, (selector, text) in texts.items():
        seeds[name] = bytes([selector, 0]) + text.encode("utf-8")
    seeds["wide_utf16"] = bytes([2, 1]) + "Ω\U0001F600".encode("utf-16-le")
    seeds["address_latin1"] = bytes([3, 2]) + "1.\xb2.3".encode("latin-1")
    return seeds


def unit_table_seeds():
    with open(SAMPLE, encoding="utf-8") as f:
        tables = [t.strip("\n") for t in f.read().split("\n\n") if t.strip()]
    seeds = {}
    for number, table in enumerate(tables, 1):
        for shape in (0x00, 0x03, 0xF7):
            seeds["sample_%d_%02x" % (number, shape)] = bytes([shape]) + table.encode("utf-8")
    seeds["datetime_cells"] = bytes([2]) + (
        "When\tV\tCh\n2024-03-14 08:25:09\t1.5\ta\n2024-03-14T09:00\t-2,5\tb\n"
        "14/03/24 10:00:00\t\u22121\ta\nbad\t+7\tb").encode("utf-8")
    return seeds


def web_query_seeds():
    queries = {
        "list": ("station=%D0%9B%D0%B0%D0%B1+1&port=COM1&since=2024-03-14&page=2&per_page=50",
                 "uk-UA,uk;q=0.9,ru;q=0.8,en;q=0.7"),
        "list_form_empty": ("station=&port=&since=&page=&per_page=", "ru-RU"),
        "reading_page": ("table=2&column=Value&by=Channel&lower=-1%2C5&upper=12.25"
                         "&since=14.03.2024+08%3A25&until=2024-03-14&series=CH1&page=3", "de,ru;q=0.1"),
        "download": ("table=1&since=2024-03-14T08:25:09&until=&series=CH2", "*"),
        "records": ("since=14%2F03%2F24&until=2024-03-15&offset=100&limit=10000", "en;q=0, *;q=0.5"),
        "path_and_format": ("n=9223372036854775807&f=xlsx&e=html&t=4096", "en"),
        "twice_unknown": ("page=1&page=2&x=%3Cscript%3Ealert(1)%3C%2Fscript%3E", ";;q=2,ru;q=abc"),
        "bad_numbers": ("page=1e3&per_page=%2B1&offset=-1&limit=01&table=4097", "RU, uk;q=1.000"),
        "bad_text": ("series=%FF%C0%AF&column=a%0D%0Ab&by=%ED%A0%80&lower=nan", "x" * 40),
        "attachment": ("name=%D0%9E%D1%82%D1%87%D1%91%D1%82%22%5C%0D%0A.csv", "ru;q=0.500,uk;q=0.5"),
    }
    return {name: (query + "\n" + header).encode("utf-8") for name, (query, header) in queries.items()}


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("receive_path", receive_seeds())
    write("report_driver", report_seeds())
    write("param_text", param_seeds())
    write("unit_table", unit_table_seeds())
    write("web_query", web_query_seeds())

#!/usr/bin/python3
"""Prints what a real reader of workbooks (openpyxl) finds in one, a line
per fact, for the tests to compare:
  sheet <tab> NAME
  frozen <tab> SHEET <tab> CELL
  filter <tab> SHEET <tab> RANGE
  width <tab> SHEET <tab> COLUMN <tab> WIDTH
  cell <tab> SHEET <tab> CELL <tab> TYPE <tab> VALUE <tab> NUMBER FORMAT <tab> BOLD
"""
import datetime
import sys

import openpyxl


def show(value):
    if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
        return value.isoformat()
    return repr(value) if isinstance(value, float) else str(value)


def main(path):
    book = openpyxl.load_workbook(path)
    out = []
    for sheet in book.worksheets:
        out.append(f"sheet\t{sheet.title}")
        out.append(f"frozen\t{sheet.title}\t{sheet.freeze_panes}")
        out.append(f"filter\t{sheet.title}\t{sheet.auto_filter.ref}")
        for letter, dimension in sheet.column_dimensions.items():
            out.append(f"width\t{sheet.title}\t{letter}\t{dimension.width}")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                kind = type(cell.value).__name__
                out.append("cell\t%s\t%s\t%s\t%s\t%s\t%s" % (sheet.title, cell.coordinate, kind, show(cell.value),
                                                           cell.number_format, bool(cell.font and cell.font.b)))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])

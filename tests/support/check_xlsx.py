"""Reads a workbook with openpyxl, an independent reader, and compares it with what it
should hold: the sheet's name, the bold header row that stays in view, and every cell of
every row. Prints what differs (at most 20 cells) and exits with 1 when anything does.

    check_xlsx.py WORKBOOK EXPECTED.json

EXPECTED: {"sheet": NAME, "titles": [...], "min_widths": [...], "rows": [[CELL, ...], ...]}
where a CELL is null (no value), ["s", TEXT], ["n", NUMBER] or ["d", "YYYY-MM-DD HH:MM:SS"].
"""
import datetime
import json
import re
import sys

import openpyxl


def as_read(value):
    # Spreadsheets read "_xHHHH_" in a text as the character it encodes.
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def matches(cell, want):
    if cell.data_type == "f":
        return False  # nothing may be a formula
    if want is None:
        return cell.value is None
    kind, value = want
    if kind == "s":
        return cell.data_type == "s" and as_read(cell.value) == value
    if kind == "n":
        return cell.data_type == "n" and not cell.is_date and cell.value == value
    when = datetime.datetime.strptime(value, "%Y-%m-%d %H:%M:%S")
    return cell.is_date and cell.value == when


def main():
    workbook = openpyxl.load_workbook(sys.argv[1])
    with open(sys.argv[2], encoding="utf-8") as f:
        expected = json.load(f)
    problems = []
    if workbook.sheetnames != [expected["sheet"]]:
        problems.append(f"sheets {workbook.sheetnames}")
    sheet = workbook.worksheets[0]
    if sheet.freeze_panes != "A2":
        problems.append(f"frozen at {sheet.freeze_panes}")
    for c, title in enumerate(expected["titles"], start=1):
        cell = sheet.cell(1, c)
        if cell.value != title or not cell.font.b:
            problems.append(f"title {cell.coordinate}: {cell.value!r} bold={cell.font.b}")
    if sheet.max_row != len(expected["rows"]) + 1:
        problems.append(f"{sheet.max_row - 1} rows")
    checked = 0
    for r, row in enumerate(expected["rows"], start=2):
        for c, want in enumerate(row, start=1):
            cell = sheet.cell(r, c)
            checked += 1
            if not matches(cell, want):
                problems.append(
                    f"{cell.coordinate}: want {want!r}, got {cell.value!r} ({cell.data_type})")
    for c, least in enumerate(expected["min_widths"], start=1):
        letter = openpyxl.utils.get_column_letter(c)
        width = sheet.column_dimensions[letter].width
        if not least <= width <= 62:
            problems.append(f"column {letter} width {width}, want at least {least}")
    for p in problems[:20]:
        print(p)
    print(f"{checked} cells checked, {len(problems)} differ")
    sys.exit(1 if problems else 0)


main()

#!/usr/bin/env python3
"""Uses the data component from Python through tarvo-com's line protocol.

    tarvo_client.py [--tarvo-com PROGRAM] DATABASE

Runs `tarvo-com --batch --format json` on the SQLite file DATABASE as a co-process: each
call is one line to its standard input, each answer one JSON line from its standard output
(docs/tarvo-com.md, "The line protocol"). Adds a department, lists the first page of
departments and of people, and shows how a failure comes back.
"""

import argparse
import json
import subprocess
import sys


class TarvoError(Exception):
    """A failed call: the failure code ("0x800A0BB9") and its description."""

    def __init__(self, hresult, description):
        super().__init__(f"{hresult}: {description}")
        self.hresult = hresult
        self.description = description


def encode(value):
    """One argument as tarvo-com reads it: None is Null, an int a 4-byte integer, text is
    quoted (so that "5" or "null" stay text)."""
    if value is None:
        return "null"
    if isinstance(value, bool) or not isinstance(value, (int, str)):
        raise TypeError(f"cannot pass {value!r}: only None, int and str travel")
    if isinstance(value, int):
        if not -2**31 <= value < 2**31:
            raise ValueError(f"{value} does not fit 32 bits")
        return str(value)
    if "\n" in value or "\r" in value:
        raise ValueError("a line break would end the request")
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def decode(result):
    """An answer's result: an array becomes a list of rows (the empty array []), Empty
    becomes None; Null is None already."""
    if isinstance(result, dict):
        if "cells" in result:
            return result["cells"]
        if result.get("empty"):
            return None
    return result


class Tarvo:
    """A tarvo-com co-process holding one connection and one object per ProgID."""

    def __init__(self, database, program="tarvo-com"):
        self.process = subprocess.Popen(
            [program, "--batch", "--format", "json",
             "--connect", f"Provider=SQLite;Data Source={database}"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, encoding="utf-8", bufsize=1)

    def call(self, progid, method, *args):
        self.process.stdin.write(" ".join([progid, method] + [encode(a) for a in args]) + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise EOFError(f"tarvo-com ended (status {self.process.wait()})")
        answer = json.loads(line)
        if not answer["ok"]:
            raise TarvoError(answer["hresult"], answer["description"])
        return decode(answer["result"])

    def close(self):
        """Ends the co-process; its exit status is 0 when every call succeeded."""
        self.process.stdin.close()
        self.process.stdout.close()
        return self.process.wait()


def show(rows):
    for row in rows:
        print("\t".join("NULL" if cell is None else str(cell) for cell in row))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tarvo-com", default="tarvo-com", help="the tarvo-com program")
    parser.add_argument("database", help="an SQLite database with the module's tables")
    options = parser.parse_args()

    tarvo = Tarvo(options.database, options.tarvo_com)
    print("added:", tarvo.call("Tarvo.Department", "AddData", "质量部", 7, None, "备注"))
    print("departments:")
    show(tarvo.call("Tarvo.Department", "GetPageData", 10, 1))
    print("people:")
    show(tarvo.call("Tarvo.Person", "GetPageData", 10, 1))
    try:
        tarvo.call("Tarvo.Person", "GetPageData", 10, 0)
    except TarvoError as e:
        print("failed:", e.hresult, e.description)
        print("GetError:", tarvo.call("Tarvo.Person", "GetError"))
    print("exit status:", tarvo.close())


if __name__ == "__main__":
    sys.exit(main())

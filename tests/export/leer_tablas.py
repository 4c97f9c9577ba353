"""Prints the six exported tables of a folder as dbfread reads them.

For each table: "#NAME", a line with the fields as NAME:TYPE:LENGTH, then one
line per record with the values joined by '|' (None as the empty text).
"""
import os
import sys

import dbfread

TABLES = ["ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"]


def main(folder):
    out = []
    for name in TABLES:
        table = dbfread.DBF(os.path.join(folder, name + ".DBF"), encoding="cp1252",
                            char_decode_errors="strict")
        out.append("#" + name)
        out.append(" ".join("%s:%s:%d" % (f.name, f.type, f.length) for f in table.fields))
        for record in table:
            out.append("|".join("" if v is None else str(v) for v in record.values()))
    sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv[1])

"""Parses an export as a spreadsheet would (Python's csv module, cp1252)."""
import csv
import sys

with open(sys.argv[1], encoding="cp1252", newline="") as f:
    rows = list(csv.reader(f))

assert all(len(r) == 13 for r in rows), [len(r) for r in rows]
assert rows[0][8] == "Tax  " and rows[0][12] == "List", rows[0]
numbers = [r[0] for r in rows[1:]]
assert numbers == ["000001", "000004", "000007"], numbers
first, awkward = rows[1], rows[3]
assert first[1] == "'=1+2" and first[3] == 'Caf\u00e9, "Ltd"' and first[4] == "'-Dock 4", first
assert awkward[1] == "'+SUM(A1)", awkward
assert awkward[3] == 'Caf\u00e9, "Ltd"\r\nBack door' and awkward[4] == "x,y", awkward
assert awkward[2] == "" and awkward[5] == "", awkward
print("ok:", len(rows) - 1, "records")

#!/usr/bin/env python3
"""Writes and reads the small native drawings of the editing end-to-end test.

  vld_records.py write FILE      two formulas, CH3 and OH, joined by a single bond
  vld_records.py formulas FILE   one line per formula in stream order: depth, text, x, y
  vld_records.py bonds FILE      one line per bond in stream order: depth, its drawn ends
                                 (xa ya xb yb) and the anchors of its two end objects

The reader knows the records of this format that the test's drawings hold: formulas,
junctions, ellipses, charges, bonds and groups."""
import struct
import sys

KIND_FORMULA, KIND_DOT, KIND_GROUP, KIND_END = 6, 8, 9, 10
KIND_ELLIPSE, KIND_COUPLING, KIND_PLUS, KIND_MINUS = 11, 12, 13, 14
MAGIC = b'8Valendra\0'


def common(kind, box, anchor):
    l, t, r, b = box
    return struct.pack('<iidiiiiiiI', kind, 0, 1.0, l, t, r, b, anchor[0], anchor[1], 0)


def formula(text, x, y):
    return common(KIND_FORMULA, (x, y + 240, x + 100, y), (x, y)) + struct.pack('<i', len(text)) + text


def bond(a, b):
    def ref(p):
        x, y = p
        return struct.pack('<6i', x, y, x, y + 240, x + 100, y)
    return (common(KIND_COUPLING, (0, 0, 0, 0), (0, 0))
            + struct.pack('<12i', 0, 0, 1, a[0], a[1], b[0], b[1], 1, 0, 0, 0, 0)
            + ref(a) + ref(b) + struct.pack('<d', 1.0))


def write(path):
    a, b = (6000, -4500), (9000, -6000)
    data = (MAGIC + struct.pack('<i', 0) + formula(b'CH#idown 3# ', *a) + formula(b'OH', *b)
            + bond(a, b) + struct.pack('<i', KIND_END))
    with open(path, 'wb') as f:
        f.write(data)


class Reader:
    COMMON = struct.calcsize('<iidiiiiiiI')

    def __init__(self, data):
        self.data, self.pos, self.formulas, self.bonds = data, 0, [], []

    def take(self, fmt):
        values = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += struct.calcsize(fmt)
        return values

    def records(self, depth):
        while True:
            (kind,) = struct.unpack_from('<i', self.data, self.pos)
            if kind == KIND_END:
                self.pos += 4
                return
            head = self.take('<iidiiiiiiI')
            anchor = head[7:9]
            if kind == KIND_FORMULA:
                (n,) = self.take('<i')
                text = self.data[self.pos:self.pos + n]
                self.pos += n
                self.formulas.append((depth, text.decode('latin-1'), anchor[0], anchor[1]))
            elif kind in (KIND_PLUS, KIND_MINUS):
                self.take('<d')
            elif kind == KIND_COUPLING:
                values = self.take('<12i6i6id')
                self.bonds.append((depth,) + values[3:7] + values[12:14] + values[18:20])
            elif kind == KIND_GROUP:
                self.records(depth + 1)
            elif kind not in (KIND_DOT, KIND_ELLIPSE):
                sys.exit(f'unknown record {kind} at {self.pos}')


def read(path):
    with open(path, 'rb') as f:
        data = f.read()
    if not data.startswith(MAGIC):
        sys.exit('not a drawing')
    reader = Reader(data)
    reader.pos = len(MAGIC) + 4
    reader.records(0)
    return reader


def formulas(path):
    for depth, text, x, y in read(path).formulas:
        print(depth, text.replace(' ', '_'), x, y)


def bonds(path):
    for values in read(path).bonds:
        print(*values)


if __name__ == '__main__':
    commands = {'write': write, 'formulas': formulas, 'bonds': bonds}
    if len(sys.argv) != 3 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](sys.argv[2])

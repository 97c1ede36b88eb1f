#!/usr/bin/env python3
"""Writes the structure corpus's drawings of the older KvillDoc family (.kvl): records with
the old kind codes (1 formula, 2 and 7 bonds, 3 junction, 4 group) and no selection fields,
as those files hold them. Appends their expected molecules to expected.tsv.

  make_old_drawings.py FOLDER"""
import math
import os
import struct
import sys


def i32(v):
    return struct.pack('<i', v)


def f64(v):
    return struct.pack('<d', v)


MAGIC = (b'KvillDoc\0' + b'\0' * 10)[:10]
END = i32(10)


class Obj:
    def __init__(self, kind, box, anchor, payload=b''):
        self.kind, self.box, self.anchor, self.payload = kind, box, anchor, payload

    def record(self):
        l, t, r, b = self.box
        out = i32(self.kind) + f64(1.0) + b''.join(i32(v) for v in (l, t, r, b)) + i32(
            self.anchor[0]) + i32(self.anchor[1])
        if self.kind > 5:
            out += struct.pack('<I', 0)
        return out + self.payload

    def ref(self):
        l, t, r, b = self.box
        return b''.join(i32(v) for v in (self.anchor[0], self.anchor[1], l, t, r, b))


def dot(x, y):
    return Obj(3, (x - 30, y + 30, x + 30, y - 30), (x, y))


def formula(text, x, y):
    """A formula whose first letter starts at (x, y)."""
    raw = text.encode('latin-1')
    return Obj(1, (x, y, x + 170 * len(text), y - 268), (x, y), i32(len(raw)) + raw)


def bond(a, b, style=1, kind=2):
    out = i32(kind) + f64(1.0) + i32(0) * 6
    if kind > 5:
        out += struct.pack('<I', 0)  # the colour, which the first bond code lacks
    return (out + i32(0) + i32(0) + i32(1) + i32(0) * 4 + i32(style) + i32(0) * 4 + a.ref()
            + b.ref())


def ring(cx, cy):
    return [dot(cx + int(round(300 * math.cos(math.pi / 6 + k * math.pi / 3))),
                cy + int(round(300 * math.sin(math.pi / 6 + k * math.pi / 3)))) for k in range(6)]


def drawing(objects, bonds, groups=()):
    out = MAGIC
    for o in objects:
        out += o.record()
    for g, children, inner in groups:
        out += g.record() + b''.join(c.record() for c in children) + b''.join(inner) + END
    return out + b''.join(bonds) + END


def ethanol():
    a, b = dot(0, 0), dot(260, 150)
    oh = formula('OH', 434, 284)
    return drawing([a, b, oh], [bond(a, b), bond(b, oh)])


def benzoic_acid():
    r = ring(0, 0)
    inner = [bond(r[k], r[(k + 1) % 6], style=2 if k % 2 == 0 else 1) for k in range(6)]
    acid = formula('COOH', 434, 284)
    group = Obj(4, (-290, 330, 290, -330), (-290, 330))
    # The bond to the label uses the old second bond code.
    return drawing([acid], [bond(r[0], acid, kind=7)], [(group, r, inner)])


def acetone():
    a, b, c = dot(0, 0), dot(260, 150), dot(520, 0)
    o = formula('O', 174, 584)
    return drawing([a, b, c, o], [bond(a, b), bond(b, c), bond(b, o, style=2)])


def main():
    folder = sys.argv[1]
    entries = [('old-ethanol.kvl', 'CCO', ethanol()),
               ('old-benzoic-acid.kvl', 'OC(=O)c1ccccc1', benzoic_acid()),
               ('old-acetone.kvl', 'CC(C)=O', acetone())]
    with open(os.path.join(folder, 'expected.tsv'), 'a') as expected:
        for name, smiles, data in entries:
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)
            expected.write(name + '\t' + smiles + '\n')


if __name__ == '__main__':
    main()

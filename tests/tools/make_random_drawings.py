#!/usr/bin/env python3
"""Writes random drawings as native streams: formulas with markup, junctions, ellipses,
charges, bonds of every style between them, and rings and nested groups, with random
scales, colours, thicknesses and selection flags. A refactoring that must not change
behaviour converts and exports them with the old and the new program and compares the
files byte for byte.

  make_random_drawings.py OUTDIR [COUNT] [SEED]

Each drawing is random.Random(SEED + i), so the same arguments give the same files."""
import math
import os
import random
import struct
import sys

KIND_FORMULA, KIND_DOT, KIND_GROUP, KIND_END = 6, 8, 9, 10
KIND_ELLIPSE, KIND_COUPLING, KIND_PLUS, KIND_MINUS = 11, 12, 13, 14
PS_SOLID, PS_DOT = 0, 2

# Formula texts: plain letters, indices of every template, escaped markup characters and
# Greek letters, as a user types them.
TEXTS = [b'H', b'CH3', b'H#idown 2# O', b'SO#iudr 2-# 4# ', b'#iup 14# C', b'Na#iup +# ',
         b'Cl#iup -# ', b'#iudl 235# 92# U', b'<a>', b'<b>-C', b'a<b>c<<d>>', b'##OH',
         b'COOH', b'NH#idown 2# ', b'<p>', b'Fe#iup 3+# ', b'', b'O', b'N', b'OH',
         b'CH#idown 2# CH#idown 3# ', b'<D>H', b'C#idown 6# H#idown 12# O#idown 6# ']


def i32(v):
    return struct.pack('<i', v)


def u32(v):
    return struct.pack('<I', v)


def f64(v):
    return struct.pack('<d', v)


class Obj:
    """An object as stored: its kind, box (left, top, right, bottom) and anchor."""

    def __init__(self, kind, box, anchor, rng, selected=None):
        self.kind = kind
        self.box = box
        self.anchor = anchor
        self.sel = selected if selected is not None else int(rng.random() < 0.2)
        self.scale = rng.choice([1.0, 1.0, 1.0, 0.5, 0.8, 1.5, 2.0])
        self.color = rng.choice([0, 0, 0, 0xFF, 0xFF00, 0xFF0000, 0x808080])

    def common(self):
        l, t, r, b = self.box
        return (i32(self.kind) + i32(self.sel) + f64(self.scale) + i32(l) + i32(t) + i32(r)
                + i32(b) + i32(self.anchor[0]) + i32(self.anchor[1]) + u32(self.color))


def make_formula(rng, x, y):
    o = Obj(KIND_FORMULA, (x, y + 100, x + 100, y), (x, y), rng)
    text = rng.choice(TEXTS)
    o.record = lambda: o.common() + i32(len(text)) + text
    return o


def make_dot(rng, x, y, selected=None):
    o = Obj(KIND_DOT, (x - 30, y + 30, x + 30, y - 30), (x, y), rng, selected)
    o.scale = 1.0
    o.record = o.common
    return o


def make_ellipse(rng, x, y):
    w, h = rng.randint(60, 900), rng.randint(60, 900)
    o = Obj(KIND_ELLIPSE, (x, y, x + w, y - h), (x, y), rng)
    o.record = o.common
    return o


def make_charge(rng, x, y):
    size = rng.randint(100, 400)
    o = Obj(rng.choice([KIND_PLUS, KIND_MINUS]), (x, y, x + size, y - size), (x, y), rng)
    thickness = rng.choice([1.0, 1.0, 2.0, 0.5])
    o.record = lambda: o.common() + f64(thickness)
    return o


def make_bond(rng, a, b, selected=None):
    o = Obj(KIND_COUPLING, (0, 0, 0, 0), (0, 0), rng, selected)
    style = rng.randint(1, 10)
    pen = PS_DOT if rng.random() < 0.15 else PS_SOLID
    side = rng.choice([1, 1, 2])
    thickness = rng.choice([1.0, 1.0, 1.0, 0.5, 2.0, 3.5])

    def ref(e):
        l, t, r, bb = e.box
        return i32(e.anchor[0]) + i32(e.anchor[1]) + i32(l) + i32(t) + i32(r) + i32(bb)

    o.record = lambda: (o.common() + i32(0) + i32(0) + i32(side) + i32(a.anchor[0])
                        + i32(a.anchor[1]) + i32(b.anchor[0]) + i32(b.anchor[1]) + i32(style)
                        + i32(pen) + i32(0) + i32(0) + i32(0) + ref(a) + ref(b) + f64(thickness))
    return o


def ring_children(rng, cx, cy, n, radius):
    """Junctions on a circle and the bonds joining them, as a ring template lays them out."""
    dots = []
    for k in range(n):
        angle = 2 * math.pi * k / n
        dots.append(make_dot(rng, cx + round(radius * math.cos(angle)),
                             cy + round(radius * math.sin(angle)), selected=0))
    bonds = [make_bond(rng, dots[k], dots[(k + 1) % n], selected=0) for k in range(n)]
    return dots, bonds


def group_record(rng, x, y, depth):
    """A group: a ring, sometimes a formula or a nested group, then its bonds and end."""
    n = rng.randint(3, 8)
    dots, bonds = ring_children(rng, x, y, n, 300)
    members = list(dots)
    if rng.random() < 0.3:
        members.append(make_formula(rng, x + 400, y))
        bonds.append(make_bond(rng, dots[0], members[-1], selected=0))
    head = Obj(KIND_GROUP, (x - 330, y + 330, x + 330, y - 330), (x - 330, y + 330), rng)
    out = head.common()
    for m in members:
        out += m.record()
    if depth < 3 and rng.random() < 0.3:
        out += group_record(rng, x + 900, y - 200, depth + 1)[0]
    for b in bonds:
        out += b.record()
    out += i32(KIND_END)
    return out, members


def drawing(rng):
    objs, ends, bonds, groups = [], [], [], []
    count = rng.randint(1, 60)
    span = rng.choice([3000, 8000, 20000])
    for _ in range(count):
        x, y = rng.randint(0, span), -rng.randint(0, span)
        kind = rng.random()
        if kind < 0.3:
            o = make_formula(rng, x, y)
            ends.append(o)
        elif kind < 0.55:
            o = make_dot(rng, x, y)
            ends.append(o)
        elif kind < 0.65:
            o = make_ellipse(rng, x, y)
        elif kind < 0.75:
            o = make_charge(rng, x, y)
        else:
            groups.append(group_record(rng, x, y, 0)[0])
            continue
        objs.append(o)
    for _ in range(rng.randint(0, 2 * len(ends))):
        if len(ends) < 2:
            break
        a, b = rng.sample(ends, 2)
        bonds.append(make_bond(rng, a, b))
    selected = sum(o.sel for o in objs + bonds)
    out = b'8Valendra\0' + i32(selected)
    for o in objs:
        out += o.record()
    for g in groups:
        out += g
    for b in bonds:
        out += b.record()
    return out + i32(KIND_END)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        with open(os.path.join(folder, f'random-{i:04d}.vld'), 'wb') as f:
            f.write(drawing(random.Random(seed + i)))
    print(f'{count} drawings written to {folder}')


if __name__ == '__main__':
    main()

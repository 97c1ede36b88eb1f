#!/usr/bin/env python3
"""Writes the drawings the end-to-end scripts open, as native streams.

  make_drawing.py menus OUT   one object of each kind at known places (see below)
  make_drawing.py rings N OUT N benzene-sized rings of six junctions and six bonds,
                              in rows of 50, 600 units apart
  make_drawing.py label OUT   the menus drawing's ellipse, a ring centred at (3000, -5400)
                              and the label "COOH" anchored at (4500, -5250), bonded to
                              the ring's rightmost junction (3300, -5400)
  make_drawing.py far OUT     an ellipse (-20000, 14000)-(-18000, 12000) left of and above
                              the origin, and the menus drawing's ellipse

The menus drawing, in drawing units (15 to a pixel at zoom 1 and 96 pixels per inch):
an ellipse (1500, -1500)-(3000, -3000), the leftmost and topmost ink; the formula "OH"
anchored at (4500, -2100); a bond from (7500, -1800) to (10500, -1800) between two
junctions; a ring centred at (3000, -5400); a plus charge (6000, -5100)-(6450, -5550);
and a junction alone at (9000, -5400)."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tools'))
import make_random_drawings as m  # noqa: E402


def plain(o):
    o.sel, o.scale, o.color = 0, 1.0, 0
    return o


def bond(rng, a, b):
    """A plain single bond of thickness 1 from a to b."""
    o = plain(m.Obj(m.KIND_COUPLING, (0, 0, 0, 0), (0, 0), rng, 0))

    def ref(e):
        left, top, right, bottom = e.box
        return (m.i32(e.anchor[0]) + m.i32(e.anchor[1]) + m.i32(left) + m.i32(top)
                + m.i32(right) + m.i32(bottom))

    o.record = lambda: (o.common() + m.i32(0) + m.i32(0) + m.i32(1) + m.i32(a.anchor[0])
                        + m.i32(a.anchor[1]) + m.i32(b.anchor[0]) + m.i32(b.anchor[1])
                        + m.i32(1) + m.i32(0) + m.i32(0) + m.i32(0) + m.i32(0) + ref(a)
                        + ref(b) + m.f64(1.0))
    return o


def ring_with_dots(rng, cx, cy):
    """A ring's group record and its junctions (the first is the rightmost)."""
    dots = [plain(d) for d in m.ring_children(rng, cx, cy, 6, 300)[0]]
    bonds = [bond(rng, dots[k], dots[(k + 1) % 6]) for k in range(6)]
    head = plain(m.Obj(m.KIND_GROUP, (cx - 330, cy + 330, cx + 330, cy - 330),
                       (cx - 330, cy + 330), rng, 0))
    out = head.common()
    for d in dots:
        out += d.record()
    for b in bonds:
        out += b.record()
    return out + m.i32(m.KIND_END), dots


def ring(rng, cx, cy):
    return ring_with_dots(rng, cx, cy)[0]


def ellipse(rng, box):
    o = plain(m.Obj(m.KIND_ELLIPSE, box, (box[0], box[1]), rng, 0))
    o.record = o.common
    return o


def label():
    rng = random.Random(3)
    text = b'COOH'
    formula = plain(m.Obj(m.KIND_FORMULA, (4500, -5250, 5100, -5550), (4500, -5250), rng, 0))
    formula.record = lambda: formula.common() + m.i32(len(text)) + text
    group, dots = ring_with_dots(rng, 3000, -5400)
    out = b'8Valendra\0' + m.i32(0) + ellipse(rng, (1500, -1500, 3000, -3000)).record()
    out += group + formula.record() + bond(rng, dots[0], formula).record()
    return out + m.i32(m.KIND_END)


def far():
    rng = random.Random(4)
    out = b'8Valendra\0' + m.i32(0)
    for box in ((-20000, 14000, -18000, 12000), (1500, -1500, 3000, -3000)):
        out += ellipse(rng, box).record()
    return out + m.i32(m.KIND_END)


def menus():
    rng = random.Random(1)
    ellipse = plain(m.Obj(m.KIND_ELLIPSE, (1500, -1500, 3000, -3000), (1500, -1500), rng, 0))
    ellipse.record = ellipse.common
    text = b'OH'
    formula = plain(m.Obj(m.KIND_FORMULA, (4500, -2100, 4800, -2400), (4500, -2100), rng, 0))
    formula.record = lambda: formula.common() + m.i32(len(text)) + text
    a = plain(m.make_dot(rng, 7500, -1800, selected=0))
    b = plain(m.make_dot(rng, 10500, -1800, selected=0))
    lone = plain(m.make_dot(rng, 9000, -5400, selected=0))
    plus = plain(m.Obj(m.KIND_PLUS, (6000, -5100, 6450, -5550), (6000, -5100), rng, 0))
    plus.record = lambda: plus.common() + m.f64(1.0)
    line = bond(rng, a, b)
    out = b'8Valendra\0' + m.i32(0)
    for o in (ellipse, formula, a, b, lone, plus):
        out += o.record()
    out += ring(rng, 3000, -5400)
    out += line.record()
    return out + m.i32(m.KIND_END)


def rings(n):
    rng = random.Random(2)
    out = b'8Valendra\0' + m.i32(0)
    for i in range(n):
        out += ring(rng, 500 + (i % 50) * 600, -500 - (i // 50) * 600)
    return out + m.i32(m.KIND_END)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == 'menus':
        data, path = menus(), sys.argv[2]
    elif len(sys.argv) == 4 and sys.argv[1] == 'rings':
        data, path = rings(int(sys.argv[2])), sys.argv[3]
    elif len(sys.argv) == 3 and sys.argv[1] in ('label', 'far'):
        data, path = (label if sys.argv[1] == 'label' else far)(), sys.argv[2]
    else:
        sys.exit(__doc__)
    with open(path, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()

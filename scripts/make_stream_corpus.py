#!/usr/bin/env python3
"""Writes the seed corpus of the stream fuzz targets: small hand-made streams of every
variant (every magic, every record kind, older codes, nesting, bonds, scanning layouts,
cut-short and corrupt data). Run from the repository root; the files are committed."""
import os
import struct


def i32(v):
    return struct.pack('<i', v)


def f64(v):
    return struct.pack('<d', v)


def magic(text):
    b = text.encode() + b'\0'
    return (b + b'\0' * 10)[:10]


def header(sel=0, text='8Valendra'):
    return magic(text) + i32(sel)


END = i32(10)


def common(kind, l, t, r, b, ax, ay, sel=0, scale=1.0, color=0, has_sel=True):
    out = i32(kind)
    if has_sel:
        out += i32(sel)
    out += f64(scale) + i32(l) + i32(t) + i32(r) + i32(b) + i32(ax) + i32(ay)
    if kind > 5:
        out += struct.pack('<I', color)
    return out


def dot(x, y, sel=0, kind=8, has_sel=True):
    return common(kind, x - 30, y + 30, x + 30, y - 30, x, y, sel, has_sel=has_sel)


def ref(x, y):
    return i32(x) + i32(y) + i32(x - 30) + i32(y + 30) + i32(x + 30) + i32(y - 30)


def bond(a, b, kind=12, style=1, sel=0, has_sel=True, thickness=1.0):
    out = common(kind, 0, 0, 0, 0, 0, 0, sel, has_sel=has_sel)
    out += i32(0) + i32(0) + i32(1) + i32(0) * 4 + i32(style) + i32(0) * 4
    out += ref(*a) + ref(*b)
    if kind == 12:
        out += f64(thickness)
    return out


def formula(text, kind=6, has_sel=True):
    return common(kind, 0, 100, 100, 0, 100, 0, has_sel=has_sel) + i32(len(text)) + text


def group(children, bonds=b'', kind=9, sel=0, has_sel=True):
    return common(kind, -30, 30, 130, -30, -30, 30, sel, has_sel=has_sel) + children + bonds + END


def charge(kind, thickness=1.0):
    return common(kind, 0, 0, 200, -200, 0, 0) + f64(thickness)


seeds = {}
seeds['empty'] = header() + END
for m in ['Valendra', '7Valendra', '6Valendra', '5Valendra', '4Valendra', 'Valendra2',
          'Valendra3']:
    seeds['magic_' + m] = header(1, m) + dot(0, 0, 1) + END
seeds['every_kind'] = (header(2) + formula(b'H_2O') + dot(0, 0) + dot(100, 0)
                       + common(11, 0, 50, 80, 0, 0, 50) + charge(13, 2.0) + charge(14)
                       + bond((0, 0), (100, 0)) + bond((100, 0), (0, 0), style=6) + END)
seeds['group_in_group_bond'] = (
    header() + group(group(dot(0, 0) + dot(100, 0), bond((0, 0), (100, 0))), sel=1) + END)
seeds['bond_between_groups'] = (header() + group(dot(0, 0)) + group(dot(500, 0))
                                + bond((0, 0), (500, 0)) + END)
seeds['two_identical_ends'] = header() + dot(0, 0) + dot(0, 0) + dot(9, 9) + bond((0, 0), (9, 9)) + END
seeds['dropped_bond'] = header() + dot(0, 0) + bond((0, 0), (77, 77)) + END
seeds['lone_bond_copy'] = header(1) + dot(0, 0) + dot(100, 0) + bond((0, 0), (100, 0), sel=1) + END
seeds['unknown_codes'] = header() + common(99, 0, 1, 1, 0, 0, 0) + i32(0) + i32(-5) + dot(1, 1) + END
kv = magic('KvillDoc')
seeds['kvill_old_codes'] = (kv + formula(b'Na', kind=1, has_sel=False) + dot(0, 0, kind=3, has_sel=False)
                            + common(5, 10, 90, 50, 20, 33, 44, has_sel=False)
                            + group(dot(200, 0, kind=3, has_sel=False), kind=4, has_sel=False)
                            + bond((0, 0), (200, 0), kind=2, style=3, has_sel=False)
                            + bond((0, 0), (200, 0), kind=7, has_sel=False) + END)
s = header(4) + dot(1, 2) + END
seeds['scan_300'] = s + b'\xab' * (300 - len(s))
first = header(1) + dot(1, 1) + END
seeds['scan_second_at_512'] = first + b'\0' * (512 - len(first)) + header(2) + dot(2, 2) + dot(3, 3) + END
seeds['scan_magic_in_garbage'] = bytes((i * 7) % 16 for i in range(256)) + header() + dot(5, 5) + END
seeds['cut_short'] = header() + dot(0, 0) + dot(1, 1)[:20]
seeds['formula_negative_length'] = header() + common(6, 0, 100, 100, 0, 100, 0) + i32(-1) + END
seeds['formula_huge_length'] = header() + common(6, 0, 100, 100, 0, 100, 0) + i32(0x7fffffff) + END
deep = header()
for _ in range(64):
    deep += common(9, 0, 0, 0, 0, 0, 0)
deep += dot(0, 0) + END * 65
seeds['deep_nesting'] = deep

for target in ['fuzz_plain_loader', 'fuzz_scanning_loader']:
    folder = os.path.join('fuzz', 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name + '.vld'), 'wb') as f:
            f.write(data)
print(f'{len(seeds)} seeds written')

#!/usr/bin/env python3
"""Prints the names of every accessible object the programs on the accessibility bus show
(AT-SPI, walked with gdbus), one a line, so that an end-to-end script can see what the
window's widgets say to a screen reader, as a user would hear it.

  accessible_names.py   (the session bus must carry org.a11y.Bus)"""
import re
import subprocess
import sys

CHILD = re.compile(r"\('([^']+)', (?:objectpath )?'(/[^']+)'\)")


def call(args):
    return subprocess.run(['gdbus', 'call'] + args, capture_output=True, text=True,
                          timeout=20).stdout


def main():
    out = call(['--session', '--dest', 'org.a11y.Bus', '--object-path', '/org/a11y/bus',
                '--method', 'org.a11y.Bus.GetAddress'])
    m = re.match(r"\('(.*)',\)", out.strip())
    if not m:
        return 1
    address = m.group(1)
    pending = [('org.a11y.atspi.Registry', '/org/a11y/atspi/accessible/root')]
    seen = set()
    while pending and len(seen) < 5000:
        node = pending.pop()
        if node in seen:
            continue
        seen.add(node)
        bus, path = node
        name = call(['--address', address, '--dest', bus, '--object-path', path, '--method',
                     'org.freedesktop.DBus.Properties.Get', 'org.a11y.atspi.Accessible', 'Name'])
        n = re.match(r"\(<'(.*)'>,\)", name.strip())
        if n:
            print(n.group(1))
        children = call(['--address', address, '--dest', bus, '--object-path', path, '--method',
                         'org.a11y.atspi.Accessible.GetChildren'])
        pending.extend(CHILD.findall(children))
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
"""Compares two Brindlemark scripts: structure exactly, coordinates by value.

usage: compare_scripts.py EXPECTED ACTUAL [RELATIVE_TOLERANCE]
Exit status 0 when they agree, 1 with the first difference on stderr.
"""
import sys


def main():
    expected_path, actual_path = sys.argv[1], sys.argv[2]
    tolerance = float(sys.argv[3]) if len(sys.argv) > 3 else 1e-9
    expected = open(expected_path, 'rb').read()
    actual = open(actual_path, 'rb').read()
    if not actual.endswith(b'\r\n\r'):
        sys.exit(f'{actual_path}: does not end with CR LF CR')
    e_lines = expected.split(b'\r\n')
    a_lines = actual.split(b'\r\n')
    if len(e_lines) != len(a_lines):
        sys.exit(f'{actual_path}: {len(a_lines)} lines, expected {len(e_lines)}')
    for number, (e, a) in enumerate(zip(e_lines, a_lines), 1):
        e_fields, a_fields = e.split(b'\t'), a.split(b'\t')
        if len(e_fields) != 5:
            if e != a:
                sys.exit(f'{actual_path}:{number}: {a!r}, expected {e!r}')
            continue
        if len(a_fields) != 5 or e_fields[:2] != a_fields[:2]:
            sys.exit(f'{actual_path}:{number}: {a!r}, expected {e!r}')
        for ef, af in zip(e_fields[2:], a_fields[2:]):
            ev, av = float(ef), float(af)
            if abs(ev - av) > tolerance * max(1.0, abs(ev)):
                sys.exit(f'{actual_path}:{number}: {a!r}, expected {e!r}')
    return 0


if __name__ == '__main__':
    sys.exit(main())

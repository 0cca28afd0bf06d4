#!/usr/bin/env python3
"""Writes the fuzz seed corpus: small, valid IGES files behind the settings
prefix that fuzz/road.h describes.

Each seed is meant to reach a different branch of the reader, the parser and
the engine. Run it from anywhere; it rewrites the seeds in fuzz/corpus/ (the
regressions folder and the copied sample files are left alone).

    python3 fuzz/make_seeds.py
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def prefix(along, side, keep_all_curves, scale):
    """The four settings bytes, printable: 1 + byte % 64 steps each."""
    assert 1 <= along <= 63 and 1 <= side <= 63 and len(scale) <= 9
    return chr(63 + along) + chr(63 + side) + ("1" if keep_all_curves else "0") + chr(48 + len(scale)) + scale


def num(value, d_exponent=False):
    """A real as IGES writers print it: always with a point, optionally in D form."""
    if d_exponent:
        mantissa, exponent = f"{value:.6E}".split("E")
        return f"{mantissa}D{int(exponent)}"
    text = repr(float(value))
    if text.endswith(".0"):
        text = text[:-1]  # "1." as most writers write it
    return text


def wrap(tokens, delimiter, end, width):
    """Joins tokens with the delimiter, ends with end, breaks lines at delimiters."""
    lines, line = [], ""
    for i, token in enumerate(tokens):
        piece = token + (end if i == len(tokens) - 1 else delimiter)
        if line and len(line) + len(piece) > width:
            lines.append(line)
            line = ""
        # A token longer than a line runs on over the next lines: the reader
        # joins the lines without a separator.
        while len(piece) > width:
            lines.append(piece[:width])
            piece = piece[width:]
        line += piece
    lines.append(line)
    return lines


class Entity:
    def __init__(self, type_number, params, status="00000000", shares_previous_line=False, count_delta=0):
        self.type = type_number
        self.params = params
        self.status = status
        # Added to the true Parameter Data line count in the directory entry.
        self.count_delta = count_delta
        # Points at the previous entity's single Parameter Data line.
        self.shares_previous_line = shares_previous_line


def curve(control_points, degree, weights=None, d_exponent=False, status="00000000", planar=False):
    k = len(control_points) - 1
    m = degree
    n = 1 + k - m
    knots = [0] * m + list(range(0, n + 1)) + [n] * m
    weights = weights or [1.0] * (k + 1)
    polynomial = 1 if all(w == weights[0] for w in weights) else 0
    f = lambda v: num(v, d_exponent)
    params = [str(k), str(m), "1" if planar else "0", "0", str(polynomial), "0"]
    params += [f(t) for t in knots] + [f(w) for w in weights]
    for p in control_points:
        params += [f(c) for c in p]
    params += [f(0), f(n)]
    if planar:
        params += [f(0), f(0), f(1)]
    return Entity(126, params, status)


def surface(net, degree_u, degree_v, weights=None, d_exponent=False):
    """net[v][u] = (x, y, z); U runs fastest in the file."""
    nu, nv = len(net[0]), len(net)
    k1, k2, m1, m2 = nu - 1, nv - 1, degree_u, degree_v
    n1, n2 = 1 + k1 - m1, 1 + k2 - m2
    knots_u = [0] * m1 + list(range(0, n1 + 1)) + [n1] * m1
    knots_v = [0] * m2 + list(range(0, n2 + 1)) + [n2] * m2
    weights = weights or [1.0] * (nu * nv)
    polynomial = 1 if all(w == weights[0] for w in weights) else 0
    f = lambda v: num(v, d_exponent)
    params = [str(k1), str(k2), str(m1), str(m2), "0", "0", str(polynomial), "0", "0"]
    params += [f(t) for t in knots_u] + [f(t) for t in knots_v] + [f(w) for w in weights]
    for row in net:
        for p in row:
            params += [f(c) for c in p]
    params += [f(0), f(n1), f(0), f(n2)]
    return Entity(128, params)


def long_number_curve():
    e = curve([(0.0, 0.0, 0.0), (1.0, 1.0, 1.0), (2.0, 0.0, 0.0)], 2)
    # Coordinates start behind the six counts and flags, the 6 knots and the 3 weights.
    first = 6 + 6 + 3
    e.params[first + 3] = "0" * 880 + "1." + "5" * 20
    e.params[first + 4] = "1.0D-400"
    e.params[first + 5] = "1.5D300"
    e.params[first + 6] = "0." + "1234567890" * 80
    e.params[first + 7] = "-1.7976931348623157E308"
    return e


def other(type_number, params):
    return Entity(type_number, params)


def grid(nu, nv, bump=0.0):
    return [[(10.0 * u, 5.0 * v, bump * ((u * v) % 3)) for u in range(nu)] for v in range(nv)]


def iges(entities, start=("fuzz seed",), delimiter=",", record=";", hollerith_delimiter=True,
         line_end="\n", trailing_empty_lines=0, reverse_parameter_data=False, keep_lines=None):
    """reverse_parameter_data writes the entities' Parameter Data blocks in
    reverse order, each keeping its sequence numbers; keep_lines cuts the file
    after that many lines."""
    out = []

    def line(data, letter, seq, width=72):
        out.append(data.ljust(width)[:width] + letter + str(seq).rjust(7))

    for i, text in enumerate(start, 1):
        line(text, "S", i)

    if hollerith_delimiter:
        head = [f"1H{delimiter}", f"1H{record}"]
    else:
        head = ["", ""]  # both left to their defaults: the text starts with ",,"
    global_params = head + ["4Hseed", "8Hseed.igs", "4Hfuzz", "4Hfuzz", "32", "38", "6", "308", "15",
                            "4Hseed", "1.0", "2", "2HMM", "1", "0.01", "15H20240101.000000", "0.0001",
                            "100.0", "4Hfuzz", "4Hfuzz", "11", "0", "15H20240101.000000"]
    g_lines = wrap(global_params, delimiter, record, 72)
    for i, text in enumerate(g_lines, 1):
        line(text, "G", i)

    d_lines, p_lines, blocks = [], [], []
    for index, e in enumerate(entities):
        d_seq = 2 * index + 1
        if e.shares_previous_line:
            assert last_count == 1, "only a one-line entity can share its line"
            pointer, count = last_pointer, 1
        else:
            text = wrap([str(e.type)] + e.params, delimiter, record, 64)
            pointer, count = len(p_lines) + 1, len(text)
            block = []
            for t in text:
                p_lines.append(t.ljust(64) + " " + str(d_seq).rjust(7) + "P" + str(len(p_lines) + 1).rjust(7))
                block.append(p_lines[-1])
            blocks.append(block)
        last_pointer, last_count = pointer, count
        first = "".join(str(v).rjust(8) for v in (e.type, pointer, 0, 0, 0, 0, 0, 0)) + e.status
        second = "".join(str(v).rjust(8) for v in (e.type, 0, 0, count + e.count_delta, 0)) + " " * 24
        d_lines.append(first.ljust(72) + "D" + str(d_seq).rjust(7))
        d_lines.append(second.ljust(72) + "D" + str(d_seq + 1).rjust(7))
    out += d_lines
    out += [l for block in reversed(blocks) for l in block] if reverse_parameter_data else p_lines
    terminate = f"S{len(start):7d}G{len(g_lines):7d}D{len(d_lines):7d}P{len(p_lines):7d}"
    line(terminate, "T", 1)
    if keep_lines is not None:
        out = out[:keep_lines]
    return line_end.join(out) + line_end + line_end * trailing_empty_lines


ARC = [(0.0, 0.0, 0.0), (1.0, 2.0, 0.0), (2.0, 2.0, 0.0), (3.0, 0.0, 0.0)]
WAVE = [(float(i), float((-1) ** i), 0.5 * i) for i in range(7)]

SEEDS = {
    # A cubic curve, default delimiters (the Global text starts with ",,").
    "curve_cubic_default_delimiters": (
        prefix(6, 1, False, "1"),
        iges([curve(ARC, 3)], hollerith_delimiter=False)),
    # Rational quadratic arc, weights (1, 2, 1), D exponents, CR LF line ends.
    "curve_rational_d_exponents_crlf": (
        prefix(16, 1, False, "2.5"),
        iges([curve([(1.0, 0.0, 0.0), (1.0, 1.0, 0.0), (0.0, 1.0, 0.0)], 2, [1.0, 0.7071067811865476, 1.0],
                    d_exponent=True, planar=True)], line_end="\r\n")),
    # A degree-1 curve and a long curve spread over several Parameter Data lines.
    "curve_linear_and_long": (
        prefix(9, 1, False, ""),
        iges([curve(WAVE[:3], 1), curve(WAVE, 4, [1.0, 2.0, 0.5, 1.0, 3.0, 1.0, 1.0])])),
    # A subordinate curve (status 00010000) that only the curve switch keeps,
    # beside an independent one; the switch is on.
    "curves_subordinate_switch_on": (
        prefix(5, 1, True, "1"),
        iges([curve(ARC, 2, status="00010000"), curve(WAVE[:4], 3, status="00000000")])),
    # The same file with the switch off: the subordinate curve is passed over.
    "curves_subordinate_switch_off": (
        prefix(5, 1, False, "1"),
        iges([curve(ARC, 2, status="00010000"), curve(WAVE[:4], 3, status="00000000")])),
    # A bilinear patch: both directions raised from two points to three.
    "surface_raise_2x2": (
        prefix(12, 12, False, "1"),
        iges([surface(grid(2, 2, 1.0), 1, 1, [1.0, 2.0, 3.0, 4.0])])),
    # Two points across, one row along: the across raise alone; a negative
    # scale text, which the parser resets to "1".
    "surface_raise_2x1": (
        prefix(4, 7, False, "-2"),
        iges([surface(grid(2, 1), 1, 0)])),
    # Two points across, five along: the across raise over five rows.
    "surface_raise_2x5": (
        prefix(8, 3, False, "0.5"),
        iges([surface(grid(2, 5, 2.0), 1, 3)])),
    # A bicubic by quadratic net with weights; "1H;"-style delimiters where the
    # parameter delimiter is ";" and the record delimiter "@"; CR line ends.
    "surface_semicolon_delimiter_cr": (
        prefix(7, 5, False, "3"),
        iges([surface(grid(4, 3, 1.5), 3, 2, [1.0, 1.5, 0.5, 1.0, 2.0, 1.0, 1.0, 0.75, 1.0, 1.0, 1.25, 1.0])],
             delimiter=";", record="@", line_end="\r")),
    # A degree-0 direction, a single column (nu = 1) and D exponents.
    "surface_single_column_d_exponents": (
        prefix(5, 4, False, "1"),
        iges([surface([[(0.0, 0.0, 0.0)], [(0.0, 1.0, 1.0)], [(0.0, 2.0, 0.0)]], 0, 2, d_exponent=True)])),
    # Curves, surfaces and entities of other types in one file, two entries
    # sharing one Parameter Data line, a two-point curve (no object), a
    # surface with two rows along (no raise), no Start section, CR CR LF line
    # ends and empty lines behind the Terminate line.
    "mixed_shared_line_crcrlf": (
        prefix(3, 2, True, "1.0"),
        iges([other(110, ["0.", "0.", "0.", "1.", "1.", "1."]),
              Entity(126, "2,1,0,0,1,0,0,0,1,2,2,1,1,1,0,0,0,1,1,0,2,0,0,0,2".split(",")),
              Entity(126, [], shares_previous_line=True),
              other(314, ["0.", "0.", "0.", "4Hgrey"]),
              surface(grid(3, 3, 1.0), 2, 2),
              curve(WAVE, 2, status="00010000"),
              surface(grid(2, 2), 1, 1),
              curve(ARC[:2], 1),
              surface(grid(4, 2, 1.0), 2, 1)],
             start=(), line_end="\r\r\n", trailing_empty_lines=2)),
    # Numbers at the edges of what a field can hold: a coordinate of 900
    # digits, one of 800 significant digits, one that underflows to 0 and
    # magnitudes near the double range.
    "curve_extreme_numbers": (
        prefix(4, 1, False, "1"),
        iges([long_number_curve()])),
    # Large step counts in both directions over a small net.
    "surface_many_steps": (
        prefix(63, 63, False, "1"),
        iges([surface(grid(3, 4, 0.5), 2, 1)])),
}

def with_params(entity, changes):
    """The entity with some parameters replaced: {index: text}."""
    for index, text in changes.items():
        entity.params[index] = text
    return entity


# Files that must fail with a message, each at a different check. Seed names
# start with "error_", which the corpus test reads as "must fail".
CURVE3 = [(1.0e307, 0.0, 0.0), (0.0, 0.0, 0.0), (1.0e307, 0.0, 0.0)]
ERROR_SEEDS = {
    # Weights (1, -0.99, 1) leave a small positive sum in the middle of the
    # curve, where the point then lies beyond the double range.
    "error_curve_point_overflows": (
        prefix(3, 1, False, "1"),
        iges([curve(CURVE3, 2, [1.0, -0.99, 1.0])])),
    "error_surface_point_overflows": (
        prefix(3, 3, False, "1"),
        iges([surface([CURVE3], 2, 0, [1.0, -0.99, 1.0])])),
    # Weights that give no position: all zero, all negative.
    "error_surface_zero_weights": (
        prefix(4, 4, False, "1"),
        iges([surface(grid(3, 3), 1, 1, [0.0] * 9)])),
    "error_curve_negative_weights": (
        prefix(4, 1, False, "1"),
        iges([curve(ARC, 3, [-1.0] * 4)])),
    # Degree 101, above what the engine evaluates.
    "error_curve_degree_above_limit": (
        prefix(4, 1, False, "1"),
        iges([curve([(float(i), 0.0, 0.0) for i in range(102)], 101)])),
    # The second entity's Parameter Data stand before the first's.
    "error_entities_out_of_order": (
        prefix(4, 4, False, "1"),
        iges([curve(ARC, 2), surface(grid(3, 3), 2, 1)], reverse_parameter_data=True)),
    # The directory entry claims two more lines than the file holds.
    "error_parameter_data_truncated": (
        prefix(4, 1, False, "1"),
        iges([Entity(126, curve(ARC, 2).params, count_delta=2)])),
    # The text ends inside the weights.
    "error_curve_cut_short": (
        prefix(4, 1, False, "1"),
        iges([Entity(126, curve(ARC, 2).params[:16])])),
    # A count beyond the 32-bit range.
    "error_surface_count_out_of_range": (
        prefix(4, 4, False, "1"),
        iges([with_params(surface(grid(3, 3), 1, 1), {0: "4294967296"})])),
    # The file ends inside the Directory Entry section.
    "error_eof_in_directory": (
        prefix(4, 4, False, "1"),
        iges([surface(grid(3, 3), 1, 1), curve(ARC, 3)], keep_lines=6)),
}

# Two small files written by real CAD systems, behind a settings prefix.
SAMPLES = {
    "sample_testfile": ("testfile.igs", prefix(6, 6, False, "1")),
    "sample_brick": ("brick.iges", prefix(5, 4, False, "1")),
}


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name, (settings, text) in {**SEEDS, **ERROR_SEEDS}.items():
        with open(os.path.join(CORPUS, name + ".seed"), "wb") as f:
            f.write((settings + text).encode("ascii"))
    samples = os.path.join(HERE, "..", "..", "shared", "samples", "real")
    for name, (file_name, settings) in SAMPLES.items():
        source = os.path.join(samples, file_name)
        if not os.path.exists(source):
            continue  # keep the copy already in the corpus
        with open(source, "rb") as f:
            data = f.read()
        with open(os.path.join(CORPUS, name + ".seed"), "wb") as f:
            f.write(settings.encode("ascii") + data)


if __name__ == "__main__":
    main()

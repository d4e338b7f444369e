"""The script container of a packed runner, for the Python test drivers and tools.

A packed program is the runner's bytes, a line feed, the marker line, one ignored line and
the position-encoded script (see docs/packer.md). The runner's loader (script/container.cpp)
is the reference; this module writes the same bytes.
"""

MARKER = b">>> Start of encoded Kestro script <<<"
IGNORED_LINE = b"kestro-script 1"  # what kestro-pack writes after the marker line


def encode_script(plain):
    """The container's position scramble: byte p at position c becomes
    ((p + c + m) mod 256) XOR c with m = (c // 3) * (c // 4) mod 256. It depends on the
    position modulo 256 only, so each of the 256 interleaved slices is one translation."""
    out = bytearray(plain)
    for c in range(256):
        m = (c // 3) * (c // 4) % 256
        table = bytes((((p + c + m) % 256) ^ c) for p in range(256))
        out[c::256] = bytes(out[c::256]).translate(table)
    return bytes(out)


def container(script, ignored=IGNORED_LINE):
    """What the packer appends to the runner for a script (without its padding)."""
    return b"\n" + MARKER + b"\n" + ignored + b"\n" + encode_script(script)


def marker_line_offsets(data):
    """Offsets where the marker stands at the start of a line: the loader takes the first
    such line, followed by a line feed, for the container."""
    found = []
    at = data.find(MARKER)
    while at >= 0:
        if at == 0 or data[at - 1] == 0x0A:
            found.append(at)
        at = data.find(MARKER, at + 1)
    return found

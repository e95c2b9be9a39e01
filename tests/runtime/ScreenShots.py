#!/usr/bin/env python3
"""Screenshots of the setup wizard, taken with xwd under Xvfb, without an image library.

  ScreenShots.py png SHOT.xwd OUT.png
      converts a screenshot for people to look at.
  ScreenShots.py make PICTURE.bmp WIDTH HEIGHT
      draws a 24-bit test picture: smooth gradients, so a scaled copy still matches closely.
  ScreenShots.py picture SHOT.xwd PICTURE.bmp WIDTH HEIGHT
      finds where PICTURE, scaled to WIDTH x HEIGHT (its proportions kept, centred on white),
      appears in the screenshot, and prints its position and how many times it appears; exits 1
      when it appears nowhere. A picture cropped, shifted or drawn twice fails the caller's
      checks on the printed count and position.
"""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = header[0:6]
    bits_per_pixel, line_bytes = header[11], header[12]
    byte_order, ncolors = header[7], header[19]
    if bits_per_pixel not in (24, 32):
        raise SystemExit("%s: %d bits per pixel, only 24 and 32 are read" % (path, bits_per_pixel))
    step = bits_per_pixel // 8
    start = header_size + ncolors * 12
    rows = []
    for y in range(height):
        row = data[start + y * line_bytes:start + y * line_bytes + width * step]
        if byte_order == 0:  # LSBFirst: B G R (x)
            rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, len(row), step)])
        else:
            rows.append([tuple(row[i + step - 3:i + step]) for i in range(0, len(row), step)])
    return rows


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    bits = struct.unpack("<H", data[28:30])[0]
    if bits != 24:
        raise SystemExit("%s: %d bits per pixel, only 24 are read" % (path, bits))
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        line = data[offset + y * stride:offset + y * stride + width * 3]
        rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, width * 3, 3)])
    return rows if height < 0 else rows[::-1]


def fitted(picture, width, height):
    """The picture scaled (nearest pixel) to fit width x height, centred on white."""
    pw, ph = len(picture[0]), len(picture)
    w, h = width, ph * width // pw
    if h > height:
        w, h = pw * height // ph, height
    left, top = (width - w) // 2, (height - h) // 2
    out = [[(255, 255, 255)] * width for _ in range(height)]
    for y in range(h):
        for x in range(w):
            out[top + y][left + x] = picture[y * ph // h][x * pw // w]
    return out


def close(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def find(screen, picture, tolerance=40, share=0.97):
    """Every place where at least `share` of the picture's sampled pixels match."""
    ph, pw = len(picture), len(picture[0])
    samples = [(y, x) for y in range(1, ph - 1, max(1, ph // 12)) for x in range(1, pw - 1, max(1, pw // 8))]
    # A distinctive pixel anchors the search: the first sample that is not white.
    anchor = next(((y, x) for y, x in samples if picture[y][x] != (255, 255, 255)), samples[0])
    found = []
    for top in range(len(screen) - ph + 1):
        row = screen[top + anchor[0]]
        for left in range(len(screen[0]) - pw + 1):
            if not close(row[left + anchor[1]], picture[anchor[0]][anchor[1]], tolerance):
                continue
            good = sum(close(screen[top + y][left + x], picture[y][x], tolerance) for y, x in samples)
            if good >= share * len(samples):
                error = sum(abs(p - q) for y, x in samples for p, q in zip(screen[top + y][left + x], picture[y][x]))
                found.append((error, left, top))
    return found


def write_png(rows, path):
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def write_bmp(path, width, height):
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = 40 + 180 * x // width, 30 + 200 * y // height, 200 - 150 * (x + y) // (width + height)
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    open(path, "wb").write(header + info + pixels)


def main(argv):
    if len(argv) == 5 and argv[1] == "make":
        write_bmp(argv[2], int(argv[3]), int(argv[4]))
        return 0
    if len(argv) == 4 and argv[1] == "png":
        write_png(read_xwd(argv[2]), argv[3])
        return 0
    if len(argv) == 6 and argv[1] == "picture":
        screen = read_xwd(argv[2])
        picture = fitted(read_bmp(argv[3]), int(argv[4]), int(argv[5]))
        # A smooth picture also matches a few pixels off its place: hits closer together than
        # half the picture are one appearance, placed where it matches best.
        reach = min(len(picture), len(picture[0])) // 2
        distinct = []
        for error, left, top in sorted(find(screen, picture)):
            if not any(abs(left - l) < reach and abs(top - t) < reach for l, t in distinct):
                distinct.append((left, top))
        print("%d %s" % (len(distinct), " ".join("%d,%d" % p for p in distinct)))
        return 0 if distinct else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/python3
"""Checks the committed pictures the program loads: the splash variants have the bit depths their
names promise and a transparent magenta outline, the five tray frames differ from each other,
the icons and the cursor hold 32-bit images, and the copy animation is an AVI that the animation
control can play (uncompressed 8-bit frames with an index).

    check_art.py RES_FOLDER     exit status 0 when all is well, 1 with the faults printed
"""
import os
import struct
import sys

faults = []


def read(res, name):
    with open(os.path.join(res, name), "rb") as f:
        return f.read()


def bmp_info(data):
    offset, = struct.unpack_from("<I", data, 10)
    size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    colours = struct.unpack_from("<I", data, 46)[0] or (1 << bits if bits <= 8 else 0)
    palette = [tuple(data[54 + 4 * i: 54 + 4 * i + 3][::-1]) for i in range(colours)]
    return offset, width, height, bits, compression, palette


def bmp_pixel(data, x, y):
    """RGB of pixel (x, y), y counted from the top."""
    offset, width, height, bits, _, palette = bmp_info(data)
    stride = ((width * bits + 31) // 32) * 4
    row = offset + (height - 1 - y) * stride
    if bits == 24:
        b, g, r = data[row + 3 * x: row + 3 * x + 3]
        return (r, g, b)
    if bits == 8:
        return palette[data[row + x]]
    byte = data[row + x // 2]
    return palette[(byte >> 4) if x % 2 == 0 else (byte & 0x0F)]


def check_splash(res):
    for base in ("idb_splash", "idb_splish"):
        for bits in (4, 8, 24):
            name = "bitmaps/%s%d.bmp" % (base, bits)
            data = read(res, name)
            _, width, height, got, compression, _ = bmp_info(data)
            if got != bits or compression != 0:
                faults.append("%s: %d bits, compression %d" % (name, got, compression))
                continue
            if width < 300 or height < 230:
                faults.append("%s: %dx%d leaves no room for the texts at y 189 to 229" % (name, width, height))
            corners = [bmp_pixel(data, 0, 0), bmp_pixel(data, width - 1, 0),
                       bmp_pixel(data, 0, height - 1), bmp_pixel(data, width - 1, height - 1)]
            if any(c != (255, 0, 255) for c in corners):
                faults.append("%s: corners %s are not the transparent magenta" % (name, corners))
            middle = bmp_pixel(data, width // 2, height // 2)
            if middle == (255, 0, 255):
                faults.append("%s: the picture itself is transparent" % name)


def icon_images(data):
    count, = struct.unpack_from("<H", data, 4)
    images = []
    for i in range(count):
        width, height, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append((width or 256, bits, data[offset: offset + size]))
    return images


def check_icons(res):
    names = ["app.ico", "sources.ico", "tray.ico"] + ["tray%d.ico" % n for n in range(1, 6)] + [
        "drive_%s.ico" % k for k in ("external", "portable", "optical", "network", "card", "usb", "tape", "generic")]
    frames = []
    for name in names:
        images = icon_images(read(res, "icons/" + name))
        sizes = sorted(width for width, _, _ in images)
        # The small and the large icon at 100, 125, 150 and 200 per cent: a missing size is
        # scaled from another by Windows, and blurs.
        missing = [size for size in (16, 20, 24, 32, 40, 48, 64) if size not in sizes]
        if missing:
            faults.append("icons/%s: sizes %s lack %s" % (name, sizes, missing))
        for width, bits, image in images:
            header_bits, = struct.unpack_from("<H", image, 14)
            if header_bits != 32:
                faults.append("icons/%s: a %d-pixel image of %d bits" % (name, width, header_bits))
        if name.startswith("tray") and name != "tray.ico":
            frames.append(next(image for width, _, image in images if width == 16))
    if len(set(frames)) != 5:
        faults.append("the five tray frames are not all different")
    cursor = read(res, "icons/hand.cur")
    kind, = struct.unpack_from("<H", cursor, 2)
    hot_x, hot_y = struct.unpack_from("<HH", cursor, 10)
    if kind != 2 or not (0 <= hot_x < 32 and 0 <= hot_y < 32):
        faults.append("icons/hand.cur: not a cursor with a hot spot inside it")


def chunks(data, start, end):
    position = start
    while position + 8 <= end:
        fourcc, size = struct.unpack_from("<4sI", data, position)
        yield fourcc, position + 8, size
        position += 8 + size + (size & 1)


def check_animation(res, name="copy.avi", frame=(272, 60)):
    path = "animations/" + name
    data = read(res, path)
    riff, size, form = struct.unpack_from("<4sI4s", data, 0)
    if riff != b"RIFF" or form != b"AVI " or size + 8 != len(data):
        faults.append(path + ": not a whole RIFF AVI file")
        return
    found = {}
    for fourcc, start, length in chunks(data, 12, len(data)):
        kind = data[start: start + 4] if fourcc == b"LIST" else fourcc
        found[kind] = (start, length)
    if not all(k in found for k in (b"hdrl", b"movi", b"idx1")):
        faults.append(path + ": lacks its header, frames or index (%s)" % list(found))
        return
    start, length = found[b"hdrl"]
    frames = handler = bits = compression = width = height = None
    for fourcc, inner, size in chunks(data, start + 4, start + length):
        if fourcc == b"avih":
            frames, = struct.unpack_from("<I", data, inner + 16)
            width, height = struct.unpack_from("<II", data, inner + 32)
        if fourcc == b"LIST":
            for sub, at, _ in chunks(data, inner + 4, inner + size):
                if sub == b"strh":
                    handler = data[at + 4: at + 8]
                if sub == b"strf":
                    bits, compression = struct.unpack_from("<HI", data, at + 14)
    if handler not in (b"DIB ", b"RLE ", b"\0\0\0\0") or bits != 8 or compression not in (0, 1):
        faults.append(path + ": codec %r, %s bits, compression %s cannot be played" % (handler, bits, compression))
    if (width, height) != frame:
        faults.append(path + ": frames of %sx%s, not %dx%d" % (width, height, frame[0], frame[1]))
    start, length = found[b"idx1"]
    if frames is None or frames < 2 or length // 16 != frames:
        faults.append(path + ": %s frames and %d index entries" % (frames, length // 16))
    movi_start, _ = found[b"movi"]
    first = []
    for i in range(min(2, length // 16)):
        ckid, _, offset, size = struct.unpack_from("<4sIII", data, start + 16 * i)
        if data[movi_start + offset: movi_start + offset + 4] != ckid:
            faults.append(path + ": index entry %d does not point at its frame" % i)
        first.append(data[movi_start + offset + 8: movi_start + offset + 8 + size])
    if len(first) == 2 and first[0] == first[1]:
        faults.append(path + ": the frames do not move")


def check_scaled_splash(res):
    """The splash at 150 and 200 per cent: that much larger, magenta outside, a picture inside."""
    for base in ("idb_splash", "idb_splish"):
        _, width, height, _, _, _ = bmp_info(read(res, "bitmaps/%s24.bmp" % base))
        for suffix, scale in (("_150", 1.5), ("_200", 2.0)):
            name = "bitmaps/%s24%s.bmp" % (base, suffix)
            data = read(res, name)
            _, w, h, bits, _, _ = bmp_info(data)
            if (w, h, bits) != (round(width * scale), round(height * scale), 24):
                faults.append("%s: %dx%d at %d bits is not %s times the picture" % (name, w, h, bits, scale))
                continue
            if bmp_pixel(data, 0, 0) != (255, 0, 255) or bmp_pixel(data, w // 2, h // 2) == (255, 0, 255):
                faults.append("%s: not transparent outside or not a picture inside" % name)


def check_logos(res):
    """The pictures drawn at 150 and 200 per cent as well (the title band's logo, the wizard's
    tall pictures, the disk label, the legend squares and the General page's protection pictures)
    are the same picture, that much larger."""
    for base in ("logo", "welcome", "congratulations", "disk_label", "legend_used", "legend_free",
                 "protected", "unprotected"):
        width, height = bmp_info(read(res, "bitmaps/%s.bmp" % base))[1:3]
        for suffix, scale in (("_150", 1.5), ("_200", 2.0)):
            name = "bitmaps/%s%s.bmp" % (base, suffix)
            size = bmp_info(read(res, name))[1:3]
            if size != (round(width * scale), round(height * scale)):
                faults.append("%s: %s is not %s times %s" % (name, size, scale, (width, height)))


def check_folder_images(res):
    """The folder picker's strips at 150 and 200 per cent: seven images of 24 and 32 pixels, each
    magenta (transparent) at its corner and a picture at its middle."""
    for suffix, size in (("", 16), ("_150", 24), ("_200", 32)):
        name = "bitmaps/folder_images%s.bmp" % suffix
        data = read(res, name)
        _, w, h, _, _, _ = bmp_info(data)
        if (w, h) != (7 * size, size):
            faults.append("%s: %dx%d is not seven images of %d pixels" % (name, w, h, size))
            continue
        for i in range(7):
            corner = bmp_pixel(data, i * size, 0)
            inside = bmp_pixel(data, i * size + size * 3 // 8, size * 5 // 8)
            if corner != (255, 0, 255) or inside == (255, 0, 255):
                faults.append("%s: image %d is not transparent outside or not a picture inside" % (name, i))


def main():
    res = sys.argv[1]
    check_splash(res)
    check_icons(res)
    check_logos(res)
    check_scaled_splash(res)
    check_folder_images(res)
    check_animation(res)
    check_animation(res, "copy_150.avi", (408, 90))
    check_animation(res, "copy_200.avi", (544, 120))
    for fault in faults:
        print(fault)
    if not faults:
        print("art: splash pictures, icons, cursor and animation checked")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

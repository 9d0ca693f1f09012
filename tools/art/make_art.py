#!/usr/bin/python3
"""Draws every picture of Corvant Ferrolin 2 into res/: icons, bitmaps, the hand cursor and the
copy animation. Run it with Debian's python3 and python3-pil; the output is committed, so it only
needs running again after a change here.

    /usr/bin/python3 tools/art/make_art.py

Shapes are drawn at four times their size and scaled down, which smooths their edges. Files are
written by hand (icons and cursors with 32-bit images and AND masks, bitmaps at 4, 8 and 24 bits,
the animation as an uncompressed 8-bit AVI) so that every Windows version and Wine read them.
"""
import itertools
import math
import os
import struct

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.normpath(os.path.join(HERE, "..", "..", "res"))
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

BAND = (70, 104, 228)        # the title band of every dialog
NAVY = (20, 46, 110)
BLUE = (40, 96, 200)
SKY = (150, 190, 245)
SILVER = (222, 228, 236)
STEEL = (140, 150, 165)
DARK = (40, 44, 52)
GREEN = (46, 160, 67)
AMBER = (240, 170, 30)
RED = (200, 50, 40)
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)       # transparent in the program's bitmaps
FACE = (240, 240, 240)        # dialog face; the animation's background


def font(size, bold=True):
    return ImageFont.truetype(FONT_BOLD if bold else FONT, size)


# ---------------------------------------------------------------- file writers

def bmp_bytes(image, bits):
    """A BMP file of an RGB image at 4, 8 or 24 bits per pixel (palette from the image)."""
    width, height = image.size
    if bits == 24:
        rgb = image.convert("RGB")
        stride = (width * 3 + 3) & ~3
        rows = []
        for y in range(height - 1, -1, -1):
            row = bytearray()
            for x in range(width):
                r, g, b = rgb.getpixel((x, y))
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            rows.append(bytes(row))
        palette = b""
    else:
        colours = 1 << bits
        paletted = image.convert("RGB").quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                                                  dither=Image.Dither.NONE)
        pal = paletted.getpalette()[: colours * 3]
        pal += [0] * (colours * 3 - len(pal))
        palette = b"".join(bytes((pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0))
                           for i in range(colours))
        stride = ((width * bits + 31) // 32) * 4
        rows = []
        for y in range(height - 1, -1, -1):
            row = bytearray(stride)
            for x in range(width):
                index = paletted.getpixel((x, y))
                if bits == 8:
                    row[x] = index
                else:
                    row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                         0 if bits == 24 else 1 << bits, 0)
    offset = 14 + len(header) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + palette + pixels


def save_bmp(image, name, bits=24):
    path = os.path.join(RES, "bitmaps", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(bmp_bytes(image, bits))


def icon_entry(image):
    """The 32-bit DIB of an icon or cursor image (XOR image with alpha, then the AND mask)."""
    size = image.size[0]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rgba = image.convert("RGBA")
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = rgba.getpixel((x, y))
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def save_icon(images, name, cursor_hotspot=None):
    path = os.path.join(RES, "icons", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    entries = [icon_entry(image) for image in images]
    kind = 2 if cursor_hotspot else 1
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for image, data in zip(images, entries):
        size = image.size[0]
        planes, bits = (cursor_hotspot if cursor_hotspot else (1, 32))
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    out += b"".join(entries)
    with open(path, "wb") as f:
        f.write(out)


def supersampled(size, draw_function, scale=4):
    """An RGBA image of size x size drawn at scale times its size by draw_function(draw, s)."""
    big = Image.new("RGBA", (size * scale, size * scale), (0, 0, 0, 0))
    draw_function(ImageDraw.Draw(big), size * scale / 32.0)
    return big.resize((size, size), Image.Resampling.LANCZOS)


# The small (16) and large (32) icon at 100, 125, 150 and 200 per cent: Windows takes the size
# the screen's DPI asks for instead of scaling a smaller one, which blurs.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)


def icon_set(draw_function, sizes=ICON_SIZES):
    return [supersampled(size, draw_function) for size in sizes]


# ---------------------------------------------------------------- icons

def draw_app(d, s):
    """The program: a backup disk with a green arrow copying onto it."""
    d.rounded_rectangle([1 * s, 1 * s, 31 * s, 31 * s], radius=6 * s, fill=NAVY)
    d.rounded_rectangle([2.5 * s, 2.5 * s, 29.5 * s, 29.5 * s], radius=5 * s, fill=BLUE)
    d.ellipse([6 * s, 8 * s, 26 * s, 28 * s], fill=SILVER)
    d.ellipse([13.5 * s, 15.5 * s, 18.5 * s, 20.5 * s], fill=NAVY)
    d.rectangle([14 * s, 2.5 * s, 18 * s, 11 * s], fill=GREEN)
    d.polygon([(9.5 * s, 10 * s), (22.5 * s, 10 * s), (16 * s, 17 * s)], fill=GREEN)


def draw_tray(d, s, phase=None):
    """The tray icon: the disk alone at rest; while copying a spinning mark and a moving arrow."""
    d.rounded_rectangle([1 * s, 1 * s, 31 * s, 31 * s], radius=6 * s, fill=NAVY)
    d.rounded_rectangle([2.5 * s, 2.5 * s, 29.5 * s, 29.5 * s], radius=5 * s, fill=BLUE)
    d.ellipse([5 * s, 5 * s, 27 * s, 27 * s], fill=SILVER)
    d.ellipse([13 * s, 13 * s, 19 * s, 19 * s], fill=NAVY)
    if phase is None:
        return
    # A bright sector that turns a fifth of the way each frame.
    start = -90 + phase * 72
    d.pieslice([5 * s, 5 * s, 27 * s, 27 * s], start, start + 60, fill=GREEN)
    d.ellipse([13 * s, 13 * s, 19 * s, 19 * s], fill=NAVY)
    # A small arrow that drops into the disk, lower in each frame.
    y = 2 + phase * 2.2
    d.rectangle([24 * s, (y) * s, 28 * s, (y + 5) * s], fill=AMBER)
    d.polygon([(22 * s, (y + 5) * s), (30 * s, (y + 5) * s), (26 * s, (y + 9) * s)], fill=AMBER)


def draw_drive(kind):
    """Drive pictures by the drive's kind: body colour, slot and badge differ."""
    styles = {
        "external": (STEEL, "slot", None),
        "portable": (BLUE, "slot", None),
        "optical": (SILVER, "disc", None),
        "network": (STEEL, "slot", "net"),
        "card": (DARK, "card", None),
        "usb": (GREEN, "slot", "usb"),
        "tape": (AMBER, "tape", None),
        "generic": (STEEL, "slot", "ring"),
    }
    body, face, badge = styles[kind]

    def draw(d, s):
        d.rounded_rectangle([2 * s, 9 * s, 30 * s, 25 * s], radius=3 * s, fill=DARK)
        d.rounded_rectangle([3 * s, 10 * s, 29 * s, 24 * s], radius=2.5 * s, fill=body)
        if face == "slot":
            d.rectangle([6 * s, 15.5 * s, 22 * s, 17.5 * s], fill=DARK)
        elif face == "disc":
            d.ellipse([6 * s, 11 * s, 18 * s, 23 * s], fill=SKY)
            d.ellipse([10.5 * s, 15.5 * s, 13.5 * s, 18.5 * s], fill=DARK)
        elif face == "card":
            d.rectangle([7 * s, 13 * s, 17 * s, 21 * s], fill=AMBER)
        elif face == "tape":
            d.rectangle([6 * s, 13 * s, 22 * s, 21 * s], fill=DARK)
            d.ellipse([8 * s, 14 * s, 13 * s, 19 * s], fill=SILVER)
            d.ellipse([15 * s, 14 * s, 20 * s, 19 * s], fill=SILVER)
        d.ellipse([24.5 * s, 19 * s, 27 * s, 21.5 * s], fill=GREEN if body != GREEN else WHITE)
        if badge == "net":
            d.rectangle([15 * s, 25 * s, 17 * s, 29 * s], fill=DARK)
            d.rectangle([8 * s, 28 * s, 24 * s, 30 * s], fill=DARK)
        elif badge == "usb":
            d.rectangle([13 * s, 3 * s, 19 * s, 9 * s], fill=SILVER)
            d.rectangle([14.5 * s, 4.5 * s, 15.5 * s, 5.5 * s], fill=DARK)
            d.rectangle([16.5 * s, 4.5 * s, 17.5 * s, 5.5 * s], fill=DARK)
        elif badge == "ring":
            d.ellipse([22 * s, 2 * s, 30 * s, 10 * s], outline=BLUE, width=int(2 * s))
    return draw


def draw_folders(d, s):
    """The review page's source icon: a folder with a document."""
    d.rectangle([3 * s, 8 * s, 14 * s, 12 * s], fill=(200, 150, 30))
    d.rounded_rectangle([3 * s, 10 * s, 29 * s, 27 * s], radius=2 * s, fill=AMBER)
    d.rectangle([10 * s, 4 * s, 22 * s, 20 * s], fill=WHITE, outline=STEEL, width=int(s))
    for y in (8, 11, 14):
        d.line([12 * s, y * s, 20 * s, y * s], fill=STEEL, width=int(s))
    d.rounded_rectangle([3 * s, 14 * s, 29 * s, 27 * s], radius=2 * s, fill=(250, 200, 70))


def make_icons():
    save_icon(icon_set(draw_app), "app.ico")
    save_icon(icon_set(draw_folders), "sources.ico")
    save_icon(icon_set(lambda d, s: draw_tray(d, s)), "tray.ico")
    for frame in range(5):
        save_icon(icon_set(lambda d, s, f=frame: draw_tray(d, s, f)), "tray%d.ico" % (frame + 1))
    for kind in ("external", "portable", "optical", "network", "card", "usb", "tape", "generic"):
        save_icon(icon_set(draw_drive(kind)), "drive_%s.ico" % kind)


def make_hand_cursor():
    def draw(d, s):
        outline = (0, 0, 0, 255)
        fill = (255, 255, 255, 255)
        # Pointing finger, three folded fingers and the palm.
        d.rounded_rectangle([9 * s, 1 * s, 14 * s, 18 * s], radius=2.5 * s, fill=fill, outline=outline, width=int(1.2 * s))
        for x in (14, 18, 22):
            d.rounded_rectangle([x * s, 10 * s, (x + 4.5) * s, 20 * s], radius=2 * s, fill=fill, outline=outline, width=int(1.2 * s))
        d.rounded_rectangle([4 * s, 13 * s, 10 * s, 22 * s], radius=2.5 * s, fill=fill, outline=outline, width=int(1.2 * s))
        d.rounded_rectangle([7 * s, 16 * s, 27 * s, 31 * s], radius=5 * s, fill=fill, outline=outline, width=int(1.2 * s))
        d.rectangle([10.2 * s, 15 * s, 25.5 * s, 20 * s], fill=fill)
    image = supersampled(32, draw)
    # Crisp edges: a cursor is either drawn or not.
    alpha = image.getchannel("A").point(lambda a: 255 if a > 100 else 0)
    image.putalpha(alpha)
    save_icon([image], "hand.cur", cursor_hotspot=(11, 1))


# ---------------------------------------------------------------- bitmaps

def text_centered(d, box, text, size, colour, bold=True):
    f = font(size, bold)
    left, top, right, bottom = d.textbbox((0, 0), text, font=f)
    x = box[0] + (box[2] - box[0] - (right - left)) / 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) / 2 - top
    d.text((x, y), text, font=f, fill=colour)


def make_logo(scale=1.0, name="logo.bmp"):
    """Bitmap 209, drawn on the title band at (4, 4): the disk mark and the product name; also at
    150 and 200 per cent for screens of more dots per inch (logo_150.bmp, logo_200.bmp)."""
    width, height = round(214 * scale), round(30 * scale)
    s = 4 * scale
    image = Image.new("RGB", (width * 4, height * 4), BAND)
    d = ImageDraw.Draw(image)
    d.ellipse([1 * s, 2 * s, 27 * s, 28 * s], fill=WHITE)
    d.ellipse([4 * s, 5 * s, 24 * s, 25 * s], fill=SKY)
    d.ellipse([11 * s, 12 * s, 17 * s, 18 * s], fill=NAVY)
    d.polygon([(14 * s, 2 * s), (27 * s, 2 * s), (27 * s, 15 * s)], fill=GREEN)
    d.text((34 * s, 3 * s), "Corvant", font=font(round(9 * s), False), fill=(220, 230, 255))
    d.text((34 * s, 12 * s), "Ferrolin 2", font=font(round(14 * s)), fill=WHITE)
    save_bmp(image.resize((width, height), Image.Resampling.LANCZOS), name)


def banner_picture(width, height, title_lines, scale=1.0):
    """The tall pictures at the left of the intro, setup-done and congratulations pages, drawn at
    scale times their size for screens of more dots per inch."""
    width, height = round(width * scale), round(height * scale)
    image = Image.new("RGB", (width * 4, height * 4), BAND)
    d = ImageDraw.Draw(image)
    s = 4 * scale
    for i in range(height):
        shade = tuple(int(c * (1 - 0.45 * i / height) + n * 0.45 * i / height) for c, n in zip(BAND, NAVY))
        d.rectangle([0, i * 4, width * 4, (i + 1) * 4], fill=shade)
    cx = width / scale / 2
    d.ellipse([(cx - 32) * s, 24 * s, (cx + 32) * s, 88 * s], fill=SILVER)
    d.ellipse([(cx - 26) * s, 30 * s, (cx + 26) * s, 82 * s], fill=SKY)
    d.ellipse([(cx - 7) * s, 49 * s, (cx + 7) * s, 63 * s], fill=NAVY)
    d.rectangle([(cx - 5) * s, 8 * s, (cx + 5) * s, 34 * s], fill=GREEN)
    d.polygon([((cx - 15) * s, 32 * s), ((cx + 15) * s, 32 * s), (cx * s, 50 * s)], fill=GREEN)
    y = 104
    for line in title_lines:
        text_centered(d, (0, y * s, width * 4, (y + 16) * s), line, round(12 * s), WHITE)
        y += 17
    return image.resize((width, height), Image.Resampling.LANCZOS)


def make_page_bitmaps():
    for scale, suffix in ((1.0, ""), (1.5, "_150"), (2.0, "_200")):
        save_bmp(banner_picture(110, 230, ["Corvant", "Ferrolin 2"], scale), "welcome%s.bmp" % suffix)
        done = banner_picture(110, 230, ["Setup", "complete"], scale)
        d = ImageDraw.Draw(done)
        d.ellipse([70 * scale, 180 * scale, 100 * scale, 210 * scale], fill=GREEN)
        d.line([(77 * scale, 195 * scale), (84 * scale, 202 * scale), (95 * scale, 186 * scale)],
               fill=WHITE, width=round(4 * scale))
        save_bmp(done, "congratulations%s.bmp" % suffix)

    # The disk label page: a disk with a label and a hand-written number, on magenta; also at 150
    # and 200 per cent.
    for scale, suffix in ((1.0, ""), (1.5, "_150"), (2.0, "_200")):
        w, h = round(200 * scale), round(120 * scale)
        image = Image.new("RGB", (w * 4, h * 4), MAGENTA)
        d = ImageDraw.Draw(image)
        s = 4 * scale
        d.rounded_rectangle([10 * s, 10 * s, 190 * s, 110 * s], radius=10 * s, fill=DARK)
        d.rounded_rectangle([14 * s, 14 * s, 186 * s, 106 * s], radius=8 * s, fill=STEEL)
        d.rounded_rectangle([30 * s, 24 * s, 170 * s, 74 * s], radius=4 * s, fill=WHITE)
        for y in (44, 56, 68):
            d.line([40 * s, y * s, 160 * s, y * s], fill=SKY, width=round(s))
        d.text((42 * s, 26 * s), "Backup  #1", font=font(round(16 * s)), fill=BLUE)
        d.rectangle([60 * s, 84 * s, 140 * s, 96 * s], fill=DARK)
        image = image.resize((w, h), Image.Resampling.NEAREST)
        save_bmp(image, "disk_label%s.bmp" % suffix)

    # Protected and unprotected disk pictures of the General page (magenta is transparent), 32
    # pixels, and 48 and 64 for 150 and 200 per cent.
    for (name, locked), (size, suffix) in itertools.product(
            (("protected", True), ("unprotected", False)), ((32, ""), (48, "_150"), (64, "_200"))):
        image = Image.new("RGB", (size * 4, size * 4), MAGENTA)
        d = ImageDraw.Draw(image)
        s = size * 4 // 32
        d.rounded_rectangle([2 * s, 12 * s, 22 * s, 30 * s], radius=2 * s, fill=AMBER if locked else GREEN)
        d.ellipse([10 * s, 19 * s, 14 * s, 23 * s], fill=DARK)
        if locked:
            d.arc([5 * s, 2 * s, 19 * s, 18 * s], 180, 360, fill=DARK, width=3 * s)
            d.line([5.7 * s, 10 * s, 5.7 * s, 12 * s], fill=DARK, width=3 * s)
            d.line([18.3 * s, 10 * s, 18.3 * s, 12 * s], fill=DARK, width=3 * s)
        else:
            d.arc([14 * s, 2 * s, 28 * s, 18 * s], 180, 360, fill=DARK, width=3 * s)
            d.line([26.5 * s, 10 * s, 26.5 * s, 14 * s], fill=DARK, width=3 * s)
        save_bmp(image.resize((size, size), Image.Resampling.NEAREST), "%s%s.bmp" % (name, suffix))

    # The drive page's legend squares: used space (the chart's blue) and free space (magenta).
    # A square of 12 pixels with a black edge of one, 18 with 1.5 (two) and 24 with two.
    for scale, suffix in ((1.0, ""), (1.5, "_150"), (2.0, "_200")):
        size, edge = round(12 * scale), round(scale + 0.01)
        for name, colour in (("legend_used", (0, 0, 255)), ("legend_free", (255, 0, 255))):
            image = Image.new("RGB", (size, size), (0, 0, 0))
            ImageDraw.Draw(image).rectangle([edge, edge, size - 1 - edge, size - 1 - edge], fill=colour)
            save_bmp(image, "%s%s.bmp" % (name, suffix))

    # The folder picker's images: 16 pixels each, and 24 and 32 for 150 and 200 per cent.
    for size, suffix in ((16, ""), (24, "_150"), (32, "_200")):
        make_folder_images(size, "folder_images%s.bmp" % suffix)


def make_folder_images(size, name):
    """The folder picker's strip of seven images of size pixels: fixed disk, removable drive,
    CD-ROM drive, floppy drive, folder, network drive, open folder. Each is drawn at four times
    its size in a square of 32 units and scaled down without smoothing, so that its outside stays
    pure magenta (transparent)."""
    cell = size * 4
    strip = Image.new("RGB", (7 * cell, cell), MAGENTA)
    d = ImageDraw.Draw(strip)
    s = cell // 32  # pixels per unit: 2 at 16 pixels, 3 at 24, 4 at 32

    def at(i, box):
        x0 = i * cell
        return [x0 + box[0] * s, box[1] * s, x0 + box[2] * s, box[3] * s]

    def drive_box(i, colour):
        d.rounded_rectangle(at(i, [2, 10, 30, 24]), radius=3 * s, fill=DARK)
        d.rounded_rectangle(at(i, [3, 11, 29, 23]), radius=2 * s, fill=colour)
        d.ellipse(at(i, [23, 18, 27, 22]), fill=GREEN)

    drive_box(0, SILVER)
    drive_box(1, STEEL)
    d.rectangle(at(1, [6, 15, 20, 18]), fill=DARK)
    d.ellipse(at(2, [4, 4, 28, 28]), fill=SKY, outline=STEEL, width=2 * s)
    d.ellipse(at(2, [13, 13, 19, 19]), fill=MAGENTA)
    d.rectangle(at(3, [4, 4, 28, 28]), fill=NAVY)
    d.rectangle(at(3, [9, 4, 23, 13]), fill=SILVER)
    d.rectangle(at(3, [8, 18, 24, 28]), fill=WHITE)

    def folder(i, open_):
        d.rectangle(at(i, [2, 6, 13, 10]), fill=(200, 150, 30))
        d.rectangle(at(i, [2, 9, 30, 27]), fill=AMBER)
        if open_:
            d.polygon([(i * cell + 6 * s, 14 * s), (i * cell + 31 * s, 14 * s),
                       (i * cell + 27 * s, 27 * s), (i * cell + 2 * s, 27 * s)], fill=(252, 215, 110))
        else:
            d.rectangle(at(i, [2, 12, 30, 27]), fill=(250, 200, 70))

    folder(4, False)
    drive_box(5, SILVER)
    d.rectangle(at(5, [15, 24, 17, 29]), fill=DARK)
    d.rectangle(at(5, [6, 28, 26, 30]), fill=DARK)
    folder(6, True)
    save_bmp(strip.resize((7 * size, size), Image.Resampling.NEAREST), name)


def make_splash(scale=1.0, suffix=""):
    """The splash and About picture: a rounded card whose outside is magenta (transparent), with
    room below the artwork for the link (y 189) and the two lines of text (y 203 and 217). At
    150 and 200 per cent too, for screens of more dots per inch (24 bits only: such screens
    have no fewer colours), with every position scaled alike."""
    width, height = round(400 * scale), round(240 * scale)
    s = 4 * scale
    base = Image.new("RGB", (width * 4, height * 4), MAGENTA)
    d = ImageDraw.Draw(base)
    d.rounded_rectangle([0, 0, width * 4 - 1, height * 4 - 1], radius=18 * s, fill=NAVY)
    d.rounded_rectangle([3 * s, 3 * s, width * 4 - 3 * s, height * 4 - 3 * s], radius=16 * s, fill=WHITE)
    d.rounded_rectangle([3 * s, 3 * s, width * 4 - 3 * s, 150 * s], radius=16 * s, fill=BAND)
    d.rectangle([3 * s, 120 * s, width * 4 - 3 * s, 150 * s], fill=BAND)
    # The disk mark and the name.
    d.ellipse([24 * s, 22 * s, 124 * s, 122 * s], fill=SILVER)
    d.ellipse([32 * s, 30 * s, 116 * s, 114 * s], fill=SKY)
    d.ellipse([64 * s, 62 * s, 84 * s, 82 * s], fill=NAVY)
    d.rectangle([67 * s, 8 * s, 81 * s, 44 * s], fill=GREEN)
    d.polygon([(56 * s, 42 * s), (92 * s, 42 * s), (74 * s, 66 * s)], fill=GREEN)
    d.text((140 * s, 36 * s), "Corvant", font=font(round(20 * s), False), fill=(220, 230, 255))
    d.text((140 * s, 60 * s), "Ferrolin 2", font=font(round(40 * s)), fill=WHITE)
    d.text((142 * s, 112 * s), "Your files, copied as you work.", font=font(round(12 * s), False),
           fill=(220, 230, 255))
    d.line([30 * s, 168 * s, width * 4 - 30 * s, 168 * s], fill=SKY, width=round(s))
    # Anti-aliased inside, but the outline against magenta stays hard so that no pink fringe
    # shows around the shaped window.
    smooth = base.resize((width, height), Image.Resampling.LANCZOS)
    hard = base.resize((width, height), Image.Resampling.NEAREST)
    picture = Image.new("RGB", (width, height))
    for y in range(height):
        for x in range(width):
            picture.putpixel((x, y), MAGENTA if hard.getpixel((x, y)) == MAGENTA else smooth.getpixel((x, y)))
    # The alternative picture differs by its strip colour.
    alternative = picture.copy()
    ImageDraw.Draw(alternative).rectangle(
        [round(3 * scale), round(150 * scale), width - 1 - round(3 * scale), round(153 * scale)], fill=GREEN)
    for name, image in (("IDB_SPLASH", picture), ("IDB_SPLISH", alternative)):
        save_bmp(image, name.lower() + "24" + suffix + ".bmp", 24)
        if not suffix:
            save_bmp(exact_with_magenta(image, 256), name.lower() + "8.bmp", 8)
            save_bmp(exact_with_magenta(image, 16), name.lower() + "4.bmp", 4)


def exact_with_magenta(image, colours):
    """An image whose 8-bit quantisation keeps pure magenta as one of its colours."""
    quantised = image.quantize(colors=colours - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    mask = [image.getpixel((x, y)) == MAGENTA for y in range(image.size[1]) for x in range(image.size[0])]
    out = quantised.convert("RGB")
    pixels = out.load()
    w = image.size[0]
    for i, is_magenta in enumerate(mask):
        if is_magenta:
            pixels[i % w, i // w] = MAGENTA
    return out


# ---------------------------------------------------------------- the copy animation

def animation_frames(scale=1.0):
    """Documents fly from a folder at the left to a backup disk at the right."""
    base_width, base_height, count = 272, 60, 16
    width, height = round(base_width * scale), round(base_height * scale)
    frames = []
    for n in range(count):
        # Drawn at twice the size of the frames and made smaller: smooth edges at every scale.
        s = round(2 * scale)
        image = Image.new("RGB", (base_width * s, base_height * s), FACE)
        d = ImageDraw.Draw(image)
        # The folder.
        d.rectangle([8 * s, 18 * s, 30 * s, 24 * s], fill=(200, 150, 30))
        d.rectangle([8 * s, 22 * s, 62 * s, 54 * s], fill=AMBER)
        d.rectangle([8 * s, 28 * s, 62 * s, 54 * s], fill=(250, 200, 70))
        # The disk drive.
        d.rounded_rectangle([206 * s, 20 * s, 266 * s, 54 * s], radius=5 * s, fill=DARK)
        d.rounded_rectangle([209 * s, 23 * s, 263 * s, 51 * s], radius=4 * s, fill=STEEL)
        d.rectangle([216 * s, 35 * s, 248 * s, 39 * s], fill=DARK)
        d.ellipse([252 * s, 43 * s, 258 * s, 49 * s], fill=GREEN if n % 4 < 2 else (20, 90, 30))
        # Two sheets on an arc, half a trip apart.
        for offset in (0.0, 0.5):
            t = (n / count + offset) % 1.0
            x = 40 + t * 172
            y = 30 - math.sin(t * math.pi) * 24
            angle = (t - 0.5) * 30
            sheet = Image.new("RGBA", (20 * s, 26 * s), (0, 0, 0, 0))
            sd = ImageDraw.Draw(sheet)
            sd.rectangle([0, 0, 20 * s - 1, 26 * s - 1], fill=WHITE, outline=STEEL, width=s)
            for line in range(4):
                sd.line([4 * s, (6 + line * 5) * s, 16 * s, (6 + line * 5) * s], fill=SKY, width=s)
            sheet = sheet.rotate(-angle, expand=True, resample=Image.Resampling.BICUBIC)
            image.paste(sheet, (int((x - 10) * s), int((y - 2) * s)), sheet)
        frames.append(image.resize((width, height), Image.Resampling.LANCZOS))
    return frames


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def make_animation(scale=1.0, suffix=""):
    frames = animation_frames(scale)
    width, height = frames[0].size
    # One palette for all frames, with the face colour first (the control's transparent key is
    # the colour of the first pixel, which is background in every frame).
    strip = Image.new("RGB", (width, height * len(frames)))
    for i, frame in enumerate(frames):
        strip.paste(frame, (0, i * height))
    quantised = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = quantised.getpalette()[: 255 * 3]
    palette += [0] * (256 * 3 - len(palette))
    stride = (width + 3) & ~3
    frame_bytes = []
    for i in range(len(frames)):
        rows = []
        for y in range(height - 1, -1, -1):
            row = bytearray(stride)
            for x in range(width):
                row[x] = quantised.getpixel((x, i * height + y))
            rows.append(bytes(row))
        frame_bytes.append(b"".join(rows))
    size = stride * height
    rate = 12
    avih = struct.pack("<IIIIIIIIII4I", 1000000 // rate, size * rate, 0, 0x10, len(frames), 0, 1, size,
                       width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, rate, 0, len(frames),
                       size, 0xFFFFFFFF, 0, 0, 0, width, height)
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, size, 0, 0, 256, 0)
    pal = b"".join(bytes((palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3], 0)) for i in range(256))
    strl = b"strl" + chunk(b"strh", strh) + chunk(b"strf", bih + pal)
    hdrl = b"hdrl" + chunk(b"avih", avih) + chunk(b"LIST", strl)
    movi = bytearray(b"movi")
    index = bytearray()
    for data in frame_bytes:
        index += struct.pack("<4sIII", b"00db", 0x10, len(movi), len(data))
        movi += chunk(b"00db", data)
    riff = b"AVI " + chunk(b"LIST", hdrl) + chunk(b"LIST", bytes(movi)) + chunk(b"idx1", bytes(index))
    os.makedirs(os.path.join(RES, "animations"), exist_ok=True)
    with open(os.path.join(RES, "animations", "copy%s.avi" % suffix), "wb") as out:
        out.write(chunk(b"RIFF", riff))


def main():
    make_icons()
    make_hand_cursor()
    make_logo()
    make_logo(1.5, "logo_150.bmp")
    make_logo(2.0, "logo_200.bmp")
    make_page_bitmaps()
    make_splash()
    make_splash(1.5, "_150")
    make_splash(2.0, "_200")
    make_animation()
    make_animation(1.5, "_150")
    make_animation(2.0, "_200")


if __name__ == "__main__":
    main()

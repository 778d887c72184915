#!/usr/bin/python3
"""Draw the main window's pictures and the application icon into assets/, and the same
icon for the desktop's icon theme into packaging/icons/.

    badge.gif          69 x 40   "友情链接 / 免费交换" badge
    pagerank-bar.gif  450 x 34   blue bar the PageRank text is written over
    background.jpg    831 x 541  light band for the input row over a blue gradient
    quarnel.ico       64/48/32/16 px at 32 bpp, 32/16 at 24 bpp, 32/16 at 8 bpp
    hicolor/<N>x<N>/apps/example.quarnel.Quarnel.png   N = 16, 32, 48, 64, 128, 256

Run from the repository root:  python3 tools/draw-assets.py
Needs Pillow (python3-pil) and fonts-noto-cjk. Output is byte-for-byte repeatable.
"""
import os
import struct
import subprocess
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    # A pyenv or venv python3 may shadow Debian's, which is where python3-pil lives.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    raise

OUT = "assets"
THEME_OUT = "packaging/icons/hicolor"
THEME_ICON = "example.quarnel.Quarnel"
THEME_SIZES = (16, 32, 48, 64, 128, 256)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    img = Image.new("RGB", size)
    draw = ImageDraw.Draw(img)
    w, h = size
    for y in range(h):
        draw.line([(0, y), (w - 1, y)], fill=lerp(top, bottom, y / max(h - 1, 1)))
    return img


def cjk_bold_font(px):
    found = subprocess.run(["fc-match", "-f", "%{file}|%{index}", "Noto Sans CJK SC:style=Bold"],
                           capture_output=True, text=True, check=True).stdout
    path, index = found.split("|")
    return ImageFont.truetype(path, px, index=int(index))


def save_gif(rgba, path):
    # One palette slot is kept for fully transparent pixels; GIF has no partial alpha.
    pal = rgba.convert("RGB").quantize(255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    alpha = rgba.getchannel("A").point(lambda a: 255 if a < 128 else 0)
    pal.paste(255, mask=alpha)
    extra = {"transparency": 255} if alpha.getbbox() else {}
    pal.save(path, optimize=False, **extra)


def draw_badge():
    img = Image.new("RGBA", (69, 40), (0, 0, 0, 0))
    body = vertical_gradient((69, 40), (240, 120, 40), (208, 70, 20)).convert("RGBA")
    mask = Image.new("L", (69, 40), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, 68, 39], radius=6, fill=255)
    img.paste(body, mask=mask)
    draw = ImageDraw.Draw(img)
    draw.rounded_rectangle([0, 0, 68, 39], radius=6, outline=(170, 50, 10))
    font = cjk_bold_font(13)
    for text, y in (("友情链接", 3), ("免费交换", 21)):
        w = draw.textlength(text, font=font)
        draw.text(((69 - w) / 2, y), text, font=font, fill="white")
    save_gif(img, f"{OUT}/badge.gif")


def draw_pagerank_bar():
    img = vertical_gradient((450, 34), (92, 156, 236), (22, 78, 170))
    draw = ImageDraw.Draw(img)
    draw.line([(0, 0), (449, 0)], fill=(150, 196, 250))    # top highlight
    draw.line([(0, 33), (449, 33)], fill=(12, 48, 120))    # bottom shadow
    save_gif(img.convert("RGBA"), f"{OUT}/pagerank-bar.gif")


def draw_background():
    img = Image.new("RGB", (831, 541), (236, 236, 236))
    img.paste(vertical_gradient((831, 475), (56, 128, 214), (14, 52, 128)), (0, 66))
    draw = ImageDraw.Draw(img)
    draw.line([(0, 65), (830, 65)], fill=(190, 190, 190))  # crisp edge under the input row
    img.save(f"{OUT}/background.jpg", quality=92, optimize=False, progressive=False)


def draw_icon_master(s=512):
    """Speech-bubble face, drawn large so every icon size is a clean downscale."""
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    u = lambda *xy: [v * s for v in xy]    # coordinates below are fractions of the side
    edge, fill = (16, 70, 160, 255), (44, 124, 222, 255)
    # The bubble edges sit on 1/16 pixel boundaries so the 1-bit masks at 16 and 32 px
    # come out round instead of growing single-pixel bumps.
    for colour, inset, tail in ((edge, 0, (0.20, 0.64, 0.02, 0.98, 0.46, 0.88)),
                                (fill, 0.035, (0.23, 0.68, 0.09, 0.92, 0.42, 0.84))):
        draw.polygon(u(*tail), fill=colour)
        draw.ellipse(u(0.0625 + inset, 0.0625 + inset, 0.9375 - inset, 0.9375 - inset), fill=colour)
    # Features are bold on purpose: they still have to read at 16 px.
    for ex in (0.36, 0.64):
        draw.ellipse(u(ex - 0.075, 0.28, ex + 0.075, 0.50), fill="white")
    draw.arc(u(0.28, 0.37, 0.72, 0.73), 25, 155, fill="white", width=round(s * 0.07))
    return img


def dib(img, bpp):
    """One ICO entry: BITMAPINFOHEADER, [palette], XOR bitmap, AND mask, rows bottom-up."""
    w, h = img.size
    clear = [a < 128 for a in img.getchannel("A").getdata()]
    rgb = img.convert("RGB")
    if bpp < 32:
        # Opaque depths show the screen through the mask; masked pixels must be black.
        rgb.paste((0, 0, 0), mask=img.getchannel("A").point(lambda a: 255 if a < 128 else 0))
    if bpp == 32:
        pixels = list(img.getdata())
        row = lambda y: b"".join(bytes((b, g, r, a)) for r, g, b, a in pixels[y * w:(y + 1) * w])
        palette = b""
    elif bpp == 24:
        pixels = list(rgb.getdata())
        row = lambda y: b"".join(bytes((b, g, r)) for r, g, b in pixels[y * w:(y + 1) * w])
        palette = b""
    else:
        pal = rgb.quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        colours = pal.getpalette()[:768]
        colours += [0] * (768 - len(colours))
        palette = b"".join(bytes((colours[i + 2], colours[i + 1], colours[i], 0)) for i in range(0, 768, 3))
        indices = pal.tobytes()
        row = lambda y: indices[y * w:(y + 1) * w]
    pad = lambda data: data + b"\0" * (-len(data) % 4)
    xor = b"".join(pad(row(y)) for y in reversed(range(h)))
    mask = b""
    for y in reversed(range(h)):
        bits = clear[y * w:(y + 1) * w]
        mask += pad(bytes(sum(bits[x + i] << (7 - i) for i in range(8) if x + i < w) for x in range(0, w, 8)))
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + palette + xor + mask


def draw_icon(master):
    entries = [(64, 32), (48, 32), (32, 32), (16, 32), (32, 24), (16, 24), (32, 8), (16, 8)]
    images = [dib(master.resize((px, px), Image.Resampling.LANCZOS), bpp) for px, bpp in entries]
    offset = 6 + 16 * len(entries)
    out = struct.pack("<HHH", 0, 1, len(entries))
    for (px, bpp), data in zip(entries, images):
        out += struct.pack("<BBBBHHII", px, px, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    with open(f"{OUT}/quarnel.ico", "wb") as f:
        f.write(out + b"".join(images))


def draw_theme_icons(master):
    for px in THEME_SIZES:
        folder = f"{THEME_OUT}/{px}x{px}/apps"
        os.makedirs(folder, exist_ok=True)
        # No time or text chunks, so the files only change when the drawing does.
        master.resize((px, px), Image.Resampling.LANCZOS).save(f"{folder}/{THEME_ICON}.png", optimize=True)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    draw_badge()
    draw_pagerank_bar()
    draw_background()
    master = draw_icon_master()
    draw_icon(master)
    draw_theme_icons(master)
    print(f"wrote badge.gif, pagerank-bar.gif, background.jpg, quarnel.ico to {OUT}/")
    print(f"wrote {THEME_ICON}.png at {', '.join(map(str, THEME_SIZES))} px to {THEME_OUT}/")

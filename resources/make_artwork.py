#!/usr/bin/python3
"""Draws the editor's bitmaps (resource ids 128-178) into resources/images/<id>.png.

Development tool only: it needs python3-cairo and the DejaVu fonts
(Debian python3-cairo, fonts-dejavu-core). The PNGs it writes are committed and
embedded into the module by the build, so building never runs this script.

    /usr/bin/python3 resources/make_artwork.py [output folder]

One visual style throughout: a dark slate body, raised section panels with
amber titles, light-grey captions for every control, amber value arcs and
lamps for what is on. Controls that sit on a panel are drawn over the exact
panel colour, so they blend seamlessly whether or not the editor keys out
their background.
"""

import math
import os
import sys

try:
    import cairo
except ImportError:
    sys.exit("make_artwork.py needs pycairo and the DejaVu fonts: apt-get install python3-cairo fonts-dejavu-core")

# ---------------------------------------------------------------- palette
def rgb(hex_text):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0)


BODY = rgb("#1b1f25")        # window body
BODY_DARK = rgb("#14171c")
PANEL = rgb("#262b33")       # section panels; every control sits on this colour
PANEL_EDGE = rgb("#3a424e")
PANEL_SHADOW = rgb("#101317")
TITLE = rgb("#f0a53a")       # section titles, value arcs, lamps
TITLE_DIM = rgb("#7a5a2a")
CAPTION = rgb("#b4bdc8")     # control captions
CAPTION_DIM = rgb("#77818e")
FIELD = rgb("#0e1115")       # number fields, menus, displays
FIELD_EDGE = rgb("#4a5361")
FIELD_TEXT = rgb("#f3d9a6")
GRID = rgb("#1f3337")
DISPLAY_LINE = rgb("#49c6c9")
KEY = (1.0, 0.0, 1.0)        # the transparent colour of the bitmaps (magenta)

FONT = "DejaVu Sans Condensed"
MONO = "DejaVu Sans Mono"

# The editor's page area in the frame, and the page size.
PAGE_X, PAGE_Y = 16, 92
PAGE_W, PAGE_H = 772, 389


# ---------------------------------------------------------------- helpers
def surface(w, h):
    s = cairo.ImageSurface(cairo.FORMAT_RGB24, w, h)
    c = cairo.Context(s)
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    options.set_hint_metrics(cairo.HINT_METRICS_ON)
    c.set_font_options(options)
    return s, c


def fill(c, colour, x, y, w, h):
    c.set_source_rgb(*colour)
    c.rectangle(x, y, w, h)
    c.fill()


def rounded(c, x, y, w, h, r):
    c.new_sub_path()
    c.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    c.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    c.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    c.arc(x + r, y + r, r, math.pi, 1.5 * math.pi)
    c.close_path()


def font(c, size, bold=True, mono=False):
    c.select_font_face(MONO if mono else FONT, cairo.FONT_SLANT_NORMAL,
                       cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    c.set_font_size(size)


def text(c, s, x, y, colour, size=8, align="left", bold=True, mono=False, spacing=0.0):
    """Draws s with its baseline at y; x is the left, centre or right edge."""
    font(c, size, bold, mono)
    extents = c.text_extents(s)
    width = extents.x_advance + spacing * max(0, len(s) - 1)
    if align == "center":
        x -= width / 2
    elif align == "right":
        x -= width
    c.set_source_rgb(*colour)
    if spacing == 0.0:
        c.move_to(round(x), y)
        c.show_text(s)
    else:
        for ch in s:
            c.move_to(round(x), y)
            c.show_text(ch)
            x += c.text_extents(ch).x_advance + spacing


def caption(c, s, cx, y, colour=CAPTION, size=7.5):
    text(c, s.upper(), cx, y, colour, size=size, align="center", spacing=0.4)


def panel(c, x, y, w, h, title=None, title_x=None):
    """A raised section panel with an optional amber title in its top left."""
    c.set_source_rgb(*PANEL_SHADOW)
    rounded(c, x + 1, y + 2, w, h, 5)
    c.fill()
    c.set_source_rgb(*PANEL)
    rounded(c, x, y, w, h, 5)
    c.fill()
    c.set_line_width(1)
    c.set_source_rgb(*PANEL_EDGE)
    rounded(c, x + 0.5, y + 0.5, w - 1, h - 1, 5)
    c.stroke()
    if title:
        tx = x + 10 if title_x is None else title_x
        text(c, title.upper(), tx, y + 14, TITLE, size=9, spacing=1.0)


def inset(c, x, y, w, h, colour=FIELD, r=2):
    """A sunken field (displays, menus, number fields)."""
    c.set_source_rgb(*colour)
    rounded(c, x, y, w, h, r)
    c.fill()
    c.set_line_width(1)
    c.set_source_rgb(*PANEL_SHADOW)
    c.move_to(x + 0.5, y + h - 0.5)
    c.line_to(x + 0.5, y + 0.5)
    c.line_to(x + w - 0.5, y + 0.5)
    c.stroke()
    c.set_source_rgb(*FIELD_EDGE)
    c.move_to(x + w - 0.5, y + 0.5)
    c.line_to(x + w - 0.5, y + h - 0.5)
    c.line_to(x + 0.5, y + h - 0.5)
    c.stroke()


def save(s, folder, resource_id):
    s.write_to_png(os.path.join(folder, "%d.png" % resource_id))


def lamp(c, cx, cy, on, r=2.6):
    if on:
        g = cairo.RadialGradient(cx, cy, 0, cx, cy, r * 2.6)
        g.add_color_stop_rgba(0, 1.0, 0.78, 0.35, 0.55)
        g.add_color_stop_rgba(1, 1.0, 0.6, 0.1, 0.0)
        c.set_source(g)
        c.arc(cx, cy, r * 2.6, 0, 2 * math.pi)
        c.fill()
        c.set_source_rgb(1.0, 0.74, 0.3)
    else:
        c.set_source_rgb(0.08, 0.08, 0.09)
        c.arc(cx, cy, r + 0.8, 0, 2 * math.pi)
        c.fill()
        c.set_source_rgb(0.30, 0.22, 0.14)
    c.arc(cx, cy, r, 0, 2 * math.pi)
    c.fill()
    c.set_source_rgba(1, 1, 1, 0.35 if on else 0.08)
    c.arc(cx - r * 0.3, cy - r * 0.35, r * 0.45, 0, 2 * math.pi)
    c.fill()


def button_face(c, x, y, w, h, state, label=None, lamp_on=None, size=7.5, pressed=False, r=3):
    """A rounded push-button face. state 0 = up/off, 1 = on or pressed."""
    lit = state == 1
    top = rgb("#414955") if not pressed else rgb("#2c323b")
    bottom = rgb("#2d333c") if not pressed else rgb("#363d47")
    if lit and not pressed:
        top, bottom = rgb("#4b4538"), rgb("#35302a")
    g = cairo.LinearGradient(0, y, 0, y + h)
    g.add_color_stop_rgb(0, *top)
    g.add_color_stop_rgb(1, *bottom)
    c.set_source_rgb(*PANEL_SHADOW)
    rounded(c, x + 0.5, y + 1, w - 1, h - 1, r)
    c.fill()
    rounded(c, x + 0.5, y + 0.5, w - 1, h - 1.5, r)
    c.set_source(g)
    c.fill_preserve()
    c.set_line_width(1)
    c.set_source_rgb(*(rgb("#a27635") if lit else rgb("#4d5664")))
    c.stroke()
    tx = x + w / 2
    if lamp_on is not None:
        lamp(c, x + 7, y + h / 2, lamp_on)
        tx = x + 7 + (w - 7) / 2 + 1
    if label:
        colour = rgb("#ffe2ad") if lit else rgb("#c9d0d8")
        font(c, size, True)
        text(c, label.upper(), tx, y + h / 2 + size * 0.36 + (1 if pressed else 0), colour, size=size,
             align="center", spacing=0.3)


def two_state(w, h, draw):
    """A two-state image: the off state in the upper half, the on state below."""
    s, c = surface(w, h)
    fill(c, PANEL, 0, 0, w, h)
    half = h // 2
    for state in (0, 1):
        c.save()
        c.rectangle(0, state * half, w, half)
        c.clip()
        draw(c, 0, state * half, w, half, state)
        c.restore()
    return s


def switch_image(w, h, label, label_on=None, size=7.5):
    def draw(c, x, y, bw, bh, state):
        shown = label if state == 0 or label_on is None else label_on
        button_face(c, x + 1, y + 1, bw - 2, bh - 2, state, shown, lamp_on=(state == 1), size=size)
    return two_state(w, h, draw)


def kick_image(w, h, label, size=7.5, icon=None):
    def draw(c, x, y, bw, bh, state):
        button_face(c, x + 1, y + 1, bw - 2, bh - 2, state, label, size=size, pressed=(state == 1))
        if icon:
            icon(c, x, y, bw, bh, state)
    return two_state(w, h, draw)


# ---------------------------------------------------------------- knob film
def knob_frame(c, cx, cy, value):
    start = math.radians(135)         # 225 degrees counter-clockwise from east, in screen terms
    sweep = math.radians(270)
    r_arc = 15.2
    c.set_line_cap(cairo.LINE_CAP_ROUND)
    c.set_line_width(2.6)
    c.set_source_rgb(*rgb("#14171b"))
    c.arc(cx, cy, r_arc, start, start + sweep)
    c.stroke()
    if value > 0.004:
        c.set_source_rgb(*TITLE)
        c.arc(cx, cy, r_arc, start, start + sweep * value)
        c.stroke()
    # body: shadow, rim and a brushed cap
    c.set_source_rgba(0, 0, 0, 0.45)
    c.arc(cx + 0.6, cy + 1.2, 11.6, 0, 2 * math.pi)
    c.fill()
    g = cairo.LinearGradient(cx, cy - 12, cx, cy + 12)
    g.add_color_stop_rgb(0, *rgb("#5c6572"))
    g.add_color_stop_rgb(1, *rgb("#22272e"))
    c.set_source(g)
    c.arc(cx, cy, 11.5, 0, 2 * math.pi)
    c.fill()
    g = cairo.RadialGradient(cx - 3, cy - 4, 1, cx, cy, 10)
    g.add_color_stop_rgb(0, *rgb("#4a525d"))
    g.add_color_stop_rgb(1, *rgb("#2b3038"))
    c.set_source(g)
    c.arc(cx, cy, 9.6, 0, 2 * math.pi)
    c.fill()
    angle = start + sweep * value
    c.set_line_width(2.0)
    c.set_source_rgb(*rgb("#f4efe6"))
    c.move_to(cx + math.cos(angle) * 3.0, cy + math.sin(angle) * 3.0)
    c.line_to(cx + math.cos(angle) * 9.2, cy + math.sin(angle) * 9.2)
    c.stroke()


def make_knob_film(folder):
    size = 35
    s, c = surface(7 * size, 16 * size)
    fill(c, PANEL, 0, 0, 7 * size, 16 * size)
    for k in range(100):
        x = size * (k // 16)
        y = size * (k % 16)
        c.save()
        c.rectangle(x, y, size, size)
        c.clip()
        knob_frame(c, x + 17.5, y + 17.5, k / 99.0)
        c.restore()
    save(s, folder, 154)


# ---------------------------------------------------------------- fonts as strips
def make_character_strip(folder):
    # ASCII 32..130, one 8-pixel cell each, light text on the field colour.
    s, c = surface(795, 13)
    fill(c, FIELD, 0, 0, 795, 13)
    font(c, 10.5, False, mono=True)
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_FULL)
    c.set_font_options(options)
    for i in range(99):
        code = 32 + i
        if code > 126:
            continue
        ch = chr(code)
        c.save()
        c.rectangle(i * 8, 0, 8, 13)
        c.clip()
        e = c.text_extents(ch)
        c.set_source_rgb(*FIELD_TEXT)
        # Ink within the cell's first seven columns: the editor advances 7 pixels a character.
        c.move_to(i * 8 + (7 - e.x_advance) / 2, 10)
        c.show_text(ch)
        c.restore()
    save(s, folder, 140)


DIGITS_3X5 = [
    "111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
    "111100111001111", "111100111101111", "111001001010010", "111101111101111", "111101111001111",
]


def make_digit_strip(folder):
    s, c = surface(40, 5)
    fill(c, KEY, 0, 0, 40, 5)
    for d, bits in enumerate(DIGITS_3X5):
        for row in range(5):
            for col in range(3):
                if bits[row * 3 + col] == "1":
                    fill(c, rgb("#9fb3bf"), d * 4 + col, row, 1, 1)
    save(s, folder, 144)


# ---------------------------------------------------------------- small parts
def make_small_parts(folder):
    # 141: number-field arrows, up in the upper half, down in the lower half.
    s, c = surface(21, 19)
    fill(c, PANEL, 0, 0, 21, 19)
    for half, up in ((0, True), (1, False)):
        y = half * 9.5
        rounded(c, 1.5, y + 0.5, 18, 8.5, 2)
        c.set_source_rgb(*rgb("#353c47"))
        c.fill_preserve()
        c.set_source_rgb(*rgb("#4d5664"))
        c.set_line_width(1)
        c.stroke()
        c.set_source_rgb(*CAPTION)
        if up:
            c.move_to(7, y + 6.5); c.line_to(10.5, y + 2.5); c.line_to(14, y + 6.5)
        else:
            c.move_to(7, y + 2.5); c.line_to(10.5, y + 6.5); c.line_to(14, y + 2.5)
        c.close_path()
        c.fill()
    save(s, folder, 141)

    # 139: a 5 x 5 curve point; 142: one pixel of the display line colour.
    s, c = surface(5, 5)
    fill(c, KEY, 0, 0, 5, 5)
    fill(c, TITLE, 0, 0, 5, 5)
    fill(c, rgb("#ffe2ad"), 1, 1, 3, 3)
    save(s, folder, 139)
    s, c = surface(1, 1)
    fill(c, DISPLAY_LINE, 0, 0, 1, 1)
    save(s, folder, 142)

    # 143: a spare 76 x 46 two-state button.
    save(switch_image(76, 46, "Edit"), folder, 143)

    # 145: a vertical slider track, 15 x 170.
    s, c = surface(15, 170)
    fill(c, PANEL, 0, 0, 15, 170)
    inset(c, 5, 2, 5, 166)
    save(s, folder, 145)

    # 169: the modulation-amount slider handle, 11 x 22.
    s, c = surface(11, 22)
    fill(c, PANEL, 0, 0, 11, 22)
    g = cairo.LinearGradient(0, 0, 11, 0)
    g.add_color_stop_rgb(0, *rgb("#d9dde3"))
    g.add_color_stop_rgb(1, *rgb("#8a929c"))
    rounded(c, 1, 2, 9, 18, 2)
    c.set_source(g)
    c.fill()
    fill(c, TITLE, 3, 10, 5, 2)
    save(s, folder, 169)

    # 173: a 123 x 20 read-out field.
    s, c = surface(123, 20)
    fill(c, PANEL, 0, 0, 123, 20)
    inset(c, 0, 0, 123, 20)
    save(s, folder, 173)


def make_menus(folder):
    for resource_id, w, h in ((175, 146, 19), (176, 152, 21)):
        s, c = surface(w, h)
        fill(c, PANEL, 0, 0, w, h)
        inset(c, 0, 0, w, h, r=3)
        # the drop-down mark at the right end
        c.set_source_rgb(*rgb("#2a3039"))
        c.rectangle(w - 15, 2, 13, h - 4)
        c.fill()
        c.set_source_rgb(*TITLE)
        cy = h / 2
        c.move_to(w - 12, cy - 2); c.line_to(w - 5, cy - 2); c.line_to(w - 8.5, cy + 2.5)
        c.close_path()
        c.fill()
        save(s, folder, resource_id)

    # 168: the modulation-amount slider track, 171 x 22, with a centre mark.
    s, c = surface(171, 22)
    fill(c, PANEL, 0, 0, 171, 22)
    inset(c, 2, 8, 167, 6, r=3)
    for i in range(11):
        x = 7 + i * 15.7
        c.set_source_rgb(*(CAPTION_DIM if i != 5 else CAPTION))
        c.rectangle(round(x), 17 if i % 5 else 16, 1, 3 if i % 5 else 5)
        c.fill()
    save(s, folder, 168)


# ---------------------------------------------------------------- buttons
def radio_entry(folder):
    s, c = surface(13, 26)
    fill(c, PANEL, 0, 0, 13, 26)
    for state in (0, 1):
        cy = state * 13 + 6.5
        c.set_source_rgb(*FIELD)
        c.arc(6.5, cy, 5.5, 0, 2 * math.pi)
        c.fill()
        c.set_line_width(1)
        c.set_source_rgb(*FIELD_EDGE)
        c.arc(6.5, cy, 5.5, 0, 2 * math.pi)
        c.stroke()
        if state:
            g = cairo.RadialGradient(5.8, cy - 0.8, 0.3, 6.5, cy, 3.6)
            g.add_color_stop_rgb(0, 1.0, 0.88, 0.6)
            g.add_color_stop_rgb(1, *TITLE)
            c.set_source(g)
            c.arc(6.5, cy, 3.4, 0, 2 * math.pi)
            c.fill()
    save(s, folder, 158)


def dice(c, x, y, w, h, state):
    cx, cy = x + w / 2, y + 22 + (1 if state else 0)
    size = 18
    c.save()
    c.translate(cx, cy)
    c.rotate(math.radians(-12))
    rounded(c, -size / 2, -size / 2, size, size, 3.5)
    c.set_source_rgb(*(rgb("#f4e6c8") if state else rgb("#d8dde3")))
    c.fill()
    c.set_source_rgb(*rgb("#2a2f36"))
    for px, py in ((-4.5, -4.5), (4.5, 4.5), (0, 0), (4.5, -4.5), (-4.5, 4.5)):
        c.arc(px, py, 1.7, 0, 2 * math.pi)
        c.fill()
    c.restore()


def random_button(folder):
    def draw(c, x, y, w, h, state):
        button_face(c, x + 1, y + 1, w - 2, h - 2, state, None, pressed=(state == 1), r=5)
        dice(c, x, y, w, h, state)
        text(c, "RANDOM", x + w / 2, y + h - 8 + (1 if state else 0),
             rgb("#ffe2ad") if state else rgb("#c9d0d8"), size=8, align="center", spacing=0.6)
    save(two_state(74, 116, draw), folder, 160)


def tab_image(folder, resource_id, label):
    def draw(c, x, y, w, h, state):
        fill(c, BODY_DARK, x, y, w, h)
        lit = state == 1
        c.set_source_rgb(*(rgb("#30363f") if lit else rgb("#22272e")))
        rounded(c, x + 1.5, y + 1.5, w - 3, h + 4, 4)
        c.fill_preserve()
        c.set_source_rgb(*(rgb("#5a6472") if lit else rgb("#353c46")))
        c.set_line_width(1)
        c.stroke()
        if lit:
            fill(c, TITLE, x + 6, y + h - 3, w - 12, 2)
        text(c, label.upper(), x + w / 2, y + 14.5, rgb("#fff1d6") if lit else CAPTION_DIM,
             size=8.5, align="center", spacing=0.9)
    s = two_state(97, 44, draw)
    save(s, folder, resource_id)


def make_buttons(folder):
    radio_entry(folder)
    random_button(folder)
    # Page tabs: tab k = 0..7 uses ids 129, 130, 131, 132, 134, 133, 135, 136.
    for resource_id, label in ((129, "Voice A"), (130, "Voice B"), (131, "Voice C"), (132, "Voice D"),
                               (134, "Modulation"), (133, "Morph"), (135, "Main"), (136, "Effects")):
        tab_image(folder, resource_id, label)

    # Small on/off switch (21 x 17 states): a lamp in a bezel.
    def small_switch(c, x, y, w, h, state):
        button_face(c, x + 1, y + 1, w - 2, h - 2, state, None, r=3)
        lamp(c, x + w / 2, y + h / 2, state == 1, r=3.0)
    save(two_state(21, 34, small_switch), folder, 155)

    # Top-row commands.
    save(kick_image(66, 50, "Load File"), folder, 159)
    save(kick_image(54, 50, "Save"), folder, 161)
    save(kick_image(54, 50, "Reset"), folder, 162)
    save(kick_image(51, 50, "Random"), folder, 177)
    save(switch_image(48, 46, "Learn"), folder, 163)

    # Voice-page buttons.
    save(switch_image(76, 42, "Solo"), folder, 146)
    save(kick_image(76, 46, "Import Audio", size=7.2), folder, 156)
    save(switch_image(76, 42, "Whole", "At Time"), folder, 157)
    save(kick_image(39, 42, "Load", size=7), folder, 148)
    save(kick_image(37, 42, "Clear", size=7), folder, 149)
    save(switch_image(79, 44, "Amplitude", "Frequency", size=7), folder, 164)
    save(switch_image(78, 44, "32 Harm", "64 Harm", size=7), folder, 166)
    save(switch_image(78, 44, "Harmonize", size=7), folder, 178)

    # Envelope view switch: three states of 22 rows, the lit segment shows the state.
    s, c = surface(93, 66)
    fill(c, PANEL, 0, 0, 93, 66)
    names = ("Lin", "Log", "dB")
    for state in range(3):
        y = state * 22
        inset(c, 1, y + 2, 91, 18, r=3)
        for i, name in enumerate(names):
            sx = 2 + i * 30
            lit = i == state
            if lit:
                c.set_source_rgb(*rgb("#4b4538"))
                rounded(c, sx + 1, y + 4, 27, 14, 2)
                c.fill()
                fill(c, TITLE, sx + 5, y + 16, 19, 1)
            text(c, name.upper(), sx + 14.5, y + 14, rgb("#ffe2ad") if lit else CAPTION_DIM, size=7.5,
                 align="center")
    save(s, folder, 165)

    # SoftLoud entries (two states of 22 rows).
    for resource_id, w, label in ((170, 32, "Soft"), (171, 34, "Loud"), (172, 25, "S=L")):
        def draw(c, x, y, bw, bh, state, label=label):
            button_face(c, x + 1, y + 1, bw - 2, bh - 2, state, label, size=7)
        save(two_state(w, 44, draw), folder, resource_id)

    save(switch_image(48, 46, "Loop"), folder, 147)
    save(switch_image(130, 40, "Edit X Envelope", "Edit Y Envelope"), folder, 167)
    save(switch_image(71, 40, "Sync"), folder, 174)


# ---------------------------------------------------------------- morph pad
def make_morph_pad(folder):
    s, c = surface(211, 211)
    fill(c, PANEL, 0, 0, 211, 211)
    inset(c, 0, 0, 211, 211, colour=FIELD, r=4)
    g = cairo.RadialGradient(105.5, 105.5, 5, 105.5, 105.5, 140)
    g.add_color_stop_rgba(0, 0.25, 0.55, 0.58, 0.22)
    g.add_color_stop_rgba(1, 0.0, 0.0, 0.0, 0.0)
    c.set_source(g)
    c.rectangle(4, 4, 203, 203)
    c.fill()
    c.set_line_width(1)
    for i in range(1, 8):
        p = 4 + i * 203 / 8.0
        c.set_source_rgb(*(rgb("#2c4a4e") if i == 4 else GRID))
        c.move_to(round(p) + 0.5, 4); c.line_to(round(p) + 0.5, 207)
        c.move_to(4, round(p) + 0.5); c.line_to(207, round(p) + 0.5)
        c.stroke()
    for label, x, y in (("A", 10, 17), ("B", 201, 17), ("C", 10, 202), ("D", 201, 202)):
        text(c, label, x, y, TITLE, size=11, align="left" if x < 100 else "right")
    save(s, folder, 138)


# ---------------------------------------------------------------- page backgrounds
def knob_caption(c, x, y, name, below=38):
    caption(c, name, x + 17.5, y + below + 8)


def readout_well(c, x, y, offset=62):
    """The sunken well under a knob read-out (37 x 11, two pixels left of the knob)."""
    inset(c, x - 3, y + offset - 1, 41, 13, colour=BODY_DARK)


def page_base(w=PAGE_W, h=PAGE_H):
    s, c = surface(w, h)
    fill(c, BODY, 0, 0, w, h)
    return s, c


def display_frame(c, x0, y0, x1, y1):
    inset(c, x0 - 1, y0 - 1, x1 - x0 + 2, y1 - y0 + 2, colour=FIELD)


def field_well(c, left, top, right):
    """The sunken edge around a number field's text (the arrows take the right 22 pixels)."""
    inset(c, left - 1, top - 1, right - 22 - left + 2, 14)


def make_voice_page(folder):
    s, c = page_base()
    # left column: voice set-up
    panel(c, 0, 2, 100, 383)
    caption(c, "Voice Name", 51, 9, CAPTION_DIM, size=6.5)
    inset(c, 15, 10, 72, 19)
    caption(c, "Voice File", 51, 38, CAPTION_DIM, size=6.5)
    caption(c, "Velocity Layer", 51, 139, CAPTION_DIM, size=6.5)
    for x, y, name in ((40, 174, "Count"), (40, 198, "Sample"), (40, 224, "Root"), (39, 267, "User"),
                       (40, 291, "Detune")):
        text(c, name.upper(), x - 3, y + 9, CAPTION, size=6.6, align="right")
        field_well(c, x, y, x + 55)
    caption(c, "Multisamples", 51, 170, CAPTION_DIM, size=6.5)
    fill(c, PANEL, 4, 244, 92, 16)
    c.set_source_rgb(*PANEL_EDGE)
    c.rectangle(8, 253, 84, 1)
    c.fill()
    caption(c, "Envelope Edit & View", 51, 324, CAPTION_DIM, size=6.5)

    # centre: the four displays with captions in the gutter
    panel(c, 104, 2, 573, 383)
    for (x0, y0, x1, y1), (line1, line2) in (
            ((155, 18, 672, 114), ("Harmonic", "Spectrum")),
            ((158, 125, 671, 176), ("Harmonic", "Envelope")),
            ((158, 209, 671, 304), ("Noise", "Spectrum")),
            ((158, 313, 671, 367), ("Noise", "Envelope"))):
        display_frame(c, x0, y0, x1, y1)
        mid = (y0 + y1) / 2
        text(c, line1.upper(), 151, mid - 1, CAPTION, size=7, align="right")
        text(c, line2.upper(), 151, mid + 8, CAPTION_DIM, size=7, align="right")
    text(c, "HARMONICS", 155, 13, TITLE, size=8.5, spacing=1.0)
    text(c, "NOISE", 158, 203, TITLE, size=8.5, spacing=1.0)
    text(c, "TIME \u2192", 671, 186, CAPTION_DIM, size=6.5, align="right")
    text(c, "FREQUENCY \u2192", 671, 378, CAPTION_DIM, size=6.5, align="right")

    # right column: harmonic and noise blocks
    panel(c, 676, 2, 96, 383)
    caption(c, "Harmonic Block", 724, 25, TITLE, size=7)
    caption(c, "Edit Mode", 704, 154, CAPTION_DIM, size=6.5)
    field_well(c, 684, 129, 759)
    text(c, "LEVEL", 721, 172, CAPTION, size=7, align="right")
    caption(c, "Noise Block", 724, 216, TITLE, size=7)
    text(c, "LEVEL", 721, 364, CAPTION, size=7, align="right")
    save(s, folder, 137)


def make_modulation_page(folder):
    s, c = page_base()
    panel(c, 0, 2, 772, 276)
    for x, name in ((96, "Source"), (289, "Target"), (481, "At Source Minimum"), (668, "At Source Maximum")):
        caption(c, name, x, 12, TITLE, size=7.5)
    for r in range(8):
        y = 55 + 31 * r
        text(c, "%d" % (r + 1), 10, y - 6, CAPTION, size=8.5, align="center")
        # arrow from source to target
        c.set_source_rgb(*CAPTION_DIM)
        c.set_line_width(1.2)
        c.move_to(180, y - 10); c.line_to(205, y - 10)
        c.stroke()
        c.move_to(206, y - 10); c.line_to(201, y - 13.5); c.line_to(201, y - 6.5)
        c.close_path()
        c.fill()
        if r < 7:
            c.set_source_rgb(*rgb("#2e343d"))
            c.rectangle(6, y + 5, 760, 1)
            c.fill()
    # lower sections
    panel(c, 0, 283, 132, 102, "Pitch Bend")
    knob_caption(c, 50, 318, "", 0)
    caption(c, "Range", 67.5, 315, CAPTION, size=7)
    readout_well(c, 50, 318, 44)
    caption(c, "Semitones", 67.5, 382, CAPTION_DIM, size=6.5)
    for x0, title, radio_x, knob_x in ((138, "LFO 1", 181, 225), (277, "LFO 2", 320, 364)):
        panel(c, x0, 283, 133, 102, title)
        for i, shape in enumerate(("Sine", "Saw", "Sqr")):
            text(c, shape.upper(), radio_x - 3, 318 + i * 22 + 9.5, CAPTION, size=6.8, align="right")
        caption(c, "Rate", knob_x + 17.5, 315, CAPTION, size=7)
        readout_well(c, knob_x, 318, 44)
        caption(c, "Shape", radio_x - 18, 304 + 1, CAPTION_DIM, size=6.5)
    panel(c, 416, 283, 356, 102, "How it works")
    lines = ("Each row routes a source to a target parameter.",
             "The sliders set the target value at the source's",
             "minimum and maximum. MIDI controllers act live;",
             "use LEARN (bottom left) to grab a controller by",
             "moving it, then touch the control it should drive.")
    for i, line in enumerate(lines):
        text(c, line, 428, 318 + i * 13, CAPTION_DIM, size=8, bold=False)
    save(s, folder, 150)


def make_morph_page(folder):
    s, c = page_base()
    panel(c, 0, 0, 772, 118)
    text(c, "ENVELOPE MORPH", 27, 15, TITLE, size=8, spacing=0.3)
    text(c, "MORPH ENVELOPES", 390, 15, CAPTION, size=8, spacing=0.8, align="center")
    text(c, "TEMPO", 664, 15, CAPTION, size=7.5, align="right")
    display_frame(c, 9, 29, 757, 110)
    panel(c, 0, 124, 552, 261)
    text(c, "VOICES & MORPH PAD", 160, 139, TITLE, size=9, spacing=1.0)
    for x, y, name in ((9, 157, "Voice A"), (379, 157, "Voice B"), (9, 351, "Voice C"), (379, 351, "Voice D")):
        text(c, name.upper(), x + 1, y - 4, CAPTION, size=7.5, spacing=0.5)
        inset(c, x - 1, y - 1, 138, 21, r=3)
    # guide lines from the lists to the pad corners
    c.set_source_rgb(*PANEL_EDGE)
    c.set_line_width(1)
    for x0, y0, x1, y1 in ((139, 167, 152, 167), (379, 167, 356, 167), (139, 361, 152, 361), (379, 361, 356, 361)):
        c.move_to(x0, y0 + 0.5); c.line_to(x1, y1 + 0.5)
        c.stroke()
    text(c, "X \u2192", 359, 380, CAPTION_DIM, size=6.5, align="right")
    panel(c, 558, 124, 214, 261, "Pad Mode")
    for i, name in enumerate(("Linked", "Amplitude", "Harmonics", "Noise")):
        text(c, name.upper(), 621, 162 + i * 22 + 10, CAPTION, size=7.5, spacing=0.4)
    text(c, "Linked moves harmonics, noise", 572, 258, CAPTION_DIM, size=7.5, bold=False)
    text(c, "and amplitude together.", 572, 270, CAPTION_DIM, size=7.5, bold=False)
    caption(c, "Morph", 604, 311, CAPTION, size=7.5)
    save(s, folder, 151)


def section_with_switch(c, x, y, w, h, title, switch_x):
    """A panel whose title follows the section's on/off switch (21 pixels wide) at switch_x."""
    panel(c, x, y, w, h, title, title_x=switch_x + 26)


def knob_row(c, knobs, y, offset=62):
    for x, name in knobs:
        knob_caption(c, x, y, name)
        readout_well(c, x, y, offset)


def make_main_page(folder):
    s, c = page_base()
    panel(c, 0, 126, 245, 125, "Tone")
    knob_row(c, ((48, "Brightness"), (109, "Harmonic"), (169, "Noise")), 170)
    section_with_switch(c, 252, 126, 248, 125, "LFO", 259)
    text(c, "SINE", 286, 172 + 9.5, CAPTION, size=6.6, align="right")
    text(c, "SAW", 286, 194 + 9.5, CAPTION, size=6.6, align="right")
    text(c, "SQR", 286, 216 + 9.5, CAPTION, size=6.6, align="right")
    knob_row(c, ((334, "Rate"), (394, "Vibrato"), (455, "Tremolo")), 170)
    section_with_switch(c, 507, 126, 265, 125, "Portamento", 514)
    knob_row(c, ((623, "Glide Time"),), 170)
    panel(c, 0, 255, 245, 130, "Envelope")
    knob_row(c, ((18, "Attack"), (79, "Stretch"), (139, "Release")), 299)
    caption(c, "Morph Env", 216, 312, CAPTION, size=7)
    panel(c, 252, 255, 248, 130, "Output")
    knob_row(c, ((335, "Volume"), (395, "Width")), 299)
    panel(c, 507, 255, 265, 130, "Randomise")
    caption(c, "Tone", 604, 311, CAPTION, size=7.5)
    text(c, "new tone, LFO and", 690, 345, CAPTION_DIM, size=7.5, bold=False, align="center")
    text(c, "envelope settings", 690, 357, CAPTION_DIM, size=7.5, bold=False, align="center")
    # top area: the instrument's sound at a glance
    panel(c, 0, 0, 772, 120, "Signal Flow")
    stages = ("Voices A-D", "Morph", "Tone", "Distortion", "Filter", "Chorus", "Delay", "Reverb", "Output")
    pages = ("Voice pages", "Morph page", "Main page", "Effects page", "Effects page", "Effects page",
             "Effects page", "Effects page", "Main page")
    box_w, gap, x0 = 70, 15, 14
    for i, (name, where) in enumerate(zip(stages, pages)):
        x = x0 + i * (box_w + gap)
        lit = name in ("Tone", "Output")
        c.set_source_rgb(*(rgb("#3a3428") if lit else rgb("#1c2026")))
        rounded(c, x, 44, box_w, 34, 4)
        c.fill_preserve()
        c.set_line_width(1)
        c.set_source_rgb(*(rgb("#a27635") if lit else PANEL_EDGE))
        c.stroke()
        text(c, name.upper(), x + box_w / 2, 60, rgb("#ffe2ad") if lit else CAPTION, size=7.5, align="center",
             spacing=0.3)
        text(c, where, x + box_w / 2, 72, CAPTION_DIM, size=6.8, bold=False, align="center")
        if i + 1 < len(stages):
            ax = x + box_w + 2
            c.set_source_rgb(*TITLE_DIM)
            c.move_to(ax, 61); c.line_to(ax + gap - 6, 61)
            c.stroke()
            c.move_to(ax + gap - 3, 61); c.line_to(ax + gap - 8, 57.5); c.line_to(ax + gap - 8, 64.5)
            c.close_path()
            c.fill()
    text(c, "Every voice is resynthesised from 64 harmonics and a noise part; the four voices morph on the "
         "X/Y pads before the effects.", 386, 102, CAPTION_DIM, size=8, bold=False, align="center")
    save(s, folder, 152)


def make_effects_page(folder):
    s, c = page_base()
    panel(c, 0, 0, 772, 120)
    text(c, "FORMANT FILTER", 27, 15, TITLE, size=9, spacing=1.0)
    display_frame(c, 10, 30, 757, 112)
    section_with_switch(c, 0, 126, 245, 125, "Distortion", 3)
    knob_row(c, ((18, "Drive"), (79, "Tube"), (139, "Bass"), (200, "Comp")), 170)
    section_with_switch(c, 252, 126, 248, 125, "Filter", 259)
    for i, name in enumerate(("HP", "BP", "LP")):
        text(c, name, 286, 172 + i * 22 + 9.5, CAPTION, size=6.8, align="right")
    knob_row(c, ((334, "Cutoff"), (394, "Reso"), (455, "Env Amt")), 170)
    section_with_switch(c, 507, 126, 265, 125, "Chorus", 514)
    knob_row(c, ((531, "Mix"), (592, "Rate"), (652, "Delay"), (713, "Depth")), 170)
    section_with_switch(c, 0, 255, 245, 130, "Delay", 3)
    knob_row(c, ((18, "Mix"), (79, "Feedback"), (139, "Time L"), (200, "Time R")), 299)
    section_with_switch(c, 252, 255, 248, 130, "Reverb", 260)
    knob_row(c, ((304, "Mix"), (364, "Size"), (425, "Damping")), 299)
    panel(c, 507, 255, 265, 130, "Randomise")
    caption(c, "Effects", 604, 311, CAPTION, size=7.5)
    text(c, "new settings for", 690, 345, CAPTION_DIM, size=7.5, bold=False, align="center")
    text(c, "every effect", 690, 357, CAPTION_DIM, size=7.5, bold=False, align="center")
    save(s, folder, 153)


def make_frame_background(folder):
    s, c = surface(800, 550)
    g = cairo.LinearGradient(0, 0, 0, 550)
    g.add_color_stop_rgb(0, *rgb("#20252c"))
    g.add_color_stop_rgb(1, *rgb("#16191e"))
    c.set_source(g)
    c.rectangle(0, 0, 800, 550)
    c.fill()
    # header
    fill(c, rgb("#13161a"), 0, 0, 800, 64)
    fill(c, rgb("#2c323b"), 0, 63, 800, 1)
    text(c, "VELTRANE", 16, 36, rgb("#eef1f4"), size=24, spacing=2.0)
    text(c, "7000", 184, 36, TITLE, size=24, spacing=1.0)
    text(c, "RESYNTHESIS INSTRUMENT", 17, 52, CAPTION_DIM, size=8, spacing=2.2)
    caption(c, "Category", 403, 12, CAPTION_DIM, size=6.5)
    caption(c, "Instrument", 564, 12, CAPTION_DIM, size=6.5)
    text(c, "TARNWICK", 786, 30, CAPTION, size=9, align="right", spacing=2.0)
    text(c, "VT7000", 786, 46, CAPTION_DIM, size=8, align="right", spacing=1.5)
    # tab strip and page well
    fill(c, BODY_DARK, 0, 64, 800, 26)
    fill(c, TITLE_DIM, 12, 88, 777, 1)
    # footer
    panel(c, 8, 485, 784, 60)
    caption(c, "Master Tune", 52, 541, CAPTION, size=7)
    caption(c, "MIDI", 108, 500, CAPTION, size=7)
    text(c, "Ctrl-click a control for its default   \u00b7   Shift-drag for fine steps", 784, 520, CAPTION_DIM,
         size=8, bold=False, align="right")
    save(s, folder, 128)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    os.makedirs(folder, exist_ok=True)
    make_frame_background(folder)
    make_buttons(folder)
    make_knob_film(folder)
    make_morph_pad(folder)
    make_character_strip(folder)
    make_digit_strip(folder)
    make_small_parts(folder)
    make_menus(folder)
    make_voice_page(folder)
    make_modulation_page(folder)
    make_morph_page(folder)
    make_main_page(folder)
    make_effects_page(folder)


if __name__ == "__main__":
    main()

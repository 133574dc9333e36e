#!/usr/bin/env python3
"""Writes the SVG sources of the skins into resources/skins/.

The skins share one palette and a handful of glyphs, so they are easier to keep consistent as
code than as fifty hand-edited drawings. Run this after changing the look; the build renders the
SVG files it writes (rsvg-convert at each file's own size) and embeds them as RCDATA resources.

    python3 tools/skins/make_skins.py            # rewrite every skin
    python3 tools/skins/make_skins.py menu_item  # rewrite only the named ones

Rules the drawings keep, because the controls cut and tile them:
- a state strip is N frames side by side, each exactly the frame size; nothing spills over
  (every frame is its own clipping viewport);
- the middle band of a three-part or nine-part skin is uniform along the tiling direction, so
  repeating it never shows a seam (rounded corners stay inside the fixed ends);
- 1-pixel lines sit on half-pixel coordinates so that they render crisp.
"""
import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
OUT = os.path.join(ROOT, "resources", "skins")

# Palette (RGB). The window colour and the two accents are the program's own colours.
SLATE = "#40464E"      # window and caption colour
SLATE_HI = "#4D555F"   # hover on slate
SLATE_LO = "#343941"   # pressed on slate
SLATE_FG = "#C3C9D0"   # glyphs on slate
BLUE = "#1A66A2"       # strong accent
BLUE_HI = "#2275B8"
BLUE_LO = "#13507F"
SKY = "#92C8F6"        # light accent
SKY_BG = "#EDF5FD"     # hover fill on white
SKY_BG2 = "#D9EAFA"    # selected / pressed fill on white
GREY = "#848484"       # secondary text, idle glyphs
SEP = "#D5D5D5"        # separators, idle borders
BORDER = "#C2C7CE"     # control borders on white
DIS_BG = "#F2F3F4"
DIS_FG = "#BDBDBD"
WHITE = "#FFFFFF"
RED = "#D9443B"
RED_LO = "#B7352D"
AMBER = "#E8A33D"


# ---------------------------------------------------------------------------------------------
# Glyphs: stroke drawings on a 24 x 24 grid, placed with place().

def glyph(name, colour, width=2.0):
    s = f'fill="none" stroke="{colour}" stroke-width="{width}" stroke-linecap="round" stroke-linejoin="round"'
    f = f'fill="{colour}"'
    g = {
        "check": f'<path d="M5 12.5l4.5 4.5L19 7.5" {s}/>',
        "cross": f'<path d="M6.5 6.5l11 11M17.5 6.5l-11 11" {s}/>',
        "minus": f'<path d="M6 12h12" {s}/>',
        "plus": f'<path d="M12 5v14M5 12h14" {s}/>',
        "square": f'<rect x="6.5" y="6.5" width="11" height="11" rx="1" {s}/>',
        "restore": f'<path d="M9.5 6.5h8v8" {s}/><rect x="6.5" y="9.5" width="8" height="8" rx="1" {s}/>',
        "burger": f'<path d="M5.5 7.5h13M5.5 12h13M5.5 16.5h13" {s}/>',
        "archive": f'<rect x="4.5" y="5.5" width="15" height="4" rx="1" {s}/>'
                   f'<path d="M6 9.5v8a1 1 0 0 0 1 1h10a1 1 0 0 0 1-1v-8M10 13h4" {s}/>',
        "chev_down": f'<path d="M7 10l5 5 5-5" {s}/>',
        "chev_up": f'<path d="M7 14l5-5 5 5" {s}/>',
        "chev_right": f'<path d="M10 7l5 5-5 5" {s}/>',
        "chev_left": f'<path d="M14 7l-5 5 5 5" {s}/>',
        "trash": f'<path d="M5 7h14M10 7V5h4v2M7 7l1 12h8l1-12M10.5 10.5v5.5M13.5 10.5v5.5" {s}/>',
        "pencil": f'<path d="M15 5l4 4-10 10H5v-4z M13 7l4 4" {s}/>',
        "undo": f'<path d="M8 9H15a4.5 4.5 0 0 1 0 9H9" {s}/><path d="M11 5.5L7.5 9l3.5 3.5" {s}/>',
        "clock": f'<circle cx="12" cy="12" r="8" {s}/><path d="M12 7.5V12l3 2" {s}/>',
        "check_circle": f'<circle cx="12" cy="12" r="8" {s}/><path d="M8.5 12.3l2.5 2.5 4.8-5" {s}/>',
        "speaker": f'<path d="M5 9.5h3l4-3.5v12l-4-3.5H5z" {s}/><path d="M15.5 9a4 4 0 0 1 0 6M17.5 6.5a7.5 7.5 0 0 1 0 11" {s}/>',
        "stop": f'<rect x="7" y="7" width="10" height="10" rx="1.5" {f}/>',
        "folder": f'<path d="M4.5 7.5a1 1 0 0 1 1-1h4l2 2h7a1 1 0 0 1 1 1v8a1 1 0 0 1-1 1h-13a1 1 0 0 1-1-1z" {s}/>',
        "thumb": f'<path d="M5 11h3v8H5z M8 11l3.5-6c1.5 0 2.2 1 2 2.5L13 10h5a1.5 1.5 0 0 1 1.5 1.8l-1.3 5.7A2 2 0 0 1 16.3 19H8" {s}/>',
        "bubble": f'<path d="M5 6.5h14a1 1 0 0 1 1 1v8a1 1 0 0 1-1 1h-8l-4 3v-3H5a1 1 0 0 1-1-1v-8a1 1 0 0 1 1-1z" {s}/>',
        "mail": f'<rect x="4" y="6.5" width="16" height="11" rx="1" {s}/><path d="M4.5 7.5l7.5 5.5 7.5-5.5" {s}/>',
        "home": f'<path d="M4.5 11.5L12 5l7.5 6.5M6.5 10v8.5h4v-5h3v5h4V10" {s}/>',
        "dot": f'<circle cx="12" cy="12" r="3.5" {f}/>',
    }
    return g[name]


def place(name, colour, x, y, size, width=2.0):
    """The glyph scaled to size x size with its top-left corner at (x, y); the stroke width is
    given in target pixels."""
    k = size / 24.0
    return (f'<g transform="translate({x} {y}) scale({k:.5f})">'
            f'{glyph(name, colour, width / k)}</g>')


def bell(cx, top, h, colour, clapper=True):
    """A bell h pixels high, centred on cx, starting at top (our logo motif)."""
    k = h / 28.0
    body = ("M14 0.5c-5.6 0-9.3 4.2-9.3 9.8v6.2l-3 4.4c-.5.8 0 1.9 1 1.9h22.6c1 0 1.5-1.1 1-1.9l-3-4.4v-6.2"
            "C23.3 4.7 19.6 0.5 14 0.5z")
    out = f'<g transform="translate({cx - 14 * k:.3f} {top}) scale({k:.5f})"><path d="{body}" fill="{colour}"/>'
    if clapper:
        out += f'<path d="M10.2 24.3a3.8 3.8 0 0 0 7.6 0z" fill="{colour}"/>'
    return out + "</g>"


# ---------------------------------------------------------------------------------------------
# Files.

SKINS = {}


def skin(fn):
    SKINS[fn.__name__] = fn
    return fn


def strip(fw, fh, frames, comment):
    """An SVG of len(frames) frames of fw x fh side by side; each frame is drawn in its own
    viewport (local coordinates, clipped to the frame)."""
    n = len(frames)
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{fw * n}" height="{fh}" '
             f'viewBox="0 0 {fw * n} {fh}">', f'  <!-- {comment} -->']
    for i, body in enumerate(frames):
        parts.append(f'  <svg x="{i * fw}" y="0" width="{fw}" height="{fh}" viewBox="0 0 {fw} {fh}" overflow="hidden">')
        parts.append(f'    {body}')
        parts.append('  </svg>')
    parts.append('</svg>')
    return "\n".join(parts) + "\n"


def single(w, h, body, comment):
    return strip(w, h, [body], comment)


def rrect(x, y, w, h, r, fill, stroke=None, extra=""):
    st = f' stroke="{stroke}" stroke-width="1"' if stroke else ""
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}"{st} fill="{fill}"{extra}/>'


def shadow_rings(x, y, w, h, r, rings, alpha):
    """Soft shadow as concentric rounded rectangles around a body at (x, y, w, h) with corner
    radius r; ring d grows the radius by d so every arc ends where the body's arc ends."""
    out = []
    for d in range(rings, 0, -1):
        out.append(f'<rect x="{x - d}" y="{y - d}" width="{w + 2 * d}" height="{h + 2 * d}" rx="{r + d}" '
                   f'fill="#000000" fill-opacity="{alpha}"/>')
    return "".join(out)


# ---------------------------------------------------------------------------------------------
# Title bar, border and caption buttons (the shared non-client resource).

CAPTION_H = 26


@skin
def nc_caption():
    return single(10, CAPTION_H, f'<rect width="10" height="{CAPTION_H}" fill="{SLATE}"/>',
                  "Caption bar background: flat slate, stretched to the bar.")


@skin
def nc_border():
    return single(3, 3, f'<rect width="3" height="3" fill="{SLATE}"/>',
                  "One-pixel window border, cut nine ways with margins 1.")


@skin
def nc_logo():
    body = bell(9, 2, 14, WHITE) + f'<circle cx="14" cy="4.5" r="3" fill="{SKY}" stroke="{SLATE}" stroke-width="1"/>'
    return single(18, 18, body, "Caption logo: white bell with the light-blue dot.")


def caption_button(glyph_name, hover_bg=SLATE_HI, down_bg=SLATE_LO, hover_fg=WHITE):
    w, h = 28, CAPTION_H
    g = lambda c: place(glyph_name, c, 7, 6, 14, 1.6)
    return [
        g(SLATE_FG),
        f'<rect width="{w}" height="{h}" fill="{hover_bg}"/>' + g(hover_fg),
        f'<rect width="{w}" height="{h}" fill="{down_bg}"/>' + g(hover_fg),
    ]


@skin
def nc_btn_close():
    return strip(28, CAPTION_H, caption_button("cross", RED, RED_LO), "Close: normal, over, down.")


@skin
def nc_btn_min():
    return strip(28, CAPTION_H, caption_button("minus"), "Minimise: normal, over, down.")


@skin
def nc_btn_max():
    return strip(28, CAPTION_H, caption_button("square"), "Maximise: normal, over, down.")


@skin
def nc_btn_restore():
    return strip(28, CAPTION_H, caption_button("restore"), "Restore (maximised form): normal, over, down.")


@skin
def nc_btn_menu():
    return strip(28, CAPTION_H, caption_button("burger"), "Window menu: normal, over, down.")


@skin
def nc_btn_skin():
    return strip(28, CAPTION_H, caption_button("archive"), "Backup and restore menu: normal, over, down.")


# ---------------------------------------------------------------------------------------------
# Push buttons: frames normal, over, down, disabled.

def push_frames(w, h, kind, glyph_at=None):
    """Frames of a push button of w x h. kind: 'primary' (blue, white caption) or 'secondary'
    (white, dark caption). glyph_at: optional (name, x, y, size) drawn in the state's colour."""
    r = 4
    if kind == "primary":
        states = [(BLUE, BLUE, WHITE), (BLUE_HI, BLUE_HI, WHITE), (BLUE_LO, BLUE_LO, WHITE), (SEP, SEP, WHITE)]
    else:
        states = [(WHITE, BORDER, GREY), (SKY_BG, SKY, BLUE), (SKY_BG2, BLUE, BLUE_LO), (DIS_BG, SEP, DIS_FG)]
    frames = []
    for fill, stroke, fg in states:
        body = rrect(0.5, 0.5, w - 1, h - 1, r, fill, stroke)
        if glyph_at:
            name, gx, gy, gs = glyph_at
            body += place(name, fg, gx, gy, gs, 1.8)
        frames.append(body)
    return frames


@skin
def btn_new():
    return strip(76, 34, push_frames(76, 34, "primary"), "New reminder (76 x 34): normal, over, down, disabled; white caption.")


@skin
def btn_done():
    return strip(76, 31, push_frames(76, 31, "primary"), "Save in the editor (76 x 31): normal, over, down, disabled; white caption.")


@skin
def btn_back():
    return strip(76, 31, push_frames(76, 31, "secondary", ("chev_left", 6, 8.5, 14)),
                 "Back in the editor (76 x 31): normal, over, down, disabled; dark caption.")


@skin
def notice_btn():
    return strip(79, 24, push_frames(79, 24, "primary"), "Notice dialog 'OK I got it' (79 x 24): normal, over, down, disabled; white caption.")


@skin
def msg_btn():
    return strip(80, 26, push_frames(80, 26, "secondary"), "Message box buttons (80 x 26): normal, over, down, disabled; dark caption.")


def icon_button(glyph_name, w=26, h=26, size=16):
    gx, gy = (w - size) / 2, (h - size) / 2
    return push_frames(w, h, "secondary", (glyph_name, gx, gy, size))


@skin
def btn_test_idle():
    return strip(26, 26, icon_button("speaker"), "Sound test, idle: normal, over, down, disabled.")


@skin
def btn_test_play():
    return strip(26, 26, icon_button("stop"), "Sound test while playing: normal, over, down, disabled.")


@skin
def btn_selfile():
    return strip(26, 26, icon_button("folder"), "Choose a sound file: normal, over, down, disabled.")


def hover_button(glyph_name):
    """The small buttons floating over the hovered list row (25 x 29)."""
    w, h = 25, 29
    g = lambda c: place(glyph_name, c, 4.5, 6.5, 16, 1.8)
    return [
        g(GREY),
        rrect(0.5, 2.5, w - 1, h - 5, 4, WHITE, SKY) + g(BLUE),
        rrect(0.5, 2.5, w - 1, h - 5, 4, BLUE, BLUE) + g(WHITE),
        g(DIS_FG),
    ]


@skin
def btn_recover():
    return strip(25, 29, hover_button("undo"), "Row button 'Modify and Recover': normal, over, down, disabled.")


@skin
def btn_finish():
    return strip(25, 29, hover_button("check"), "Row button 'Mark as finished': normal, over, down, disabled.")


@skin
def btn_delete():
    return strip(25, 29, hover_button("trash"), "Row button 'Delete': normal, over, down, disabled.")


@skin
def btn_details():
    return strip(25, 29, hover_button("pencil"), "Row button 'Details': normal, over, down, disabled.")


def link_button(glyph_name):
    """Bottom-bar link buttons on the slate window colour (20 x 16)."""
    g = lambda c: place(glyph_name, c, 2.5, 0.5, 15, 1.5)
    return [g(SLATE_FG), g(WHITE), g(SKY), g("#6E767F")]


@skin
def link_social():
    return strip(20, 16, link_button("thumb"), "Link to the social page: normal, over, down, disabled.")


@skin
def link_micro():
    return strip(20, 16, link_button("bubble"), "Link to the short-message page: normal, over, down, disabled.")


@skin
def link_mail():
    return strip(20, 16, link_button("mail"), "Share by mail: normal, over, down, disabled.")


@skin
def link_home():
    return strip(20, 16, link_button("home"), "Link to the home page: normal, over, down, disabled.")


def tab_frames(glyph_name):
    """The two list-mode buttons of the left panel (203 x 40), on the slate window colour:
    normal, over, down (also shown while selected). The selected frame carries a notch that
    points at the white list panel."""
    w, h = 203, 40
    g = lambda c: place(glyph_name, c, 14, 11, 18, 1.7)
    notch = f'<path d="M{w} {h / 2 - 7}l-7 7 7 7z" fill="{WHITE}"/>'
    return [
        g(SLATE_FG),
        f'<rect width="{w}" height="{h}" fill="{SLATE_HI}"/>' + g(WHITE),
        f'<rect width="{w}" height="{h}" fill="{BLUE}"/><rect width="3" height="{h}" fill="{SKY}"/>' + g(WHITE) + notch,
    ]


@skin
def tab_unfinished():
    return strip(203, 40, tab_frames("clock"), "List mode 'Unfinished': normal, over, down/selected; white caption shifted left.")


@skin
def tab_completed():
    return strip(203, 40, tab_frames("check_circle"), "List mode 'Completed': normal, over, down/selected; white caption shifted left.")


# ---------------------------------------------------------------------------------------------
# Lists.

@skin
def list_item():
    w, h = 20, 50
    over = f'<rect width="{w}" height="{h}" fill="{SKY_BG}"/>'
    sel = f'<rect width="{w}" height="{h}" fill="{SKY_BG2}"/><rect width="3" height="{h}" fill="{BLUE}"/>'
    return strip(w, h, [over, sel], "Reminder list rows (20 x 50, split 5/15): over, down/selected.")


@skin
def notice_item():
    w, h = 20, 44
    over = f'<rect width="{w}" height="{h}" fill="{SKY_BG}"/>'
    sel = f'<rect width="{w}" height="{h}" fill="{SKY_BG2}"/><rect width="3" height="{h}" fill="{BLUE}"/>'
    return strip(w, h, [over, sel], "Notice list rows (20 x 44, split 5/15): over, selected.")


@skin
def sel_box():
    return single(4, 4, f'<rect width="4" height="4" fill="{SKY}" fill-opacity="0.35"/>',
                  "Rubber-band selection, stretched: translucent light blue.")


@skin
def notice_check():
    """The per-row 'got it' tick of the notice list (20 x 20): unchecked, checked, unchecked
    under the mouse, checked under the mouse."""
    def ring(stroke, fill, tick):
        return (f'<circle cx="10" cy="10" r="8.5" fill="{fill}" stroke="{stroke}" stroke-width="1.2"/>'
                + place("check", tick, 3, 3, 14, 1.8))
    return strip(20, 20, [ring(BORDER, WHITE, SEP), ring(BLUE, BLUE, WHITE),
                          ring(BLUE, SKY_BG, BLUE), ring(BLUE_LO, BLUE_LO, WHITE)],
                 "Notice row tick: unchecked, checked, unchecked hot, checked hot.")


@skin
def chk_box():
    """Editor check boxes (14 x 14): unchecked/checked in the states normal, over, down, disabled."""
    def box(fill, stroke, tick=None):
        b = rrect(0.5, 0.5, 13, 13, 3, fill, stroke)
        if tick:
            b += place("check", tick, 1, 1, 12, 1.8)
        return b
    frames = [box(WHITE, BORDER), box(BLUE, BLUE, WHITE),
              box(SKY_BG, BLUE), box(BLUE_HI, BLUE_HI, WHITE),
              box(SKY_BG2, BLUE_LO), box(BLUE_LO, BLUE_LO, WHITE),
              box(DIS_BG, SEP), box(SEP, SEP, WHITE)]
    return strip(14, 14, frames, "Check box: unchecked/checked x normal, over, down, disabled.")


# ---------------------------------------------------------------------------------------------
# Combo box.

@skin
def combo_box():
    w, h = 20, 26
    frames = [rrect(0.5, 0.5, w - 1, h - 1, 3, WHITE, BORDER),
              rrect(0.5, 0.5, w - 1, h - 1, 3, WHITE, SKY),
              rrect(0.5, 0.5, w - 1, h - 1, 3, SKY_BG, BLUE),
              rrect(0.5, 0.5, w - 1, h - 1, 3, DIS_BG, SEP)]
    return strip(w, h, frames, "Combo box (20 x 26, split 4/16): normal, hot, pressed, disabled.")


@skin
def combo_btn():
    g = lambda c: place("chev_down", c, 4, 4, 14, 1.8)
    return strip(22, 22, [g(GREY), g(BLUE), g(BLUE_LO), g(DIS_FG)],
                 "Combo drop button (22 x 22): normal, hot, pressed, disabled.")


@skin
def combo_item():
    return single(10, 22, rrect(0, 0, 10, 22, 2, BLUE), "Combo list row under the mouse (10 x 22, split 3/7): blue, white text.")


# ---------------------------------------------------------------------------------------------
# Scroll bars (vertical, 12 wide).

SB_W = 12


def sb_button(glyph_name, h=12, top=0):
    w = SB_W
    g = lambda c: place(glyph_name, c, 1, top, 10, 1.6)
    tile = lambda c: f'<rect x="1" y="{top + 1}" width="10" height="10" rx="2" fill="{c}"/>'
    return [g("#9AA1A9"), tile(SKY_BG2) + g(BLUE), tile(BLUE) + g(WHITE), g(SEP)]


@skin
def sb_up():
    return strip(SB_W, 12, sb_button("chev_up"), "Scroll bar top button: normal, hover, pressed, disabled.")


@skin
def sb_down():
    return strip(SB_W, 12, sb_button("chev_down"), "Scroll bar bottom button: normal, hover, pressed, disabled.")


@skin
def sbn_up():
    # The notice list's bar runs its track 8 pixels under each button: the arrow takes the
    # outer 12 pixels, the inner 8 stay clear for the track.
    return strip(SB_W, 20, sb_button("chev_up"), "Notice scroll bar top button (arrow in the upper 12 rows).")


@skin
def sbn_down():
    return strip(SB_W, 20, sb_button("chev_down", 20, 8), "Notice scroll bar bottom button (arrow in the lower 12 rows).")


@skin
def sb_back():
    return strip(SB_W, 16, [f'<rect width="{SB_W}" height="16" fill="#F1F2F4"/>',
                            f'<rect width="{SB_W}" height="16" fill="#F8F8F9"/>'],
                 "Scroll bar track, stretched: normal, disabled.")


@skin
def sb_slider():
    def pill(c):
        return f'<rect x="2" y="1" width="8" height="20" rx="4" fill="{c}"/>'
    return strip(SB_W, 22, [pill("#C5CAD0"), pill("#A3AAB3"), pill(BLUE), pill("#E3E5E8")],
                 "Scroll bar slider (12 x 22, split 7/15): normal, hover, dragged, disabled.")


@skin
def sb_center():
    def grip(c, a):
        return "".join(f'<rect x="1" y="{y}" width="4" height="1" fill="{c}" fill-opacity="{a}"/>' for y in (1, 3, 5))
    return strip(6, 7, [grip(WHITE, 0.6), grip(WHITE, 0.8), grip(WHITE, 1.0), grip(WHITE, 0.4)],
                 "Grip drawn centred on the slider: normal, hover, dragged, disabled.")


# ---------------------------------------------------------------------------------------------
# Popup menu.

@skin
def menu_back():
    """Menu level background (36 x 21), cut at (16, 6) and (20, 15): a white card with a grey
    outline inside a soft shadow; the content area starts 7 pixels in."""
    w, h = 36, 21
    bx, by, bw, bh, r = 4, 3, 28, 15, 3
    body = shadow_rings(bx, by, bw, bh, r, 3, 0.045)
    body += rrect(bx + 0.5, by + 0.5, bw - 1, bh - 1, r - 0.5, WHITE, "#CDD1D6")
    return single(w, h, body, "Popup menu background, split (16, 6, 20, 15).")


@skin
def menu_item():
    w, h = 8, 25
    hot = rrect(0, 0, w, h, 2, SKY_BG2)
    down = rrect(0, 0, w, h, 2, SKY)
    sel = rrect(0, 0, w, h, 2, SKY_BG)
    return strip(w, h, [hot, down, sel], "Menu item backgrounds (8 x 25, split 2/5): hot, pressed, selected.")


@skin
def menu_line():
    return single(20, 7, f'<rect x="1" y="3" width="18" height="1" fill="{SEP}"/>', "Menu separator, stretched to the row.")


@skin
def menu_arrow():
    g = lambda c: place("chev_right", c, 0, 0, 10, 1.5)
    return strip(10, 10, [g(SLATE), g(BLUE), g(DIS_FG)], "Submenu arrow: normal, hot, disabled.")


@skin
def menu_check():
    g = lambda c: place("check", c, 1, 1, 14, 1.8)
    return strip(16, 16, [g(BLUE), g(DIS_FG)], "Menu check mark: enabled, disabled.")


@skin
def menu_radio():
    g = lambda c: place("dot", c, 0, 0, 16)
    return strip(16, 16, [g(BLUE), g(DIS_FG)], "Menu radio mark: enabled, disabled.")


@skin
def menu_updown():
    def btn(name, fg, bg):
        b = rrect(0, 0, 24, 12, 2, bg) if bg else ""
        return b + place(name, fg, 6, 0, 12, 1.6)
    frames = [btn("chev_up", GREY, None), btn("chev_up", BLUE, SKY_BG), btn("chev_up", WHITE, BLUE),
              btn("chev_down", GREY, None), btn("chev_down", BLUE, SKY_BG), btn("chev_down", WHITE, BLUE)]
    return strip(24, 12, frames, "Menu scroll buttons: up normal, hot, pressed; down normal, hot, pressed.")


# ---------------------------------------------------------------------------------------------
# Balloon hint.

@skin
def hint_back():
    """Balloon body (22 x 22), split (8, 8, 14, 14); 3-pixel transparent margin for the shadow."""
    body = shadow_rings(3, 3, 16, 16, 4, 3, 0.05) + rrect(3.5, 3.5, 15, 15, 3.5, "#FFFFFF", "#B9BFC7")
    return single(22, 22, body, "Balloon hint body, split (8, 8, 14, 14).")


@skin
def hint_arrow():
    """Six arrows (16 x 12): kinds 1..3 point up from the top edge, 4..6 down from the bottom edge.
    The 4 rows that overlap the body are white, hiding the body's outline under the arrow."""
    # The arrow leans toward the corner it stands at: kinds 1 and 4 have a straight left side,
    # kinds 3 and 6 a straight right side.
    edge = "#B9BFC7"

    def arrow(tip_x, down):
        if down:
            shape = f'<path d="M0.5 0.5L{tip_x} 8.5L15.5 0.5" fill="{WHITE}" stroke="{edge}" stroke-width="1"/>'
            cover = f'<rect x="1.5" y="0" width="13" height="3" fill="{WHITE}"/>'
        else:
            shape = f'<path d="M0.5 11.5L{tip_x} 3.5L15.5 11.5" fill="{WHITE}" stroke="{edge}" stroke-width="1"/>'
            cover = f'<rect x="1.5" y="9" width="13" height="3" fill="{WHITE}"/>'
        return shape + cover
    frames = [arrow(x, d) for d in (False, True) for x in (2.5, 8, 13.5)]
    return strip(16, 12, frames, "Balloon arrows: top-left, top, top-right, bottom-left, bottom, bottom-right.")


# ---------------------------------------------------------------------------------------------
# Message box icons.

@skin
def msg_icons():
    warn = (f'<path d="M20 4.5L37 34.5H3z" fill="{AMBER}" stroke="{AMBER}" stroke-width="3" stroke-linejoin="round"/>'
            f'<rect x="18.3" y="13" width="3.4" height="12" rx="1.7" fill="{WHITE}"/><circle cx="20" cy="29.5" r="2" fill="{WHITE}"/>')
    err = f'<circle cx="20" cy="20" r="17" fill="{RED}"/>' + place("cross", WHITE, 8, 8, 24, 3.2)
    info = (f'<circle cx="20" cy="20" r="17" fill="{BLUE}"/><circle cx="20" cy="12.5" r="2.3" fill="{WHITE}"/>'
            f'<rect x="18.2" y="17" width="3.6" height="13" rx="1.8" fill="{WHITE}"/>')
    ask = (f'<circle cx="20" cy="20" r="17" fill="{SKY}"/>'
           f'<path d="M15 15.5a5 5 0 1 1 7.2 4.5c-1.5.8-2.2 1.8-2.2 3.5v1" fill="none" stroke="{BLUE_LO}" stroke-width="3.4" stroke-linecap="round"/>'
           f'<circle cx="20" cy="29.5" r="2.1" fill="{BLUE_LO}"/>')
    return strip(40, 40, [warn, err, info, ask], "Message box icons: warning, error, information, confirmation.")


# ---------------------------------------------------------------------------------------------
# Pictures.

def alarm_clock(tilt, ring_side):
    """The notice dialog's alarm clock (96 x 83), tilted by `tilt` degrees, with ringing strokes
    on the given side (-1 left, 1 right, 0 none)."""
    cx, cy = 48, 46
    parts = [f'<g transform="rotate({tilt} {cx} {cy})">',
             # legs
             f'<path d="M30 70l-6 8M66 70l6 8" stroke="{SLATE}" stroke-width="5" stroke-linecap="round"/>',
             # bells and hammer
             f'<path d="M22 24a13 13 0 0 1 18-13z" fill="{SKY}" stroke="{BLUE}" stroke-width="2.5" stroke-linejoin="round"/>',
             f'<path d="M74 24a13 13 0 0 0-18-13z" fill="{SKY}" stroke="{BLUE}" stroke-width="2.5" stroke-linejoin="round"/>',
             f'<path d="M48 10v6" stroke="{SLATE}" stroke-width="4" stroke-linecap="round"/>',
             f'<circle cx="48" cy="8" r="3.5" fill="{SLATE}"/>',
             # body and face
             f'<circle cx="{cx}" cy="{cy}" r="29" fill="{BLUE}"/>',
             f'<circle cx="{cx}" cy="{cy}" r="23.5" fill="{WHITE}"/>']
    for k in range(12):
        a = k * 30
        ln = 4 if k % 3 == 0 else 2.2
        parts.append(f'<path d="M{cx} {cy - 21}v{ln}" stroke="{SLATE if k % 3 == 0 else GREY}" stroke-width="2" '
                     f'stroke-linecap="round" transform="rotate({a} {cx} {cy})"/>')
    parts += [f'<path d="M{cx} {cy}V{cy - 14}" stroke="{SLATE}" stroke-width="3" stroke-linecap="round"/>',
              f'<path d="M{cx} {cy}l10 6" stroke="{SLATE}" stroke-width="3" stroke-linecap="round"/>',
              f'<circle cx="{cx}" cy="{cy}" r="3" fill="{BLUE}"/>', '</g>']
    if ring_side:
        x0 = 88 if ring_side > 0 else 8
        s = 1 if ring_side > 0 else -1
        parts.append(f'<path d="M{x0 - 4 * s} 26q{4 * s} 6 0 12M{x0} 20q{6 * s} 12 0 24" fill="none" stroke="{SKY}" '
                     f'stroke-width="2.5" stroke-linecap="round"/>')
    return "".join(parts)


@skin
def clock0():
    return single(96, 83, alarm_clock(-7, -1), "Notice clock animation, picture 0 of 3.")


@skin
def clock1():
    return single(96, 83, alarm_clock(0, 0), "Notice clock animation, picture 1 of 3.")


@skin
def clock2():
    return single(96, 83, alarm_clock(7, 1), "Notice clock animation, picture 2 of 3.")


@skin
def about_picture():
    body = (f'<rect x="3" y="2" width="84" height="84" rx="18" fill="{SLATE}"/>'
            + bell(45, 17, 50, WHITE)
            + f'<circle cx="66" cy="22" r="10" fill="{SKY}" stroke="{SLATE}" stroke-width="3"/>'
            + f'<path d="M62 22.5l3 3 5.5-6" fill="none" stroke="{BLUE_LO}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>')
    return single(90, 88, body, "About window: the product picture.")


@skin
def empty_unfinished():
    """Empty unfinished list, picture 0 (left of the hint text): a calendar page with a bell."""
    w, h = 130, 120
    body = (rrect(10.5, 18.5, 100, 92, 8, WHITE, SEP)
            + f'<path d="M10.5 26.5a8 8 0 0 1 8-8h84a8 8 0 0 1 8 8v14h-100z" fill="{SKY}"/>'
            + f'<path d="M34 12v14M86 12v14" stroke="{BLUE}" stroke-width="5" stroke-linecap="round"/>')
    for row in range(3):
        for col in range(5):
            x, y = 22 + col * 16, 52 + row * 16
            c = SKY_BG2 if (row, col) != (1, 2) else SKY
            body += f'<rect x="{x}" y="{y}" width="11" height="10" rx="2" fill="{c}"/>'
    body += (f'<circle cx="104" cy="96" r="20" fill="{BLUE}" stroke="{WHITE}" stroke-width="3"/>'
             + bell(104, 84, 22, WHITE))
    return single(w, h, body, "Empty unfinished list: calendar with a bell (picture 0).")


@skin
def empty_arrow():
    """Empty unfinished list, picture 1 (top right): a dashed arrow up to the 'New' button."""
    w, h = 70, 64
    body = (f'<path d="M8 60C12 32 30 16 58 10" fill="none" stroke="{SKY}" stroke-width="3" '
            f'stroke-dasharray="6 5" stroke-linecap="round"/>'
            f'<path d="M47 4l13 6-9 11" fill="none" stroke="{SKY}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>')
    return single(w, h, body, "Empty unfinished list: arrow towards the New button (picture 1).")


@skin
def empty_completed():
    """Empty completed list, picture 2: a clipboard with a tick."""
    w, h = 110, 110
    body = (rrect(20.5, 14.5, 70, 88, 8, WHITE, SEP)
            + rrect(38, 8, 34, 14, 5, SKY)
            + "".join(f'<rect x="34" y="{y}" width="{42 if i % 2 == 0 else 30}" height="4" rx="2" fill="{SKY_BG2}"/>'
                      for i, y in enumerate((34, 46, 58)))
            + f'<circle cx="76" cy="84" r="19" fill="{SKY}" stroke="{WHITE}" stroke-width="3"/>'
            + place("check", WHITE, 64, 72, 24, 3.5))
    return single(w, h, body, "Empty completed list: clipboard with a tick (picture 2).")


# ---------------------------------------------------------------------------------------------

def main(names):
    os.makedirs(OUT, exist_ok=True)
    chosen = names or sorted(SKINS)
    for n in chosen:
        if n not in SKINS:
            sys.exit(f"unknown skin {n}")
        with open(os.path.join(OUT, n + ".svg"), "w", encoding="utf-8", newline="\n") as f:
            f.write(SKINS[n]())
    print(f"wrote {len(chosen)} skin(s) to {OUT}")


if __name__ == "__main__":
    main(sys.argv[1:])

#!/usr/bin/python3
"""Draws the client's window artwork: backgrounds, button faces, link bitmaps
and the check-box icons, plus client/res/artwork.rc that numbers them and
client/res/artwork_ids.h that names the numbers (IDB_ bitmaps, IDI_ icons).

Shapes and text go through ImageMagick's convert with NanumGothic; bitmaps are
written as 24-bit BMPs, icons as single-image 32-bit .ico files assembled
here (convert only renders their pixels). The output is committed; run this
again after changing a colour, a text or a layout, then look at the window
previews it can write:

    tools/assets/make-artwork.py [--sheet build/artwork]

Standard library only. The programs' own icons come from make-icons.sh,
which this script runs at the end.
"""

import argparse
import functools
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "client", "res")


def font_file(pattern):
    return subprocess.run(["fc-match", "-f", "%{file}", pattern], check=True, capture_output=True,
                          text=True).stdout


REGULAR = font_file("NanumGothic:regular")
BOLD = font_file("NanumGothic:bold")

# Palette.
TEAL = "rgb(0,169,157)"
TEAL_DARK = "rgb(0,138,128)"
TEAL_LIGHT = "rgb(230,246,245)"
GREEN = "rgb(39,174,96)"
WHITE = "rgb(255,255,255)"
INK = "rgb(51,51,51)"
INK_SOFT = "rgb(85,85,85)"
GREY_TEXT = "rgb(119,119,119)"
GREY_FAINT = "rgb(170,176,181)"
LINE = "rgb(223,227,230)"
FRAME = "rgb(200,206,211)"
PANEL = "rgb(246,247,248)"
FIELD = "rgb(244,244,244)"
FIELD_LINE = "rgb(226,226,226)"
SIDE = "rgb(238,241,243)"
BUTTON_GREY = "rgb(144,153,161)"
BUTTON_FADED = "rgb(222,226,229)"


def run(args, **kw):
    return subprocess.run(["convert"] + args, check=True, capture_output=True, **kw).stdout


@functools.lru_cache(maxsize=None)
def ink(text, size, bold):
    """Ink box of `text` relative to its pen origin: (left, top, width, height)."""
    ox, oy = 100, 80
    box = run(["-size", "700x140", "xc:black", "-font", BOLD if bold else REGULAR, "-pointsize",
               str(size), "-fill", "white", "-annotate", f"+{ox}+{oy}", text, "-format", "%@",
               "info:"]).decode()
    dims, x, y = box.split("+")
    w, h = (int(v) for v in dims.split("x"))
    return int(x) - ox, int(y) - oy, w, h


def has_hangul(text):
    return any("\uac00" <= c <= "\ud7a3" for c in text)


class Canvas:
    """A picture described as one convert command line."""

    def __init__(self, w, h, bg="none"):
        self.w, self.h = w, h
        self.ops = ["-size", f"{w}x{h}", f"xc:{bg}"]

    def rect(self, x, y, w, h, color):
        self.ops += ["+antialias", "-stroke", "none", "-fill", color, "-draw",
                     f"rectangle {x},{y} {x + w - 1},{y + h - 1}"]

    def rrect(self, x, y, w, h, r, color, border=None):
        """Rounded rectangle covering x..x+w-1; a border is one pixel inside that."""
        def one(x0, y0, x1, y1, rr, c):
            if rr <= 0:
                self.rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, c)
            else:
                self.ops += ["-antialias", "-stroke", "none", "-fill", c, "-draw",
                             f"roundrectangle {x0},{y0} {x1},{y1} {rr},{rr}"]
        if border:
            one(x, y, x + w - 1, y + h - 1, r, border)
            one(x + 1, y + 1, x + w - 2, y + h - 2, max(r - 1, 0), color)
        else:
            one(x, y, x + w - 1, y + h - 1, r, color)

    def hline(self, x, y, w, color):
        self.rect(x, y, w, 1, color)

    def vline(self, x, y, h, color):
        self.rect(x, y, 1, h, color)

    def dotted(self, x, y, w, color):
        for i in range(x, x + w, 2):
            self.rect(i, y, 1, 1, color)

    def polygon(self, points, color):
        pts = " ".join(f"{px},{py}" for px, py in points)
        self.ops += ["-antialias", "-stroke", "none", "-fill", color, "-draw", f"polygon {pts}"]

    def stroke(self, points, color, width):
        pts = " ".join(f"{px},{py}" for px, py in points)
        self.ops += ["-antialias", "-fill", "none", "-stroke", color, "-strokewidth", str(width),
                     "-draw", f"polyline {pts}", "-stroke", "none"]

    def circle(self, cx, cy, r, color, width=None):
        if width:
            self.ops += ["-antialias", "-fill", "none", "-stroke", color, "-strokewidth", str(width),
                         "-draw", f"circle {cx},{cy} {cx + r},{cy}", "-stroke", "none"]
        else:
            self.ops += ["-antialias", "-stroke", "none", "-fill", color, "-draw",
                         f"circle {cx},{cy} {cx + r},{cy}"]

    def text(self, s, x, y, w, h, size, color, bold=True, align="center", spacing=0):
        """Text in the box (x, y, w, h): aligned across, ink centred down.

        Lines of Hangul share the ink height of one syllable, so captions of one
        size sit on one baseline whatever their letters.
        """
        left, top, iw, ih = ink(s, size, bold)
        if has_hangul(s):
            _, top, _, ih = ink("가", size, bold)
        if align == "left":
            px = x - left
        elif align == "right":
            px = x + w - iw - left
        else:
            px = x + (w - iw) // 2 - left
        py = y + (h - ih + 1) // 2 - top
        self.ops += ["-antialias", "-stroke", "none", "-font", BOLD if bold else REGULAR,
                     "-pointsize", str(size), "-kerning", str(spacing), "-fill", color,
                     "-annotate", f"+{px}+{py}", s, "-kerning", "0"]

    def compose(self, other, x, y):
        """Draws another canvas (with transparency) at (x, y)."""
        self.ops += ["(", *other.ops, ")", "-geometry", f"+{x}+{y}", "-composite"]

    def save_bmp(self, path):
        run(self.ops + ["-alpha", "off", "-type", "TrueColor", f"BMP3:{path}"])

    def rgba(self):
        return run(self.ops + ["-depth", "8", "RGBA:-"])


def write_ico(path, w, h, rgba):
    """A one-image icon file: 32-bit colour with alpha plus the 1-bit mask."""
    rows = [rgba[r * w * 4:(r + 1) * w * 4] for r in range(h)]
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for row in reversed(rows):  # DIBs run bottom-up
        for i in range(w):
            r, g, b, a = row[i * 4:i * 4 + 4]
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for i in range(w):
            if row[i * 4 + 3] < 64:  # transparent where the alpha is faint
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


# --------------------------------------------------------------------------
# Resource table: id -> (kind, file name, (width, height)). Filled by the
# drawing functions below; the .rc is written from it.
RESOURCES = {}
PICTURES = {}  # file name -> canvas, for the contact sheet and the writer


def bitmap(res_id, name, canvas, symbol=None):
    """`symbol` names the id where the picture already has one under another id."""
    add_resource(res_id, "BITMAP", name + ".bmp", canvas, symbol or "IDB_" + name.upper())


def icon(res_id, name, canvas):
    add_resource(res_id, "ICON", name + ".ico", canvas, "IDI_" + name.upper())


def add_resource(res_id, kind, file_name, canvas, symbol):
    assert res_id not in RESOURCES, res_id
    assert symbol not in (s for _, _, _, s in RESOURCES.values()), symbol
    if file_name in PICTURES:
        assert PICTURES[file_name] is canvas, file_name
    RESOURCES[res_id] = (kind, file_name, (canvas.w, canvas.h), symbol)
    PICTURES[file_name] = canvas


# ---- small shared pieces -------------------------------------------------

def title_glyph(kind, hover, bg):
    """12 by 12 minimise dash or close cross for a teal title bar."""
    c = Canvas(12, 12, bg)
    if hover:
        c.rrect(0, 0, 12, 12, 2, TEAL_DARK)
    if kind == "minimize":
        c.rect(2, 7, 8, 2, WHITE)
    else:
        c.stroke([(2.5, 2.5), (9.5, 9.5)], WHITE, 1.6)
        c.stroke([(9.5, 2.5), (2.5, 9.5)], WHITE, 1.6)
    return c


def outlined_button(w, h, label, size, bg, hover, gap_right=0, teal_text=False):
    """White face with a thin frame; hover turns frame and text teal."""
    c = Canvas(w, h, bg)
    c.rrect(0, 0, w - gap_right, h, 3, WHITE, TEAL if hover else FRAME)
    colour = TEAL if hover or teal_text else INK_SOFT
    c.text(label, 0, 0, w - gap_right, h, size, colour)
    return c


def filled_button(w, h, label, size, bg, fill, text_colour=WHITE, radius=3):
    c = Canvas(w, h, bg)
    c.rrect(0, 0, w, h, radius, fill)
    c.text(label, 0, 0, w, h, size, text_colour)
    return c


def down_arrow(c, cx, cy, colour):
    c.polygon([(cx - 4, cy - 2), (cx + 4, cy - 2), (cx, cy + 2.5)], colour)


# ---- login window ---------------------------------------------------------

LOGIN_W, LOGIN_H = 351, 431
LOGIN_HEADER = 158


def login_window():
    c = Canvas(LOGIN_W, LOGIN_H, WHITE)
    c.rect(0, 0, LOGIN_W, LOGIN_HEADER, TEAL)
    # Product mark: a ring with a key hole, then the name.
    c.circle(175, 70, 19, WHITE, 3)
    c.circle(175, 66, 4.5, WHITE)
    c.polygon([(172, 68), (178, 68), (179.5, 79), (170.5, 79)], WHITE)
    c.text("Tarvo", 0, 98, LOGIN_W, 30, 26, WHITE)
    c.text("VPN", 0, 128, LOGIN_W, 12, 10, "rgb(178,230,226)", spacing=3)
    # Field boxes around the edit controls at (92,197) and (92,236), 136 by 15.
    for label, y in (("아이디", 190), ("비밀번호", 229)):
        c.text(label, 30, y, 52, 30, 11, INK_SOFT, bold=False, align="right")
        c.rrect(87, y, 145, 30, 3, FIELD, FIELD_LINE)
    c.vline(206, 372, 9, LINE)  # between the two links at y 371
    c.text("© Tarvo", 0, 404, LOGIN_W, 12, 10, GREY_FAINT, bold=False)
    frame_rounded(c, LOGIN_W, LOGIN_H)
    bitmap(129, "login_background", c)

    close, close_hover = title_glyph("close", False, TEAL), title_glyph("close", True, TEAL)
    minimize, minimize_hover = title_glyph("minimize", False, TEAL), title_glyph("minimize", True, TEAL)
    bitmap(178, "title_close", close)
    bitmap(157, "title_close_hover", close_hover)
    bitmap(139, "title_minimize", minimize)
    bitmap(138, "title_minimize_hover", minimize_hover)

    bitmap(173, "login_signin", filled_button(241, 44, "로그인", 15, WHITE, TEAL, radius=4))
    bitmap(166, "login_signin_hover", filled_button(241, 44, "로그인", 15, WHITE, TEAL_DARK, radius=4))

    find = Canvas(104, 10, WHITE)
    find.text("아이디/비밀번호 찾기", 0, 0, 104, 10, 10, GREY_TEXT, bold=False)
    bitmap(150, "login_find_id", find)
    join = Canvas(42, 10, WHITE)
    join.text("회원가입", 0, 0, 42, 10, 10, TEAL)
    bitmap(140, "login_join", join)

    for on_id, off_id, name, w, h, label in (
            (184, 183, "check_save_id", 52, 16, "ID 저장"),
            (180, 179, "check_autologin", 90, 19, "자동로그인"),
            (182, 181, "check_run_at_startup", 133, 19, "윈도우 시작시 실행")):
        icon(on_id, name + "_on", check_box_icon(w, h, label, True))
        icon(off_id, name + "_off", check_box_icon(w, h, label, False))


def frame_rounded(c, w, h):
    """A hairline along the rounded window shape (corner ellipses 15 by 15)."""
    c.ops += ["-antialias", "-fill", "none", "-stroke", FRAME, "-strokewidth", "1", "-draw",
              f"roundrectangle 0,0 {w - 1},{h - 1} 7,7", "-stroke", "none"]


def check_box_icon(w, h, label, on):
    """Square box with a tick, then the caption; transparent around."""
    c = Canvas(w, h)
    box = 11
    y = (h - box) // 2
    if on:
        c.rrect(0, y, box, box, 2, TEAL)
        c.stroke([(2.5, y + 5.5), (4.5, y + 7.7), (8.5, y + 3.2)], WHITE, 1.5)
    else:
        c.rrect(0, y, box, box, 2, WHITE, "rgb(176,184,190)")
    c.text(label, box + 4, 0, w - box - 4, h, 11, INK_SOFT, bold=False, align="left")
    return c


# ---- session window --------------------------------------------------------

SESSION_W, SESSION_H = 685, 380
LEFT_W = 335  # the left panel; the strip buttons follow at x 335..349
HEADER_H = 46


def session_window():
    c = Canvas(SESSION_W, SESSION_H, WHITE)
    c.rect(0, 0, LEFT_W, HEADER_H, TEAL)
    c.circle(24, 23, 8, WHITE, 2)
    c.circle(24, 21, 2.2, WHITE)
    c.polygon([(22.6, 22), (25.4, 22), (26.2, 27.5), (21.8, 27.5)], WHITE)
    c.text("Tarvo", 38, 8, 120, 30, 18, WHITE, align="left")

    # Panel heading beside the logout and settings buttons (y 60..81).
    c.rect(16, 64, 3, 14, TEAL)
    c.text("연결상태정보", 25, 60, 150, 22, 13, INK, align="left")
    # Account table: caption cells left of the labels at x 96, rows centred on
    # the labels at y 103, 128, 153 and 178 (15 high).
    top, bottom = 91, 204
    c.rrect(10, top, 316, bottom - top, 3, WHITE, LINE)
    c.rect(11, top + 1, 78, bottom - top - 2, PANEL)
    c.vline(89, top + 1, bottom - top - 2, LINE)
    for y in (121, 146, 171):
        c.hline(11, y, 314, LINE)
    for caption, label_y in (("상품", 103), ("아이디", 128), ("IP정보", 153), ("남은기간", 178)):
        c.circle(21, label_y + 7, 1.6, TEAL)
        c.text(caption, 28, label_y, 60, 15, 11, INK_SOFT, align="left")

    # Connection mark left of the connect and disconnect buttons (y 216..249).
    c.circle(50, 233, 16, TEAL, 2.5)
    c.text("VPN", 34, 225, 33, 16, 10, TEAL)
    # Separator above the banner, then the banner's bed (8, 263, 319, 109).
    c.hline(8, 256, 319, LINE)
    c.rrect(7, 262, 321, 111, 2, PANEL, LINE)

    # Right side: a grey bed with the notice panel's white frame around the
    # browser at (367, 17, 301, 346).
    c.rect(350, 0, SESSION_W - 350, SESSION_H, SIDE)
    c.vline(350, 0, SESSION_H, "rgb(214,219,223)")
    c.rrect(361, 11, 313, 358, 4, WHITE, "rgb(214,219,223)")
    bitmap(141, "session_background", c)

    for res_id, name, label, hover in ((172, "session_logout", "로그아웃", False),
                                       (142, "session_logout_hover", "로그아웃", True)):
        bitmap(res_id, name, outlined_button(58, 22, label, 11, WHITE, hover, gap_right=1))
    for res_id, name, label, hover in ((160, "session_settings", "환경설정", False),
                                       (158, "session_settings_hover", "환경설정", True)):
        bitmap(res_id, name, outlined_button(58, 22, label, 11, WHITE, hover))

    def service(w, label, hover):
        b = Canvas(w, 22, WHITE)
        b.rrect(0, 0, w, 22, 3, TEAL if hover else WHITE, TEAL)
        b.text(label, 0, 0, w, 22, 11, WHITE if hover else TEAL)
        return b
    bitmap(135, "session_extend", service(118, "사용기간 연장하기", False))
    bitmap(134, "session_extend_hover", service(118, "사용기간 연장하기", True))
    bitmap(133, "session_apply", service(108, "서비스 신청하기", False))
    bitmap(132, "session_apply_hover", service(108, "서비스 신청하기", True))

    for base, label, (normal, hover, disabled) in (("session_connect", "접속", (164, 161, 147)),
                                                   ("session_disconnect", "해제", (154, 162, 167))):
        bitmap(normal, base, filled_button(116, 34, label, 15, WHITE, BUTTON_GREY, radius=4))
        bitmap(hover, base + "_hover", filled_button(116, 34, label, 15, WHITE, GREEN, radius=4))
        bitmap(disabled, base + "_disabled",
               filled_button(116, 34, label, 15, WHITE, BUTTON_FADED, "rgb(247,248,249)", radius=4))

    bitmap(148, "session_collapse", strip("left"))
    bitmap(137, "session_expand", strip("right"))


def strip(direction):
    c = Canvas(15, SESSION_H, "rgb(229,233,236)")
    c.vline(0, 0, SESSION_H, "rgb(214,219,223)")
    cx, cy = 7.5, SESSION_H // 2
    if direction == "left":
        c.polygon([(cx + 2, cy - 5), (cx + 2, cy + 5), (cx - 3, cy)], "rgb(112,121,128)")
    else:
        c.polygon([(cx - 2, cy - 5), (cx - 2, cy + 5), (cx + 3, cy)], "rgb(112,121,128)")
    return c


# ---- settings window --------------------------------------------------------

SETTINGS_W, SETTINGS_H = 335, 315
SETTINGS_TITLE = 30
FOOTER_Y = 250


def settings_window():
    c = Canvas(SETTINGS_W, SETTINGS_H, WHITE)
    c.rect(0, 0, SETTINGS_W, SETTINGS_TITLE, TEAL)
    c.text("환경설정", 14, 0, 150, SETTINGS_TITLE, 12, WHITE, align="left")
    # Left column with the section captions.
    c.rect(0, SETTINGS_TITLE, 100, FOOTER_Y - SETTINGS_TITLE, PANEL)
    c.vline(100, SETTINGS_TITLE, FOOTER_Y - SETTINGS_TITLE, LINE)
    c.hline(0, 143, SETTINGS_W, LINE)
    c.text("환경설정", 16, 45, 84, 19, 12, INK, align="left")
    c.text("네트워크 정보", 16, 162, 84, 29, 12, INK, align="left")
    c.hline(0, FOOTER_Y, SETTINGS_W, LINE)
    c.rect(0, FOOTER_Y + 1, SETTINGS_W, SETTINGS_H - FOOTER_Y - 1, PANEL)
    frame_rounded(c, SETTINGS_W, SETTINGS_H)
    bitmap(145, "settings_background", c)

    # The close mark sits on the same teal as the other title bars.
    bitmap(177, "title_close", PICTURES["title_close.bmp"], "IDB_SETTINGS_CLOSE")
    bitmap(176, "title_close_hover", PICTURES["title_close_hover.bmp"], "IDB_SETTINGS_CLOSE_HOVER")

    def wide(label, hover, arrow):
        b = outlined_button(158, 29, label, 12, WHITE, hover)
        if arrow:
            b.ops = Canvas(158, 29, WHITE).ops
            b.rrect(0, 0, 158, 29, 3, WHITE, TEAL if hover else FRAME)
            colour = TEAL if hover else INK_SOFT
            b.text(label, 0, 0, 142, 29, 12, colour)
            b.vline(136, 7, 15, TEAL if hover else LINE)
            down_arrow(b, 147, 14, colour)
        return b
    bitmap(130, "settings_router", wide("공유기 설정", False, False))
    bitmap(136, "settings_router_hover", wide("공유기 설정", True, False))
    bitmap(143, "settings_wincontrol", wide("Win 컨트롤", False, True))
    bitmap(131, "settings_wincontrol_hover", wide("Win 컨트롤", True, True))

    bitmap(163, "settings_ok", filled_button(71, 27, "확인", 12, PANEL, TEAL))
    bitmap(152, "settings_ok_hover", filled_button(71, 27, "확인", 12, PANEL, TEAL_DARK))
    bitmap(156, "settings_cancel", outlined_button(71, 27, "취소", 12, PANEL, False))
    bitmap(146, "settings_cancel_hover", outlined_button(71, 27, "취소", 12, PANEL, True))

    for on_id, off_id, name, w, label in ((188, 189, "toggle_save_id", 95, "아이디 저장"),
                                          (190, 185, "toggle_autologin", 90, "자동로그인"),
                                          (186, 187, "toggle_run_at_startup", 131, "윈도우 시작시 실행")):
        icon(on_id, name + "_on", toggle_icon(w, 19, label, True))
        icon(off_id, name + "_off", toggle_icon(w, 19, label, False))


def toggle_icon(w, h, label, on):
    """Switch (teal with the knob right when on), then the caption."""
    c = Canvas(w, h)
    sw, sh = 26, 14
    y = (h - sh) // 2
    c.rrect(0, y, sw, sh, 7, TEAL if on else "rgb(200,206,211)")
    knob_x = sw - 7 if on else 7
    c.circle(knob_x - 0.5, y + 6.5, 5, WHITE)
    c.text(label, sw + 6, 0, w - sw - 6, h, 12, INK_SOFT, bold=False, align="left")
    return c


# ---- tools window -------------------------------------------------------------

def tools_window():
    c = Canvas(158, 147, WHITE)
    c.rect(0, 0, 158, 147, FRAME)
    c.rect(1, 1, 156, 145, WHITE)
    c.hline(8, 34, 142, LINE)
    bitmap(165, "tools_background", c)
    bitmap(171, "settings_wincontrol_hover", PICTURES["settings_wincontrol_hover.bmp"], "IDB_TOOLS_HEADER")

    entries = ((175, 151, "tools_cmd", "CMD 콘솔창"),
               (159, 155, "tools_regedit", "레지스트리 편집기"),
               (153, 169, "tools_network", "네트워크 연결"),
               (168, 170, "tools_security", "보안 센터"),
               (149, 174, "tools_services", "윈도우 서비스"))
    for normal, hover, name, label in entries:
        bitmap(normal, name, tools_entry(label, False))
        bitmap(hover, name + "_hover", tools_entry(label, True))


def tools_entry(label, hover):
    c = Canvas(156, 20, TEAL_LIGHT if hover else WHITE)
    if hover:
        c.rect(0, 0, 2, 20, TEAL)
    c.polygon([(11, 6.5), (11, 13.5), (14.5, 10)], TEAL if hover else GREY_FAINT)
    c.text(label, 21, 0, 130, 20, 11, TEAL_DARK if hover else INK_SOFT, bold=hover, align="left")
    return c


# ---- output ------------------------------------------------------------------

def write_listing(path, head, line):
    """`head`, then line(res_id, kind, file_name, width, height, symbol) for each resource by id."""
    lines = list(head)
    for res_id in sorted(RESOURCES):
        kind, file_name, (w, h), symbol = RESOURCES[res_id]
        lines.append(line(res_id, kind, file_name, w, h, symbol))
    with open(path, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


def write_rc(path):
    write_listing(path, ["// Bitmaps and icons of the client's windows, named in artwork_ids.h.",
                         "// Generated by tools/assets/make-artwork.py; paths are relative to the repository root.",
                         "",
                         '#include "client/res/artwork_ids.h"',
                         ""],
                  lambda res_id, kind, file_name, w, h, symbol:
                  f'{symbol} {kind:<6} "client/res/{file_name}"  // {w} x {h}')


def write_ids(path):
    write_listing(path, ["#pragma once",
                         "// The ids of the client's bitmaps (IDB_) and icons (IDI_), as the windows load them.",
                         "// Generated by tools/assets/make-artwork.py with artwork.rc.",
                         ""],
                  lambda res_id, kind, file_name, w, h, symbol:
                  f"#define {symbol:<32} {res_id}  // {file_name}, {w} x {h}")


# Where the windows place their controls (x, y, resource ids normal / lit),
# used only to preview the artwork in place.
MOCKUPS = {
    "login": (129, [(308, 14, 139, 138), (325, 14, 178, 157), (234, 198, 183, 184), (55, 281, 179, 180),
                    (165, 281, 181, 182), (54, 313, 173, 166), (93, 371, 150, 150), (215, 371, 140, 140)]),
    "session": (141, [(293, 14, 139, 138), (310, 14, 178, 157), (191, 60, 172, 142), (249, 60, 160, 158),
                      (188, 173, 135, 134), (93, 216, 164, 161), (213, 216, 154, 167), (335, 0, 148, 137)]),
    "session-no-service": (141, [(188, 173, 133, 132), (93, 216, 147, 147), (213, 216, 167, 162)]),
    "settings": (145, [(112, 45, 189, 188), (112, 75, 185, 190), (112, 105, 187, 186), (310, 9, 177, 176),
                       (113, 162, 130, 136), (113, 196, 143, 131), (92, 268, 163, 152),
                       (170, 268, 156, 146)]),
    "tools": (165, [(0, 1, 171, 171), (1, 39, 175, 151), (1, 59, 159, 155), (1, 79, 153, 169),
                    (1, 99, 168, 170), (1, 119, 149, 174)]),
}


def write_sheet(folder):
    """Each window twice (resting, then hovered or checked), at twice the size."""
    os.makedirs(folder, exist_ok=True)

    def layer(res_id):
        kind, file_name, _, _ = RESOURCES[res_id]
        path = os.path.join(RES, file_name)
        return f"ICO:{path}" if kind == "ICON" else path

    for name, (background, controls) in MOCKUPS.items():
        shots = []
        for lit in (False, True):
            ops = [layer(background)]
            for x, y, normal, hover in controls:
                ops += [layer(hover if lit else normal), "-geometry", f"+{x}+{y}", "-composite"]
            shots += ["(", *ops, ")"]
        run([*shots, "-bordercolor", "rgb(120,120,120)", "-border", "4", "+append", "-filter", "point",
             "-resize", "200%", os.path.join(folder, f"{name}.png")])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sheet", help="also write previews of the windows into this folder")
    parser.add_argument("--skip-program-icons", action="store_true",
                        help="leave tarvo.ico and tarvo_network.ico alone")
    args = parser.parse_args()

    login_window()
    session_window()
    settings_window()
    tools_window()

    for file_name, canvas in PICTURES.items():
        out = os.path.join(RES, file_name)
        if file_name.endswith(".bmp"):
            canvas.save_bmp(out)
        else:
            write_ico(out, canvas.w, canvas.h, canvas.rgba())
    write_rc(os.path.join(RES, "artwork.rc"))
    write_ids(os.path.join(RES, "artwork_ids.h"))
    if not args.skip_program_icons:
        subprocess.run([os.path.join(os.path.dirname(__file__), "make-icons.sh")], check=True)
    if args.sheet:
        write_sheet(args.sheet)
    print(f"{len(RESOURCES)} resources, {len(PICTURES)} files in {os.path.relpath(RES, ROOT)}")


if __name__ == "__main__":
    sys.exit(main())

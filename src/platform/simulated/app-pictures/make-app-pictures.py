#!/usr/bin/env python3
"""Draws the pictures of the simulated Mac's default applications: one glyph of the installed
bootstrap-icons set (Debian's package, MIT licence) in white on a gradient of the app's own
colours, as a 128 x 128 SVG named for the app's bundle identifier. The square's corners are
left square: the screens round them as they draw any app's picture.

    src/platform/simulated/app-pictures/make-app-pictures.py    (writes the pictures beside it)
"""
import os
import re

GLYPHS = "/usr/share/bootstrap-icons/svg"
HERE = os.path.dirname(os.path.abspath(__file__))

# bundle identifier: (glyph, top colour, bottom colour, glyph colour)
PICTURES = {
    "com.apple.finder": ("emoji-smile", "#6cc0ff", "#1f6fde", "#ffffff"),
    "com.apple.dock": ("window-dock", "#9a9aa2", "#4a4a52", "#ffffff"),
    "com.apple.systemevents": ("gear-wide-connected", "#8790a4", "#3c4456", "#ffffff"),
    "com.apple.launchpad.launcher": ("grid-3x3-gap-fill", "#a596ff", "#5a48d4", "#ffffff"),
    "com.apple.Notes": ("journal-text", "#ffd75e", "#e79a00", "#ffffff"),
    "com.apple.mail": ("envelope-fill", "#62c1ff", "#1b74ec", "#ffffff"),
    "com.apple.iCal": ("calendar-event", "#ff7a6e", "#d8322c", "#ffffff"),
    "com.apple.TextEdit": ("file-earmark-text", "#bcc3cf", "#69717f", "#ffffff"),
    "com.apple.systempreferences": ("gear-fill", "#a9adb5", "#585c64", "#ffffff"),
    "com.apple.Terminal": ("terminal-fill", "#4a4a4e", "#141416", "#ffffff"),
    "com.apple.Safari": ("compass", "#5fd0ff", "#0a76d2", "#ffffff"),
    "com.google.Chrome": ("globe2", "#4cd77a", "#198a43", "#ffffff"),
    "com.googlecode.iterm2": ("terminal", "#2b2d31", "#050506", "#4cf089"),
}


def glyph_body(name):
    text = open(os.path.join(GLYPHS, name + ".svg"), encoding="utf-8").read()
    return re.search(r"<svg[^>]*>(.*)</svg>", text, re.S).group(1).strip()


def picture(glyph, top, bottom, ink):
    return (
        '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">\n'
        '  <defs><linearGradient id="shade" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        "</linearGradient></defs>\n"
        '  <rect width="128" height="128" fill="url(#shade)"/>\n'
        f'  <g fill="{ink}" transform="translate(28 28) scale(4.5)">\n    {glyph_body(glyph)}\n  </g>\n'
        "</svg>\n"
    )


for identifier, (glyph, top, bottom, ink) in PICTURES.items():
    with open(os.path.join(HERE, identifier + ".svg"), "w", encoding="utf-8") as out:
        out.write(picture(glyph, top, bottom, ink))

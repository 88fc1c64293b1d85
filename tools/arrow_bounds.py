#!/usr/bin/env python3
"""Bounds of a TArrow for a layout file, from where its pipe starts.

A TArrow draws its line through the centre of its bounds, as long as the longer
side less 2 pixels, so placing a pipe by hand means working its bounds out
backwards. This prints the lines for a layout:

    tools/arrow_bounds.py X Y ANGLE LENGTH [--head]

X, Y     where the pipe starts (its tail), in the coordinates of its parent
ANGLE    degrees, counter-clockwise from "to the right" (90 is up, -90 down)
LENGTH   pixels from the tail to the tip
--head   with an arrowhead (EdgeLength 7); without, a plain line

It also prints where the tip lands, computed with the element's own rounding.
"""
import argparse
import math


def geometry(width, height, angle):
    # As TArrow paints: half length R, integer centre, truncation after adding 0.5.
    r = max(width, height) * 0.5 - 1
    cx, cy = width // 2, height // 2
    t = math.radians(angle)
    tail = (int(cx + r * math.cos(t + math.pi) + 0.5), int(cy - r * math.sin(t + math.pi) + 0.5))
    tip = (int(cx + r * math.cos(t) + 0.5), int(cy - r * math.sin(t) + 0.5))
    return tail, tip


def bounds(x, y, angle, length):
    t = math.radians(angle)
    c, s = abs(math.cos(t)), abs(math.sin(t))
    # The longer side carries the length; the other holds the slope, the pen
    # and the arrowhead (about 4 pixels either side of the line).
    if s < 1e-9:
        w, h = length + 2, 11
    elif c < 1e-9:
        w, h = 11, length + 2
    elif c >= s:
        w, h = length + 2, int(length * s) + 14
    else:
        w, h = int(length * c) + 14, length + 2
    tail, tip = geometry(w, h, angle)
    left, top = x - tail[0], y - tail[1]
    return left, top, w, h, (left + tip[0], top + tip[1])


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("x", type=int)
    p.add_argument("y", type=int)
    p.add_argument("angle", type=float)
    p.add_argument("length", type=int)
    p.add_argument("--head", action="store_true")
    a = p.parse_args()
    if a.length < 1:
        p.error("LENGTH must be at least 1")
    left, top, w, h, tip = bounds(a.x, a.y, a.angle, a.length)
    print(f"  Left = {left}\n  Top = {top}\n  Width = {w}\n  Height = {h}")
    if a.angle != 0:
        print(f"  Angle = {a.angle:g}")
    print(f"  EdgeLength = {7 if a.head else 0}")
    print(f"// tip at ({tip[0]}, {tip[1]})")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws Talvor's icon as SVG on standard output: the Bode magnitude of a second-order low-pass
(Q = 3) over a logarithmic grid. With --small, a bolder variant for 16 to 32 pixels."""
import math
import sys

SMALL = "--small" in sys.argv[1:]
X0, X1, Y0, Y1 = 20.0, 108.0, 20.0, 108.0  # the plot area in the 128 x 128 canvas
DECADES = (-1.5, 1.5)  # log10 of the normalised frequency across the plot
Q = 3.0


def x_of(log_w):
    return X0 + (X1 - X0) * (log_w - DECADES[0]) / (DECADES[1] - DECADES[0])


def y_of(db):
    return 46.0 - 0.9 * db


def magnitude_db(log_w):
    w = 10.0**log_w
    return -10.0 * math.log10((1.0 - w * w) ** 2 + (w / Q) ** 2)


def main():
    steps = 150
    points = []
    for i in range(steps + 1):
        log_w = DECADES[0] + (DECADES[1] - DECADES[0]) * i / steps
        points.append((x_of(log_w), y_of(magnitude_db(log_w))))
    curve = "M" + " L".join("%.2f,%.2f" % p for p in points)
    area = curve + " L%.2f,%.2f L%.2f,%.2f Z" % (X1, Y1, X0, Y1)

    minor, major = [], []
    for decade in range(-2, 2):
        for k in range(1, 10):
            log_w = decade + math.log10(k)
            if DECADES[0] < log_w < DECADES[1]:
                (major if k == 1 else minor).append(x_of(log_w))
    rows = [y_of(db) for db in (20, 0, -20, -40, -60)]
    verticals = lambda xs: " ".join("M%.2f,%.2fV%.2f" % (x, Y0, Y1) for x in xs)
    horizontals = " ".join("M%.2f,%.2fH%.2f" % (X0, y, X1) for y in rows)

    width = 9 if SMALL else 5
    minor_grid = "" if SMALL else (
        f'    <path stroke-opacity="0.18" stroke-width="1" d="{verticals(minor)}"/>\n')
    print(f"""<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">
  <title>Talvor</title>
  <defs>
    <linearGradient id="back" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#2c5282"/>
      <stop offset="1" stop-color="#14284a"/>
    </linearGradient>
    <linearGradient id="under" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#ffb703" stop-opacity="0.45"/>
      <stop offset="1" stop-color="#ffb703" stop-opacity="0.05"/>
    </linearGradient>
    <clipPath id="plot"><rect x="{X0:g}" y="{Y0:g}" width="{X1 - X0:g}" height="{Y1 - Y0:g}"/></clipPath>
  </defs>
  <rect x="4" y="4" width="120" height="120" rx="22" fill="url(#back)"/>
  <g fill="none" stroke="#dbe7f5">
{minor_grid}    <path stroke-opacity="{0.5 if SMALL else 0.38}" stroke-width="{3 if SMALL else 1.5}" d="{verticals(major)} {horizontals}"/>
  </g>
  <g clip-path="url(#plot)">
    <path fill="url(#under)" d="{area}"/>
    <path fill="none" stroke="#0d1b30" stroke-opacity="0.6" stroke-width="{width + 4}" stroke-linejoin="round" stroke-linecap="round" d="{curve}"/>
    <path fill="none" stroke="#ffb703" stroke-width="{width}" stroke-linejoin="round" stroke-linecap="round" d="{curve}"/>
  </g>
  <path fill="none" stroke="#dbe7f5" stroke-width="{4 if SMALL else 3}" stroke-linecap="square" d="M{X0:g},{Y0:g}V{Y1:g}H{X1:g}"/>
</svg>""")


main()

#!/usr/bin/env python3
"""Writes "Fast Sled 60ft.pol" from the model described in
"Fast Sled 60ft.txt". Run it from this folder after changing the model."""

import math

LWL_FT = 58.0
HULL_SPEED = 1.34 * math.sqrt(LWL_FT)  # knots

ANGLES = [30, 35, 40, 45, 50, 55, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180]
WIND_SPEEDS = list(range(6, 31, 2))

# Share of the sail plan's drive that pushes the boat forward, by true wind
# angle: little when pinching, most on a broad reach, less dead downwind
# where the main blankets the kite.
DRIVE = [(30, 0.36), (40, 0.62), (50, 0.80), (60, 0.92), (75, 0.98), (90, 1.00),
         (110, 1.04), (130, 1.06), (150, 0.98), (165, 0.86), (180, 0.74)]
# How readily the hull lifts onto the plane at that angle: not upwind, best
# on a broad reach, less on a run where the bow buries and the boat rolls.
PLANING = [(30, 0.0), (60, 0.0), (80, 0.35), (100, 0.75), (120, 1.0), (140, 1.0),
           (160, 0.85), (180, 0.60)]

DISPLACEMENT_GAIN = 0.11     # per knot of effective wind
WAVE_GAIN = 0.05             # knots past the hull-speed curve per knot of effective wind
PLANING_ONSET = 14.0         # knots of effective wind before the hull lifts
PLANING_GAIN = 0.45          # knots of boat speed per knot of wind above it


def curve(points, x):
    for (x1, y1), (x2, y2) in zip(points, points[1:]):
        if x1 <= x <= x2:
            return y1 + (y2 - y1) * (x - x1) / (x2 - x1)
    raise ValueError(x)


def boat_speed(angle, wind):
    effective = wind * curve(DRIVE, angle)
    displacement = HULL_SPEED * math.tanh(DISPLACEMENT_GAIN * effective) + WAVE_GAIN * effective
    planing = curve(PLANING, angle) * PLANING_GAIN * max(0.0, effective - PLANING_ONSET)
    return displacement + planing


def main():
    lines = ["\t".join(["TWA"] + [str(w) for w in WIND_SPEEDS])]
    for a in ANGLES:
        lines.append("\t".join([str(a)] + ["%.1f" % boat_speed(a, w) for w in WIND_SPEEDS]))
    with open("Fast Sled 60ft.pol", "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()

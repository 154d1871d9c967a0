#!/usr/bin/env python3
"""Writes instrument_stream.nmea, a recorded-looking mix of instrument
sentences, and prints what the receive path must make of it with the
settings of tst_nmeastream: compass heading, speed through water, true wind
computed from boat speed, averaging 2 (wind) and 4 (wind indicator).

Each entry is (text, ending, checksum, effects). checksum: True appends the
right one, a string appends that text instead (a wrong one), None nothing.
Effects are what the line does to the instrument state, worked out by hand
from the sentence; the state arithmetic below follows the program's own
rules in double precision with single-precision stores."""

import math
import struct

PI = 3.14159265358979
TRUE_AVG = 2.0
IND_AVG = 4.0


def f32(x):
    return struct.unpack('f', struct.pack('f', x))[0]


def checksum(body):
    x = 0
    for c in body[1:]:
        x ^= ord(c)
    return '%02X' % x


def atan2(x, y):
    if x == 0:
        return 0.0 if y == 0 else (PI / 2 if y > 0 else -PI / 2)
    if x > 0:
        return math.atan(y / x)
    return math.atan(y / x) + PI if y > 0 else math.atan(y / x) - PI


def angle180(a):
    return a - 360 if a > 180 else (a + 360 if a <= -180 else a)


def angle360(a):
    return a + 360 if a < 0 else (a - 360 if a >= 360 else a)


def average_angle(new, n, avg):
    if n == 0:
        return f32(new)
    k = 1.0 / n
    c = k * math.cos(new * (PI / 180)) + (1 - k) * math.cos(avg * (PI / 180))
    s = k * math.sin(new * (PI / 180)) + (1 - k) * math.sin(avg * (PI / 180))
    return f32(atan2(c, s) * 180.0 / PI)


def average_value(new, n, avg):
    if n == 0:
        return f32(new)
    k = 1.0 / n
    return f32(new * k + avg * (1 - k))


class State:
    def __init__(self):
        self.v = dict(HeadingValid=False, Heading=0.0, BoatSpeedValid=False, BoatSpeed=0.0,
                      BoatSpeedAverage=0.0, VariationValid=False, Variation=0.0, WaypointValid=False,
                      WaypointBearing=0.0, WaypointRange=0.0, WindApparentValid=False,
                      WindAngleApparent=0.0, WindAngleApparentAverage=0.0, WindSpeedApparent=0.0,
                      WindSpeedApparentAverage=0.0, WindIndicatorValid=False, WindDirectionAverage=0.0,
                      WindSpeedAverage=0.0, WindTrueValid=False, WindAngleTrue=0.0, WindSpeedTrue=0.0)
        self.steps = 0
        self.polar = 0
        self.captions = []

    def apply(self, effect):
        v = self.v
        kind = effect[0]
        if kind == 'var':
            v['VariationValid'] = True
            v['Variation'] = f32(effect[1])
        elif kind == 'heading':
            v['HeadingValid'] = True
            v['Heading'] = f32(angle360(f32(effect[1])))
        elif kind == 'speed':
            s = f32(effect[1])
            if v['BoatSpeedValid']:
                v['BoatSpeedAverage'] = average_value(s, TRUE_AVG, v['BoatSpeedAverage'])
            else:
                v['BoatSpeedValid'] = True
                v['BoatSpeedAverage'] = s
            v['BoatSpeed'] = s
        elif kind == 'waypoint':
            v['WaypointValid'] = True
            v['WaypointRange'] = f32(effect[1])
            v['WaypointBearing'] = f32(f32(effect[2]) - v['Variation'])
        elif kind == 'apparent':
            a, s = f32(effect[1]), f32(effect[2])
            if v['WindApparentValid']:
                v['WindAngleApparentAverage'] = average_angle(a, TRUE_AVG, v['WindAngleApparentAverage'])
                v['WindSpeedApparentAverage'] = average_value(s, TRUE_AVG, v['WindSpeedApparentAverage'])
            else:
                v['WindApparentValid'] = True
                v['WindAngleApparentAverage'] = f32(angle180(a))
                v['WindSpeedApparentAverage'] = s
            v['WindAngleApparent'] = f32(angle180(a))
            v['WindSpeedApparent'] = s
            if v['BoatSpeedValid']:
                sp, an = v['WindSpeedApparentAverage'], v['WindAngleApparentAverage']
                x = sp * math.cos(an * (PI / 180)) - v['BoatSpeedAverage']
                y = sp * math.sin(an * (PI / 180))
                v['WindSpeedTrue'] = f32(math.sqrt(x * x + y * y))
                v['WindAngleTrue'] = f32(atan2(x, y) * (180 / PI))
                v['WindAngleTrue'] = f32(angle180(v['WindAngleTrue']))
                v['WindTrueValid'] = True
        else:
            raise ValueError(kind)

    def wind_line(self):
        v = self.v
        if not (v['WindTrueValid'] and v['WindApparentValid']):
            return
        self.steps += 1
        if v['BoatSpeedValid']:
            self.polar += 1
        if v['VariationValid']:
            d = f32(v['WindAngleTrue'] + v['Heading'] + v['Variation'])
            if v['WindIndicatorValid']:
                v['WindDirectionAverage'] = f32(angle360(average_angle(d, IND_AVG, v['WindDirectionAverage'])))
                v['WindSpeedAverage'] = average_value(v['WindSpeedTrue'], IND_AVG, v['WindSpeedAverage'])
            else:
                v['WindIndicatorValid'] = True
                v['WindDirectionAverage'] = d
                v['WindSpeedAverage'] = v['WindSpeedTrue']


CRLF, CR = '\r\n', '\r'
NOISE = '~' * 1100

# (text, ending, checksum, effects)
LINES = [
    ('$GPRMC,080512,A,5021.314,N,00408.221,W,5.9,221.6,081226,1.8,W,A', CRLF, True, [('var', -1.8)]),
    ('$HCHDG,226.0,,,1.8,W', CRLF, True, [('heading', 226.0), ('var', -1.8)]),
    ('$WIMWV,038,R,14.2,N,A', CR, True, [('apparent', 38, 14.2)]),
    ('$VWVHW,,T,226.5,M,6.1,N,11.3,K', CRLF, True, [('heading', 226.5), ('speed', 6.1)]),
    ('$WIMWV,039,R,14.6,N,A', CR, True, [('apparent', 39, 14.6)]),
    ('$IIMWV,040,R,14.6,N,A', CRLF, '00', []),
    ('$IIMWV,041,R,14.0,N,A', CRLF, None, [('apparent', 41, 14.0)]),
    ('$GPRMB,A,0.12,R,BRX,PLY,5020.100,N,00410.500,W,2.4,231.0,5.8,V', CRLF, True, [('waypoint', 2.4, 231.0)]),
    ('\x00\x13$GPVTG,221.6,T,223.4,M,5.9,N,10.9,K', CRLF, None, []),
    ('$GPVTG,221.6,T,223.4,M,5.9,N,10.9,K', CRLF, True, []),
    ('$IIVHW,,T,227.0,M,6.3,N,11.7,K', CRLF, None, [('heading', 227.0), ('speed', 6.3)]),
    ('$WIMWV,042,R,13.9,N,A', CR, True, [('apparent', 42, 13.9)]),
    ('', CRLF, None, []),
    ('$IIHDG,228.,,,,', CRLF, True, [('heading', 228.0)]),
    ('$IIMWV,,R,13.8,N,A', CRLF, True, []),
    ('$WIMWV,045,T,18.0,N,A', CR, True, []),
    ('$IIMWV,048,R,14.4,N,A', CRLF, '1e', []),
    ('$PGRMZ,120,f,3', CRLF, True, []),
    ('$IIMWV,03$IIMWV,036,R,13.9,N,A', CRLF, checksum('$IIMWV,036,R,13.9,N,A'), []),
    ('$VWVHW,,T,229.0,M,6.4,N', CRLF, True, [('heading', 229.0), ('speed', 6.4)]),
    # Status V: the receiver has no fix, nothing is taken.
    ('$GPRMC,080517,V,,,,,6.0,222.0,081226,1.9,W,A', CRLF, True, []),
    ('$WIMWV,037,R,14.1,N,A', CRLF, True, [('apparent', 37, 14.1)]),
    (NOISE, '', None, []),
    # Swallowed by the noise in front of it: one overlong line.
    ('$WIMWV,035,R,15.0,N,A', CR, True, [('lost',)]),
    ('$IIHVM,2.0,W', CRLF, True, [('var', -2.0)]),
    ('$WIMWV,036,R,14.8,N,A', CRLF, True, [('apparent', 36, 14.8)]),
    ('$IIMWV,04', '', None, []),
]


def wind_update(effects):
    """Whether an MWV line is a wind update: with MWV decoding on, only a
    line that gave a wind. With the true wind computed that is always an
    apparent one, so no true wind is paired away."""
    return any(e[0] == 'apparent' for e in effects)


def main():
    state = State()
    out = []
    for text, ending, cs, effects in LINES:
        line = text
        if cs is True:
            line += '*' + checksum(text)
        elif cs is not None:
            line += '*' + cs
        out.append(line + ending)
        if ('lost',) in effects:
            continue
        for e in effects:
            state.apply(e)
        if ending and line.startswith('$') and line[3:6] == 'MWV' and (
                len(line) < 3 or line[-3] != '*' or line[-2:] == checksum(line[:-3])):
            if wind_update(effects):
                state.wind_line()
    with open('instrument_stream.nmea', 'w', encoding='latin-1', newline='') as f:
        f.write(''.join(out))
    for k, v in state.v.items():
        print(k, v if isinstance(v, bool) else '%.6f' % v)
    print('steps', state.steps, 'polar', state.polar)


if __name__ == '__main__':
    main()

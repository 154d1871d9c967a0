#pragma once
// Night mode: every window of the program in a dark palette with dim red
// text and lines, so that a helmsman keeps the eyes' adaptation to the
// dark. It is program-wide, like the application palette it sets: windows
// made later come up in it, and the windows that draw for themselves ask
// Active() and pass their colours through Ink() or Fill().
//
// Every night colour is a pure red (green and blue 0): red light spoils
// night vision least, and pure red stays pure red whatever a style mixes
// of it.

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

namespace NightMode {

bool Active();

// Switches the program. The flag changes first, then the application
// palette, which sends every widget a PaletteChange: windows that keep a
// drawn picture redraw it then. Switching back puts back the palette (and
// the tooltips' palette) from before. The first switch also puts a style
// in front of the application's own that tints the icons it hands out
// (message boxes, file dialogs, disabled buttons); by day it passes
// everything through unchanged.
void Apply(bool on);

// The night palette: near-black surfaces, dim red text, a dimmer red for
// what is disabled.
QPalette Palette();

// A colour for lines, text and marks: the colour itself by day; at night
// a red as strong as the colour stood out from a light background, from
// 50 for white up to the text's 190 for black. Pure blue comes out 174,
// pure red 148 and pure green 108: still apart by brightness.
QColor Ink(const QColor& day);
// A colour for a filled surface or a faint structure such as a grid: the
// colour itself by day; at night a red from 20 (white) to 120 (black),
// dark enough for text on it and below the Ink of the marks over it.
QColor Fill(const QColor& day);
// The alarm at night: a bright red background with black text, still the
// brightest thing on the screen.
QColor AlarmBack();
QColor AlarmText();

// A picture in reds by its brightness (alpha kept): dim, so that icons do
// not glare; dimmer still for a disabled one.
QPixmap Tint(const QPixmap& day, bool disabled = false);
// The icon as shown now: itself by day, tinted at night.
QIcon Icon(const QIcon& day);

} // namespace NightMode

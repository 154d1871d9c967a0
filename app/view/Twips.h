#pragma once
// Window places are stored in the profile in twips, as existing profile
// files have them: twips = pixels * 1440 / logical DPI. Converted once,
// where a window reads or writes its place.

float TwipsFromPixels(int pixels, double dpi);
// Rounded half to even, saturated to the int range.
int PixelsFromTwips(float twips, double dpi);

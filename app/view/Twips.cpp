#include "Twips.h"

#include "NumberText.h"

float TwipsFromPixels(int pixels, double dpi)
{
    return static_cast<float>(pixels * 1440.0 / dpi);
}

int PixelsFromTwips(float twips, double dpi)
{
    return NumberText::ToInt32Saturated(NumberText::RoundHalfEven(double(twips) * dpi / 1440.0));
}

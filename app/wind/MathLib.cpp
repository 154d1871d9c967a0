#include "MathLib.h"

#include <cmath>

namespace MathLib {

namespace {

constexpr double DegToRad = Pi / 180.0;
constexpr double RadToDeg = 180.0 / Pi;

// Shared by both wind conversions: BoatSpeed is signed by the caller.
void WindVector(float Speed, float Angle, double alongBow, float& ResultSpeed, float& ResultAngle)
{
    const double a = Angle * DegToRad;
    const double x = Speed * std::cos(a) + alongBow;
    const double y = Speed * std::sin(a);
    ResultSpeed = static_cast<float>(std::sqrt(x * x + y * y));
    ResultAngle = static_cast<float>(Atan2(x, y) * RadToDeg);
}

} // namespace

double Atan2(double X, double Y)
{
    if (X == 0) {
        if (Y == 0)
            return 0;
        return Y > 0 ? Pi / 2 : -Pi / 2;
    }
    if (X > 0)
        return std::atan(Y / X);
    return Y > 0 ? std::atan(Y / X) + Pi : std::atan(Y / X) - Pi;
}

double Angle180(double Angle)
{
    if (Angle > 180)
        return Angle - 360;
    if (Angle <= -180)
        return Angle + 360;
    return Angle;
}

double Angle360(double Angle)
{
    if (Angle < 0)
        return Angle + 360;
    if (Angle >= 360)
        return Angle - 360;
    return Angle;
}

double HeadingWrap(double Angle)
{
    const double a = std::fmod(Angle, 360.0);
    return a < 0 ? a + 360 : a;
}

double AngleWrap180(double Angle)
{
    const double a = std::fmod(Angle, 360.0);
    if (a > 180)
        return a - 360;
    if (a <= -180)
        return a + 360;
    return a;
}

void AverageAngle(float NewAngle, float Samples, float& Average)
{
    if (Samples == 0) {
        Average = NewAngle;
        return;
    }
    const double k = 1.0 / Samples;
    const double c = k * std::cos(NewAngle * DegToRad) + (1 - k) * std::cos(Average * DegToRad);
    const double s = k * std::sin(NewAngle * DegToRad) + (1 - k) * std::sin(Average * DegToRad);
    Average = static_cast<float>(Atan2(c, s) * 180.0 / Pi);
}

void AverageAngle360(float NewAngle, float Samples, float& Average)
{
    AverageAngle(NewAngle, Samples, Average);
    Average = static_cast<float>(Angle360(Average));
}

void AverageValue(float NewValue, float Samples, float& Average)
{
    if (Samples == 0) {
        Average = NewValue;
        return;
    }
    const double k = 1.0 / Samples;
    Average = static_cast<float>(NewValue * k + Average * (1 - k));
}

void WindApparentFromTrue(float Speed, float Angle, float BoatSpeed, float& ResultSpeed, float& ResultAngle)
{
    WindVector(Speed, Angle, BoatSpeed, ResultSpeed, ResultAngle);
}

void WindTrueFromApparent(float Speed, float Angle, float BoatSpeed, float& ResultSpeed, float& ResultAngle)
{
    WindVector(Speed, Angle, -static_cast<double>(BoatSpeed), ResultSpeed, ResultAngle);
}

float MinValue(double A, double B)
{
    return static_cast<float>(A <= B ? A : B);
}

float MaxValue(double A, double B)
{
    return static_cast<float>(A >= B ? A : B);
}

} // namespace MathLib

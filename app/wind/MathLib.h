#pragma once
// Stateless angle and averaging functions shared by every window.
// Angles in degrees except the result of Atan2 (radians). Arithmetic is in
// double; single-precision results are rounded when stored.

namespace MathLib {

// Fifteen significant digits, deliberately not the double nearest pi: every
// conversion of the program uses this value.
constexpr double Pi = 3.14159265358979;

// Direction of the vector (X, Y) in radians, -pi..pi. Note the order: the
// cosine part first. Straight backwards (X < 0, Y = 0) gives -pi.
double Atan2(double X, double Y);
// One correction towards -180 < a <= 180.
double Angle180(double Angle);
// One correction towards 0 <= a < 360.
double Angle360(double Angle);
// Any number of turns off 0 <= a < 360; within one turn the same as
// Angle360. Headings a user types or a filter works out pass through it, so
// the autopilot is never sent a bearing outside one turn.
double HeadingWrap(double Angle);
// Any number of turns off -180 < a <= 180; within one turn the same as
// Angle180.
double AngleWrap180(double Angle);
// First-order filters with factor 1/Samples; Samples 0 copies the new value.
void AverageAngle(float NewAngle, float Samples, float& Average);
void AverageAngle360(float NewAngle, float Samples, float& Average);
void AverageValue(float NewValue, float Samples, float& Average);
// Adds the boat's motion to a true wind, and removes it again.
void WindApparentFromTrue(float Speed, float Angle, float BoatSpeed, float& ResultSpeed, float& ResultAngle);
void WindTrueFromApparent(float Speed, float Angle, float BoatSpeed, float& ResultSpeed, float& ResultAngle);
// Ties return A.
float MinValue(double A, double B);
float MaxValue(double A, double B);

} // namespace MathLib

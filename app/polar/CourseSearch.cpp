#include "CourseSearch.h"

#include "MathLib.h"
#include "NumberText.h"

#include <cmath>
#include <utility>

namespace {

constexpr double Radians = MathLib::Pi / 180;
constexpr int Offsets = 91; // 0 .. 90 degrees either side

// Leg headings fold into -180 .. below 180.
float FoldHeading(double heading)
{
    return float(heading >= 180 ? heading - 360 : heading);
}

QString Text(double value, const char16_t* code)
{
    return NumberText::Format(value, code);
}

} // namespace

void CourseOptimize(const PolarTable& table, float Heading, float Bearing, float WindAngle, float WindSpeed,
                    CourseLeg& P, CourseLeg& S)
{
    const double W = MathLib::Angle360(double(Heading) + WindAngle - Bearing);
    auto lookup = [&](double angle) {
        return double(table.PolarLookup(0, float(std::fabs(MathLib::Angle180(angle))), WindSpeed));
    };
    const double S0 = lookup(W);

    const float f = WindAngle < 0 ? 1.0f : 0.0f;
    P = {Bearing, float(f * S0), float(f * S0), 0, f};
    S = {Bearing, float((1 - f) * S0), float((1 - f) * S0), 0, 1 - f};
    double best = 1.03 * S0;

    // The speed on each grid heading does not depend on the other leg:
    // look each up once. A is W - a to the right, B is W - b = W + o to
    // the left (b = -o).
    double speedA[Offsets];
    double speedB[Offsets];
    double cosO[Offsets];
    double sinO[Offsets];
    speedA[0] = speedB[0] = S0;
    for (int o = 0; o < Offsets; ++o) {
        if (o > 0) {
            speedA[o] = lookup(W - o);
            speedB[o] = lookup(W + o);
        }
        cosO[o] = std::cos(o * Radians);
        sinO[o] = std::sin(o * Radians);
    }

    const bool upwind = std::fabs(WindAngle) <= 90;
    for (int a = 0; a < Offsets; ++a) {
        const double Sa = speedA[a];
        if (Sa == 0)
            continue;
        const double xa = Sa * cosO[a];
        const double ya = Sa * sinO[a];
        for (int o = 0; o < Offsets; ++o) {
            const double Sb = speedB[o];
            if (Sb == 0)
                continue;
            const double xb = Sb * cosO[o];
            const double yb = -Sb * sinO[o];
            if (!((ya >= 0 && yb <= 0) || (ya <= 0 && yb >= 0)))
                continue;
            double t = 0;
            if (ya == 0 && yb == 0)
                t = xa > xb ? 1 : 0;
            else if (ya == 0)
                t = 1;
            else if (yb == 0)
                t = 0;
            else
                t = yb / (yb - ya);
            const double V = t * xa + (1 - t) * xb;
            if (!(V > best))
                continue;
            best = V;
            const CourseLeg A{float(double(Bearing) + a), float(Sa), float(xa), float(ya), float(t)};
            const CourseLeg B{float(double(Bearing) - o), float(Sb), float(xb), float(yb), float(1 - t)};
            P = upwind ? A : B;
            S = upwind ? B : A;
        }
    }
    P.heading = FoldHeading(P.heading);
    S.heading = FoldHeading(S.heading);
}

QString CourseTimeText(float Speed, float Distance)
{
    const double hours = Speed == 0 ? 1000 : double(Distance) / Speed;
    if (!std::isfinite(hours) || hours >= 100)
        return QStringLiteral("--:--");
    double h = std::trunc(hours);
    double m = NumberText::RoundHalfEven((hours - h) * 60);
    if (m == 60) {
        h += 1;
        m = 0;
    }
    if (h > 99)
        return QStringLiteral("--:--");
    return Text(h, u"0") + QLatin1Char(':') + Text(m, u"00");
}

CoursePlan CoursePlanMake(const PolarTable& table, const PolarSettings& settings, const CourseInput& in)
{
    CoursePlan plan;
    CourseLeg& P = plan.P;
    CourseLeg& S = plan.S;
    CourseOptimize(table, in.Heading, in.Bearing, in.WindAngle, in.WindSpeed, P, S);
    double vmg = double(P.along) * P.fraction + double(S.along) * S.fraction;

    if (in.PolarSpeed != 0 && (settings.m_bCourseScale || settings.m_iBoatType == 1)) {
        const double k = double(in.BoatSpeed) / in.PolarSpeed;
        vmg *= k;
        for (CourseLeg* leg : {&P, &S}) {
            leg->speed = float(leg->speed * k);
            leg->along = float(leg->along * k);
            leg->cross = float(leg->cross * k);
        }
    }
    plan.Vmg = float(vmg);

    auto twa = [&](const CourseLeg& leg) {
        return float(MathLib::AngleWrap180(double(in.WindAngle) + in.Heading - leg.heading));
    };
    plan.TwaS = twa(S);
    plan.TwaP = twa(P);
    // P must be the port-tack leg (wind from port, a negative angle).
    if (((P.fraction == 1 || S.fraction != 1) && plan.TwaP > 0)
        || (P.fraction != 1 && S.fraction == 1 && plan.TwaS < 0)) {
        std::swap(P, S);
        std::swap(plan.TwaP, plan.TwaS);
    }

    auto change = [&](const CourseLeg& leg) { return float(MathLib::AngleWrap180(double(leg.heading) - in.Heading)); };
    if (S.fraction == 1) {
        plan.onPort = false;
        plan.SteerChange = change(S);
    } else if (P.fraction == 1) {
        plan.onPort = true;
        plan.SteerChange = change(P);
    } else {
        const bool tack = plan.TwaP > -90 && plan.TwaP < 0 && plan.TwaS > 0 && plan.TwaS < 90;
        plan.kind = tack ? CourseKind::Tack : CourseKind::Jibe;
        const float dP = change(P);
        const float dS = change(S);
        plan.onPort = std::fabs(dP) <= std::fabs(dS);
        plan.SteerChange = plan.onPort ? dP : dS;
    }

    // Only "0" exactly is no change: -0.4 shows as "-0", to port.
    QString c = Text(plan.SteerChange, u"0");
    if (c == QLatin1String("0")) {
        plan.SteerText = QStringLiteral("Steer 0");
    } else {
        if (!c.startsWith(QLatin1Char('-')))
            c.prepend(QLatin1Char('+'));
        if (plan.SteerChange > 0) {
            plan.SteerText = QStringLiteral("Steer ") + c + QStringLiteral(" >");
            plan.SteerTone = CourseTone::LightGreen;
        } else {
            plan.SteerText = QStringLiteral("< Steer ") + c;
            plan.SteerTone = CourseTone::LightRed;
        }
    }

    const int index = settings.m_iCourseWaypointIndex;
    const float range = in.WaypointRange;
    const CourseLeg* legs[2] = {&S, &P};
    for (int i = 0; i < 2; ++i) {
        const CourseLeg& leg = *legs[i];
        if (leg.fraction == 0)
            continue;
        QString text = Text(MathLib::Angle360(leg.heading), u"0") + QStringLiteral(" (");
        if (index == 2)
            text += CourseTimeText(plan.Vmg, leg.fraction * range) + QLatin1Char(')');
        else
            text += Text(double(leg.fraction) * 100, u"0") + QStringLiteral("%)");
        plan.LegText[i] = text;
        plan.Values.emplace_back(1 + i, text);
    }

    // Wind lines of the legs sailed, as the boat would see the wind on them.
    const float rim = settings.m_fSpeedRange;
    const float twas[2] = {plan.TwaS, plan.TwaP};
    const CourseTone tones[2] = {CourseTone::Starboard, CourseTone::Port};
    for (int i = 0; i < 2; ++i) {
        if (legs[i]->fraction == 0)
            continue;
        float angle = twas[i];
        if (settings.m_iPlotType == 1) {
            float speed = 0;
            MathLib::WindApparentFromTrue(in.WindSpeed, twas[i], in.BoatSpeed, speed, angle);
        }
        plan.Lines.push_back({false, 1, 0, 0, double(angle), double(rim), tones[i]});
    }

    // Heads-up: the legs and the bearing relative to the bow. With a range
    // the lengths are distances, scaled so that the legs end at the
    // waypoint.
    const double bearing = double(in.Bearing) - in.Heading;
    const double target = index == 2 ? double(range) : double(plan.Vmg);
    if (P.fraction != 0 && S.fraction != 0 && !(index == 2 && plan.Vmg == 0)) {
        const double scale = index == 2 ? double(range) / plan.Vmg : 1.0;
        const CourseLeg& first = plan.onPort ? P : S;
        const CourseTone firstTone = plan.onPort ? CourseTone::Port : CourseTone::Starboard;
        const CourseTone otherTone = plan.onPort ? CourseTone::Starboard : CourseTone::Port;
        const double angle = double(first.heading) - in.Heading;
        const double length = double(first.speed) * first.fraction * scale;
        plan.Lines.push_back({true, 2, 0, 0, angle, length, firstTone});
        plan.Lines.push_back({true, 2, angle, length, bearing, target, otherTone});
    }
    plan.Lines.push_back({true, 2, 0, 0, bearing, target, CourseTone::Bearing});

    plan.Values.emplace_back(0, Text(in.Heading, u"0"));
    if (index == 2) {
        plan.Values.emplace_back(-4, Text(in.Bearing, u"0"));
        plan.Values.emplace_back(-3, Text(range, u"0.0"));
        plan.Values.emplace_back(-2, Text(plan.Vmg, u"0.0"));
        plan.Values.emplace_back(-1, CourseTimeText(plan.Vmg, range));
    } else {
        plan.Values.emplace_back(-2, Text(in.Bearing, u"0"));
        plan.Values.emplace_back(-1, Text(plan.Vmg, u"0.0"));
    }

    switch (plan.kind) {
    case CourseKind::OneLeg:
        plan.TackShown = false;
        break;
    case CourseKind::Tack:
        plan.TackShown = true;
        plan.TackCaption = plan.onPort ? QStringLiteral("<< Tack") : QStringLiteral("Tack >>");
        plan.TackTone = plan.onPort ? CourseTone::LightRed : CourseTone::LightGreen;
        plan.TackHeading = plan.onPort ? S.heading : P.heading;
        break;
    case CourseKind::Jibe:
        plan.TackShown = true;
        plan.TackCaption = plan.onPort ? QStringLiteral("Jibe >>") : QStringLiteral("<< Jibe");
        plan.TackTone = plan.onPort ? CourseTone::LightGreen : CourseTone::LightRed;
        plan.TackHeading = plan.onPort ? S.heading : P.heading;
        break;
    }
    return plan;
}

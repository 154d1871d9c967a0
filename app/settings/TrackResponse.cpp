#include "TrackResponse.h"

#include "NumberText.h"

#include <cmath>

namespace {

// The pixel arithmetic of a curve that runs away must still fit an int.
constexpr double PixelLimit = 1 << 20;

int Pixel(double value)
{
    if (std::isnan(value))
        return 0;
    return int(NumberText::RoundHalfEven(std::fmax(-PixelLimit, std::fmin(PixelLimit, value))));
}

bool ReadNumber(const QString& text, const char* name, double& value, QString& why)
{
    if (NumberText::TryParse(text, value) && std::isfinite(value))
        return true;
    why = QLatin1String(name) + QStringLiteral(" is not a number");
    return false;
}

} // namespace

TrackGains TrackResponseGains(double bandwidth, double damping)
{
    TrackGains g;
    g.k = 4 / bandwidth;
    g.ki = g.k / (4 * damping * damping + 1);
    g.kp = 4 / bandwidth - g.ki;
    return g;
}

bool TrackResponse::Read(const TrackResponseTexts& texts, QString& why)
{
    double bandwidth = 0;
    double damping = 0;
    double offset = 0;
    double noise = 0;
    double time = 0;
    double min = 0;
    double max = 0;
    if (!ReadNumber(texts.bandwidth, "Bandwidth", bandwidth, why) || !ReadNumber(texts.damping, "Damping", damping, why)
        || !ReadNumber(texts.offset, "Offset", offset, why) || !ReadNumber(texts.noise, "Noise", noise, why)
        || !ReadNumber(texts.time, "Time", time, why) || !ReadNumber(texts.min, "Min", min, why)
        || !ReadNumber(texts.max, "Max", max, why))
        return false;
    if (!(bandwidth > 0)) {
        why = QStringLiteral("Bandwidth must be above 0");
        return false;
    }
    if (!(time > 0) || time > LongestTime) {
        why = QStringLiteral("Time must be above 0 and at most ") + NumberText::Plain(LongestTime);
        return false;
    }
    if (!(min < max)) {
        why = QStringLiteral("Min must be below Max");
        return false;
    }
    m_gains = TrackResponseGains(bandwidth, damping);
    m_fOffset = offset;
    m_fNoise = noise;
    m_fTime = time;
    m_fMin = min;
    m_fMax = max;
    why.clear();
    return true;
}

void TrackResponse::SetSize(int width, int height)
{
    m_dXScale = (width - 1) / m_fTime;
    m_dYScale = -(height - 1) / (m_fMax - m_fMin);
    m_dYOffset = height - 1;
}

int TrackResponse::Column(double t) const
{
    return Pixel(t * m_dXScale);
}

int TrackResponse::Row(double v) const
{
    return Pixel((v - m_fMin) * m_dYScale + m_dYOffset);
}

double TrackResponse::TimeAt(double x) const
{
    return m_dXScale != 0 ? x / m_dXScale : 0;
}

double TrackResponse::ValueAt(double y) const
{
    return m_dYScale != 0 ? (y - m_dYOffset) / m_dYScale + m_fMin : m_fMin;
}

// The loop in its discrete form, one step a second: the input is the
// negated error plus noise, the accumulator integrates it with ki, and the
// error moves by kp times the accumulator before this step plus the input.
QVector<QPointF> TrackResponse::Run(const std::function<double()>& random) const
{
    QVector<QPointF> points;
    const int steps = int(std::floor(m_fTime)) + 1;
    points.reserve(steps + 1);
    double e = m_fOffset;
    double a = 0;
    points.append(QPointF(0, e));
    for (int t = 0; t < steps; ++t) {
        const double r = random();
        const double u = (r - 0.5) * 2 * m_fNoise - e;
        const double aOld = a;
        a = aOld + m_gains.ki * u;
        e = e + m_gains.kp * (aOld + u);
        points.append(QPointF(t, e));
    }
    return points;
}

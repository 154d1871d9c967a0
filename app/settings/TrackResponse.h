#pragma once
// A simulated run of the tracking loop for the Options dialog's preview:
// how an initial wind angle error decays under a bandwidth and damping,
// with random noise on the wind. The gains follow the loop's own rule.

#include <QPointF>
#include <QString>
#include <QVector>

#include <functional>

// Gains of bandwidth B (seconds) and damping D: k = 4 / B,
// ki = k / (4 D^2 + 1), kp = k - ki.
struct TrackGains {
    double k = 0;
    double ki = 0;
    double kp = 0;
};
TrackGains TrackResponseGains(double bandwidth, double damping);

// The texts of the preview's boxes, as typed.
struct TrackResponseTexts {
    QString bandwidth;
    QString damping;
    QString offset; // initial error, degrees
    QString noise;  // +/- degrees
    QString time;   // seconds shown
    QString min;    // lowest error shown, degrees
    QString max;    // highest error shown, degrees
};

class TrackResponse {
public:
    // One step a second for a day at most: more would hold up the window.
    static constexpr double LongestTime = 86400;

    // False, with a short reason for the user, when nothing can be drawn:
    // a text that is not a number, a bandwidth not above 0, a time not above
    // 0 or beyond LongestTime, Min not below Max.
    bool Read(const TrackResponseTexts& texts, QString& why);

    // The drawing area in pixels; the scale maps 0..Time across and Max..Min
    // down.
    void SetSize(int width, int height);
    // Pixel column of a time and row of an error, rounded half to even.
    int Column(double t) const;
    int Row(double v) const;
    // Time and error under a pixel.
    double TimeAt(double x) const;
    double ValueAt(double y) const;

    // The error curve: the start (0, e0), then one point for each second
    // from 0 to Time. random gives a new number from 0 up to below 1 at
    // each step.
    QVector<QPointF> Run(const std::function<double()>& random) const;

    TrackGains Gains() const { return m_gains; }
    double Time() const { return m_fTime; }
    double Min() const { return m_fMin; }
    double Max() const { return m_fMax; }

private:
    TrackGains m_gains;
    double m_fOffset = 10;
    double m_fNoise = 4;
    double m_fTime = 300;
    double m_fMin = -1;
    double m_fMax = 10;
    double m_dXScale = 1;
    double m_dYScale = -1;
    double m_dYOffset = 0;
};

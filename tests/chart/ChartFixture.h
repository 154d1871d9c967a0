#pragma once
// A chart on a fake clock with a fixed font, and ways to look at its picture.

#include "FakeChartClock.h"
#include "TracePainter.h"
#include "TrendScope.h"

#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QApplication>
#include <cmath>
#include <memory>

struct ChartFixture {
    // Values: 1 "Speed" (Normal, Kts), 2 "Heading" (Degrees, M), 3 "Depth"
    // (Normal, m). A 60-second span, one trace showing Speed, drawing on.
    explicit ChartFixture(int width = 400, int height = 300, int traces = 1)
    {
        chart = std::make_unique<TrendScope>(nullptr, &clock);
        chart->SetFontName(QStringLiteral("DejaVu Sans"));
        chart->SetFontSize(8);
        chart->SetNumberOfValues(3);
        chart->SetValueOptions(1, QStringLiteral("Speed"), 0, QStringLiteral("Kts"));
        chart->SetValueOptions(2, QStringLiteral("Heading"), 1, QStringLiteral("M"));
        chart->SetValueOptions(3, QStringLiteral("Depth"), 0, QStringLiteral("m"));
        chart->Initialize(8640, 10);
        chart->resize(width, height);
        chart->show();
        chart->SetNumberOfTraces(static_cast<int16_t>(traces));
        chart->SetTraceName(1, QStringLiteral("Speed"));
        if (traces >= 2)
            chart->SetTraceName(2, QStringLiteral("Heading"));
        if (traces >= 3)
            chart->SetTraceName(3, QStringLiteral("Depth"));
        chart->SetTraceColor(1, 0x0000FF);
        chart->SetTraceColor(2, 0x00C000);
        chart->SetTraceColor(3, 0xFF0000);
        chart->SetUpdate(true);
        dpr = chart->devicePixelRatioF();
    }

    QFont Font(bool bold = false) const
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(8 * dpr);
        f.setBold(bold);
        return f;
    }
    static const QImage& Device()
    {
        static const QImage device(1, 1, QImage::Format_RGB32);
        return device;
    }
    int TextHeight() const { return QFontMetrics(Font(), &Device()).height(); }
    int TextWidth(const QString& text) const { return QFontMetrics(Font(), &Device()).horizontalAdvance(text); }

    // The strips worked out here from the layout rules, in device pixels.
    TraceGeometry Geometry() const
    {
        const auto round = [](double v) { return static_cast<int>(std::nearbyint(v)); };
        const int H = round(chart->height() * dpr);
        const int N = chart->GetNumberOfTraces();
        const int TH = TextHeight();
        TraceGeometry g;
        g.m_iBlockHeight = round((H - TH - (N - 0.5) * 8) / N);
        g.m_iInnerWidth = round(chart->width() * dpr) - 4;
        g.m_iPlotHeight = g.m_iBlockHeight - TH - 2;
        g.m_iPlotWidth = g.m_iInnerWidth - TextWidth(QStringLiteral("-00.0")) - 8;
        if (g.m_iPlotHeight < 10 || g.m_iPlotWidth < 10)
            g.m_iPlotHeight = g.m_iPlotWidth = 10;
        for (int t = 0; t < N; ++t) {
            g.m_iBlockLeft[t] = 2;
            g.m_iBlockTop[t] = (g.m_iBlockHeight + 7) * t + 4;
            g.m_iPlotLeft[t] = 3;
            g.m_iPlotTop[t] = g.m_iBlockTop[t] + g.m_iBlockHeight - g.m_iPlotHeight - 1;
        }
        return g;
    }

    QImage Picture() const { return chart->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Whether the picture shows text, printed in black at (x, y) (top of the
    // line) over the colour it finds there, pixel for pixel.
    bool ShowsText(const QImage& picture, int x, int y, const QString& text) const
    {
        const QFontMetrics fm(Font(), &Device());
        const int w = fm.horizontalAdvance(text);
        const int h = fm.height();
        QImage expected(w, h, QImage::Format_RGB32);
        expected.fill(picture.pixelColor(x, y));
        {
            QPainter p(&expected);
            p.setFont(Font());
            p.setPen(Qt::black);
            p.drawText(0, fm.ascent(), text);
        }
        int inked = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const QRgb e = expected.pixel(i, j);
                if (e != expected.pixel(0, 0))
                    ++inked;
                if (e != expected.pixel(0, 0) && picture.pixel(x + i, y + j) != e)
                    return false;
            }
        return inked > 0;
    }

    QWidget* Surface() const { return chart->findChild<QWidget*>(QStringLiteral("PictureArea")); }

    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPointF at,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* s = Surface();
        QMouseEvent event(type, at, s->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(s, &event);
    }
    void Press(QPointF at, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, b, b, at); }
    void Move(QPointF at, Qt::MouseButtons held = Qt::NoButton) { Mouse(QEvent::MouseMove, Qt::NoButton, held, at); }
    void Release(QPointF at, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, b, Qt::NoButton, at); }

    // Device pixels per logical pixel of the screen the test runs on.
    double dpr = 1;
    FakeChartClock clock;
    std::unique_ptr<TrendScope> chart;
};

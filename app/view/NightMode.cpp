#include "NightMode.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool g_bActive = false;
// What the program looked like before the switch, put back when it ends.
std::optional<QPalette> g_dayPalette;
std::optional<QPalette> g_dayTipPalette;

QColor Red(int red)
{
    return QColor(red, 0, 0);
}

int Level(double value)
{
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

// Brightness 0..255 as the eye weighs the channels.
double Luma(int red, int green, int blue)
{
    return 0.299 * red + 0.587 * green + 0.114 * blue;
}

QColor Scaled(const QColor& day, double darkest, double brightest)
{
    const double contrast = (255 - Luma(day.red(), day.green(), day.blue())) / 255;
    QColor night = Red(Level(darkest + (brightest - darkest) * contrast));
    night.setAlpha(day.alpha());
    return night;
}

// Tints the icons that the style hands out, and what it draws: styles mix
// white and black of their own into bevels and lines (Fusion's toolbar
// edges are white at 35 %), which no palette reaches. At night each part
// is drawn into a picture of its own and every pixel turned into the red
// of its brightest channel; reds stay as they are. By day it is the style
// it stands in front of.
class NightStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        Reddened(painter, option, [&](QPainter* p) { QProxyStyle::drawPrimitive(element, option, p, widget); });
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        Reddened(painter, option, [&](QPainter* p) { QProxyStyle::drawControl(element, option, p, widget); });
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        Reddened(painter, option,
                 [&](QPainter* p) { QProxyStyle::drawComplexControl(control, option, p, widget); });
    }

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        return NightMode::Icon(QProxyStyle::standardIcon(which, option, widget));
    }

    QPixmap standardPixmap(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        const QPixmap day = QProxyStyle::standardPixmap(which, option, widget);
        return NightMode::Active() ? NightMode::Tint(day) : day;
    }

    QPixmap generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap, const QStyleOption* option) const override
    {
        // The usual greying runs toward white for the bright parts.
        if (NightMode::Active() && mode == QIcon::Disabled)
            return NightMode::Tint(pixmap, true);
        return QProxyStyle::generatedIconPixmap(mode, pixmap, option);
    }

private:
    template <typename Draw>
    static void Reddened(QPainter* painter, const QStyleOption* option, const Draw& draw)
    {
        const QRect rect = option ? option->rect : QRect();
        if (!NightMode::Active() || !painter || !painter->device() || rect.isEmpty()) {
            draw(painter);
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatio();
        QImage image((QSizeF(rect.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            draw(painter);
            return;
        }
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter part(&image);
        part.setRenderHints(painter->renderHints());
        part.setFont(painter->font());
        part.setPen(painter->pen());
        part.setBrush(painter->brush());
        part.setLayoutDirection(painter->layoutDirection());
        part.translate(-rect.topLeft());
        draw(&part);
        part.end();
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = line[x];
                // Premultiplied: the brightest channel never exceeds alpha.
                line[x] = qRgba(std::max({qRed(p), qGreen(p), qBlue(p)}), 0, 0, qAlpha(p));
            }
        }
        painter->drawImage(rect.topLeft(), image);
    }
};

} // namespace

namespace NightMode {

bool Active()
{
    return g_bActive;
}

void Apply(bool on)
{
    if (on == g_bActive)
        return;
    if (on) {
        g_dayPalette = QApplication::palette();
        g_dayTipPalette = QToolTip::palette();
        if (!dynamic_cast<NightStyle*>(QApplication::style()))
            QApplication::setStyle(new NightStyle(QApplication::style()->name()));
        g_bActive = true;
        QApplication::setPalette(Palette());
        QToolTip::setPalette(Palette());
        return;
    }
    g_bActive = false;
    QApplication::setPalette(*g_dayPalette);
    QToolTip::setPalette(*g_dayTipPalette);
}

QPalette Palette()
{
    const QColor text = Red(190);
    const QColor dim = Red(85);
    QPalette p;
    p.setColor(QPalette::Window, Red(10));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, Red(0));
    p.setColor(QPalette::AlternateBase, Red(16));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::ToolTipBase, Red(16));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Button, Red(24));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Red(255));
    p.setColor(QPalette::Light, Red(48));
    p.setColor(QPalette::Midlight, Red(36));
    p.setColor(QPalette::Mid, Red(28));
    p.setColor(QPalette::Dark, Red(18));
    p.setColor(QPalette::Shadow, Red(0));
    p.setColor(QPalette::Highlight, Red(90));
    p.setColor(QPalette::HighlightedText, Red(230));
    p.setColor(QPalette::Link, Red(200));
    p.setColor(QPalette::LinkVisited, Red(150));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    p.setColor(QPalette::Disabled, QPalette::PlaceholderText, Red(60));
    p.setColor(QPalette::Disabled, QPalette::Highlight, Red(40));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, Red(120));
    return p;
}

QColor Ink(const QColor& day)
{
    return g_bActive ? Scaled(day, 50, 190) : day;
}

QColor Fill(const QColor& day)
{
    return g_bActive ? Scaled(day, 20, 120) : day;
}

QColor AlarmBack()
{
    return Red(235);
}

QColor AlarmText()
{
    return QColor(0, 0, 0);
}

QPixmap Tint(const QPixmap& day, bool disabled)
{
    if (day.isNull())
        return day;
    QImage image = day.toImage().convertToFormat(QImage::Format_ARGB32);
    const double darkest = disabled ? 25 : 50;
    const double gain = disabled ? 0.25 : 0.55;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(Level(darkest + gain * Luma(qRed(p), qGreen(p), qBlue(p))), 0, 0, qAlpha(p));
        }
    }
    QPixmap night = QPixmap::fromImage(image);
    night.setDevicePixelRatio(day.devicePixelRatio());
    return night;
}

QIcon Icon(const QIcon& day)
{
    if (!g_bActive || day.isNull())
        return day;
    QList<QSize> sizes = day.availableSizes();
    // An icon drawn at any size lists none.
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(32, 32), QSize(64, 64)};
    QIcon night;
    for (const QSize& size : sizes)
        night.addPixmap(Tint(day.pixmap(size)));
    return night;
}

} // namespace NightMode

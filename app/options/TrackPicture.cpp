#include "TrackPicture.h"

#include "NightMode.h"
#include "NumberText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace {

// A grid with more lines than twice the pixels across it is a grey block:
// left out.
bool GridFits(double from, double to, double step, int pixels)
{
    return (to - from) / step <= 2.0 * pixels;
}

} // namespace

TrackPicture::TrackPicture(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctTrack"));
    setMouseTracking(true);
    setMinimumSize(120, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrackPicture::Draw(const std::optional<TrackResponse>& response, const QString& why,
                        const std::function<double()>& random)
{
    const int width = std::max(1, this->width());
    const int height = std::max(1, this->height());
    m_picture = QPixmap(width, height);
    m_response.reset();
    m_points.clear();
    m_sWhy = why;
    if (!response || width < 2 || height < 2) {
        setToolTip(QString());
    } else {
        TrackResponse r = *response;
        r.SetSize(width, height);
        m_points = r.Run(random);
        m_response = r;
    }
    Render();
}

void TrackPicture::Render()
{
    if (m_picture.isNull())
        return;
    const int width = m_picture.width();
    const int height = m_picture.height();
    m_picture.fill(palette().color(QPalette::Base));
    QPainter painter(&m_picture);
    if (!m_response) {
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(m_picture.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, m_sWhy);
        update();
        return;
    }
    const TrackResponse& r = *m_response;
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    if (GridFits(0, r.Time(), 10, width)) {
        for (double t = 0; t <= r.Time(); t += 10)
            painter.drawLine(r.Column(t), 0, r.Column(t), height - 1);
    }
    if (GridFits(r.Min(), r.Max(), 1, height)) {
        for (double v = r.Min(); v <= r.Max(); v += 1)
            painter.drawLine(0, r.Row(v), width - 1, r.Row(v));
    }
    const struct {
        double v;
        QColor colour;
    } references[] = {{1, QColor(255, 0, 0)}, {0, QColor(0, 255, 0)}, {-1, QColor(255, 0, 0)}};
    for (const auto& line : references) {
        painter.setPen(NightMode::Ink(line.colour));
        painter.drawLine(0, r.Row(line.v), width - 1, r.Row(line.v));
    }

    painter.setPen(NightMode::Ink(Qt::black));
    QPoint previous(0, r.Row(m_points.first().y()));
    for (int i = 1; i < m_points.size(); ++i) {
        const QPoint next(r.Column(m_points[i].x()), r.Row(m_points[i].y()));
        painter.drawLine(previous, next);
        previous = next;
    }
    update();
}

void TrackPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.drawPixmap(0, 0, m_picture);
}

void TrackPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}

void TrackPicture::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        Render();
}

void TrackPicture::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_response)
        return;
    const QPointF at = event->position();
    const QString text = QStringLiteral("time=") + NumberText::Plain(m_response->TimeAt(at.x()))
        + QStringLiteral(", bearing=") + NumberText::Plain(m_response->ValueAt(at.y()));
    setToolTip(text);
    if (isVisible())
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

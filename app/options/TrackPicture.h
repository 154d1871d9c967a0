#pragma once
// pctTrack: the picture of the tracking response preview. It keeps what
// was last drawn, so a repaint shows the same curve; only Draw simulates
// again (with fresh noise).

#include "TrackResponse.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>

class TrackPicture : public QWidget {
    Q_OBJECT
public:
    explicit TrackPicture(QWidget* parent = nullptr);

    // Grid every 10 seconds and every degree, the +1/0/-1 reference lines
    // and the curve; without a response, an empty picture that says why.
    void Draw(const std::optional<TrackResponse>& response, const QString& why,
              const std::function<double()>& random);

    // The reason shown instead of a curve; "" while a curve is shown.
    QString Why() const { return m_sWhy; }
    const QPixmap& Picture() const { return m_picture; }

signals:
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // A new palette (night mode): the same curve drawn again in it.
    void changeEvent(QEvent* event) override;

private:
    // Paints the picture from the last Draw's response and run.
    void Render();

    QPixmap m_picture;
    std::optional<TrackResponse> m_response;
    QVector<QPointF> m_points;
    QString m_sWhy;
};

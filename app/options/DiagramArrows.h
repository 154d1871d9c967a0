#pragma once
// Lines with arrowheads for the two diagrams (the Options dialog's control
// loop and the block diagram window).

#include <QLineF>

class QPainter;
class QWidget;

// Where a line carries its head: none, at its first end pointing up
// ("Top"), or at its second end pointing right ("Right").
enum class ArrowTag { None, Top, Right };

struct ArrowLine {
    QLineF line; // pixels
    ArrowTag tag;
};

// The head is two strokes 60 twips back along the line and 45 twips to
// either side of it; the widget's logical DPI turns twips into pixels.
void DrawArrowLine(QPainter& painter, const QWidget& surface, const ArrowLine& arrow);

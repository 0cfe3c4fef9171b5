#include "app/turn_marks.h"

#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include "transform/turns.h"

namespace {

using K = TransformKind;

// A turn as a mirror (none, left to right, top to bottom) followed by a rotation.
struct MarkParts {
    K mirror = K::None;
    K rotation = K::None;
};

MarkParts partsOf(K turn) {
    // A plain rotation or flip first; a mirror with a rotation only for the diagonal ones.
    for (K rotation : {K::None, K::Rotate90, K::Rotate270, K::Rotate180})
        for (K mirror : {K::None, K::FlipHorizontal, K::FlipVertical})
            if (composed(mirror, rotation) == turn) return {mirror, rotation};
    return {};
}

QPen inkPen(const QColor& ink, const QRectF& box) {
    return QPen(ink, std::max(1.5, box.width() / 11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A filled arrow head at `tip`, pointing along `angle` (degrees, screen coordinates).
void arrowHead(QPainter& painter, QPointF tip, qreal angle, qreal size, const QColor& ink) {
    const qreal a = qDegreesToRadians(angle);
    const QPointF back(-std::cos(a) * size, -std::sin(a) * size);
    const QPointF side(-std::sin(a) * size * 0.6, std::cos(a) * size * 0.6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + back + side);
    head.lineTo(tip + back - side);
    head.closeSubpath();
    painter.fillPath(head, ink);
}

// A curved arrow: clockwise for a quarter turn right, counter-clockwise for left, half a circle
// for a half turn.
void paintRotation(QPainter& painter, const QRectF& box, K rotation, const QColor& ink) {
    const QRectF circle = box.adjusted(box.width() * 0.18, box.height() * 0.18, -box.width() * 0.18, -box.height() * 0.18);
    const qreal radius = circle.width() / 2;
    const bool clockwise = rotation == K::Rotate90;
    const qreal sweep = rotation == K::Rotate180 ? 180 : 270;  // Qt: degrees counter-clockwise from 3 o'clock
    const qreal start = rotation == K::Rotate180 ? 180 : 90;
    painter.setPen(inkPen(ink, box));
    painter.setBrush(Qt::NoBrush);
    const qreal signedSweep = clockwise || rotation == K::Rotate180 ? -sweep : sweep;
    painter.drawArc(circle, static_cast<int>(start * 16), static_cast<int>(signedSweep * 16));
    const qreal end = qDegreesToRadians(start + signedSweep);
    const QPointF tip(circle.center().x() + radius * std::cos(end), circle.center().y() - radius * std::sin(end));
    // The tangent at the end, in screen coordinates (y grows downwards).
    const qreal direction = -(start + signedSweep) + (signedSweep < 0 ? 90 : -90);
    arrowHead(painter, tip, direction, box.width() * 0.26, ink);
}

// A double arrow across the mirror axis, which is drawn dashed.
void paintMirror(QPainter& painter, const QRectF& box, K mirror, const QColor& ink) {
    const bool across = mirror == K::FlipHorizontal;  // left to right
    const QPointF c = box.center();
    const qreal reach = box.width() * 0.36, head = box.width() * 0.22;
    QPen axis = inkPen(ink, box);
    axis.setStyle(Qt::DashLine);
    axis.setWidthF(axis.widthF() / 2);
    painter.setPen(axis);
    if (across) painter.drawLine(QPointF(c.x(), box.top() + 2), QPointF(c.x(), box.bottom() - 2));
    else painter.drawLine(QPointF(box.left() + 2, c.y()), QPointF(box.right() - 2, c.y()));
    painter.setPen(inkPen(ink, box));
    const QPointF a = across ? QPointF(c.x() - reach, c.y()) : QPointF(c.x(), c.y() - reach);
    const QPointF b = across ? QPointF(c.x() + reach, c.y()) : QPointF(c.x(), c.y() + reach);
    painter.drawLine(a, b);
    arrowHead(painter, a, across ? 180 : -90, head, ink);
    arrowHead(painter, b, across ? 0 : 90, head, ink);
}

}  // namespace

void paintTurnMark(QPainter& painter, const QRectF& box, TransformKind turn, const QColor& ink) {
    const MarkParts parts = partsOf(turn);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (parts.mirror != K::None && parts.rotation != K::None) {
        const QRectF left(box.left(), box.top(), box.width() / 2, box.height());
        paintMirror(painter, left.adjusted(0, box.height() / 4, 0, -box.height() / 4), parts.mirror, ink);
        paintRotation(painter, left.translated(box.width() / 2, 0).adjusted(0, box.height() / 4, 0, -box.height() / 4),
                      parts.rotation, ink);
    } else if (parts.mirror != K::None) {
        paintMirror(painter, box, parts.mirror, ink);
    } else if (parts.rotation != K::None) {
        paintRotation(painter, box, parts.rotation, ink);
    }
    painter.restore();
}

void paintUprightMark(QPainter& painter, const QRectF& box, const QColor& ink) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(inkPen(ink, box));
    const QPointF c = box.center();
    const qreal top = box.top() + box.height() * 0.2, bottom = box.bottom() - box.height() * 0.22;
    painter.drawLine(QPointF(c.x(), bottom - 2), QPointF(c.x(), top + box.height() * 0.12));
    painter.drawLine(QPointF(box.left() + box.width() * 0.2, bottom), QPointF(box.right() - box.width() * 0.2, bottom));
    arrowHead(painter, QPointF(c.x(), top), -90, box.width() * 0.28, ink);
    painter.restore();
}

QIcon choiceIcon(shell::ReviewChoice choice, const QColor& ink) {
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        const QRectF box(0, 0, size, size);
        if (choice == shell::ReviewChoice::Leave) {
            // A photo standing as it is: a frame with a sun and a hill in it.
            painter.setRenderHint(QPainter::Antialiasing);
            QPen thin = inkPen(ink, box);
            thin.setWidthF(thin.widthF() * 0.7);
            painter.setPen(thin);
            const QRectF frame = box.adjusted(size * 0.12, size * 0.22, -size * 0.12, -size * 0.22);
            painter.drawRect(frame);
            painter.setBrush(ink);
            painter.drawEllipse(QPointF(frame.left() + frame.width() * 0.3, frame.top() + frame.height() * 0.32),
                                size * 0.06, size * 0.06);
            painter.setBrush(Qt::NoBrush);
            QPainterPath hill;
            hill.moveTo(frame.left(), frame.bottom() - frame.height() * 0.15);
            hill.quadTo(frame.center().x(), frame.top() + frame.height() * 0.35, frame.right(), frame.bottom() - frame.height() * 0.2);
            painter.drawPath(hill);
        } else {
            paintTurnMark(painter, box, shell::choiceFacts(choice).then, ink);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

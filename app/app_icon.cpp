#include "app/app_icon.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap drawIcon(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 64.0, side / 64.0);

    // The photograph: a landscape print with sky, sun and a hill.
    const QRectF photo(14, 20, 40, 30);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.setBrush(QColor(120, 180, 230));
    painter.drawRoundedRect(photo, 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 60));
    painter.drawEllipse(QPointF(44, 29), 4, 4);
    QPainterPath hill;
    hill.moveTo(15, 49);
    hill.quadTo(30, 32, 53, 49);
    hill.closeSubpath();
    painter.setBrush(QColor(70, 150, 70));
    painter.drawPath(hill);

    // The counter-clockwise arrow over the top-left corner.
    QPen arrowPen(QColor(200, 40, 40), 5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(arrowPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(4, 4, 36, 36), 20 * 16, 110 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 40, 40));
    painter.drawPolygon(QPolygonF({QPointF(1, 18), QPointF(13, 18), QPointF(7, 28)}));
    return pixmap;
}

}  // namespace

QIcon pivoraIcon() {
    QIcon icon;
    for (const char* picture : {":/icons/48x48/pivora.png", ":/icons/256x256/pivora.png"}) {
        if (QFile::exists(picture)) icon.addFile(picture);
    }
    if (!icon.isNull()) return icon;
    for (int side : {16, 32, 48, 64, 128}) icon.addPixmap(drawIcon(side));
    return icon;
}

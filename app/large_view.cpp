#include "app/large_view.h"

#include <QKeyEvent>
#include <QPainter>

LargeView::LargeView(QWidget* parent) : QWidget(parent) {
    setObjectName("largeView");
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    setPalette(dark);
}

void LargeView::show(const QImage& picture, const QString& caption) {
    picture_ = picture;
    caption_ = caption;
    update();
}

QRect LargeView::pictureRoom() const {
    const int line = fontMetrics().height();
    return rect().adjusted(8, 8, -8, -(3 * line + 8));
}

void LargeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = pictureRoom();
    if (!picture_.isNull()) {
        // Never larger than its own pixels: a small photo is shown at its size.
        QSize size = (QSizeF(picture_.size()) / devicePixelRatioF()).toSize();
        if (size.width() > room.width() || size.height() > room.height()) size.scale(room.size(), Qt::KeepAspectRatio);
        QRect at(QPoint(0, 0), size);
        at.moveCenter(room.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(at, picture_);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(8, room.bottom() + 4, -8, -4), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     caption_);
}

void LargeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space: emit back(); return;
    case Qt::Key_Left:
    case Qt::Key_Up: emit step(-1); return;
    case Qt::Key_Right:
    case Qt::Key_Down: emit step(1); return;
    default: QWidget::keyPressEvent(event);
    }
}

void LargeView::mouseDoubleClickEvent(QMouseEvent*) { emit back(); }

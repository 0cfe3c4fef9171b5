#include "app/link_label.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>
#include <QTimerEvent>

#include "app/shell/link_error_text.h"

LinkLabel::LinkLabel(const QString& text, QWidget* parent, platform::LinkOpener& opener,
                     platform::MessageSink& messages)
    : QLabel(text, parent), opener_(opener), messages_(messages), pointer_([] { return QCursor::pos(); }) {}

void LinkLabel::attach() {
    if (url_.isEmpty()) url_ = text();
    if (text().isEmpty()) setText(url_);
    normalFont_ = font();
    underlineFont_ = normalFont_;
    underlineFont_.setUnderline(true);
    attached_ = true;
    fitWindowToText();
    setCursor(Qt::PointingHandCursor);
    setUnderline(UnderlineOnHover);
    setToolTip(url_);
    setMouseTracking(true);
    refreshColour();
}

void LinkLabel::setUrl(const QString& url) {
    url_ = url;
    if (attached_) {
        fitWindowToText();
        setToolTip(url_);
    }
}

void LinkLabel::setVisited(bool visited) {
    visited_ = visited;
    refreshColour();
    repaint();
}

void LinkLabel::setUnderline(int mode) {
    if (mode == underlineMode_) return;
    if (attached_) {
        setFont(mode == UnderlineAlways ? underlineFont_ : normalFont_);
        repaint();
    }
    underlineMode_ = mode;
}

QColor LinkLabel::textColour() const {
    if (overControl_) return hoverColour;
    return visited_ ? visitedColour : linkColour;
}

void LinkLabel::refreshColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, textColour());
    setPalette(colours);
}

void LinkLabel::fitWindowToText() {
    if (!adjustToFit_) return;
    const QFontMetrics metrics(underlineFont_);
    const QMargins margins = contentsMargins();
    const int neededWidth = metrics.horizontalAdvance(text()) + margins.left() + margins.right();
    const int neededHeight = metrics.height() + margins.top() + margins.bottom();
    QRect area = geometry();
    area.setBottom(area.top() + neededHeight - 1);
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter) {
        const int half = (area.width() - neededWidth) / 2;
        area.adjust(half, 0, -half, 0);
    } else if (horizontal & Qt::AlignRight) {
        area.setLeft(area.right() - neededWidth + 1);
    } else {
        area.setWidth(neededWidth);
    }
    setGeometry(area);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!overControl_) {
        overControl_ = true;
        if (underlineMode_ == UnderlineOnHover) setFont(underlineFont_);
        refreshColour();
        repaint();
        hoverTimer_.start(kHoverInterval, this);
    }
    QLabel::mouseMoveEvent(event);
}

void LinkLabel::timerEvent(QTimerEvent* event) {
    if (event->timerId() == hoverTimer_.timerId()) {
        hoverTick();
        return;
    }
    QLabel::timerEvent(event);
}

void LinkLabel::hoverTick() {
    if (rect().contains(mapFromGlobal(pointer_()))) return;
    overControl_ = false;
    hoverTimer_.stop();
    if (underlineMode_ != UnderlineAlways) setFont(normalFont_);
    refreshColour();
    update();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) clicked();
    event->accept();
}

void LinkLabel::clicked() {
    overControl_ = false;  // the hover timer goes on until the pointer is outside
    const platform::LinkResult result = opener_.open(url_.toStdString());
    visited_ = result == platform::LinkResult::Opened;
    if (visited_) {
        setVisited(true);
    } else {
        refreshColour();
        QApplication::beep();
        messages_.show(shell::linkErrorMessage(result, url_.toStdString()), platform::MessageIcon::Exclamation);
    }
}

#include "app/tile_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "app/review_model.h"
#include "app/turn_marks.h"

namespace {

constexpr int kPadding = 8;

QColor captionColour(const QString& caption, const QPalette& palette) {
    if (caption == "Turned") return QColor(0x1d, 0x7a, 0x2e);
    if (caption == "Not turned" || caption == "Cannot be turned") return QColor(0xb3, 0x26, 0x1e);
    if (caption == "Changed on disk") return QColor(0xb0, 0x5a, 0x00);
    return palette.color(QPalette::PlaceholderText);
}

// A round badge in the corner of the picture, with `paint` drawing its glyph.
template <typename Glyph>
void badge(QPainter& painter, const QRectF& at, const QColor& fill, Glyph paint) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(at);
    painter.restore();
    paint(at.adjusted(2, 2, -2, -2));
}

}  // namespace

TileDelegate::TileDelegate(int picture, QObject* parent) : QStyledItemDelegate(parent), picture_(picture) {}

QSize TileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int line = option.fontMetrics.height();
    return {picture_ + 2 * kPadding, picture_ + 2 * kPadding + 2 * line + 2};
}

void TileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QPalette& palette = option.palette;
    const QRect cell = option.rect.adjusted(2, 2, -2, -2);
    painter->save();
    if (option.state & QStyle::State_Selected) {
        QColor tint = palette.color(QPalette::Highlight);
        tint.setAlpha(60);
        painter->setPen(QPen(palette.color(QPalette::Highlight), 1));
        painter->setBrush(tint);
        painter->drawRoundedRect(cell, 4, 4);
    }
    const QRect square(cell.left() + kPadding - 2, cell.top() + kPadding - 2, picture_, picture_);
    const QImage image = index.data(ReviewModel::PictureRole).value<QImage>();
    QRect shown = square.adjusted(picture_ / 8, picture_ / 5, -picture_ / 8, -picture_ / 5);
    if (!image.isNull()) {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QSize size = (QSizeF(image.size()) / ratio).toSize();
        if (size.width() > picture_ || size.height() > picture_) size.scale(picture_, picture_, Qt::KeepAspectRatio);
        shown = QRect(QPoint(0, 0), size);
        shown.moveCenter(square.center());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(shown, image);
    } else {
        painter->fillRect(shown, palette.color(QPalette::Midlight));  // not made yet
    }

    const auto mark = static_cast<shell::TileMark>(index.data(ReviewModel::MarkRole).toInt());
    const auto turn = static_cast<TransformKind>(index.data(ReviewModel::TurnRole).toInt());
    const qreal side = std::max(20, picture_ / 6);
    QRectF corner(shown.right() - side + 4, shown.top() - 4, side, side);
    if (mark == shell::TileMark::Changes) {
        painter->setPen(QPen(palette.color(QPalette::Highlight), 3));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(shown).adjusted(-1.5, -1.5, 1.5, 1.5));
        const QColor fill = palette.color(QPalette::Highlight);
        if (turn != TransformKind::None) {
            badge(*painter, corner, fill, [&](const QRectF& glyph) { paintTurnMark(*painter, glyph, turn, Qt::white); });
            corner.translate(-side - 2, 0);
        }
        if (index.data(ReviewModel::UprightRole).toBool())
            badge(*painter, corner, fill, [&](const QRectF& glyph) { paintUprightMark(*painter, glyph, Qt::white); });
    } else if (mark == shell::TileMark::Refused) {
        const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        warning.paint(painter, corner.toRect().adjusted(-2, -2, 2, 2));
    }

    const int line = option.fontMetrics.height();
    QRect text(cell.left() + 2, square.bottom() + kPadding / 2, cell.width() - 4, line);
    painter->setPen(palette.color(option.state & QStyle::State_Selected ? QPalette::Text : QPalette::WindowText));
    painter->drawText(text, Qt::AlignCenter,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, text.width()));
    const QString caption = index.data(ReviewModel::CaptionRole).toString();
    if (!caption.isEmpty()) {
        painter->setPen(captionColour(caption, palette));
        painter->drawText(text.translated(0, line), Qt::AlignCenter, caption);
    }
    painter->restore();
}

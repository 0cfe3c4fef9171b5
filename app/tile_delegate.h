#pragma once
// Draws a review tile: the photo as it will look within its square, framed and marked with its
// planned turn when it will change, a warning sign when it is known to be refused, its name below
// and the last run's result below that; the selection tinted behind it.

#include <QStyledItemDelegate>

class TileDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `picture` is the side of a picture's square, in the view's pixels.
    TileDelegate(int picture, QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int picture_;
};

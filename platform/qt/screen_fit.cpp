#include "platform/qt/screen_fit.h"

#include <QScreen>

namespace platform {
namespace {

QMargins frameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                         frame.bottom() - inner.bottom());
    return known.isNull() ? kAssumedFrame : known;
}

// How far to move the span [low, high] so that it lies inside [first, last] (its start wins when it cannot).
int shiftInto(int low, int high, int first, int last) {
    int shift = high > last ? last - high : 0;
    if (low + shift < first) shift = first - low;
    return shift;
}

}  // namespace

void fitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameMargins(window);
    const QSize room = area.size().shrunkBy(frame);
    const QSize fitted = window.size().boundedTo(room).expandedTo(window.minimumSize());
    if (fitted != window.size()) window.resize(fitted);

    const QRect outer = window.geometry().marginsAdded(frame);
    const QPoint shift(shiftInto(outer.left(), outer.right(), area.left(), area.right()),
                       shiftInto(outer.top(), outer.bottom(), area.top(), area.bottom()));
    if (!shift.isNull()) window.move(window.pos() + shift);
}

}  // namespace platform

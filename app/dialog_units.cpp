#include "app/dialog_units.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

DialogUnits::DialogUnits(const QFont& font, double stretch) {
    const QFontMetrics metrics(font);
    charWidth_ = metrics.averageCharWidth() * stretch;
    charHeight_ = metrics.height();
}

int DialogUnits::x(int units) const { return static_cast<int>(std::lround(units * charWidth_ / 4.0)); }

int DialogUnits::y(int units) const { return (units * charHeight_ + 4) / 8; }

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

QSize DialogUnits::size(int width, int height) const { return QSize(x(width), y(height)); }

void DialogLayout::apply(int width, int height) {
    const double charWidth = QFontMetrics(window_->font()).averageCharWidth();
    double stretch = 1.0;
    for (const Placed& placed : controls_) {
        if (placed.mayClip) continue;
        const double available = placed.units.width() * charWidth / 4.0;
        const int needed = placed.control->sizeHint().width();
        if (available > 0 && needed > available) stretch = std::max(stretch, (needed + 1.0) / available);
    }
    const DialogUnits units(window_->font(), stretch);
    for (const Placed& placed : controls_) {
        const QRect& u = placed.units;
        placed.control->setGeometry(units.rect(u.x(), u.y(), u.width(), u.height()));
    }
    window_->setFixedSize(units.size(width, height));
}

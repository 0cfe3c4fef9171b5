#pragma once
// Dialog units: positions and sizes given in quarters of the dialog font's average character
// width (horizontal) and eighths of its height (vertical), so a window keeps its proportions
// whatever font the desktop uses.

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <utility>
#include <vector>

class DialogUnits {
public:
    // `stretch` widens every horizontal measure alike (1.0: the plain dialog units).
    explicit DialogUnits(const QFont& font, double stretch = 1.0);
    int x(int units) const;
    int y(int units) const;
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;

private:
    double charWidth_;
    int charHeight_;
};

// Places a window's controls by dialog units. Fonts wider than the average-width rule expects
// would clip texts, so the whole window is widened alike until every text fits.
class DialogLayout {
public:
    explicit DialogLayout(QWidget* window) : window_(window) {}
    // Records where `control` goes; its text must fit (unless `mayClip`, for frames and lines).
    template <typename Control>
    Control* place(Control* control, const QRect& units, bool mayClip = false) {
        controls_.push_back({control, units, mayClip});
        return control;
    }
    // Gives every recorded control its place and the window the fixed size `width` x `height` units.
    void apply(int width, int height);

private:
    struct Placed {
        QWidget* control;
        QRect units;
        bool mayClip;
    };
    QWidget* window_;
    std::vector<Placed> controls_;
};

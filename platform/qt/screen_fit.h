#pragma once
// Keeping a window on a small screen (a laptop at a scale factor of 2 has 640 by 400 pixels to
// lay windows out in): called at the end of a window's showEvent, after the toolkit has given
// it its size and place.

#include <QMargins>
#include <QWidget>

namespace platform {

// What a window manager's frame is taken to add around a window before the frame is known.
inline constexpr QMargins kAssumedFrame{4, 32, 4, 4};

// Shrinks `window` (as far as its minimum size allows) and moves it so that it lies with its
// frame inside its screen's free area. A window that fits and lies inside is not touched.
void fitOnScreen(QWidget& window);

}  // namespace platform

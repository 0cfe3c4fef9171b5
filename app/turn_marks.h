#pragma once
// The review's drawn marks: the glyph of a planned turn (a curved arrow for a quarter or half turn,
// a double arrow across the mirror axis for a flip, both for a turn that mirrors and rotates),
// the mark of a photo made upright by its tag, and the toolbar's icons of the choices. Drawn with
// QPainter in the colours asked for, so that they follow the palette and no image file is needed.

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QRectF>

#include "app/shell/review_plan.h"

// The glyph of `turn` (as the viewer sees it) within `box`.
void paintTurnMark(QPainter& painter, const QRectF& box, TransformKind turn, const QColor& ink);
// An upward arrow standing on a line: made upright by its orientation tag.
void paintUprightMark(QPainter& painter, const QRectF& box, const QColor& ink);
// The icon of a choice, in the palette's button text colour.
QIcon choiceIcon(shell::ReviewChoice choice, const QColor& ink);

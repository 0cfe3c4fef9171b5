#pragma once
// The program's icon: a photograph with an arrow turning it a quarter counter-clockwise. The
// desktop icon's pictures when they were built in, else a drawing of the same idea.

#include <QIcon>

QIcon pivoraIcon();

#pragma once
// The program's icon: a photograph with an arrow turning it a quarter counter-clockwise.

#include <QIcon>

QIcon pivoraIcon();

// Where a new child window goes: inside the part of the workspace the user
// sees, so that no new window has to be looked for beyond its edges.
#pragma once

#include <QRect>
#include <QSize>

// The geometry of the index-th window opened into workspace (0: the first):
// cascaded from the workspace's top-left by step pixels per window, starting
// over at the corner once the cascade has run a third of the way across or
// down; its size is the wanted one cut to what is left of the workspace
// right of and below that corner. An empty workspace gives the wanted size
// at the workspace's top-left.
QRect NewWindowGeometry(const QRect& workspace, QSize wanted, int index, int step);

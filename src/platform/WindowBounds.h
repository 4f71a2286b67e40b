// Where a window restored from stored bounds goes so that it is seen: settings written on a larger
// or another monitor may place it beyond every screen there is now.
#pragma once

#include <QRect>
#include <vector>

// Bounds from stored numbers, which a damaged settings file may make anything: each is kept within
// a million pixels (sizes not below 0), so that no edge computed from them overflows.
QRect StoredBounds(int left, int top, int width, int height);

// The bounds brought into the area (a screen less its task bars): a size that fits is kept, a
// larger one is cut to the area's; the window is then moved as little as it takes to lie wholly
// inside. Bounds already inside come back unchanged.
QRect BoundsWithinArea(const QRect &bounds, const QRect &area);

// The index of the area that holds the largest part of the bounds; fallback when none holds any.
int AreaHoldingMost(const QRect &bounds, const std::vector<QRect> &areas, int fallback);

// The bounds brought into the screen that shows most of them, else into the primary screen;
// unchanged when there is no screen.
QRect BoundsOnScreen(const QRect &bounds);

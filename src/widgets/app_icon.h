#pragma once
// The player's own icon, drawn rather than loaded: a dashboard camera's lens
// with a play mark, on a dark rounded square.

#include <QIcon>
#include <QImage>

class QPainter;

namespace tesmira {

// Paints the icon into the square (0, 0, size, size) of any paint device; the
// installed pictures (PNG and SVG) are made by this same code.
void PaintTesmiraIcon(QPainter& painter, qreal size);

// The icon drawn at one size (square, transparent corners).
QImage TesmiraIconImage(int size);
// The icon at the sizes window managers and task bars ask for.
QIcon TesmiraIcon();

}  // namespace tesmira

#pragma once
// The player's own icon, drawn rather than loaded: a dashboard camera's lens
// with a play mark, on a dark rounded square.

#include <QIcon>
#include <QImage>

namespace tesmira {

// The icon drawn at one size (square, transparent corners).
QImage TesmiraIconImage(int size);
// The icon at the sizes window managers and task bars ask for.
QIcon TesmiraIcon();

}  // namespace tesmira

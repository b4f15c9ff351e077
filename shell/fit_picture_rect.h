#pragma once

#include <QSize>

namespace quillery {

// The size to draw a picture of pictureSize at inside a box of boxSize:
// never enlarged, shrunk with its proportions kept otherwise.
QSize FitPictureRect(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);

} // namespace quillery

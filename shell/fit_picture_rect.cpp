#include "shell/fit_picture_rect.h"

namespace quillery {

QSize FitPictureRect(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight) {
    const int a = pictureWidth;
    const int b = pictureHeight;
    const int c = boxWidth;
    const int d = boxHeight;
    if (a <= c && b <= d)
        return QSize(a, b);
    if (a <= 0 || b <= 0)
        return QSize(c, d);
    const double r = static_cast<double>(a) / b;
    int width = 0;
    int height = 0;
    if (b < a) {
        width = c;
        height = static_cast<int>(c / r);
        if (height > d) {
            height = d;
            width = static_cast<int>(d * r);
        }
    } else {
        height = d;
        width = static_cast<int>(d * r);
        if (width > c) {
            width = c;
            height = static_cast<int>(c / r);
        }
    }
    return QSize(width, height);
}

} // namespace quillery

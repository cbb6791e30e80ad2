#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

// The largest device pixel ratio a page picture is drawn at.
constexpr qreal kLargestPictureRatio = 16;

// A page picture (bitmaps 120-123 and 1012) drawn at the device pixel ratio: an image of the
// picture's size times the ratio, rounded up, with that ratio set, so it shows at the picture's own
// size.
QImage DrawPagePicture(int bitmap, qreal ratio);

// The image at 8 bits per pixel: with a palette of its own colours when they fit, else with the
// nearest of a fixed palette, never with a dither pattern.
QImage EightBit(const QImage& image);

// The size of a page picture in its own pixels; an empty size for another bitmap.
QSize PagePictureSize(int bitmap);

// The wizard's icon at size x size pixels.
QImage DrawIcon(int size);

// The picture a picture control shows on a screen of the device pixel ratio: at ratio 1 the
// embedded bitmap; else the picture drawn at that ratio. A bitmap that is not drawn here (or not
// at that ratio) is the embedded one, a null pixmap when there is none.
QPixmap PagePicture(int bitmap, qreal ratio);

// The size in units of a picture control that shows the pixmap of the bitmap from PagePicture:
// the picture's own size, whatever the ratio it was drawn at.
QSize PagePictureSize(int bitmap, const QPixmap& picture);

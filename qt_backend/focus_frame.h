#pragma once

#include <QPalette>

class QAbstractScrollArea;

// Draws the style's focus frame around the viewport of area, over the palette's ground colour;
// for the controls whose style draws no focus of its own.
void DrawViewportFocusFrame(QAbstractScrollArea& area, QPalette::ColorRole ground);

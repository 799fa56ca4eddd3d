#pragma once
// Controls placed in twips, windows centred, and colours set on controls.

#include "platform/basic/Rgb.h"

#include <QColor>

class QWidget;

namespace forms {

// Places a control at a twips rectangle of its parent (15 twips a pixel).
void PlaceTwips(QWidget* control, int left, int top, int width, int height);

// A place in a layout table: left, top, width, height in twips.
struct TwipsRect {
    int left, top, width, height;
};
inline void PlaceTwips(QWidget* control, const TwipsRect& r)
{
    PlaceTwips(control, r.left, r.top, r.width, r.height);
}

QColor Rgb(int red, int green, int blue);
QColor Colour(basic::Rgb colour);
void SetTextColour(QWidget* control, const QColor& colour);
void SetBackColour(QWidget* control, const QColor& colour);

// Centres a window on the screen's available area.
void CentreOnScreen(QWidget* window);

} // namespace forms

#pragma once
// The configuration page's pictures, drawn by the station itself: the
// controller's rear terminals 1 to 24, a motor-driven valve, and that
// valve's wiring to terminals 13 to 24.

#include <QPainter>
#include <QRect>

namespace pages::config_pictures {

void RearTerminals(QPainter& p, const QRect& area);   // Image2, under the tabs
void Valve(QPainter& p, const QRect& area);           // Image1, tab "阀位控制"
void ValveWiring(QPainter& p, const QRect& area);     // Image3, tab "阀位控制"

} // namespace pages::config_pictures

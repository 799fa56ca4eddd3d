#pragma once
// The alarm page's explanatory pictures, drawn by the station itself: how
// each alarm type switches its output against the process value.

#include <QPainter>
#include <QRect>

namespace pages::alarm_pictures {

void UpperLimit(QPainter& p, const QRect& area);       // Image1
void LowerLimit(QPainter& p, const QRect& area);       // Image2
void UpperDeviation(QPainter& p, const QRect& area);   // Image3
void LowerDeviation(QPainter& p, const QRect& area);   // Image4
void DeviationBand(QPainter& p, const QRect& area);    // Image5
void Summary(QPainter& p, const QRect& area);          // Image6
void Legend(QPainter& p, const QRect& area);           // Image7

} // namespace pages::alarm_pictures

#include "trend/ChartCanvas.h"

#include "platform/forms/Forms.h"

#include <QPainter>

namespace chart {

namespace {

Qt::PenStyle ToStyle(LineStyle s)
{
    switch (s) {
    case LineStyle::Dot: return Qt::DotLine;
    case LineStyle::Dash: return Qt::DashLine;
    case LineStyle::Solid: break;
    }
    return Qt::SolidLine;
}

// Twips map onto the widget; pen widths stay in pixels whatever the scale.
void SetTwipsWindow(QPainter& painter, QSize size)
{
    painter.setWindow(0, 0, static_cast<int>(CanvasWidth), static_cast<int>(CanvasHeight));
    painter.setViewport(0, 0, size.width(), size.height());
}

QPen CosmeticPen(Rgb colour, int width, LineStyle style)
{
    QPen pen(forms::Colour(colour), width, ToStyle(style), Qt::FlatCap);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

ChartCanvas::ChartCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartCanvas::SetPicture(const ChartPicture& picture)
{
    picture_ = picture;
    dirty_ = true;
    update();
}

void ChartCanvas::SetCursor(const CursorLine& cursor)
{
    cursor_ = cursor;
    update();
}

void ChartCanvas::Render(QPainter& painter, const ChartPicture& picture, QSize size)
{
    painter.fillRect(QRect(QPoint(0, 0), size), forms::Colour(picture.background));
    painter.save();
    SetTwipsWindow(painter, size);
    for (const LinePrimitive& line : picture.lines) {
        painter.setPen(CosmeticPen(line.colour, line.width, line.style));
        painter.drawLine(line.from, line.to);
    }
    painter.restore();
}

void ChartCanvas::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (dirty_ || cache_.size() != pixels) {
        cache_ = QPixmap(pixels);
        cache_.setDevicePixelRatio(ratio);
        QPainter cachePainter(&cache_);
        Render(cachePainter, picture_, size());
        dirty_ = false;
        ++renders_;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, cache_);
    if (cursor_.visible) {
        SetTwipsWindow(painter, size());
        painter.setPen(CosmeticPen(cursor_.colour, cursor_.width, LineStyle::Solid));
        painter.drawLine(cursor_.from, cursor_.to);
    }
}

} // namespace chart

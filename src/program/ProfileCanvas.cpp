#include "program/ProfileCanvas.h"

#include "platform/forms/Forms.h"

#include <QPainter>

namespace program {

namespace {

struct PenDef {
    basic::Rgb colour;
    int width;   // pixels, whatever the scale
    Qt::PenStyle style;
};

// Grid, Boundary, Ramp: in the order of PlotPen.
constexpr PenDef kPens[] = {
    {{64, 64, 0}, 1, Qt::DotLine},
    {{0, 255, 0}, 1, Qt::DashLine},
    {{255, 0, 0}, 2, Qt::SolidLine},
};

QPen PenOf(PlotPen pen)
{
    const PenDef& def = kPens[static_cast<size_t>(pen)];
    QPen qpen(forms::Colour(def.colour), def.width, def.style, Qt::FlatCap);
    qpen.setCosmetic(true);
    return qpen;
}

} // namespace

ProfileCanvas::ProfileCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProfileCanvas::FitImage()
{
    const qreal ratio = devicePixelRatioF();
    if (!image_.isNull() && image_.size() == size() * ratio)
        return;
    image_ = QPixmap(size() * ratio);
    image_.setDevicePixelRatio(ratio);
    image_.fill(Qt::white);
}

void ProfileCanvas::Clear()
{
    FitImage();
    image_.fill(Qt::white);
    update();
}

void ProfileCanvas::Draw(const std::vector<PlotLine>& lines)
{
    FitImage();
    QPainter painter(&image_);
    // Canvas units onto the widget; what lies outside is clipped.
    painter.setWindow(0, 0, int(kCanvasWidth), int(kCanvasHeight));
    painter.setViewport(0, 0, width(), height());
    painter.setClipRect(QRectF(0, 0, kCanvasWidth, kCanvasHeight));
    for (const PlotLine& line : lines) {
        painter.setPen(PenOf(line.pen));
        // A segment of no time and no change is a point; a line of no
        // length would draw nothing at all.
        if (line.from == line.to)
            painter.drawPoint(line.from);
        else
            painter.drawLine(line.from, line.to);
    }
    update();
}

void ProfileCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, image_);
}

} // namespace program

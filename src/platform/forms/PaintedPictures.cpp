#include "platform/forms/PaintedPictures.h"

#include <QPainter>

namespace forms {

PaintedPicture::PaintedPicture(Painter painter, QWidget* parent)
    : QWidget(parent), painter_(std::move(painter))
{
}

void PaintedPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (painter_)
        painter_(p, rect());
}

} // namespace forms

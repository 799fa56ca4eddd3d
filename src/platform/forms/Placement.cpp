#include "platform/forms/Placement.h"

#include "platform/basic/twips.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace forms {

void PlaceTwips(QWidget* control, int left, int top, int width, int height)
{
    using basic::TwipsToPixels;
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

QColor Rgb(int red, int green, int blue) { return QColor(red, green, blue); }
QColor Colour(basic::Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

void SetTextColour(QWidget* control, const QColor& colour)
{
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    control->setPalette(p);
}

void SetBackColour(QWidget* control, const QColor& colour)
{
    QPalette p = control->palette();
    if (control->autoFillBackground() && p.color(QPalette::Window) == colour
        && p.color(QPalette::Base) == colour)
        return;
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    control->setPalette(p);
    control->setAutoFillBackground(true);
}

void CentreOnScreen(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - window->rect().center());
    }
}

} // namespace forms

#pragma once
// Pictures of the station's own drawing.

#include <QWidget>
#include <functional>

class QPainter;

namespace forms {

// A picture of the station's own drawing (the windows' explanatory
// diagrams): the painter function draws it into the control's whole area.
class PaintedPicture : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter&, const QRect&)>;
    PaintedPicture(Painter painter, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter painter_;
};

} // namespace forms

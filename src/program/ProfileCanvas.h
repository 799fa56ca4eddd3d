#pragma once
// The profile's canvas pt1: a white picture area that keeps what is drawn
// on it in a backing pixmap, as a picture box keeps its image; lines come
// in canvas units (15008 x 9008) with the plot's pens.

#include "program/ProfileGeometry.h"

#include <QPixmap>
#include <QWidget>
#include <vector>

namespace program {

class ProfileCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ProfileCanvas(QWidget* parent = nullptr);

    // Clears the image to the background.
    void Clear();
    // Draws the lines over what the image holds.
    void Draw(const std::vector<PlotLine>& lines);
    const QPixmap& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The image at the widget's size; a new size starts a new, blank image.
    void FitImage();
    QPixmap image_;
};

} // namespace program

#pragma once
// The chart canvas pt: replays the picture computed at the last redraw in
// a logical window of 12008 x 7508 twips, with the ruler cursor Line1 drawn
// over it. Moving the cursor repaints from the cached picture.

#include "trend/ChartDrawing.h"

#include <QPixmap>
#include <QWidget>

namespace chart {

class ChartCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ChartCanvas(QWidget* parent = nullptr);

    void SetPicture(const ChartPicture& picture);
    void SetCursor(const CursorLine& cursor);

    const ChartPicture& Picture() const { return picture_; }
    const CursorLine& Cursor() const { return cursor_; }
    // How many times the picture was rendered (not merely blitted).
    int RenderCount() const { return renders_; }

    // Renders the picture into an image of the given size (benchmark,
    // tests); the same code the canvas paints with.
    static void Render(QPainter& painter, const ChartPicture& picture, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChartPicture picture_;
    CursorLine cursor_;
    QPixmap cache_;
    bool dirty_ = true;
    int renders_ = 0;
};

} // namespace chart

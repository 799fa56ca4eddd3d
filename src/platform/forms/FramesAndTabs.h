#pragma once
// Boxed value labels, captioned frames and tab pages filled by a frame.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QWidget>

class QTabWidget;

namespace forms {

// A label with a single dark line around it (the value labels).
class BoxLabel : public QLabel {
    Q_OBJECT
public:
    explicit BoxLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A frame with an etched border and its caption set into the top edge; a
// frame without caption is a plain etched box.
class Frame : public QWidget {
    Q_OBJECT
public:
    explicit Frame(const QString& caption, QWidget* parent = nullptr);
    QString caption() const { return caption_; }
    void SetCaptionColour(const QColor& colour);
    void SetCaptionFont(const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QColor captionColour_;
    QFont captionFont_;
    bool ownFont_ = false;
};

// Adds a tab with the given caption whose page is filled by one frame
// without caption; the controls of the tab go into that frame.
Frame* AddTabPage(QTabWidget* tabs, const QString& caption);

} // namespace forms

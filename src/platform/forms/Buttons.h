#pragma once
// Push buttons whose caption wraps.

#include <QPushButton>

namespace forms {

// A push button whose caption wraps onto a second line where it is wider
// than the button, as the station's narrow buttons need ("TIME SET").
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace forms

#include "platform/forms/Buttons.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace forms {

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
}

QSize CommandButton::sizeHint() const { return QPushButton::sizeHint(); }

void CommandButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
    p.setFont(font());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                             QPalette::ButtonText));
    QRect textRect = rect().adjusted(2, 1, -2, -1);
    if (isDown())
        textRect.translate(1, 1);
    p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

} // namespace forms

#include "platform/forms/StatusBar.h"

#include "platform/basic/twips.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QTime>

#include <algorithm>

namespace forms {

namespace {
// A status bar panel: its text centred on the height of capitals, so a
// large font still fits the bar's low panels.
class StatusPanelLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter p(this);
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics fm(font());
        const QRect inner = contentsRect();
        const int x = inner.left() + (inner.width() - fm.horizontalAdvance(text())) / 2;
        const int baseline = inner.top() + (inner.height() + fm.capHeight()) / 2;
        p.setClipRect(inner);
        p.drawText(QPoint(std::max(inner.left(), x), baseline), text());
    }
};
} // namespace

StatusBar::StatusBar(const PanelDef* panels, int count, QWidget* parent) : QFrame(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    for (int i = 0; i < count; ++i) {
        auto* label = new StatusPanelLabel(QString::fromUtf8(panels[i].text), this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(basic::TwipsToPixels(panels[i].widthTwips));
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        layout->addWidget(label, panels[i].widthTwips);
        panels_.push_back(label);
        kinds_.push_back(panels[i].kind);
    }
    clock_.setInterval(1000);
    connect(&clock_, &QTimer::timeout, this, &StatusBar::RefreshClock);
    clock_.start();
    RefreshClock();
}

QLabel* StatusBar::Panel(int panel) const
{
    if (panel < 1 || panel > PanelCount())
        return nullptr;
    return panels_[static_cast<size_t>(panel - 1)];
}

QString StatusBar::PanelText(int panel) const
{
    const QLabel* label = Panel(panel);
    return label ? label->text() : QString();
}

void StatusBar::SetPanelText(int panel, const QString& text)
{
    if (QLabel* label = Panel(panel); label && label->text() != text)
        label->setText(text);
}

void StatusBar::RefreshClock()
{
    const QLocale locale;
    for (size_t i = 0; i < panels_.size(); ++i) {
        if (kinds_[i] == Kind::Date)
            panels_[i]->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
        else if (kinds_[i] == Kind::Time)
            panels_[i]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        else if (kinds_[i] == Kind::ShortTime)
            panels_[i]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm")));
    }
}

} // namespace forms

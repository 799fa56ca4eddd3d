#include "platform/forms/FramesAndTabs.h"

#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace forms {

BoxLabel::BoxLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

// The text is drawn in a smaller size where it is wider than the label
// ("Sensor Bad 1" in a value label), so it stays readable instead of cut.
void BoxLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect inner = rect().adjusted(2, 1, -3, -1);
    QFont f = font();
    const int wanted = QFontMetrics(f).horizontalAdvance(text());
    if (wanted > inner.width() && wanted > 0) {
        const double size = std::max(6.0, f.pointSizeF() * inner.width() / wanted);
        f.setPointSizeF(size);
        f.setStretch(QFontMetrics(f).horizontalAdvance(text()) > inner.width() ? 85 : 100);
    }
    p.setFont(f);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                             QPalette::WindowText));
    if (alignment() & Qt::AlignVCenter) {
        // The CJK faces carry a tall ascent and descent, so centring on the
        // line puts the ideographs against the border of these low boxes.
        // Centre on the ink of an ideograph and a digit instead: the same
        // baseline for every text, each clear of both edges.
        const QFontMetrics fm(f);
        const QRect ink = fm.tightBoundingRect(QStringLiteral("国0"));
        const int baseline = inner.top() + (inner.height() - ink.height()) / 2 - ink.top();
        const int advance = fm.horizontalAdvance(text());
        int x = inner.left();
        if (alignment() & Qt::AlignRight)
            x = inner.right() + 1 - advance;
        else if (alignment() & Qt::AlignHCenter)
            x = inner.left() + (inner.width() - advance) / 2;
        p.save();
        p.setClipRect(inner);
        p.drawText(QPoint(std::max(inner.left(), x), baseline), text());
        p.restore();
    } else {
        p.drawText(inner, static_cast<int>(alignment()), text());
    }
    p.setPen(QColor(0, 0, 0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- Frame ---------------------------------------------------------------

Frame::Frame(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption), captionColour_(Qt::black)
{
}

void Frame::SetCaptionColour(const QColor& colour)
{
    captionColour_ = colour;
    update();
}

void Frame::SetCaptionFont(const QFont& font)
{
    captionFont_ = font;
    ownFont_ = true;
    update();
}

void Frame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFont font = ownFont_ ? captionFont_ : this->font();
    const QFontMetrics fm(font);
    const int top = caption_.isEmpty() ? 0 : fm.height() / 2;
    const QRect box = rect().adjusted(0, top, -2, -2);
    // The etched line: a dark line with a light one beside it.
    p.setPen(QColor(128, 128, 128));
    p.drawRect(box);
    p.setPen(Qt::white);
    p.drawRect(box.translated(1, 1));
    if (caption_.isEmpty())
        return;
    p.setFont(font);
    const int textWidth = fm.horizontalAdvance(caption_);
    const QRect textRect(6, 0, textWidth + 4, fm.height());
    p.fillRect(textRect, palette().color(QPalette::Window));
    p.setPen(captionColour_);
    p.drawText(textRect, Qt::AlignCenter, caption_);
}

Frame* AddTabPage(QTabWidget* tabs, const QString& caption)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new Frame(QString(), page);
    layout->addWidget(frame);
    tabs->addTab(page, caption);
    return frame;
}

} // namespace forms

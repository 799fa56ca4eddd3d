#include "platform/forms/Forms.h"

#include "platform/basic/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace forms {

namespace {

// The Song face first, then the CJK faces Debian ships: a serif one that
// looks like it, and a sans one that every desktop with CJK support has.
const QStringList kSongFamilies{QStringLiteral("SimSun"), QStringLiteral("宋体"),
                                QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("WenQuanYi Zen Hei")};
const QStringList kArialFamilies{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                 QStringLiteral("DejaVu Sans"),
                                 QStringLiteral("Noto Sans CJK SC")};

QFont MakeFont(const QStringList& families, double points, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferAntialias);
    return font;
}

} // namespace

void SetUpStation(QApplication& app)
{
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(style);
    app.setFont(SongFont(9));
    app.setQuitOnLastWindowClosed(false);
}

QFont SongFont(double points, bool bold) { return MakeFont(kSongFamilies, points, bold); }
QFont ArialFont(double points, bool bold) { return MakeFont(kArialFamilies, points, bold); }

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

// ---- Form ----------------------------------------------------------------

Form::Form(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

bool Form::Unload()
{
    // A refused unload leaves the window exactly as it was: no clean-up runs
    // for an unload that does not happen.
    if (CloseGuard)
        return false;
    Form_Unload();
    loaded_ = false;
    if (release_) {
        auto release = std::move(release_);
        release();
    }
    hide();
    emit Unloaded();
    deleteLater();
    return true;
}

void Form::closeEvent(QCloseEvent* event)
{
    // The close box is one more unload request; Unload hides the window
    // itself when it goes through.
    event->ignore();
    Unload();
}

// ---- The way back -------------------------------------------------------

namespace {
std::function<Form&()>& Home()
{
    static std::function<Form&()> home;
    return home;
}
} // namespace

void SetHomeWindow(std::function<Form&()> home) { Home() = std::move(home); }

void ShowInPlaceOf(Form& window, Form& from)
{
    window.returnTo_ = &from;
    from.hide();
    window.show();
}

void ClosePage(Form& window)
{
    // Taken before the unload, which lets the window go.
    const QPointer<Form> cameFrom = window.returnTo_;
    window.CloseGuard = false;
    window.Unload();
    if (cameFrom && cameFrom->Loaded())
        cameFrom->show();
    else if (Home())
        Home()().show();
}

// ---- ModalForm -----------------------------------------------------------

ModalForm::ModalForm()
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
}

// Both buttons press themselves on Enter while they have the focus.
void ModalForm::SetDefaultButton(QPushButton* button)
{
    default_ = button;
    if (button) {
        button->setAutoDefault(true);
        button->setDefault(true);
    }
}

void ModalForm::SetCancelButton(QPushButton* button)
{
    cancel_ = button;
    if (button)
        button->setAutoDefault(true);
}

void ModalForm::keyPressEvent(QKeyEvent* event)
{
    // Keys that reach the window are those its controls left unused: Enter
    // in a text box or on a check box, Esc anywhere.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        QPushButton* press = nullptr;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            press = default_;
        else if (event->key() == Qt::Key_Escape)
            press = cancel_;
        if (press) {
            if (press->isVisible() && press->isEnabled())
                press->click();
            return;
        }
    }
    Form::keyPressEvent(event);
}

int RunModal(ModalForm& window, QWidget* owner)
{
    // A child window of its owner: it stays over it and goes with it.
    if (owner)
        window.setParent(owner, window.windowFlags());
    window.setWindowModality(Qt::ApplicationModal);
    int result = window.ModalResult;
    QPointer<ModalForm> guard = &window;
    QEventLoop loop;
    QObject::connect(&window, &Form::Unloaded, &loop, [&] {
        result = window.ModalResult;
        loop.quit();
    });
    QObject::connect(&window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window.show();
    if (guard && guard->Loaded())
        loop.exec(QEventLoop::DialogExec);
    return result;
}

// ---- DropDownList --------------------------------------------------------

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMaxVisibleItems(20);
}

void DropDownList::SetText(const QString& text)
{
    const int index = findText(text, Qt::MatchExactly);
    if (index >= 0)
        setCurrentIndex(index);
    setEditText(text);
}

void FillList(DropDownList& list, const ListItems& content)
{
    list.clear();
    QStringList items;
    if (content.numbers > 0) {
        for (int n = 1; n <= content.numbers; ++n)
            items << QString::number(n) + QLatin1Char(' ');
    } else {
        for (const char* item : content.items)
            items << QString::fromUtf8(item);
    }
    list.addItems(items);
    list.SetText(items.value(content.shown));
}

// ---- KeyPreview ----------------------------------------------------------

KeyPreview::KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() { qApp->removeEventFilter(this); }

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !handler_)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_)
        return false;
    // Qt offers a key that a control leaves unused to its parents as well;
    // the window sees each key once, at its first delivery: to the focus
    // control, or to the window itself when nothing inside has the focus.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = (focus && focus->window() == window_) ? focus : window_;
    if (widget != first)
        return false;
    return handler_(static_cast<QKeyEvent*>(event));
}

// ---- BoxLabel ------------------------------------------------------------

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

// ---- PaintedPicture ------------------------------------------------------

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

// ---- CommandButton -------------------------------------------------------

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

// ---- StatusBar -----------------------------------------------------------

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

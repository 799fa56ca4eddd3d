#include "settings/EtheernetSET.h"

#include "platform/basic/twips.h"

#include <QEvent>
#include <QTimer>

using forms::PlaceTwips;
using forms::Rgb;
using forms::TwipsRect;

namespace {

// ---- Layout (twips) -----------------------------------------------------

constexpr int kClientWidth = 7680;
constexpr int kClientHeight = 4860;

constexpr TwipsRect kTitle{0, 180, 7680, 480};       // Label1
constexpr TwipsRect kReturn{2820, 4140, 2040, 495};  // Command4

// The group frames top to bottom; inside each, the name, the four boxes
// with a dot between neighbours, and "修改参数" at the right end.
namespace group {
constexpr int kLeft = 300;
constexpr int kFirstTop = 840;
constexpr int kPitch = 1080;
constexpr int kWidth = 7080;
constexpr int kHeight = 900;
constexpr TwipsRect Frame(int g) { return {kLeft, kFirstTop + g * kPitch, kWidth, kHeight}; }

constexpr TwipsRect kName{180, 330, 1140, 300};
constexpr int kBoxLeft = 1380;
constexpr int kBoxPitch = 1020;
constexpr int kBoxTop = 300;
constexpr int kBoxWidth = 720;
constexpr int kBoxHeight = 360;
constexpr TwipsRect Box(int k) { return {kBoxLeft + k * kBoxPitch, kBoxTop, kBoxWidth, kBoxHeight}; }
// A dot is an option button no larger than its circle, halfway between
// two boxes.
constexpr int kDotSize = 210;
constexpr TwipsRect Dot(int k)
{
    const int gapLeft = kBoxLeft + k * kBoxPitch + kBoxWidth;
    const int gap = kBoxPitch - kBoxWidth;
    return {gapLeft + (gap - kDotSize) / 2, kBoxTop + (kBoxHeight - kDotSize) / 2, kDotSize,
            kDotSize};
}
constexpr TwipsRect kWrite{5520, 270, 1380, 420};
} // namespace group

constexpr int kDotsPerGroup = settings::kOctetsPerGroup - 1;

// The page's teal, behind the window and its frames only: the boxes and
// buttons keep their own colours.
void PaintTeal(QWidget* widget)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, Rgb(0, 192, 192));
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

} // namespace

EtheernetSET::EtheernetSET()
{
    setWindowTitle(QStringLiteral("Ethernet SET"));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));
    PaintTeal(this);

    Label1 = new QLabel(QStringLiteral("网络参数设置"), this);
    PlaceTwips(Label1, kTitle);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(forms::SongFont(15, true));
    forms::SetTextColour(Label1, Rgb(255, 0, 0));

    Command4 = new forms::CommandButton(QStringLiteral("返回"), this);
    PlaceTwips(Command4, kReturn);
    connect(Command4, &QPushButton::clicked, this, &EtheernetSET::Command4_Click);

    std::array<forms::CommandButton*, settings::kOctetGroupCount> writes{};
    for (int g = 0; g < settings::kOctetGroupCount; ++g) {
        const settings::OctetGroup& def = settings::kOctetGroups[g];
        const QString caption = QString::fromUtf8(def.caption);
        auto* frame = new forms::Frame(caption, this);
        PlaceTwips(frame, group::Frame(g));
        PaintTeal(frame);
        Frame1[size_t(g)] = frame;

        auto* name = new QLabel(caption, frame);
        PlaceTwips(name, group::kName);
        Label2[size_t(g)] = name;

        for (int k = 0; k < settings::kOctetsPerGroup; ++k) {
            auto* box = new QLineEdit(frame);
            PlaceTwips(box, group::Box(k));
            box->setAlignment(Qt::AlignCenter);
            box->installEventFilter(this);
            Text1[size_t(def.firstBox + k)] = box;
        }
        for (int k = 0; k < kDotsPerGroup; ++k) {
            auto* dot = new QRadioButton(frame);
            PlaceTwips(dot, group::Dot(k));
            // Not a stop of the keyboard order, which runs box to box.
            dot->setFocusPolicy(Qt::NoFocus);
            Option1[size_t(g * kDotsPerGroup + k)] = dot;
        }
        auto* write = new forms::CommandButton(QStringLiteral("修改参数"), frame);
        PlaceTwips(write, group::kWrite);
        writes[size_t(g)] = write;
    }
    Command1 = writes[0];
    Command2 = writes[1];
    Command3 = writes[2];
    connect(Command1, &QPushButton::clicked, this, &EtheernetSET::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &EtheernetSET::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &EtheernetSET::Command3_Click);

    // Keyboard order: "返回" first, then group by group its four boxes and
    // its "修改参数".
    QWidget* previous = Command4;
    for (int g = 0; g < settings::kOctetGroupCount; ++g) {
        for (int k = 0; k < settings::kOctetsPerGroup; ++k) {
            QWidget* box = Text1[size_t(settings::kOctetGroups[g].firstBox + k)];
            setTabOrder(previous, box);
            previous = box;
        }
        setTabOrder(previous, writes[size_t(g)]);
        previous = writes[size_t(g)];
    }
    Command4->setFocus();

    CloseGuard = true;
    Reload();
}

void EtheernetSET::Reload()
{
    settings::ReadNetworkBlock();
    ShowBoxes();
}

void EtheernetSET::ShowBoxes()
{
    // All twelve, whichever group was written: what was typed but not sent
    // in the other groups gives way to the controller's values.
    const auto texts = settings::NetworkBoxTexts();
    for (size_t j = 0; j < Text1.size(); ++j)
        Text1[j]->setText(texts[j]);
}

void EtheernetSET::WriteGroup(int group)
{
    const int first = settings::kOctetGroups[group].firstBox;
    std::array<QString, settings::kOctetsPerGroup> texts;
    for (size_t k = 0; k < texts.size(); ++k)
        texts[k] = Text1[size_t(first) + k]->text();
    // A refused group leaves the boxes as typed; a written one has been
    // read back already.
    if (settings::WriteOctetGroup(group, texts))
        ShowBoxes();
}

void EtheernetSET::Command1_Click() { WriteGroup(0); }
void EtheernetSET::Command2_Click() { WriteGroup(1); }
void EtheernetSET::Command3_Click() { WriteGroup(2); }

void EtheernetSET::Command4_Click() { forms::ClosePage(*this); }

void EtheernetSET::Text1_GotFocus(int Index)
{
    // After the event: a click into the box places the cursor once the
    // focus has arrived, which would undo a selection made now.
    QLineEdit* box = Text1[size_t(Index)];
    QTimer::singleShot(0, box, [box] {
        box->setSelection(0, std::min<qsizetype>(box->text().size(), 255));
    });
}

bool EtheernetSET::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (size_t j = 0; j < Text1.size(); ++j)
            if (Text1[j] == watched)
                Text1_GotFocus(int(j));
    }
    return forms::Form::eventFilter(watched, event);
}

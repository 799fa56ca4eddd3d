#include "settings/TimeSet.h"

#include "platform/basic/twips.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using forms::PlaceTwips;
using forms::Rgb;
using forms::TwipsRect;

namespace {

// ---- Layout (twips) -----------------------------------------------------

constexpr int kClientWidth = 9840;
constexpr int kClientHeight = 4920;

constexpr TwipsRect kFrame12{240, 120, 5880, 4620};
constexpr TwipsRect kDateLabel{6360, 240, 3240, 600};   // Label2(9)
constexpr TwipsRect kTimeLabel{6360, 960, 3240, 600};   // Label2(10)
constexpr TwipsRect kImage1{6360, 1740, 3240, 2160};
constexpr TwipsRect kReturn{6360, 4140, 3240, 495};     // Command1

// Inside the frame: the six rows top to bottom, each read left to right as
// unit, controller value, field, "DOWN", register; the two buttons under
// them.
namespace row {
constexpr int kFirstTop = 420;
constexpr int kPitch = 555;
constexpr int kHeight = 375;
struct Column {
    int left, width;
};
constexpr Column kUnit{240, 330};
constexpr Column kValue{660, 1095};
constexpr Column kField{1860, 1095};
constexpr Column kDown{3060, 915};
constexpr Column kAddress{4080, 1560};
constexpr TwipsRect Place(int index, Column column)
{
    return {column.left, kFirstTop + index * kPitch, column.width, kHeight};
}
} // namespace row
constexpr TwipsRect kPause{660, 3900, 2295, 495};      // Command2
constexpr TwipsRect kDownloadAll{3345, 3900, 2295, 495};   // Command3

constexpr int kDateLabelIndex = 9;
constexpr int kTimeLabelIndex = 10;
constexpr int kAddressLabelBase = 6;   // Label12(6 + row)

constexpr int kRefreshMs = 200;
constexpr int kReadMs = 800;

const char* const kPauseCaption = "暂停刷新";
const char* const kContinueCaption = "继续刷新";

// ---- The picture beside the clock ---------------------------------------

// Our own small world map: an oval globe with its grid and rough
// continents, drawn once at the picture's size.
QPixmap WorldMap(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Rgb(224, 236, 248));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF globe = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(6, 6, -6, -6);
    QPainterPath outline;
    outline.addEllipse(globe);
    p.fillPath(outline, Rgb(120, 176, 224));
    p.setClipPath(outline);

    // Continents in coordinates of a 100 x 50 map, mapped onto the oval.
    auto at = [&](double x, double y) {
        return QPointF(globe.left() + globe.width() * x / 100.0,
                       globe.top() + globe.height() * y / 50.0);
    };
    const std::vector<std::vector<QPointF>> land = {
        // the Americas
        {at(12, 8), at(28, 6), at(33, 12), at(26, 20), at(30, 25), at(36, 30), at(34, 40),
         at(29, 46), at(27, 36), at(22, 27), at(16, 20), at(10, 14)},
        // Europe and Africa
        {at(46, 8), at(56, 7), at(56, 14), at(60, 20), at(62, 30), at(56, 40), at(52, 38),
         at(49, 27), at(45, 23), at(47, 16)},
        // Asia
        {at(56, 7), at(72, 4), at(90, 8), at(92, 16), at(84, 22), at(78, 26), at(70, 22),
         at(62, 20), at(58, 14)},
        // Australia
        {at(80, 32), at(89, 31), at(91, 37), at(84, 40), at(79, 37)},
    };
    p.setPen(QPen(Rgb(40, 110, 40), 1));
    p.setBrush(Rgb(104, 176, 96));
    for (const auto& shape : land)
        p.drawPolygon(shape.data(), int(shape.size()));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    for (int k = 1; k < 6; ++k)
        p.drawLine(at(0, k * 50.0 / 6), at(100, k * 50.0 / 6));
    for (int k = 1; k < 6; ++k) {
        const double w = globe.width() * k / 6.0;
        p.drawEllipse(QRectF(globe.center().x() - w / 2, globe.top(), w, globe.height()));
    }
    p.setClipping(false);
    p.setPen(QPen(Rgb(40, 80, 140), 2));
    p.drawEllipse(globe);
    return pixmap;
}

} // namespace

TimeSet::TimeSet()
{
    setWindowTitle(QStringLiteral("时钟设置"));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));

    Frame12 = new forms::Frame(QStringLiteral("时间设置"), this);
    PlaceTwips(Frame12, kFrame12);
    for (int i = 0; i < settings::kClockFields; ++i) {
        const size_t r = size_t(i);
        auto* unit = new QLabel(QString::fromUtf8(settings::kClockFieldTable[i].unit), Frame12);
        PlaceTwips(unit, row::Place(i, row::kUnit));
        unit->setAlignment(Qt::AlignCenter);
        Label12[r] = unit;

        auto* value = new forms::BoxLabel(QString(), Frame12);
        PlaceTwips(value, row::Place(i, row::kValue));
        value->setAlignment(Qt::AlignCenter);
        forms::SetBackColour(value, Rgb(255, 224, 192));
        T_Label[r] = value;

        auto* field = new QLineEdit(Frame12);
        PlaceTwips(field, row::Place(i, row::kField));
        Text1[r] = field;

        auto* down = new forms::CommandButton(QStringLiteral("DOWN"), Frame12);
        PlaceTwips(down, row::Place(i, row::kDown));
        connect(down, &QPushButton::clicked, this, [this, i] { Command28_Click(i); });
        Command28[r] = down;

        auto* address = new forms::BoxLabel(settings::ClockAddressText(i), Frame12);
        PlaceTwips(address, row::Place(i, row::kAddress));
        address->setAlignment(Qt::AlignCenter);
        forms::SetBackColour(address, Rgb(192, 255, 192));
        Label12[size_t(kAddressLabelBase + i)] = address;
    }
    Command2 = new forms::CommandButton(QString::fromUtf8(kPauseCaption), Frame12);
    PlaceTwips(Command2, kPause);
    connect(Command2, &QPushButton::clicked, this, &TimeSet::Command2_Click);
    Command3 = new forms::CommandButton(QStringLiteral("一键下载"), Frame12);
    PlaceTwips(Command3, kDownloadAll);
    connect(Command3, &QPushButton::clicked, this, &TimeSet::Command3_Click);

    for (const auto& [index, place] : {std::pair{kDateLabelIndex, kDateLabel},
                                       std::pair{kTimeLabelIndex, kTimeLabel}}) {
        auto* label = new QLabel(this);
        PlaceTwips(label, place);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(forms::ArialFont(20, true));
        forms::SetTextColour(label, Rgb(255, 0, 0));
        forms::SetBackColour(label, Rgb(192, 192, 255));
        Label2[index] = label;
    }

    Image1 = new QLabel(this);
    PlaceTwips(Image1, kImage1);
    Image1->setPixmap(WorldMap(Image1->size()));

    Command1 = new forms::CommandButton(QStringLiteral("返回"), this);
    PlaceTwips(Command1, kReturn);
    connect(Command1, &QPushButton::clicked, this, &TimeSet::Command1_Click);

    Timer1.setInterval(kRefreshMs);
    connect(&Timer1, &QTimer::timeout, this, &TimeSet::Timer1_Timer);
    Timer2.setInterval(kReadMs);
    connect(&Timer2, &QTimer::timeout, this, &TimeSet::Timer2_Timer);

    // The load: whatever state the page was left in, it comes back
    // refreshing; the first read waits for the read timer.
    CloseGuard = true;
    RefreshRunning = true;
    Timer1.start();
    Timer2.start();
}

void TimeSet::Form_Unload()
{
    Timer1.stop();
    Timer2.stop();
}

void TimeSet::Command1_Click() { forms::ClosePage(*this); }

void TimeSet::Command2_Click()
{
    // Only the display pauses; the reads go on.
    RefreshRunning = !RefreshRunning;
    Command2->setText(QString::fromUtf8(RefreshRunning ? kPauseCaption : kContinueCaption));
    if (RefreshRunning)
        Timer1.start();
    else
        Timer1.stop();
}

void TimeSet::Command3_Click()
{
    std::array<QString, settings::kClockFields> texts;
    for (size_t k = 0; k < texts.size(); ++k)
        texts[k] = Text1[k]->text();
    settings::WriteClockFields(texts);
}

void TimeSet::Command28_Click(int Index)
{
    if (Index >= 0 && Index < settings::kClockFields)
        settings::WriteClockField(Index, Text1[size_t(Index)]->text());
}

void TimeSet::Timer1_Timer()
{
    const settings::ClockTexts pc = settings::ClockTextsAt(settings::PcClock()());
    Label2[kDateLabelIndex]->setText(pc.date);
    Label2[kTimeLabelIndex]->setText(pc.time);
    for (size_t i = 0; i < T_Label.size(); ++i) {
        T_Label[i]->setText(settings::ControllerClockText(int(i)));
        // Setting the same text again would move the cursor of a field the
        // operator is in, every 200 ms.
        if (Text1[i]->text() != pc.fields[i])
            Text1[i]->setText(pc.fields[i]);
    }
}

void TimeSet::Timer2_Timer() { settings::ReadClockBlock(); }

#include "pages/ConfigPictures.h"

#include "platform/forms/Forms.h"

#include <QPainterPath>
#include <array>

namespace pages::config_pictures {

namespace {

// The rear terminal block: what each of the 24 terminals carries, and the
// groups they form. Both the terminal picture and the valve wiring read
// this one table, so they cannot disagree.
struct Group {
    const char* caption;
    int first, last;   // terminal numbers
    QColor colour;
};
const Group kGroups[] = {
    {"电源", 1, 2, QColor(255, 214, 214)},
    {"报警输出", 3, 7, QColor(255, 236, 200)},
    {"DI输入", 8, 10, QColor(255, 255, 200)},
    {"变送输出", 11, 12, QColor(220, 245, 210)},
    {"RS485", 13, 14, QColor(210, 235, 255)},
    {"控制输出", 15, 17, QColor(255, 220, 170)},
    {"24V", 18, 19, QColor(235, 220, 255)},
    {"辅助输入", 20, 22, QColor(210, 250, 240)},
    {"主输入", 23, 24, QColor(225, 240, 200)},
};

constexpr std::array<const char*, 24> kTerminalLabels = {
    "L",   "N",                                  // 1, 2: supply
    "AL1", "AL2", "AL3", "AL4", "COM",           // 3 to 7: alarm relays
    "DI1", "DI2", "COM",                         // 8 to 10: digital inputs
    "+",   "-",                                  // 11, 12: retransmission
    "A+",  "B-",                                 // 13, 14: RS-485
    "OUT1", "COM", "OUT2",                       // 15 to 17: control outputs
    "+24V", "0V",                                // 18, 19: 24 V supply
    "REF", "IN", "COM",                          // 20 to 22: auxiliary input
    "+",   "-",                                  // 23, 24: main input
};

// The terminals the valve is wired to.
constexpr int kForward = 15, kRelayCommon = 16, kBack = 17;
constexpr int kPotEnd = 20, kPotWiper = 21, kPotCommon = 22;
constexpr int kSensorPlus = 23, kSensorMinus = 24;

const QColor kInk(0, 0, 0);
const QColor kPanel(236, 236, 232);
const QColor kWire(40, 40, 160);
const QColor kMains(170, 30, 30);

const Group& GroupOf(int terminal)
{
    for (const Group& g : kGroups)
        if (terminal >= g.first && terminal <= g.last)
            return g;
    return kGroups[0];
}

void Background(QPainter& p, const QRect& r, const QString& title)
{
    p.fillRect(r, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    if (title.isEmpty())
        return;
    p.setPen(kInk);
    p.setFont(forms::SongFont(9, true));
    p.drawText(QRect(r.left(), r.top() + 3, r.width(), 16), Qt::AlignHCenter | Qt::AlignTop, title);
}

// One terminal: a box in its group's colour with a screw and its number.
void DrawTerminal(QPainter& p, const QRectF& box, int number)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(GroupOf(number).colour);
    p.drawRect(box);
    const double d = std::min(box.width(), box.height()) * 0.42;
    const QPointF centre(box.center().x(), box.top() + box.height() * 0.38);
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(centre, d / 2, d / 2);
    p.drawLine(QPointF(centre.x() - d / 3, centre.y()), QPointF(centre.x() + d / 3, centre.y()));
    p.setBrush(Qt::NoBrush);
    p.setFont(forms::ArialFont(7, true));
    p.drawText(QRectF(box.left(), box.bottom() - 13, box.width(), 12), Qt::AlignCenter,
               QString::number(number));
}

// A row of terminals from first to last in area; returns each box.
std::vector<QRectF> TerminalRow(QPainter& p, const QRectF& area, int first, int last)
{
    std::vector<QRectF> boxes;
    const int count = last - first + 1;
    const double pitch = area.width() / count;
    for (int i = 0; i < count; ++i) {
        const QRectF box(area.left() + i * pitch + 1, area.top(), pitch - 2, area.height());
        DrawTerminal(p, box, first + i);
        boxes.push_back(box);
    }
    return boxes;
}

// Labels of the terminals next to their boxes, and the group captions
// beyond them, above the row (above = true) or below it.
void LabelRow(QPainter& p, const std::vector<QRectF>& boxes, int first, bool above)
{
    p.setPen(kInk);
    p.setFont(forms::ArialFont(7));
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QRectF& b = boxes[i];
        const QRectF label(b.left() - 4, above ? b.top() - 14 : b.bottom() + 1, b.width() + 8, 13);
        p.drawText(label, Qt::AlignCenter, QString::fromUtf8(kTerminalLabels[size_t(first) + i - 1]));
    }
    const int last = first + int(boxes.size()) - 1;
    p.setFont(forms::SongFont(8));
    for (const Group& g : kGroups) {
        if (g.last < first || g.first > last)
            continue;
        const QRectF& a = boxes[size_t(g.first - first)];
        const QRectF& b = boxes[size_t(g.last - first)];
        const double y = above ? a.top() - 17 : a.bottom() + 17;
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(a.left() + 2, y), QPointF(b.right() - 2, y));
        p.drawLine(QPointF(a.left() + 2, y), QPointF(a.left() + 2, y + (above ? 3 : -3)));
        p.drawLine(QPointF(b.right() - 2, y), QPointF(b.right() - 2, y + (above ? 3 : -3)));
        const QRectF caption(a.left(), above ? y - 15 : y + 1, b.right() - a.left(), 14);
        p.drawText(caption, Qt::AlignCenter, QString::fromUtf8(g.caption));
    }
}

QPointF Bottom(const QRectF& box) { return {box.center().x(), box.bottom()}; }

void Wire(QPainter& p, const std::vector<QPointF>& points, const QColor& colour)
{
    p.setPen(QPen(colour, 1.6));
    for (size_t i = 1; i < points.size(); ++i)
        p.drawLine(points[i - 1], points[i]);
    p.setBrush(colour);
    p.drawEllipse(points.front(), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
}

} // namespace

void RearTerminals(QPainter& p, const QRect& r)
{
    Background(p, r, QString());
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel(r.left() + 8, r.top() + 36, r.width() - 16, r.height() - 72);
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(kPanel);
    p.drawRoundedRect(panel, 4, 4);
    p.setBrush(Qt::NoBrush);
    const double rowHeight = (panel.height() - 12) / 2;
    const QRectF top(panel.left() + 6, panel.top() + 4, panel.width() - 12, rowHeight);
    const QRectF bottom(panel.left() + 6, panel.bottom() - 4 - rowHeight, panel.width() - 12,
                        rowHeight);
    LabelRow(p, TerminalRow(p, top, 1, 12), 1, true);
    LabelRow(p, TerminalRow(p, bottom, 13, 24), 13, false);
}

void Valve(QPainter& p, const QRect& r)
{
    Background(p, r, QStringLiteral("电动调节阀"));
    p.setRenderHint(QPainter::Antialiasing);
    const double cx = r.center().x();
    const double w = r.width();
    // The actuator: a motor housing with its terminal box and hand wheel.
    const QRectF actuator(cx - w * 0.28, r.top() + 34, w * 0.56, r.height() * 0.3);
    QLinearGradient metal(actuator.topLeft(), actuator.topRight());
    metal.setColorAt(0, QColor(150, 160, 170));
    metal.setColorAt(0.45, QColor(225, 230, 235));
    metal.setColorAt(1, QColor(120, 130, 140));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(metal);
    p.drawRoundedRect(actuator, 8, 8);
    const QRectF box(actuator.right() - 6, actuator.top() + actuator.height() * 0.25, w * 0.12,
                     actuator.height() * 0.4);
    p.setBrush(QColor(90, 100, 110));
    p.drawRect(box);
    p.setPen(kInk);
    p.setFont(forms::ArialFont(16, true));
    p.drawText(actuator, Qt::AlignCenter, QStringLiteral("M"));
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(cx - w * 0.2, actuator.top()), QPointF(cx - w * 0.2, actuator.top() - 10));
    p.drawEllipse(QPointF(cx - w * 0.2, actuator.top() - 12), w * 0.1, 3);
    // The yoke and the stem down to the body.
    const double yokeTop = actuator.bottom();
    const double bodyTop = r.top() + r.height() * 0.6;
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(170, 175, 180));
    p.drawRect(QRectF(cx - w * 0.16, yokeTop, w * 0.05, bodyTop - yokeTop));
    p.drawRect(QRectF(cx + w * 0.11, yokeTop, w * 0.05, bodyTop - yokeTop));
    p.setBrush(QColor(210, 210, 210));
    p.drawRect(QRectF(cx - 3, yokeTop, 6, bodyTop - yokeTop));
    // The position pointer on its scale.
    p.setPen(QPen(kInk, 1));
    const double scaleTop = yokeTop + 12, scaleBottom = bodyTop - 12;
    p.drawLine(QPointF(cx + w * 0.06, scaleTop), QPointF(cx + w * 0.06, scaleBottom));
    for (int i = 0; i <= 4; ++i) {
        const double y = scaleTop + i * (scaleBottom - scaleTop) / 4;
        p.drawLine(QPointF(cx + w * 0.06, y), QPointF(cx + w * 0.09, y));
    }
    p.setBrush(kMains);
    p.drawRect(QRectF(cx, (scaleTop + scaleBottom) / 2 - 2, w * 0.06, 4));
    // The globe body with its flanges and pipe.
    const double bodyH = r.height() * 0.22;
    const QRectF bonnet(cx - w * 0.12, bodyTop, w * 0.24, bodyH * 0.25);
    p.setBrush(QColor(120, 140, 170));
    p.drawRect(bonnet);
    const QRectF globe(cx - w * 0.2, bonnet.bottom() - 2, w * 0.4, bodyH * 0.8);
    QRadialGradient cast(globe.center(), globe.width() * 0.6);
    cast.setColorAt(0, QColor(160, 180, 210));
    cast.setColorAt(1, QColor(70, 90, 130));
    p.setBrush(cast);
    p.drawEllipse(globe);
    const double pipeY = globe.center().y();
    const double pipeH = globe.height() * 0.45;
    p.setBrush(QColor(150, 160, 175));
    p.drawRect(QRectF(r.left() + 10, pipeY - pipeH / 2, globe.left() - r.left() - 16, pipeH));
    p.drawRect(QRectF(globe.right() + 6, pipeY - pipeH / 2, r.right() - 10 - globe.right() - 6,
                      pipeH));
    p.setBrush(QColor(90, 100, 120));
    p.drawRect(QRectF(globe.left() - 10, pipeY - pipeH * 0.85, 8, pipeH * 1.7));
    p.drawRect(QRectF(globe.right() + 2, pipeY - pipeH * 0.85, 8, pipeH * 1.7));
    // The flow direction.
    p.setPen(QPen(kInk, 1.5));
    const double arrowY = globe.bottom() + 16;
    p.drawLine(QPointF(cx - w * 0.25, arrowY), QPointF(cx + w * 0.25, arrowY));
    p.drawLine(QPointF(cx + w * 0.25, arrowY), QPointF(cx + w * 0.25 - 7, arrowY - 4));
    p.drawLine(QPointF(cx + w * 0.25, arrowY), QPointF(cx + w * 0.25 - 7, arrowY + 4));
    p.setFont(forms::SongFont(8));
    p.drawText(QRectF(r.left(), arrowY + 4, r.width(), 16), Qt::AlignCenter,
               QStringLiteral("介质流向"));
}

void ValveWiring(QPainter& p, const QRect& r)
{
    Background(p, r, QStringLiteral("阀位控制接线 (端子13-24)"));
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF strip(r.left() + 20, r.top() + 60, r.width() - 40, 34);
    const std::vector<QRectF> boxes = TerminalRow(p, strip, 13, 24);
    LabelRow(p, boxes, 13, true);
    auto at = [&](int terminal) { return boxes[size_t(terminal - 13)]; };

    p.setFont(forms::SongFont(8));
    const double w = r.width(), h = r.height();
    // Mains L on the relays' common; each output drives the motor one way,
    // and the motor's common goes to N.
    const QPointF common = Bottom(at(kRelayCommon));
    const QPointF mainsL(common.x(), r.top() + h * 0.42);
    const QPointF motor(common.x(), r.top() + h * 0.68);
    const double radius = h * 0.09;
    const QPointF mainsN(common.x(), r.top() + h * 0.9);
    const QPointF openIn(motor.x() - radius * 0.7, motor.y() - radius * 0.7);
    const QPointF closeIn(motor.x() + radius * 0.7, motor.y() - radius * 0.7);
    const QPointF forward = Bottom(at(kForward)), back = Bottom(at(kBack));
    Wire(p, {common, mainsL}, kMains);
    Wire(p, {forward, {forward.x(), openIn.y()}, openIn}, kMains);
    Wire(p, {back, {back.x(), closeIn.y()}, closeIn}, kMains);
    Wire(p, {{motor.x(), motor.y() + radius}, mainsN}, kMains);
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(mainsL, 4, 4);
    p.drawEllipse(mainsN, 4, 4);
    p.setBrush(QColor(235, 235, 235));
    p.drawEllipse(motor, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setFont(forms::ArialFont(14, true));
    p.drawText(QRectF(motor.x() - radius, motor.y() - radius, 2 * radius, 2 * radius),
               Qt::AlignCenter, QStringLiteral("M"));
    p.setFont(forms::SongFont(8));
    p.drawText(QRectF(mainsL.x() - 40, mainsL.y() + 6, 80, 14), Qt::AlignCenter,
               QStringLiteral("L 电源"));
    p.drawText(QRectF(mainsN.x() + 8, mainsN.y() - 7, 80, 14), Qt::AlignLeft,
               QStringLiteral("N 电源"));
    p.drawText(QRectF(forward.x() - 64, r.top() + h * 0.5, 60, 14), Qt::AlignRight,
               QStringLiteral("正转(开)"));
    p.drawText(QRectF(back.x() + 4, r.top() + h * 0.5, 60, 14), Qt::AlignLeft,
               QStringLiteral("反转(关)"));

    // The position feedback: a potentiometer across REF and COM, its wiper
    // on IN; dashed, since it is optional.
    const double potX = r.left() + w * 0.62;
    const double potTop = r.top() + h * 0.5, potBottom = r.top() + h * 0.8;
    p.setPen(QPen(kWire, 1.6, Qt::DashLine));
    p.drawLine(Bottom(at(kPotEnd)), QPointF(Bottom(at(kPotEnd)).x(), potTop - 14));
    p.drawLine(QPointF(Bottom(at(kPotEnd)).x(), potTop - 14), QPointF(potX, potTop - 14));
    p.drawLine(QPointF(potX, potTop - 14), QPointF(potX, potTop));
    p.drawLine(Bottom(at(kPotCommon)), QPointF(Bottom(at(kPotCommon)).x(), potBottom + 14));
    p.drawLine(QPointF(Bottom(at(kPotCommon)).x(), potBottom + 14), QPointF(potX, potBottom + 14));
    p.drawLine(QPointF(potX, potBottom + 14), QPointF(potX, potBottom));
    const double wiperY = (potTop + potBottom) / 2;
    p.drawLine(Bottom(at(kPotWiper)), QPointF(Bottom(at(kPotWiper)).x(), wiperY));
    p.drawLine(QPointF(Bottom(at(kPotWiper)).x(), wiperY), QPointF(potX + 14, wiperY));
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(potX - 7, potTop, 14, potBottom - potTop));
    p.setBrush(kInk);
    QPainterPath arrow;
    arrow.moveTo(potX + 7, wiperY);
    arrow.lineTo(potX + 14, wiperY - 4);
    arrow.lineTo(potX + 14, wiperY + 4);
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.setBrush(Qt::NoBrush);
    p.drawText(QRectF(potX - 96, wiperY - 7, 84, 14), Qt::AlignRight,
               QStringLiteral("阀位反馈(可选)"));

    // The sensor on the main input.
    const double tcTop = r.top() + h * 0.58;
    const QPointF plus = Bottom(at(kSensorPlus)), minus = Bottom(at(kSensorMinus));
    const QPointF junction((plus.x() + minus.x()) / 2, r.top() + h * 0.82);
    Wire(p, {plus, {plus.x(), tcTop}, {junction.x() - 4, junction.y() - 4}}, QColor(190, 0, 0));
    Wire(p, {minus, {minus.x(), tcTop}, {junction.x() + 4, junction.y() - 4}}, QColor(0, 0, 190));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kInk);
    p.drawEllipse(junction, 4, 4);
    p.setBrush(Qt::NoBrush);
    p.drawText(QRectF(junction.x() - 60, junction.y() + 8, 120, 14), Qt::AlignCenter,
               QStringLiteral("传感器(主输入)"));
}

} // namespace pages::config_pictures

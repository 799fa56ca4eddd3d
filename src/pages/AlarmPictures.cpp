#include "pages/AlarmPictures.h"

#include "platform/forms/Forms.h"

#include <QPainterPath>
#include <cmath>
#include <functional>
#include <vector>

namespace pages::alarm_pictures {

namespace {

// Every diagram plots a process value over time in a plot area with an
// output strip under it. Values run from 0 (bottom) to 1 (top).
struct Plot {
    QRectF area;    // the curve's area
    QRectF strip;   // the output strip under it
    double X(double t) const { return area.left() + t * area.width(); }
    double Y(double v) const { return area.bottom() - v * area.height(); }
};

const QColor kInk(0, 0, 0);
const QColor kCurve(192, 0, 0);
const QColor kLimit(0, 0, 192);
const QColor kBand(0, 128, 0);
const QColor kOn(255, 128, 0);

Plot Frame(QPainter& p, const QRect& r, const QString& title)
{
    p.fillRect(r, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setFont(forms::SongFont(9, true));
    p.setPen(kInk);
    p.drawText(QRect(r.left(), r.top() + 2, r.width(), 18), Qt::AlignHCenter | Qt::AlignTop, title);
    Plot plot;
    plot.area = QRectF(r.left() + 34, r.top() + 24, r.width() - 46, r.height() - 78);
    plot.strip = QRectF(plot.area.left(), plot.area.bottom() + 14, plot.area.width(), 16);
    // Axes with arrows: value up, time right.
    p.setPen(QPen(kInk, 1));
    const QPointF origin(plot.area.left(), plot.area.bottom());
    p.drawLine(origin, QPointF(plot.area.left(), plot.area.top() - 4));
    p.drawLine(origin, QPointF(plot.area.right() + 4, plot.area.bottom()));
    p.drawLine(QPointF(plot.area.left() - 3, plot.area.top() + 2), QPointF(plot.area.left(), plot.area.top() - 4));
    p.drawLine(QPointF(plot.area.left() + 3, plot.area.top() + 2), QPointF(plot.area.left(), plot.area.top() - 4));
    p.setFont(forms::SongFont(7.5));
    p.drawText(QPointF(r.left() + 6, plot.area.top() + 8), QStringLiteral("PV"));
    p.drawText(QPointF(plot.area.right() - 10, plot.area.bottom() + 11), QStringLiteral("t"));
    p.drawText(QRectF(r.left() + 2, plot.strip.top(), 30, plot.strip.height()),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("OUT"));
    return plot;
}

using Curve = std::function<double(double)>;

void DrawCurve(QPainter& p, const Plot& plot, const Curve& pv, const QColor& colour)
{
    QPainterPath path;
    for (int i = 0; i <= 200; ++i) {
        const double t = i / 200.0;
        const QPointF point(plot.X(t), plot.Y(pv(t)));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    p.setPen(QPen(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// A level line with its label at the right end, above the line (or below
// it, by labelDrop pixels).
void DrawLevel(QPainter& p, const Plot& plot, const Curve& level, const QColor& colour,
               Qt::PenStyle style, const QString& label, int labelDrop = -2)
{
    QPainterPath path;
    for (int i = 0; i <= 100; ++i) {
        const double t = i / 100.0;
        const QPointF point(plot.X(t), plot.Y(level(t)));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    p.setPen(QPen(colour, 1, style));
    p.drawPath(path);
    p.setFont(forms::SongFont(7.5));
    p.drawText(QPointF(plot.area.right() - 22, plot.Y(level(1.0)) + labelDrop), label);
}

// The output strip: on while alarmed, where an alarm starts when on(t)
// holds and ends only when off(t) holds (the hysteresis).
void DrawOutput(QPainter& p, const Plot& plot, const std::function<bool(double)>& on,
                const std::function<bool(double)>& off, const QRectF& strip)
{
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(strip.left(), strip.bottom()), QPointF(strip.right(), strip.bottom()));
    bool alarmed = false;
    double start = 0;
    p.setBrush(kOn);
    for (int i = 0; i <= 400; ++i) {
        const double t = i / 400.0;
        if (!alarmed && on(t)) {
            alarmed = true;
            start = t;
        } else if (alarmed && (off(t) || i == 400)) {
            alarmed = false;
            p.drawRect(QRectF(plot.X(start), strip.top() + 2, plot.X(t) - plot.X(start),
                              strip.height() - 2));
        }
    }
    p.setBrush(Qt::NoBrush);
}

double Wave(double t) { return 0.5 + 0.32 * std::sin(2 * M_PI * (t * 1.6 - 0.15)); }

// The lower alarms are the upper ones mirrored: the same curve upside down
// against the same distances.
void LimitAlarm(QPainter& p, const QRect& r, const QString& title, bool upper)
{
    const Plot plot = Frame(p, r, title);
    const double limit = upper ? 0.68 : 0.32;
    const double hysteresis = upper ? -0.1 : 0.1;
    const Curve pv = upper ? Curve(Wave) : Curve([](double t) { return 1 - Wave(t); });
    DrawLevel(p, plot, [&](double) { return limit; }, kLimit, Qt::DashLine, QStringLiteral("AL"));
    DrawLevel(p, plot, [&](double) { return limit + hysteresis; }, kBand, Qt::DotLine,
              QStringLiteral("HY"), upper ? 11 : -2);
    DrawCurve(p, plot, pv, kCurve);
    if (upper)
        DrawOutput(p, plot, [&](double t) { return pv(t) > limit; },
                   [&](double t) { return pv(t) < limit + hysteresis; }, plot.strip);
    else
        DrawOutput(p, plot, [&](double t) { return pv(t) < limit; },
                   [&](double t) { return pv(t) > limit + hysteresis; }, plot.strip);
}

// A working set point that steps up part-way along, the deviation alarms
// following it at a fixed distance.
double SetPoint(double t) { return t < 0.45 ? 0.4 : 0.55; }
double Following(double t) { return SetPoint(t) + 0.1 * std::sin(2 * M_PI * t * 2.2); }

void DeviationAlarm(QPainter& p, const QRect& r, const QString& title, bool upper)
{
    const Plot plot = Frame(p, r, title);
    const double distance = upper ? 0.18 : -0.18;
    const double hysteresis = upper ? -0.06 : 0.06;
    // The process runs up to and past the alarm line; below the set point
    // for the lower alarm.
    const double sign = upper ? 1 : -1;
    auto pv = [sign](double t) {
        return SetPoint(t) + sign * (Following(t) - SetPoint(t) + 0.22 * std::sin(2 * M_PI * t * 1.3));
    };
    DrawLevel(p, plot, SetPoint, kInk, Qt::SolidLine, QStringLiteral("SV"));
    DrawLevel(p, plot, [&](double t) { return SetPoint(t) + distance; }, kLimit, Qt::DashLine,
              QStringLiteral("AL"));
    DrawLevel(p, plot, [&](double t) { return SetPoint(t) + distance + hysteresis; }, kBand,
              Qt::DotLine, QString());
    DrawCurve(p, plot, pv, kCurve);
    if (upper)
        DrawOutput(p, plot, [&](double t) { return pv(t) > SetPoint(t) + distance; },
                   [&](double t) { return pv(t) < SetPoint(t) + distance + hysteresis; },
                   plot.strip);
    else
        DrawOutput(p, plot, [&](double t) { return pv(t) < SetPoint(t) + distance; },
                   [&](double t) { return pv(t) > SetPoint(t) + distance + hysteresis; },
                   plot.strip);
}

} // namespace

void UpperLimit(QPainter& p, const QRect& r) { LimitAlarm(p, r, QStringLiteral("上限报警"), true); }
void LowerLimit(QPainter& p, const QRect& r) { LimitAlarm(p, r, QStringLiteral("下限报警"), false); }
void UpperDeviation(QPainter& p, const QRect& r)
{
    DeviationAlarm(p, r, QStringLiteral("上偏差报警"), true);
}
void LowerDeviation(QPainter& p, const QRect& r)
{
    DeviationAlarm(p, r, QStringLiteral("下偏差报警"), false);
}

void DeviationBand(QPainter& p, const QRect& r)
{
    const Plot plot = Frame(p, r, QStringLiteral("偏差带报警"));
    auto sv = [](double) { return 0.5; };
    auto pv = [](double t) { return 0.5 + 0.3 * std::sin(2 * M_PI * t * 1.8); };
    DrawLevel(p, plot, sv, kInk, Qt::SolidLine, QStringLiteral("SV"));
    DrawLevel(p, plot, [](double) { return 0.68; }, kLimit, Qt::DashLine, QStringLiteral("+AL"));
    DrawLevel(p, plot, [](double) { return 0.32; }, kLimit, Qt::DashLine, QStringLiteral("-AL"));
    DrawCurve(p, plot, pv, kCurve);
    DrawOutput(p, plot, [&](double t) { return std::fabs(pv(t) - 0.5) > 0.18; },
               [&](double t) { return std::fabs(pv(t) - 0.5) < 0.13; }, plot.strip);
}

void Summary(QPainter& p, const QRect& r)
{
    p.fillRect(r, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setFont(forms::SongFont(9, true));
    p.setPen(kInk);
    p.drawText(QRect(r.left(), r.top() + 2, r.width(), 18), Qt::AlignHCenter, QStringLiteral("报警类型"));
    Plot plot;
    plot.area = QRectF(r.left() + 44, r.top() + 22, r.width() - 52, 70);
    auto pv = [](double t) { return 0.5 + 0.45 * std::sin(2 * M_PI * t); };
    struct Level {
        const char* name;
        double value;
    };
    const Level levels[] = {{"上限", 0.85}, {"上偏差", 0.7}, {"设定值", 0.5}, {"下偏差", 0.3}, {"下限", 0.15}};
    p.setFont(forms::SongFont(7.5));
    for (const Level& l : levels) {
        p.setPen(QPen(l.value == 0.5 ? kInk : kLimit, 1, l.value == 0.5 ? Qt::SolidLine : Qt::DashLine));
        p.drawLine(QPointF(plot.area.left(), plot.Y(l.value)), QPointF(plot.area.right(), plot.Y(l.value)));
    }
    DrawCurve(p, plot, pv, kCurve);
    // One output row per type; above the set value an alarm is on above its
    // line, below it under its line.
    double top = plot.area.bottom() + 8;
    for (const Level& l : levels) {
        const QRectF strip(plot.area.left(), top, plot.area.width(), 14);
        p.setPen(kInk);
        p.drawText(QRectF(r.left() + 2, top, 40, 14), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromUtf8(l.name));
        const double v = l.value;
        if (v > 0.5)
            DrawOutput(p, plot, [&](double t) { return pv(t) > v; }, [&](double t) { return pv(t) < v; }, strip);
        else if (v < 0.5)
            DrawOutput(p, plot, [&](double t) { return pv(t) < v; }, [&](double t) { return pv(t) > v; }, strip);
        else
            DrawOutput(p, plot, [&](double t) { return std::fabs(pv(t) - v) < 0.05; },
                       [&](double t) { return std::fabs(pv(t) - v) >= 0.05; }, strip);
        top += 16;
    }
}

void Legend(QPainter& p, const QRect& r)
{
    p.fillRect(r, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const char* lines[] = {
        "Alarm1: Alarm value,",   "  Hysteresis, Action delay",
        "Alarm2: Alarm value,",   "  Hysteresis, Action delay",
        "Alarm3: Alarm value,",   "  Hysteresis, Action delay",
        "Alarm4: Alarm value,",   "  Hysteresis, Action delay",
        "Heater Value:",          "  Break Value",
        "Heater Output:",         "  Normal Output",
    };
    p.setPen(kInk);
    p.setFont(forms::ArialFont(7));
    const double pitch = (r.height() - 12) / double(std::size(lines));
    double y = r.top() + 6;
    for (const char* line : lines) {
        p.drawText(QRectF(r.left() + 6, y, r.width() - 8, pitch), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(line));
        y += pitch;
    }
}

} // namespace pages::alarm_pictures

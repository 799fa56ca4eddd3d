#include "trend/ChartText.h"

#include "platform/basic/daynumbers.h"
#include "platform/basic/numbers.h"

#include <cmath>

namespace chart {

QString DateValueText(double value)
{
    double days = std::floor(value);
    auto seconds = std::llround((value - days) * 86400.0);
    if (seconds >= 86400) {
        days += 1;
        seconds = 0;
    }
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(seconds));
    const QString timeText = time.toString(QStringLiteral("hh:mm:ss"));
    if (days == 0)
        return timeText;
    const QString dateText =
        basic::DateFromDayNumber(days).toString(QStringLiteral("yyyy/MM/dd"));
    if (seconds == 0)
        return dateText;
    return dateText + QLatin1Char(' ') + timeText;
}

std::array<QString, 7> YAxisTexts(int16_t span, int16_t minimum)
{
    const float q = static_cast<float>(span / 6.0);
    std::array<QString, 7> texts;
    for (int i = 0; i < 7; ++i) {
        const float step = static_cast<float>(i) * q;
        const auto whole = static_cast<int64_t>(basic::RoundHalfEven(step));
        texts[i] = basic::PlainText(whole + minimum);
    }
    return texts;
}

} // namespace chart

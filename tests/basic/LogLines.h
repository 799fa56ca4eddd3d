#pragma once
// Forged texts from outside (the file, a trigger, the environment) and the
// check that a log line carrying one is still one short line of the
// station's own: no character that breaks or steers it or that a terminal
// acts on, and shorter than 500 characters as printed, with its category.

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace testsupport {

// Whether a text holds a character that breaks or steers a line.
inline bool HoldsControl(const QString& s)
{
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029
            || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E
            || u == 0x200F || u == 0x061C)
            return true;
    }
    return false;
}

struct ForgedText {
    QString text;
    QString shown;   // a piece of how a line shows it
};

// A line of its own with a colour sequence, a run of direction marks, and
// long runs of plain and of control characters.
inline const std::vector<ForgedText>& ForgedTexts()
{
    static const std::vector<ForgedText> texts{
        {QStringLiteral("a\nzc4160.forged: \x1B[31mred"),
         QStringLiteral("a\\nzc4160.forged: \\x1B[31mred")},
        {QString(300, QChar(0x202E)), QStringLiteral("\\u{202E}\\u{202E}")},
        {QString(5000, u'x'), QStringLiteral("xxxxxxxx")},
        {QString(5000, QChar(0x1B)), QStringLiteral("\\x1B\\x1B")},
    };
    return texts;
}

// Whether a message of the category, as the log prints it, is one short
// line with no raw control or direction character.
inline ::testing::AssertionResult SafeLine(const char* category, const QString& message)
{
    const QString printed = QString::fromLatin1(category) + QStringLiteral(": ") + message;
    if (HoldsControl(printed))
        return ::testing::AssertionFailure()
               << "a raw control or direction character in " << printed.toStdString();
    if (printed.size() >= 500)
        return ::testing::AssertionFailure()
               << printed.size() << " characters in " << printed.toStdString();
    return ::testing::AssertionSuccess();
}

} // namespace testsupport

#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>

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

} // namespace forms

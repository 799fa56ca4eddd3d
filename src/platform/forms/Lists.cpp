#include "platform/forms/Lists.h"

#include <QStringList>

namespace forms {

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

} // namespace forms

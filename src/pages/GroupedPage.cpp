#include "pages/GroupedPage.h"

namespace pages {

namespace {
constexpr int kStatusBarHeight = 345;   // twips
constexpr int kTimer2Ms = 100;
} // namespace

GroupedPage::GroupedPage(const GridPageDesign& design, PageState& state,
                         forms::TwipsRect label2Place)
    : GridPage(design, state)
{
    Label2 = new QLabel(QStringLiteral("更改数据用鼠标选中单元格，输入数据后按回车确认"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    forms::PlaceTwips(Label2, label2Place);

    StatusBar1 = new EditCellBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    forms::PlaceTwips(StatusBar1, {0, design.clientHeight - kStatusBarHeight, design.clientWidth,
                                   kStatusBarHeight});

    Timer2.setInterval(kTimer2Ms);
    connect(&Timer2, &QTimer::timeout, this, &GroupedPage::Timer2_Timer);
    Timer2.start();
}

void GroupedPage::Form_Unload()
{
    Timer2.stop();
    GridPage::Form_Unload();
}

void GroupedPage::Timer2_Timer() { StatusBar1->ShowEditCell(MSFlexGrid1->Model().State()); }

} // namespace pages

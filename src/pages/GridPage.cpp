#include "pages/GridPage.h"

#include "platform/basic/twips.h"

namespace pages {

GridPage::GridPage(const GridPageDesign& design, PageState& state)
{
    setWindowTitle(QString::fromUtf8(design.caption));
    setObjectName(QString::fromUtf8(design.objectName));
    if (!design.minimiseButton)
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                       | Qt::WindowCloseButtonHint);
    setFixedSize(basic::TwipsToPixels(design.clientWidth), basic::TwipsToPixels(design.clientHeight));

    MSFlexGrid1 = new ParameterGrid(design.page, design.grid, state, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    forms::PlaceTwips(MSFlexGrid1, design.gridPlace);
    Text1 = MSFlexGrid1->Editor();
    Text1->setObjectName(QStringLiteral("Text1"));

    Command1 = new forms::CommandButton(QStringLiteral("返回"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    forms::PlaceTwips(Command1, design.returnPlace);

    setTabOrder(Command1, MSFlexGrid1);
    setTabOrder(MSFlexGrid1, Text1);

    Timer1.setInterval(design.page.timerMs);
    connect(&Timer1, &QTimer::timeout, this, &GridPage::Timer1_Timer);
    connect(MSFlexGrid1, &ParameterGrid::Click, this, &GridPage::MSFlexGrid1_Click);
    connect(Text1, &CellEditor::KeyPress, this, &GridPage::Text1_KeyPress);
    connect(Command1, &QPushButton::clicked, this, &GridPage::Command1_Click);

    if (design.centred)
        forms::CentreOnScreen(this);

    CloseGuard = true;
    Command1->setFocus();
    Timer1.start();
}

void GridPage::Form_Unload() { Timer1.stop(); }

void GridPage::MSFlexGrid1_Click() { MSFlexGrid1->ShowCellEditor(); }

void GridPage::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        MSFlexGrid1->CommitCellEdit();
}

bool GridPage::Timer1_Timer() { return MSFlexGrid1->RefreshPage(); }

void GridPage::Command1_Click() { forms::ClosePage(*this); }

} // namespace pages

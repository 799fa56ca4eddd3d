// Pictures of the program editor.

#include "Pictures.h"
#include "app/OverviewFixture.h"
#include "program/Tech.h"

#include <QApplication>

namespace {

using ProgramPictures = testsupport::OverviewFixture;

// A small ramp-and-soak program in the arrays, as "读仪表" leaves them.
void FillProgram(program::ProgramValues& values)
{
    const int32_t setpoints[] = {100, 300, 300, 150, 25};
    const int32_t rates[] = {10, 0, 0, 5, 12};
    const int32_t times[] = {10, 20, 30, 15, 10};
    for (size_t k = 0; k < 5; ++k) {
        values.SegmentValues[10 * k + program::SetpointParameter] = setpoints[k];
        values.SegmentValues[10 * k + program::RateParameter] = rates[k];
        values.SegmentValues[10 * k + program::TimeParameter] = times[k];
    }
    values.BasicValues[3] = 5;
}

// The editor as opened (program.png), and with a program shown and drawn
// and both editors open (program-editing.png).
TEST_F(ProgramPictures, Editor)
{
    Tech::State() = Tech::Kept{};
    Tech& page = forms::Instance<Tech>();
    page.show();
    pictures::Save(page, "program.png");

    FillProgram(Tech::State().Values);
    page.Timer1_Timer();
    page.RedrawProfile();
    page.MSFlexGrid1->setCurrentIndex(page.MSFlexGrid1->Model().index(3, 1));
    page.MSFlexGrid1->clicked(page.MSFlexGrid1->Model().index(3, 1));
    page.MSFlexGrid2->setCurrentIndex(page.MSFlexGrid2->Model().index(1, 1));
    page.MSFlexGrid2->clicked(page.MSFlexGrid2->Model().index(1, 1));
    page.Text2->setText(QStringLiteral("12.5"));
    page.FaultLabel->setText(QStringLiteral("写入失败 1018"));
    page.FaultLabel->show();
    pictures::Save(page, "program-editing.png");
    forms::ClosePage(page);
}

// The profile of setpoints 1000 and 1100 with the start at 1000
// (program-high.png), and of a freshly loaded program after one Enter
// (program-zero.png).
TEST_F(ProgramPictures, Profiles)
{
    Tech::State() = Tech::Kept{};
    Tech& page = forms::Instance<Tech>();
    page.show();
    program::ProgramValues& values = Tech::State().Values;
    values.BasicValues[9] = 1000;
    for (size_t k = 0; k < 50; ++k) {
        values.SegmentValues[10 * k + program::SetpointParameter] = k % 2 ? 1000 : 1100;
        values.SegmentValues[10 * k + program::TimeParameter] = 5 + int32_t(k % 3);
    }
    page.Timer1_Timer();
    page.RedrawProfile();
    pictures::Save(page, "program-high.png");

    program::LoadDefaults(values);
    page.Timer1_Timer();
    page.RedrawProfile();
    pictures::Save(page, "program-zero.png");
    forms::ClosePage(page);
}

} // namespace

// Pictures of the overview.

#include "Pictures.h"
#include "app/OverviewFixture.h"
#include "device/Met1.h"

namespace {

using OverviewPictures = testsupport::OverviewFixture;

// The window as loaded and with the other tab pages in front:
// overview.png, overview-tabs1.png, overview-tabs2.png and
// overview-widest.png.
TEST_F(OverviewPictures, Overview)
{
    window->show();
    window->Timer1_Timer();
    // Texts of the width the chart will write, to see that they fit.
    for (int i = 0; i < 7; ++i)
        window->Label5[static_cast<size_t>(i)]->setText(QString::number(i * 250));
    for (int i = 0; i < 9; ++i) {
        window->Label4[static_cast<size_t>(i)]->setText(QStringLiteral("23:59:59"));
        window->Label7[static_cast<size_t>(i)]->setText(QStringLiteral("12-31-2024"));
    }
    window->Label2[9]->setText(QStringLiteral("12-31-2024"));
    window->Label2[10]->setText(QStringLiteral("23:59:59"));
    auto save = [&](const char* name) { pictures::Save(*window, name); };
    save("overview.png");
    window->SSTab1->setCurrentIndex(2);
    window->SSTab2->setCurrentIndex(0);
    save("overview-tabs1.png");
    window->SSTab1->setCurrentIndex(0);
    window->SSTab2->setCurrentIndex(1);
    save("overview-tabs2.png");

    // The widest texts the panel shows, to see that each stays readable in
    // its box: overview-widest.png.
    for (size_t i = 0; i < 80; ++i)
        StatusValues[i] = -32768;
    StatusValues[1] = -3276.8f;
    StatusValues[8] = 2;     // 待机
    StatusValues[9] = 4;     // 遥控SV
    StatusValues[16] = 4;    // 结束
    StatusValues[24] = 1;    // 偏差等待
    for (size_t i = 28; i < 32; ++i)
        StatusValues[i] = 1;  // BAD
    for (size_t i = 32; i < 36; ++i)
        StatusValues[i] = 7;  // Sensor Bad n
    for (size_t i = 36; i < 58; ++i)
        StatusValues[i] = 1;  // CLOSE
    CommandValues.fill(-32768);
    CommandValues[4] = 4;
    CommandValues[8] = 2;
    CommandValues[9] = 1;
    CommandValues[10] = 1;
    CommandValues[12] = 1;
    for (size_t i = 16; i < 25; ++i)
        CommandValues[i] = 1;
    window->RefreshStatusPanel();
    window->SSTab2->setCurrentIndex(0);
    save("overview-widest.png");
    StatusValues.fill(0);
    CommandValues.fill(0);
}

} // namespace

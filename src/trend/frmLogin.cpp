#include "trend/frmLogin.h"

#include "platform/basic/twips.h"
#include "platform/forms/Forms.h"
#include "trend/ChartShared.h"

#include <QLinearGradient>
#include <QPainter>

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// Layout (twips): the client area, and each control's place.
constexpr int kClientWidth = 6000;
constexpr int kClientHeight = 3015;

constexpr TwipsRect kImage1{0, 0, 6000, 600};
constexpr TwipsRect kLabel3{1290, 120, 1365, 345};
constexpr TwipsRect kLabel5{4440, 150, 1365, 405};
constexpr TwipsRect kFrame1{60, 720, 5835, 1425};
constexpr TwipsRect kOK{900, 2430, 1770, 390};
constexpr TwipsRect kCancel{3300, 2430, 1770, 390};

// The check boxes in the order of CurveSel, with their captions exactly as
// the operator knows them (the PV2 box reads "PV1-输入2测量值"); places
// within the frame.
struct CurveBox {
    const char* caption;
    int left, top, width;
};
constexpr int kCheckHeight = 285;
constexpr CurveBox kCurveBoxes[] = {
    {"PV-当前测量值", 150, 240, 1755},   {"OP-当前输出值", 2100, 240, 1725},
    {"SV-当前设定值", 3960, 240, 1755},  {"PV1-输入1测量值", 150, 690, 1755},
    {"PV1-输入2测量值", 2100, 690, 1755}, {"SV1-设定值1", 3960, 690, 1755},
    {"SV2-设定值2", 150, 1080, 1755},
};


// The Kai face of the buttons, with the CJK faces Debian ships where it is
// missing.
QFont KaiFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi"),
                      QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(points);
    return font;
}

// The decorative banner across the top of the dialog.
class Banner : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(0, QColor(255, 255, 192));
        g.setColorAt(1, QColor(192, 224, 255));
        p.fillRect(rect(), g);
        p.setPen(QPen(QColor(192, 0, 0), 2));
        p.drawLine(0, height() - 1, width(), height() - 1);
    }
};

} // namespace

frmLogin::frmLogin()
{
    // No title text: a blank, since an empty title makes the window system
    // show the program's name instead.
    setWindowTitle(QStringLiteral(" "));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));

    Image1 = new Banner(this);
    PlaceTwips(Image1, kImage1);
    Label3 = new QLabel(QStringLiteral("曲线选择"), this);
    PlaceTwips(Label3, kLabel3);
    Label3->setFont(forms::SongFont(15, true));
    Label5 = new QLabel(QStringLiteral("TOVAR"), this);
    PlaceTwips(Label5, kLabel5);
    QFont italic = forms::SongFont(14.25, true);
    italic.setItalic(true);
    Label5->setFont(italic);
    for (QLabel* label : {Label3, Label5}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        forms::SetTextColour(label, QColor(255, 0, 0));
    }

    Frame1 = new forms::Frame(QString(), this);
    PlaceTwips(Frame1, kFrame1);
    for (size_t i = 0; i < Check1.size(); ++i) {
        const CurveBox& def = kCurveBoxes[i];
        auto* box = new QCheckBox(QString::fromUtf8(def.caption), Frame1);
        PlaceTwips(box, def.left, def.top, def.width, kCheckHeight);
        Check1[i] = box;
    }

    cmdOK = new QPushButton(QStringLiteral("确定(Enter)"), this);
    PlaceTwips(cmdOK, kOK);
    cmdCancel = new QPushButton(QStringLiteral("取消(Esc)"), this);
    PlaceTwips(cmdCancel, kCancel);
    for (QPushButton* button : {cmdOK, cmdCancel})
        button->setFont(KaiFont(12));
    SetDefaultButton(cmdOK);
    SetCancelButton(cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);

    // Tab order: the two buttons, then the boxes; the focus starts on OK.
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, Check1[0]);
    for (size_t i = 1; i < Check1.size(); ++i)
        setTabOrder(Check1[i - 1], Check1[i]);
    cmdOK->setFocus();

    Form_Load();
}

void frmLogin::Form_Load()
{
    for (size_t i = 0; i < Check1.size(); ++i)
        Check1[i]->setChecked(CurveSel[i]);
}

void frmLogin::cmdOK_Click()
{
    for (size_t i = 0; i < Check1.size(); ++i)
        CurveSel[i] = Check1[i]->isChecked();
    Unload();
}

void frmLogin::cmdCancel_Click()
{
    // Esc presses this button; the close box unloads the same way. CurveSel
    // is not touched.
    Unload();
}

// Pictures of the four exchange windows: Inport1.png and CExport.png after
// an export the recorder stored, Inportb.png with its records listed,
// Inportb-import.png after an import, Inportb-refused.png after a query
// of a CONF rebuilt without a field, Inport_Cali.png after a query.

#include "Pictures.h"
#include "exchange/ExchangeFixture.h"
#include "platform/db/Tables.h"

using namespace testsupport;

namespace {

class ExchangePictures : public ExchangeFixture {
protected:
    void Settle() { RunEventsUntil([] { return false; }, 250); }
};

TEST_F(ExchangePictures, Exports)
{
    SetRegisters(4097, 4288);
    SetRegisters(24577, 24640);
    Inport1& conf = forms::Instance<Inport1>();
    conf.show();
    Export(conf, QStringLiteral("op1"));
    Tick();
    Settle();
    pictures::Save(conf, "Inport1.png");
    conf.Command2->click();

    CExport& cali = forms::Instance<CExport>();
    cali.show();
    cali.Text2->setText(QStringLiteral("r1 零点校准"));
    Export(cali, QStringLiteral("cal"));
    Tick();
    Settle();
    pictures::Save(cali, "CExport.png");
}

TEST_F(ExchangePictures, Imports)
{
    SetRegisters(4097, 4288);
    SetRegisters(24577, 24640);
    for (const char* name : {"op1", "张工", "op3"}) {
        Export(forms::Instance<Inport1>(), QString::fromUtf8(name));
        forms::Instance<Inport1>().Command2->click();
        Tick();
    }
    Inportb& conf = forms::Instance<Inportb>();
    conf.show();
    conf.Timer1_Timer();
    Settle();
    pictures::Save(conf, "Inportb.png");
    conf.MaskEdBox1->setText(QStringLiteral("2"));
    conf.Command2->click();
    conf.Command1->click();
    conf.Timer1_Timer();
    Settle();
    pictures::Save(conf, "Inportb-import.png");
    // CONF rebuilt without its field "100": no record, nothing to import.
    QStringList fields = db::FieldNames(*db::FindTable(QStringLiteral("CONF")));
    const QString key = fields[0];
    fields.removeOne(QStringLiteral("100"));
    db.keep(QStringLiteral("CONF"));
    db.rebuild(QStringLiteral("CONF"), fields, key);
    conf.Command2->click();
    Settle();
    pictures::Save(conf, "Inportb-refused.png");
    conf.Command8->click();

    for (const char* note : {"r1", "出厂校准"}) {
        CExport& cali = forms::Instance<CExport>();
        cali.Text2->setText(QString::fromUtf8(note));
        Export(cali, QStringLiteral("cal"));
        cali.Command2->click();
        Tick();
    }
    Inport_Cali& w = forms::Instance<Inport_Cali>();
    w.show();
    w.MaskEdBox1->setText(QStringLiteral("2"));
    w.Command2->click();
    w.Command1->click();
    Settle();
    pictures::Save(w, "Inport_Cali.png");
}

} // namespace

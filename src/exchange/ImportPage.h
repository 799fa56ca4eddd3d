#pragma once
// The import window both imports stand on. It takes the place of its
// opener, lists a record table in the read-only grid Dg1 on a connection of
// its own, loads one record by its number into the run's import buffer
// ("按编号查询") and writes the buffer back register by register ("导入")
// with the live poll off, a yield before every write and the progress in
// the bar and in Label5, shown at most once a display frame and always at
// the last write (exchange::ProgressPace). Its return button shows the
// opener again.
//
// "导入" is enabled only while the last query of this opening found a
// record whose values a register can each be written with, and never while
// a run lasts: it cannot write zeros, half a record, a record of an earlier
// opening, a record the grid does not show, or start a run inside a run.
// The end text says " DOWN OK" only when every write was sent and
// succeeded.
//
// The record is read by its fields' names, so a table rebuilt by another
// program in another order imports the same values; one rebuilt without
// its key or a field the import writes shows as finding no record, nothing
// is written, and the window logs its table's fault once (QueryFault).
//
// The configuration import (Inportb) and the calibration import
// (Inport_Cali) add their own controls and differ only in the design below.

#include "exchange/ExchangeCore.h"
#include "exchange/RecordGrid.h"
#include "platform/forms/Forms.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

class ImportPage : public forms::Form {
    Q_OBJECT
public:
    // What differs between the two windows on this engine.
    struct Design {
        const char* caption;
        const char* connection;
        int clientWidth, clientHeight;   // twips
        forms::TwipsRect dg1, frame1, label5, label4, progressBar1, label6, command8;
        const char* warning;
        const char* returnCaption;
        const exchange::GridDesign* grid;
        const exchange::ImportRecord* record;
    };

    QTableView* Dg1 = nullptr;          // the records
    forms::Frame* Frame1 = nullptr;     // without caption, around the four below
    QLabel* Label2 = nullptr;           // "数据编号："
    QLineEdit* MaskEdBox1 = nullptr;    // the record number
    QPushButton* Command2 = nullptr;    // "按编号查询"
    QPushButton* Command1 = nullptr;    // "导入"
    QLabel* Label5 = nullptr;           // the percentage
    QLabel* Label4 = nullptr;           // the end text
    QProgressBar* ProgressBar1 = nullptr;   // hidden until the first import
    QLabel* Label6 = nullptr;           // the warning, red
    QPushButton* Command8 = nullptr;    // the return

    void Command2_Click();   // the query
    void Command1_Click();   // the import
    void Command8_Click();   // the return

    // The name of the window's own database connection.
    QString ConnectionName() const { return QString::fromLatin1(design_.connection); }

protected:
    explicit ImportPage(const Design& design);

    // The load, once the window's own controls are built.
    void Form_Load();
    void Form_Unload() override;

private:
    const Design design_;
    exchange::QueryFault tableFault_;   // the grid's and the lookup's
    exchange::RecordGridModel* model_ = nullptr;
    bool recordLoaded_ = false;   // the last query found a whole record
    bool importing_ = false;
};

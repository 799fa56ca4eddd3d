#pragma once
// A database fault of an import window's table: its queries fail because
// the file is not as the station made it (the table missing or without a
// field the window reads, a damaged file). The operator sees such a query
// as one that found nothing, so the log is the only trace: one warning with
// the database's own text when the fault begins, and quiet while it lasts,
// whichever of the window's queries fails and however often the operator
// presses the button.
//
// The window's queries come in tries: its load, one press of its query
// button. A try in which every query ran ends the fault; the next failure
// after it is a new fault and logs again.

#include <QLoggingCategory>
#include <QString>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcExchange)

namespace exchange {

class QueryFault {
public:
    // what names the window and its table in the log ("configuration
    // import: a query of CONF").
    explicit QueryFault(QString what) : what_(std::move(what)) {}

    // A query failed with the database's text; logged only when it begins
    // a fault.
    void Failed(const QString& error);
    // Whether a query of the current try failed.
    bool FailedThisTry() const { return failedThisTry_; }
    // The try is over: without a failure in it the fault ends.
    void TryOver();
    bool Active() const { return active_; }

private:
    QString what_;
    bool active_ = false;
    bool failedThisTry_ = false;
};

} // namespace exchange

#pragma once
// A database fault of one query of the import windows: a statement that
// fails because the file is not as the station made it (a table missing or
// short of a field, a damaged file). The operator sees such a query as one
// that found nothing, so the log is the only trace: one warning with the
// database's own text when the fault begins, and quiet while it lasts,
// however often the operator presses the button. A query that runs ends the
// fault; the next failure after it is a new fault and logs again.

#include <QLoggingCategory>
#include <QString>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcExchange)

namespace exchange {

class QueryFault {
public:
    // what names the query in the log ("configuration import: the record
    // query").
    explicit QueryFault(QString what) : what_(std::move(what)) {}

    // The query failed with the database's text; logged only when it is a
    // new fault.
    void Failed(const QString& error);
    // The query ran (whether or not it found a row).
    void Ran() { active_ = false; }
    bool Active() const { return active_; }

private:
    QString what_;
    bool active_ = false;
};

} // namespace exchange

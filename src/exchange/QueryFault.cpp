#include "exchange/QueryFault.h"

#include "platform/basic/logtext.h"

namespace exchange {

void QueryFault::Failed(const QString& error)
{
    if (!active_)
        qCWarning(lcExchange, "%s failed: %s; it shows as finding no record",
                  qUtf8Printable(what_), qUtf8Printable(basic::LogEscaped(error)));
    active_ = true;
    failedThisTry_ = true;
}

void QueryFault::TryOver()
{
    if (!failedThisTry_)
        active_ = false;
    failedThisTry_ = false;
}

} // namespace exchange

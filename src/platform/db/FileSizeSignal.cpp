#include "platform/db/FileSizeSignal.h"

#include <csignal>

namespace db {

void IgnoreFileSizeSignal()
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

} // namespace db

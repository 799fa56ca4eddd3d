#pragma once
// A process started under a file size limit (ulimit -f, a service manager's
// limit) is killed by SIGXFSZ the moment a write of its would pass the
// limit: the station would end in the middle of a tick, with an export
// waiting for an answer, as soon as its write-ahead log grew that far.
// Ignored, the signal leaves such a write failing with EFBIG, and the
// station meets a full disk, which it already records as a write fault.

namespace db {

// Ignores SIGXFSZ for the whole process, for good. Called first thing at
// start, before any file is written. Safe in a child between fork and exec.
void IgnoreFileSizeSignal();

} // namespace db

#pragma once

namespace glyphcensus {
// Whether the results written on stdout reached it.
//
// Every record is flushed as it is written; a write that fails (a full disk,
// a reader that has gone) ends the run: nothing that cannot be written is
// measured, and the run never reports success.

// Flushes stdout. 0 when everything written so far has been passed on, else
// the error number of the first write that failed.
int FlushOutput();

// Says on stderr why the output could not be written; nothing for a closed
// pipe (the reader has gone, as after `| head`), which ends the run quietly.
void ReportOutputError(int error);

}  // namespace glyphcensus

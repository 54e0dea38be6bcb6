#pragma once
// Start-up marks for the start-up benchmark: when TARVO_STARTUP_MARKS names a
// file, each stage's first mark appends "<stage> <microseconds since the Unix
// epoch>" to it, the process's first line preceded by its creation time
// ("process-created <µs>"). Used by the client's test hooks and by the
// benchmark's bare dialog program only.

namespace tarvo {

// Any thread may mark; a stage marked again is not written again.
void MarkStartupStage(const char* stage);

}  // namespace tarvo

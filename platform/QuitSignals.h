#pragma once
// The signals that ask the program to end (SIGTERM, SIGINT, SIGHUP: a desktop
// logout, `kill`, Ctrl+C) turned into bytes on a pipe, so that the event loop
// can end the program the ordinary way. A signal that an ignoring parent
// (nohup) handed down ignored stays ignored.
namespace korvane {

// Blocks the quit signals in the calling thread. Called in main before any
// other thread exists, every thread made later holds them blocked too: a
// signal sent meanwhile waits instead of killing the program unsaved.
void HoldQuitSignals();

// Installs the handler that writes each quit signal to a pipe and unblocks
// them in the calling thread only, so that a waiting one arrives now. Returns
// the pipe's non-blocking read end, the same on every call; -1 when no pipe
// could be made (the signals then keep their default action).
int DeliverQuitSignals();

// Reads all that waits on the read end; true when a quit signal was among it.
bool TakeQuitSignals(int fd);

// Gives the quit signals that DeliverQuitSignals handles their default action
// again (once the event loop has ended: a further signal then ends a teardown
// that got stuck). Ignored ones stay ignored.
void DefaultQuitSignals();

}  // namespace korvane

#pragma once

// How msgdesk-cli ends when it is told to (Ctrl+C, SIGTERM, a closed
// terminal's SIGHUP): the decrypted copies of an encrypted backup are
// removed first, a key derivation under way simply stops with the program,
// and a terminal left without echo by the password prompt gets it back.
// The process then ends with status 128 + the signal's number, as shells
// expect.
//
// The handler itself only notes the signal and wakes a waiting thread
// through a pipe; that thread does the removal, which is not allowed in a
// signal handler.

namespace cli {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP once; later calls
// do nothing. Does nothing where these signals do not exist.
void installStopHandlers();

// While a piece of work that can stop cleanly runs (an export, which then
// removes what it wrote), a first stop signal only asks it to stop:
// stopRequested() gives the signal's number, and the work ends the program
// with stopNow() once it has cleaned up. A second signal ends the program
// at once, as without deferral.
void deferStop(bool defer);
// The number of a deferred stop signal; 0 when none came.
int stopRequested();
// Ends the program as a stop signal does: the decrypted copies removed, the
// terminal restored, status 128 + signal.
[[noreturn]] void stopNow(int signal);

} // namespace cli

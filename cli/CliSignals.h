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

} // namespace cli

// The console break handler: SIGINT and SIGTERM are handed to the registered
// frame's OnConsoleAbort on a thread of the handler's own (never inside the
// signal handler). When the frame does not handle the break, or no frame is
// enabled, the signal's default action ends the process.
#pragma once

class CKelApp;

namespace vxs {

// Installs the handler once per process. A signal whose action someone else
// has set (a host program's handler, or "ignore") is left to them.
void InstallConsoleBreakHandler();
// Breaks go to FRAME from now on.
void EnableConsoleBreak(CKelApp* frame);
// Breaks no longer reach FRAME; returns once a call to it under way has ended.
void DisableConsoleBreak(const CKelApp* frame);

}  // namespace vxs

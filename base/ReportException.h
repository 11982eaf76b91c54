// What a program's frame does with an exception that reached its main loop
// (CKelApp::ReportException calls it).
#pragma once

#include <cstdint>

#include "base/KelErrorMessage.h"
#include "platform/Framework.h"

// Reports EXCEPTION through MESSAGES and gives the program's result:
//   - the framework's out-of-memory exception: shown as code 1014; the message
//     object's severity as it stands;
//   - CKelException, CKelFileException: shown; the severity (or the answer when
//     buttons were set);
//   - CKelAbortException: nothing shown; its exit code;
//   - anything else is thrown on (by pointer, still owned by whoever catches it).
// EXCEPTION stays the caller's to delete.
std::int32_t ReportFrameworkException(CKelErrorMessage& messages, CException* exception);

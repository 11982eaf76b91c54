// The HTTP status of a reader response, from the handler's result and the
// outcome it reported (reader/client/ReaderOutcome.h).
#pragma once

#include <string>
#include <vector>

#include "platform/ProtocolBroker.h"

// 200 for topics and the list page; 400 for a malformed URL (page 1); 404 for a
// name, firm code, archive file or topic that is not there (pages 2 to 7, missing
// topics); 500 for any other failure.
int HttpStatusOf(HRESULT result, const std::vector<ProtocolReport>& reports);

// The plain text body for a failure that produced no page.
std::string FailureText(HRESULT result, const std::vector<ProtocolReport>& reports);

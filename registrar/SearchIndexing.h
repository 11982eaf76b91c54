// The search indexes of the archives a run has registered, built right after
// the registration so that the first search finds them ready. They are built in
// the foreground, one archive after the other, with a progress line while
// standard error is a terminal: the run ends when its work is done, leaves no
// process behind, and a user who stops it loses nothing (an index is written
// whole or not at all, and the viewer and the host build a missing one in the
// background on first search). An index already current is kept. An index that
// cannot be built is reported as a warning: the registration stands and the
// exit code stays as it was.
#pragma once

#include <string>
#include <vector>

class CKelErrorMessage;

namespace registrar {

void BuildSearchIndexes(const std::vector<std::string>& archives, CKelErrorMessage& messages);

}  // namespace registrar

// The toolkit's own lifetime memory is no leak of the code under test.
#include "platform/gtk/ToolkitLeaks.h"

extern "C" const char* __lsan_default_suppressions() { return kToolkitLeaks; }

#include "base/AutoInit.h"

#include <cstdlib>

namespace vxs {

namespace {
AutoInitBase* g_newest = nullptr;
bool g_exitHandlerInstalled = false;
}  // namespace

void AutoInitBase::DestroyAll() {
  while (g_newest != nullptr) g_newest->Destroy();
}

void AutoInitBase::Created() {
  m_older = g_newest;
  g_newest = this;
  if (!g_exitHandlerInstalled) {
    g_exitHandlerInstalled = true;
    std::atexit(&AutoInitBase::DestroyAll);
  }
}

void AutoInitBase::Destroying() {
  AutoInitBase** link = &g_newest;
  while (*link != nullptr && *link != this) link = &(*link)->m_older;
  if (*link == this) *link = m_older;
  m_older = nullptr;
}

}  // namespace vxs

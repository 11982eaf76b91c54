#include "reader/ThisDll.h"

#include "base/KelErrorMessage.h"
#include "base/messages/MessageTable.h"
#include "reader/CacheEntryList.h"
#include "reader/MimeTypeTable.h"

namespace {
ThisDll* g_instance = nullptr;
}  // namespace

const KelAppDescriptor ThisDll::kDescriptor = {kAppName, "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS",
                                               0x300};

ThisDll::ThisDll() : CKelApp(&kDescriptor) { g_instance = this; }

ThisDll::~ThisDll() {
  if (g_instance == this) g_instance = nullptr;
}

ThisDll* ThisDll::Instance() { return g_instance; }

bool ThisDll::InitInstance() {
  CKelApp::InitInstance();
  InstallMessageTable();
  SetErrorMessage(new CKelErrorMessage());
  m_readerState = std::make_unique<ReaderState>(kDescriptor);
  m_pszAppName = kAppName;
  return true;
}

int ThisDll::ExitInstance() {
  m_readerState.reset();
  MimeTypeTable::Destroy();
  CacheEntryList::Destroy();
  return CKelApp::ExitInstance();
}

// libvxstrd.so: the reader module's application object and its exports. The
// module starts when it is loaded and ends when it is unloaded.
#include <cstdlib>

#include "catalog/ThisDocumentProfiling.h"
#include "platform/Registry.h"
#include "platform/UserInterface.h"
#include "reader/DocumentFileName.h"
#include "reader/ModuleRegistration.h"
#include "reader/PagePaths.h"
#include "reader/ReaderClassFactory.h"
#include "reader/ReaderDialogs.h"
#include "reader/ReaderExports.h"
#include "reader/ReaderPages.h"
#include "reader/ThisDll.h"

namespace {

ThisDll theApp;

void EndModule() { theApp.ExitInstance(); }

// Starts the module once its application object exists. The end is registered
// after the foundation's process-wide objects exist, so that it runs before
// they are destroyed (exit handlers run newest first): the catalog's keys are
// still closed by it.
struct ModuleStart {
  ModuleStart() {
    RegPrepareKeyTable();
    theApp.InitInstance();
    std::atexit(&EndModule);
  }
} g_moduleStart;

}  // namespace

HRESULT DllRegisterServer() { return RegisterReaderModule(CKelApp::ModuleFilePath()); }

HRESULT DllUnregisterServer() { return UnregisterReaderModule(CKelApp::ModuleFilePath()); }

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  return GetReaderClassObject(clsid, riid, ppv);
}

HRESULT DllCanUnloadNow() { return CanUnloadReaderModule(); }

std::int32_t GetDocumentFileNameA(const char* name, std::uint32_t firmCode, char* buffer,
                                  std::int32_t size) {
  ReaderState* state = theApp.GetReaderState();
  return state ? GetDocumentFileName(state->GetCatalog(), name, firmCode, buffer, size) : 0;
}

void VxStRdSetUserInterface(MessageBoxFrontEnd* messageBoxes, ReaderDialogFrontEnd* dialogs) {
  SetMessageBoxFrontEnd(messageBoxes);
  SetReaderDialogFrontEnd(dialogs);
}

void VxStRdRegisterGraphicalUserInterface(MessageBoxFrontEnd* messageBoxes,
                                          ReaderDialogFrontEnd* dialogs) {
  RegisterGraphicalMessageBoxes(messageBoxes);
  RegisterGraphicalReaderDialogs(dialogs);
}

void VxStRdShowServerPaths(int shown) { PagePaths::SetShown(shown != 0); }

void VxStRdKeepChoices(int kept) { ThisDocumentProfiling::SetChoicesKept(kept != 0); }

int VxstModuleResource(const char* name, const void** data, std::size_t* size) {
  std::string_view bytes = name ? FindReaderResource(name) : std::string_view();
  if (bytes.empty()) return 0;
  *data = bytes.data();
  *size = bytes.size();
  return 1;
}

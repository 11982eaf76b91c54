// The reader module's application object. Its start creates the module's error
// reporter and the ReaderState and names the application "Stowra Reader"; its
// end destroys the ReaderState (closing the current archive), the MIME type
// table and the cache entry list (deleting the cache entries made).
#pragma once

#include <memory>

#include "base/KelApp.h"
#include "reader/ReaderState.h"

class ThisDll : public CKelApp {
 public:
  static constexpr const char* kAppName = "Stowra Reader";

  ThisDll();
  ~ThisDll() override;

  bool InitInstance() override;
  int ExitInstance() override;

  // The module's state between start and end, else nullptr.
  ReaderState* GetReaderState() { return m_readerState.get(); }

  // The module's application object, or nullptr.
  static ThisDll* Instance();

  // The reader's application descriptor: settings and catalog under
  // VEXO-SYSTEMS\VEXO-KEY\Stowra, version 3.00, codes prefixed "VK".
  static const KelAppDescriptor kDescriptor;

 private:
  std::unique_ptr<ReaderState> m_readerState;
};

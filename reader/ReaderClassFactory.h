// The class objects of the module's two classes, the protocol handler and the
// reader control; both make SwPlugProt objects, plain or aggregated. A reference
// to a class object locks the module, as does LockServer.
#pragma once

#include "platform/Com.h"

// DllGetClassObject: CLASS_E_CLASSNOTAVAILABLE for any other class id.
HRESULT GetReaderClassObject(REFCLSID clsid, REFIID riid, void** ppv);
// DllCanUnloadNow: S_OK while nothing locks the module, else S_FALSE.
HRESULT CanUnloadReaderModule();

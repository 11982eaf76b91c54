// IObjectSafety: how an object declares itself safe for scripting hosts.
#pragma once

#include "platform/Com.h"

inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;
inline constexpr DWORD INTERFACE_USES_DISPEX = 0x4;
inline constexpr DWORD INTERFACE_USES_SECURITY_MANAGER = 0x8;

constexpr IID IID_IObjectSafety = {
    0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

struct IObjectSafety : IUnknown {
  virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                            DWORD* pdwEnabledOptions) = 0;
  virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                            DWORD dwEnabledOptions) = 0;

 protected:
  ~IObjectSafety() = default;
};

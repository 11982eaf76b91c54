// Names shared by the fake protocol module and the tests that load it.
//
// URLs the handler serves (scheme vxfake:):
//   vxfake:text/PAYLOAD     MIME "text/plain", all data announced, PAYLOAD read in
//                           pieces of at most 5 bytes
//   vxfake:cached/PAYLOAD   MIME "application/octet-stream", cache file
//                           "/cache/PAYLOAD", data of unknown size, PAYLOAD
//   vxfake:complete/PAYLOAD all data announced, then ReportResult(S_OK), PAYLOAD
//   vxfake:big/N            N bytes (byte i is i % 251), read as large as asked
//   vxfake:switch/PAYLOAD   as text/, but reported from Continue after a Switch
//   vxfake:bindinfo         reports "verb=V flags=F size=S" and the bind string URL
//                           as BINDSTATUS_SENDINGREQUEST texts, then no data
//   vxfake:nodata           answers S_OK and reports nothing
//   vxfake:fail             Start answers INET_E_RESOURCE_NOT_FOUND
//   vxfake:result           reports ReportResult(INET_E_DATA_NOT_AVAILABLE, 7, "gone")
//   vxfake:readfail         announces data, Read answers E_FAIL
//   vxfake:stall            announces data, Read answers S_OK with nothing, forever
// With PI_PARSE_URL every Start answers S_OK and reports nothing.
//
// IInternetProtocolInfo: ParseUrl(PARSE_SECURITY_URL) gives "vxfake:", other
// actions E_NOTIMPL; CombineUrl gives BASE "|" RELATIVE (E_NOTIMPL for an empty
// relative URL); CompareUrl S_OK for equal texts, else S_FALSE; QueryInfo
// QUERY_CAN_NAVIGATE 1, other options INET_E_QUERYOPTION_UNKNOWN.
//
// DllRegisterServer fails with SELFREG_E_CLASS, writing nothing, while the
// environment holds VXFAKE_REGISTER_FAILS.
#pragma once

#include "platform/Com.h"

constexpr CLSID CLSID_FakeProtocol = {
    0x5A1E0001, 0x7E57, 0x4C0D, {0x9A, 0x11, 0x00, 0x00, 0xF0, 0x0D, 0x00, 0x01}};
inline constexpr const char* kFakeProgId = "VxFake.Protocol.1";
inline constexpr const char* kFakeIndependentProgId = "VxFake.Protocol";
inline constexpr const char* kFakeScheme = "vxfake";

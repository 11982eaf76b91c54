// The browser's pluggable URL protocols: the interfaces through which a browser
// (here the ProtocolBroker) drives the handler of a URL scheme, and the handler
// reports back, with their Windows method order, identifiers and constants.
//
// Texts are UTF-8 (see Com.h): URLs, MIME types and cache file names passed as
// LPCWSTR, and result buffers whose sizes (cchResult) count bytes.
#pragma once

#include "platform/Com.h"

struct LARGE_INTEGER {
  std::int64_t QuadPart;
};
struct ULARGE_INTEGER {
  std::uint64_t QuadPart;
};

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  void* lpSecurityDescriptor;
  BOOL bInheritHandle;
};

// Storage medium of bind data. Only TYMED_NULL is produced on this platform.
inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD TYMED_FILE = 2;
struct STGMEDIUM {
  DWORD tymed;
  union {
    void* hGlobal;
    LPOLESTR lpszFileName;
  };
  IUnknown* pUnkForRelease;
};

// What the browser tells the handler about a binding. cbSize is set by the caller
// to the size it knows, sizeof(BINDINFO) here (84 bytes on the original 32-bit
// platform); GetBindInfo fills no byte beyond it.
struct BINDINFO {
  ULONG cbSize;
  LPWSTR szExtraInfo;
  STGMEDIUM stgmedData;
  DWORD grfBindInfoF;
  DWORD dwBindVerb;
  LPWSTR szCustomVerb;
  DWORD cbstgmedData;
  DWORD dwOptions;
  DWORD dwOptionsFlags;
  DWORD dwCodePage;
  SECURITY_ATTRIBUTES securityAttributes;
  IID iid;
  IUnknown* pUnk;
  DWORD dwReserved;
};

// Frees what GetBindInfo put into the fields within cbSize (texts, object
// references) and empties them; cbSize stays.
void ReleaseBindInfo(BINDINFO* bindInfo);

struct PROTOCOLDATA {
  DWORD grfFlags;
  DWORD dwState;
  LPVOID pData;
  ULONG cbData;
};

// Flags of Start (grfPI).
inline constexpr DWORD PI_PARSE_URL = 0x1;
inline constexpr DWORD PI_FILTER_MODE = 0x2;
inline constexpr DWORD PI_FORCE_ASYNC = 0x4;
inline constexpr DWORD PI_USE_WORKERTHREAD = 0x8;
inline constexpr DWORD PI_MIMEVERIFICATION = 0x10;
inline constexpr DWORD PI_CLSIDLOOKUP = 0x20;
inline constexpr DWORD PI_DATAPROGRESS = 0x40;
inline constexpr DWORD PI_SYNCHRONOUS = 0x80;
inline constexpr DWORD PI_APARTMENTTHREADED = 0x100;
inline constexpr DWORD PI_CLASSINSTALL = 0x200;
inline constexpr DWORD PI_PASSONBINDCTX = 0x2000;
inline constexpr DWORD PI_NOMIMEHANDLER = 0x8000;
inline constexpr DWORD PI_LOADAPPDIRECT = 0x4000;
inline constexpr DWORD PD_FORCE_SWITCH = 0x10000;
inline constexpr DWORD PI_PREFERDEFAULTHANDLER = 0x20000;

// Flags of ReportData (grfBSCF).
inline constexpr DWORD BSCF_FIRSTDATANOTIFICATION = 0x1;
inline constexpr DWORD BSCF_INTERMEDIATEDATANOTIFICATION = 0x2;
inline constexpr DWORD BSCF_LASTDATANOTIFICATION = 0x4;
inline constexpr DWORD BSCF_DATAFULLYAVAILABLE = 0x8;
inline constexpr DWORD BSCF_AVAILABLEDATASIZEUNKNOWN = 0x10;

// Bind flags (grfBINDF of GetBindInfo).
inline constexpr DWORD BINDF_ASYNCHRONOUS = 0x1;
inline constexpr DWORD BINDF_ASYNCSTORAGE = 0x2;
inline constexpr DWORD BINDF_NOPROGRESSIVERENDERING = 0x4;
inline constexpr DWORD BINDF_OFFLINEOPERATION = 0x8;
inline constexpr DWORD BINDF_GETNEWESTVERSION = 0x10;
inline constexpr DWORD BINDF_NOWRITECACHE = 0x20;
inline constexpr DWORD BINDF_NEEDFILE = 0x40;
inline constexpr DWORD BINDF_PULLDATA = 0x80;
inline constexpr DWORD BINDF_IGNORESECURITYPROBLEM = 0x100;
inline constexpr DWORD BINDF_RESYNCHRONIZE = 0x200;
inline constexpr DWORD BINDF_HYPERLINK = 0x400;
inline constexpr DWORD BINDF_NO_UI = 0x800;
inline constexpr DWORD BINDF_SILENTOPERATION = 0x1000;
inline constexpr DWORD BINDF_PRAGMA_NO_CACHE = 0x2000;
inline constexpr DWORD BINDF_GETCLASSOBJECT = 0x4000;

inline constexpr DWORD BINDVERB_GET = 0;
inline constexpr DWORD BINDVERB_POST = 1;
inline constexpr DWORD BINDVERB_PUT = 2;
inline constexpr DWORD BINDVERB_CUSTOM = 3;

// Kinds of GetBindString.
inline constexpr ULONG BINDSTRING_HEADERS = 1;
inline constexpr ULONG BINDSTRING_ACCEPT_MIMES = 2;
inline constexpr ULONG BINDSTRING_EXTRA_URL = 3;
inline constexpr ULONG BINDSTRING_LANGUAGE = 4;
inline constexpr ULONG BINDSTRING_USERNAME = 5;
inline constexpr ULONG BINDSTRING_PASSWORD = 6;
inline constexpr ULONG BINDSTRING_UA_PIXELS = 7;
inline constexpr ULONG BINDSTRING_UA_COLOR = 8;
inline constexpr ULONG BINDSTRING_OS = 9;
inline constexpr ULONG BINDSTRING_USER_AGENT = 10;
inline constexpr ULONG BINDSTRING_ACCEPT_ENCODINGS = 11;
inline constexpr ULONG BINDSTRING_POST_COOKIE = 12;
inline constexpr ULONG BINDSTRING_POST_DATA_MIME = 13;
inline constexpr ULONG BINDSTRING_URL = 14;

// Status codes of ReportProgress.
enum BINDSTATUS : ULONG {
  BINDSTATUS_FINDINGRESOURCE = 1,
  BINDSTATUS_CONNECTING = 2,
  BINDSTATUS_REDIRECTING = 3,
  BINDSTATUS_BEGINDOWNLOADDATA = 4,
  BINDSTATUS_DOWNLOADINGDATA = 5,
  BINDSTATUS_ENDDOWNLOADDATA = 6,
  BINDSTATUS_BEGINDOWNLOADCOMPONENTS = 7,
  BINDSTATUS_INSTALLINGCOMPONENTS = 8,
  BINDSTATUS_ENDDOWNLOADCOMPONENTS = 9,
  BINDSTATUS_USINGCACHEDCOPY = 10,
  BINDSTATUS_SENDINGREQUEST = 11,
  BINDSTATUS_CLASSIDAVAILABLE = 12,
  BINDSTATUS_MIMETYPEAVAILABLE = 13,
  BINDSTATUS_CACHEFILENAMEAVAILABLE = 14,
  BINDSTATUS_BEGINSYNCOPERATION = 15,
  BINDSTATUS_ENDSYNCOPERATION = 16,
  BINDSTATUS_BEGINUPLOADDATA = 17,
  BINDSTATUS_UPLOADINGDATA = 18,
  BINDSTATUS_ENDUPLOADDATA = 19,
  BINDSTATUS_PROTOCOLCLASSID = 20,
  BINDSTATUS_ENCODING = 21,
  BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE = 22,
  BINDSTATUS_CLASSINSTALLLOCATION = 23,
  BINDSTATUS_DECODING = 24,
  BINDSTATUS_LOADINGMIMEHANDLER = 25,
  BINDSTATUS_CONTENTDISPOSITIONATTACH = 26,
  BINDSTATUS_FILTERREPORTMIMETYPE = 27,
  BINDSTATUS_CLSIDCANINSTANTIATE = 28,
  BINDSTATUS_IUNKNOWNAVAILABLE = 29,
  BINDSTATUS_DIRECTBIND = 30,
  BINDSTATUS_RAWMIMETYPE = 31,
  BINDSTATUS_PROXYDETECTING = 32,
  BINDSTATUS_ACCEPTRANGES = 33,
};

// Actions of IInternetProtocolInfo::ParseUrl.
enum PARSEACTION {
  PARSE_CANONICALIZE = 1,
  PARSE_FRIENDLY = 2,
  PARSE_SECURITY_URL = 3,
  PARSE_ROOTDOCUMENT = 4,
  PARSE_DOCUMENT = 5,
  PARSE_ANCHOR = 6,
  PARSE_ENCODE_IS_UNESCAPE = 7,
  PARSE_DECODE_IS_ESCAPE = 8,
  PARSE_PATH_FROM_URL = 9,
  PARSE_URL_FROM_PATH = 10,
  PARSE_MIME = 11,
  PARSE_SERVER = 12,
  PARSE_SCHEMA = 13,
  PARSE_SITE = 14,
  PARSE_DOMAIN = 15,
  PARSE_LOCATION = 16,
  PARSE_SECURITY_DOMAIN = 17,
  PARSE_ESCAPE = 18,
  PARSE_UNESCAPE = 19,
};

// Options of IInternetProtocolInfo::QueryInfo.
enum QUERYOPTION {
  QUERY_EXPIRATION_DATE = 1,
  QUERY_TIME_OF_LAST_CHANGE = 2,
  QUERY_CONTENT_ENCODING = 3,
  QUERY_CONTENT_TYPE = 4,
  QUERY_REFRESH = 5,
  QUERY_RECOMBINE = 6,
  QUERY_CAN_NAVIGATE = 7,
  QUERY_USES_NETWORK = 8,
  QUERY_IS_CACHED = 9,
  QUERY_IS_INSTALLEDENTRY = 10,
  QUERY_IS_CACHED_OR_MAPPED = 11,
  QUERY_USES_CACHE = 12,
  QUERY_IS_SECURE = 13,
  QUERY_IS_SAFE = 14,
  QUERY_USES_HISTORYFOLDER = 15,
};

// Results of bindings and protocol handlers.
inline constexpr HRESULT INET_E_INVALID_URL = static_cast<HRESULT>(0x800C0002u);
inline constexpr HRESULT INET_E_NO_SESSION = static_cast<HRESULT>(0x800C0003u);
inline constexpr HRESULT INET_E_CANNOT_CONNECT = static_cast<HRESULT>(0x800C0004u);
inline constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = static_cast<HRESULT>(0x800C0005u);
inline constexpr HRESULT INET_E_OBJECT_NOT_FOUND = static_cast<HRESULT>(0x800C0006u);
inline constexpr HRESULT INET_E_DATA_NOT_AVAILABLE = static_cast<HRESULT>(0x800C0007u);
inline constexpr HRESULT INET_E_DOWNLOAD_FAILURE = static_cast<HRESULT>(0x800C0008u);
inline constexpr HRESULT INET_E_AUTHENTICATION_REQUIRED = static_cast<HRESULT>(0x800C0009u);
inline constexpr HRESULT INET_E_NO_VALID_MEDIA = static_cast<HRESULT>(0x800C000Au);
inline constexpr HRESULT INET_E_CONNECTION_TIMEOUT = static_cast<HRESULT>(0x800C000Bu);
inline constexpr HRESULT INET_E_INVALID_REQUEST = static_cast<HRESULT>(0x800C000Cu);
inline constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = static_cast<HRESULT>(0x800C000Du);
inline constexpr HRESULT INET_E_SECURITY_PROBLEM = static_cast<HRESULT>(0x800C000Eu);
inline constexpr HRESULT INET_E_CANNOT_LOAD_DATA = static_cast<HRESULT>(0x800C000Fu);
inline constexpr HRESULT INET_E_CANNOT_INSTANTIATE_OBJECT = static_cast<HRESULT>(0x800C0010u);
inline constexpr HRESULT INET_E_USE_DEFAULT_PROTOCOLHANDLER = static_cast<HRESULT>(0x800C0011u);
inline constexpr HRESULT INET_E_DEFAULT_ACTION = INET_E_USE_DEFAULT_PROTOCOLHANDLER;
inline constexpr HRESULT INET_E_USE_DEFAULT_SETTING = static_cast<HRESULT>(0x800C0012u);
inline constexpr HRESULT INET_E_QUERYOPTION_UNKNOWN = static_cast<HRESULT>(0x800C0013u);
inline constexpr HRESULT INET_E_REDIRECT_FAILED = static_cast<HRESULT>(0x800C0014u);
inline constexpr HRESULT INET_E_REDIRECT_TO_DIR = static_cast<HRESULT>(0x800C0015u);
inline constexpr HRESULT INET_E_CANNOT_LOCK_REQUEST = static_cast<HRESULT>(0x800C0016u);

constexpr IID IID_IInternetBindInfo = {
    0x79EAC9E1, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IInternetProtocolRoot = {
    0x79EAC9E3, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IInternetProtocol = {
    0x79EAC9E4, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IInternetProtocolSink = {
    0x79EAC9E5, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IInternetProtocolInfo = {
    0x79EAC9EC, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IWinInetInfo = {
    0x79EAC9D6, 0xBAFA, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
constexpr IID IID_IWinInetHttpInfo = {
    0x79EAC9D8, 0xBAFA, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

struct IInternetProtocolSink;
struct IInternetBindInfo;

struct IInternetProtocolRoot : IUnknown {
  virtual HRESULT Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                        IInternetBindInfo* pOIBindInfo, DWORD grfPI, HANDLE_PTR dwReserved) = 0;
  virtual HRESULT Continue(PROTOCOLDATA* pProtocolData) = 0;
  virtual HRESULT Abort(HRESULT hrReason, DWORD dwOptions) = 0;
  virtual HRESULT Terminate(DWORD dwOptions) = 0;
  virtual HRESULT Suspend() = 0;
  virtual HRESULT Resume() = 0;

 protected:
  ~IInternetProtocolRoot() = default;
};

struct IInternetProtocol : IInternetProtocolRoot {
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT LockRequest(DWORD dwOptions) = 0;
  virtual HRESULT UnlockRequest() = 0;

 protected:
  ~IInternetProtocol() = default;
};

struct IInternetProtocolSink : IUnknown {
  virtual HRESULT Switch(PROTOCOLDATA* pProtocolData) = 0;
  virtual HRESULT ReportProgress(ULONG ulStatusCode, LPCWSTR szStatusText) = 0;
  virtual HRESULT ReportData(DWORD grfBSCF, ULONG ulProgress, ULONG ulProgressMax) = 0;
  virtual HRESULT ReportResult(HRESULT hrResult, DWORD dwError, LPCWSTR szResult) = 0;

 protected:
  ~IInternetProtocolSink() = default;
};

struct IInternetBindInfo : IUnknown {
  virtual HRESULT GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) = 0;
  // Texts handed out are allocated with CoTaskMemAlloc; the caller frees them.
  virtual HRESULT GetBindString(ULONG ulStringType, LPOLESTR* ppwzStr, ULONG cEl,
                                ULONG* pcElFetched) = 0;

 protected:
  ~IInternetBindInfo() = default;
};

struct IInternetProtocolInfo : IUnknown {
  virtual HRESULT ParseUrl(LPCWSTR pwzUrl, PARSEACTION ParseAction, DWORD dwParseFlags,
                           LPWSTR pwzResult, DWORD cchResult, DWORD* pcchResult,
                           DWORD dwReserved) = 0;
  virtual HRESULT CombineUrl(LPCWSTR pwzBaseUrl, LPCWSTR pwzRelativeUrl, DWORD dwCombineFlags,
                             LPWSTR pwzResult, DWORD cchResult, DWORD* pcchResult,
                             DWORD dwReserved) = 0;
  virtual HRESULT CompareUrl(LPCWSTR pwzUrl1, LPCWSTR pwzUrl2, DWORD dwCompareFlags) = 0;
  virtual HRESULT QueryInfo(LPCWSTR pwzUrl, QUERYOPTION QueryOption, DWORD dwQueryFlags,
                            LPVOID pBuffer, DWORD cbBuffer, DWORD* pcbBuf, DWORD dwReserved) = 0;

 protected:
  ~IInternetProtocolInfo() = default;
};

// Information a handler gives about the connection behind it.
struct IWinInetInfo : IUnknown {
  virtual HRESULT QueryOption(DWORD dwOption, LPVOID pBuffer, DWORD* pcbBuf) = 0;

 protected:
  ~IWinInetInfo() = default;
};

struct IWinInetHttpInfo : IWinInetInfo {
  virtual HRESULT QueryInfo(DWORD dwOption, LPVOID pBuffer, DWORD* pcbBuf, DWORD* pdwFlags,
                            DWORD* pdwReserved) = 0;

 protected:
  ~IWinInetHttpInfo() = default;
};

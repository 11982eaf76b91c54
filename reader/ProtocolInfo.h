// The reader's answers on the browser's IInternetProtocolInfo, as functions the
// protocol handler forwards to. The browser asks them to resolve relative links
// on pages served from archives, and for the security URL of a vexost: URL.
//
// Texts are UTF-8, as every text of the browser interfaces on this platform.
// Result sizes keep the rule of the original wide-character interface: a result
// of n characters needs a buffer of 2 * n and is reported with the length 2 * n.
// Here n counts the bytes of the UTF-8 result, so a buffer of 2 * n bytes always
// holds the result with its terminating zero.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

// ParseUrl: only the security URL is answered (the text "vexost:", reported
// with the length 9); every other action E_NOTIMPL, so that the browser uses its
// default. A buffer without room for "vexost:" and its zero: E_POINTER.
HRESULT AnswerParseUrl(const char* url, DWORD action, DWORD flags, char* result, DWORD size,
                       DWORD* length);

// CombineUrl: the result of CombineArchiveUrl, written when SIZE is at least
// twice its length (S_OK; LENGTH = twice its length); else E_NOTIMPL, which lets
// the browser combine by its default rules. A missing URL or result buffer:
// E_POINTER.
HRESULT AnswerCombineUrl(const char* baseUrl, const char* relativeUrl, DWORD flags, char* result,
                         DWORD size, DWORD* length);

// CompareUrl: E_NOTIMPL for every pair (the browser's default comparison).
HRESULT AnswerCompareUrl(const char* url1, const char* url2, DWORD flags);

// The combinations the reader makes itself; none when the browser's default
// applies:
//   - a relative URL beginning with "file:///vexost" loses its "file:///";
//   - a relative URL ending in ".pdf" (any case) against a base URL beginning
//     with "vexost://file:" is placed behind the base's archive file path (the
//     base up to its first ".vxb", any case), or, when it is a vexost://file:
//     URL itself that differs from the base before that point, its part from
//     where the two differ (one character earlier) is placed there.
std::optional<std::string> CombineArchiveUrl(std::string_view baseUrl, std::string_view relativeUrl);

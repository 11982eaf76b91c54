// The pages that stand for the reader's dialogs in a web browser: the firm-code
// choice as links that carry the firm code in the URL, and the file dialog as a
// form posted back to the page's own URL.
#pragma once

#include <string>
#include <vector>

#include "host/WebDialogs.h"

// URL (a vexost:// URL that names an archive) narrowed to FIRMCODE.
std::string UrlWithFirmCode(const std::string& url, const std::string& firmCode);

// The firm-code choice for the request of URL.
std::string FirmCodePage(const WebDialogs::FirmCodeView& view, const std::string& url);

// The file dialog for the request of URL, with the MESSAGES of the last check of
// a path entered; the form carries TOKEN (host/FormToken.h) back.
std::string FileSelectPage(const WebDialogs::FileSelectView& view,
                           const std::vector<std::string>& messages, const std::string& url,
                           const std::string& token);

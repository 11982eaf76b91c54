// vexost: URLs as the embedded browser holds them. The browser parses the part
// after "vexost://" as a host, in which ":" (of "file:" and "FirmCode:"), "\"
// and a few more characters cannot stand: it would drop an empty port
// ("vexost://file:/a.vxb" becomes "vexost://file/a.vxb") or refuse the URL. So
// the viewer %-escapes them there before it navigates, and reads them back
// from the URLs the browser reports. The reader module unescapes every URL it
// serves, so both forms name the same topic.
#pragma once

#include <string>

// URL with the characters a host cannot hold %-escaped in its archive part; a
// URL of an archive file without topic ("vexost://file:/a/manual.vxb") ends with
// "/" there, so that relative links of its start page stay inside the archive.
std::string ToBrowserUrl(const std::string& url);
// The archive part of URL with the escapes of ":" and "\\" undone (others
// stay, as they mean the same to the reader).
std::string ToReaderUrl(const std::string& url);

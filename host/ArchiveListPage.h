// The list page of vxstserve: the archives this host serves (those named on its
// command line, handed to the reader), then the catalog's archives registered for
// the current user and for all users, each group under a heading that says which
// it is. It is the reader's list page, its template and look, with these rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/client/ReaderControlClient.h"

// Whether the vexost: URL asks for the list of archives ("vexost:" followed by
// anything but "/").
bool IsArchiveListUrl(std::string_view url);

// The page for the request URL (shown as the last URL), with the header image of
// the reader module at MODULEPATH. A catalog that cannot be read gives a row
// that says why, in place of its archives.
std::string ArchiveListPage(const std::vector<HandedArchive>& served, const std::string& modulePath,
                            std::string_view url);

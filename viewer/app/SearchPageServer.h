// Search in the viewer's window. Results are pages of the viewer's own scheme
// (vexost-search:results?q=WORDS[&archive=NAME][&file=PATH]), so that they take
// their place in the history like any page and their links open topics in the
// window. The archive shown is searched by its file (so an archive opened from
// a file needs no registration), or by its name; without either, every
// registered archive is. An archive without an index gets one built in the
// background; meanwhile its results page says so and asks for itself again.
#pragma once

#include <string>
#include <vector>

#include "search/SearchService.h"

#include <webkit2/webkit2.h>

// What a search covers: NAME and FILE empty for every archive.
struct SearchScope {
  std::string name;
  std::string file;

  // The scope of the archive of the view's home URL (vexost://Name or
  // vexost://file:/path/name.vxb); NAME is the file's archive name when known.
  static SearchScope OfHome(const std::string& home, const std::string& name);
};

class SearchPageServer {
 public:
  static constexpr const char* kScheme = "vexost-search";

  SearchPageServer();
  SearchPageServer(const SearchPageServer&) = delete;
  SearchPageServer& operator=(const SearchPageServer&) = delete;

  // Registers the scheme with CONTEXT; the server must outlive it.
  void Register(WebKitWebContext* context);

  // The address of the results for WORDS in SCOPE.
  static std::string UrlOf(const std::string& words, const SearchScope& scope);
  // The address that opens a topic of an archive file in the window.
  static std::string TopicUrlOf(const std::string& archiveFile, const std::string& path);
  // Titles and symbols for TEXT as typed so far, in SCOPE.
  std::vector<search::Suggestion> Suggest(const std::string& text, const SearchScope& scope);
  // Waits until no index is waiting or being built.
  void WaitUntilIdle() { m_service.WaitUntilIdle(); }

 private:
  static void Serve(WebKitURISchemeRequest* request, gpointer self);
  std::string ResultsPage(const std::string& uri);
  // Makes sure SCOPE's file is searched, registered or not.
  void Cover(const SearchScope& scope);

  search::SearchService m_service;
};

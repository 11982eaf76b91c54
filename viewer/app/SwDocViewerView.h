// The viewer's view: the embedded browser (a WebKit web view), its home URL and
// the reader control to which it hands archives. Every navigation of the view
// to an archive without topic path goes to the topic's real path
// (TopicUrlResolver); links that leave the archives (http:, https:, mailto:)
// and archive files on disk (a dropped file, a file: link to a .vxb) are given
// to the application instead of being loaded in the view.
#pragma once

#include <functional>
#include <string>

#include "viewer/CurrentArchive.h"
#include "viewer/ReaderControl.h"
#include "viewer/TopicUrlResolver.h"

#include <webkit2/webkit2.h>

class CSwDocViewerView : public ArchiveView {
 public:
  CSwDocViewerView(WebKitWebContext* context, TopicUrlResolver::ArchiveFinder finder);
  ~CSwDocViewerView();
  CSwDocViewerView(const CSwDocViewerView&) = delete;
  CSwDocViewerView& operator=(const CSwDocViewerView&) = delete;

  GtkWidget* Widget() const { return GTK_WIDGET(m_webView); }
  WebKitWebView* WebView() const { return m_webView; }

  // Creates the reader control, shows the current archive and gives the
  // control the browser object; a failure is shown in a message box.
  void OnInitialUpdate();

  void HandOver(const std::string& name, const std::string& path, std::uint32_t firmCode,
                const std::string& fourthText) override;
  void Navigate(const std::string& url) override;

  // The commands of the tool bar; false when there was nothing to do.
  bool GoHome();
  bool GoBack();
  bool GoForward();
  void Print(GtkWindow* parent);

  // The zoom of the page in percent.
  int GetZoom() const;
  void SetZoom(int percent);

  const std::string& GetHomeUrl() const { return m_homeUrl; }
  // Loads that have finished (successfully or not) since the view was made.
  unsigned GetFinishedLoads() const { return m_finishedLoads; }

  // Called after each committed navigation (URL) and each finished load.
  std::function<void(const std::string& url)> onNavigateComplete;
  std::function<void()> onLoadFinished;
  // A link the view does not load: an address for the desktop's opener.
  std::function<void(const std::string& url)> onExternalLink;
  // An archive file the view was asked to load (dropped on it, or linked).
  std::function<void(const std::string& path)> onArchiveFile;

 private:
  static void OnLoadChanged(WebKitWebView* webView, WebKitLoadEvent event, gpointer self);
  static gboolean OnDecidePolicy(WebKitWebView* webView, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  // Whether the navigation to URI is taken over here rather than loaded as asked.
  bool TakeOver(const std::string& uri, WebKitNavigationAction* action, bool newWindow);

  WebKitWebView* m_webView;
  TopicUrlResolver m_resolver;
  std::string m_homeUrl;
  viewer::IVexoStReaderCtl m_readerCtl;
  WebBrowserObject* m_browserObject;
  unsigned m_finishedLoads = 0;
};

// The viewer's view: the embedded browser (a WebKit web view), its home URL and
// the reader control to which it hands archives.
#pragma once

#include <functional>
#include <string>

#include "viewer/CurrentArchive.h"
#include "viewer/ReaderControl.h"

#include <webkit2/webkit2.h>

class CSwDocViewerView : public ArchiveView {
 public:
  explicit CSwDocViewerView(WebKitWebContext* context);
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

  const std::string& GetHomeUrl() const { return m_homeUrl; }
  // Loads that have finished (successfully or not) since the view was made.
  unsigned GetFinishedLoads() const { return m_finishedLoads; }

  // Called after each committed navigation (URL) and each finished load.
  std::function<void(const std::string& url)> onNavigateComplete;
  std::function<void()> onLoadFinished;

 private:
  static void OnLoadChanged(WebKitWebView* webView, WebKitLoadEvent event, gpointer self);

  WebKitWebView* m_webView;
  std::string m_homeUrl;
  viewer::IVexoStReaderCtl m_readerCtl;
  WebBrowserObject* m_browserObject;
  unsigned m_finishedLoads = 0;
};

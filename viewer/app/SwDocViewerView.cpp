#include "viewer/app/SwDocViewerView.h"

#include "viewer/BrowserUrl.h"
#include "viewer/HomeUrl.h"
#include "viewer/ViewerErrors.h"

CSwDocViewerView::CSwDocViewerView(WebKitWebContext* context)
    : m_webView(WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context))),
      m_browserObject(WebBrowserObject::Create()) {
  g_object_ref_sink(m_webView);
  g_signal_connect(m_webView, "load-changed", G_CALLBACK(&CSwDocViewerView::OnLoadChanged), this);
}

CSwDocViewerView::~CSwDocViewerView() {
  g_signal_handlers_disconnect_by_data(m_webView, this);
  g_object_unref(m_webView);
  m_browserObject->Release();
}

void CSwDocViewerView::OnInitialUpdate() {
  RunShowingErrors([this] {
    m_readerCtl.CreateDispatch();
    CurrentArchive::Instance().Show(*this);
    m_readerCtl.PutWebBrowser(m_browserObject);
  });
}

void CSwDocViewerView::HandOver(const std::string& name, const std::string& path,
                                std::uint32_t firmCode, const std::string&) {
  m_readerCtl.HandOver(name, path, firmCode);
}

void CSwDocViewerView::Navigate(const std::string& url) {
  webkit_web_view_load_uri(m_webView, ToBrowserUrl(url).c_str());
}

bool CSwDocViewerView::GoHome() {
  if (m_homeUrl.empty()) return false;
  Navigate(m_homeUrl);
  return true;
}

bool CSwDocViewerView::GoBack() {
  if (!webkit_web_view_can_go_back(m_webView)) return false;
  webkit_web_view_go_back(m_webView);
  return true;
}

bool CSwDocViewerView::GoForward() {
  if (!webkit_web_view_can_go_forward(m_webView)) return false;
  webkit_web_view_go_forward(m_webView);
  return true;
}

void CSwDocViewerView::Print(GtkWindow* parent) {
  WebKitPrintOperation* operation = webkit_print_operation_new(m_webView);
  webkit_print_operation_run_dialog(operation, parent);
  g_object_unref(operation);
}

void CSwDocViewerView::OnLoadChanged(WebKitWebView* webView, WebKitLoadEvent event, gpointer self) {
  auto* view = static_cast<CSwDocViewerView*>(self);
  if (event == WEBKIT_LOAD_COMMITTED) {
    const gchar* uri = webkit_web_view_get_uri(webView);
    const std::string url = ToReaderUrl(uri ? uri : "");
    UpdateHomeUrl(url, view->m_homeUrl);
    if (view->onNavigateComplete) view->onNavigateComplete(url);
  } else if (event == WEBKIT_LOAD_FINISHED) {
    ++view->m_finishedLoads;
    if (view->onLoadFinished) view->onLoadFinished();
  }
}

#include "viewer/app/SwDocViewerView.h"

#include <cmath>

#include "platform/CaseFold.h"
#include "viewer/BrowserUrl.h"
#include "viewer/HomeUrl.h"
#include "viewer/ViewerErrors.h"

namespace {

// The mouse's back and forward buttons.
constexpr guint kBackButton = 8;
constexpr guint kForwardButton = 9;

bool HasScheme(const std::string& uri, std::string_view scheme) {
  return uri.size() > scheme.size() && uri[scheme.size()] == ':' &&
         EqualNoCase(std::string_view(uri).substr(0, scheme.size()), scheme);
}

bool LeavesTheArchives(const std::string& uri) {
  return HasScheme(uri, "http") || HasScheme(uri, "https") || HasScheme(uri, "mailto");
}

// The path of a local file: URI naming an archive file (".vxb" in any case), else "".
std::string ArchiveFileOf(const std::string& uri) {
  if (!HasScheme(uri, "file")) return "";
  gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
  std::string file = path ? path : "";
  g_free(path);
  const bool archive =
      file.size() > 4 && EqualNoCase(std::string_view(file).substr(file.size() - 4), ".vxb");
  return archive ? file : "";
}

}  // namespace

CSwDocViewerView::CSwDocViewerView(WebKitWebContext* context,
                                   TopicUrlResolver::ArchiveFinder finder)
    : m_webView(WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context))),
      m_resolver(std::move(finder)),
      m_browserObject(WebBrowserObject::Create()) {
  g_object_ref_sink(m_webView);
  g_signal_connect(m_webView, "load-changed", G_CALLBACK(&CSwDocViewerView::OnLoadChanged), this);
  g_signal_connect(m_webView, "decide-policy", G_CALLBACK(&CSwDocViewerView::OnDecidePolicy), this);
  g_signal_connect(m_webView, "button-press-event", G_CALLBACK(&CSwDocViewerView::OnButtonPress),
                   this);
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
  webkit_web_view_load_uri(m_webView, ToBrowserUrl(m_resolver.Resolve(url)).c_str());
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

int CSwDocViewerView::GetZoom() const {
  return static_cast<int>(std::lround(webkit_web_view_get_zoom_level(m_webView) * 100));
}

void CSwDocViewerView::SetZoom(int percent) {
  webkit_web_view_set_zoom_level(m_webView, percent / 100.0);
}

bool CSwDocViewerView::TakeOver(const std::string& uri, WebKitNavigationAction* action,
                                bool newWindow) {
  const WebKitNavigationType type = webkit_navigation_action_get_navigation_type(action);
  const bool followed = type == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED ||
                        type == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
                        webkit_navigation_action_is_user_gesture(action);
  if (LeavesTheArchives(uri)) {
    // Never loaded here; what the user followed goes to the desktop's browser
    // or mailer, what a page loads by itself (a frame, a redirect) nowhere.
    if (followed && onExternalLink) onExternalLink(uri);
    return true;
  }
  if (const std::string archive = ArchiveFileOf(uri); !archive.empty()) {
    if (onArchiveFile) onArchiveFile(archive);
    return true;
  }
  const std::string url = ToReaderUrl(uri);
  // A followed link (a frame's own loads are left alone) to an archive without
  // topic path goes to the topic's real path; a link for a new window opens here.
  const std::string resolved = followed ? m_resolver.Resolve(url) : url;
  if (resolved == url && !newWindow) return false;
  webkit_web_view_load_uri(m_webView, ToBrowserUrl(resolved).c_str());
  return true;
}

gboolean CSwDocViewerView::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                          WebKitPolicyDecisionType type, gpointer self) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
      type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
    return FALSE;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (!uri || !static_cast<CSwDocViewerView*>(self)->TakeOver(
                  uri, action, type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION))
    return FALSE;
  webkit_policy_decision_ignore(decision);
  return TRUE;
}

gboolean CSwDocViewerView::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto* view = static_cast<CSwDocViewerView*>(self);
  if (event->type != GDK_BUTTON_PRESS) return FALSE;
  if (event->button == kBackButton)
    view->GoBack();
  else if (event->button == kForwardButton)
    view->GoForward();
  else
    return FALSE;
  return TRUE;
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

#include "viewer/app/StowTestScript.h"

#include <signal.h>

#include <cstdio>
#include <fstream>

#include "viewer/app/SwDocViewerApp.h"

namespace {

// TEXT as a JavaScript string literal.
std::string JsString(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out + "'";
}

}  // namespace

StowTestScript::~StowTestScript() {
  if (m_idleSource) g_source_remove(m_idleSource);
  if (CSwDocViewerView* view = m_app.View()) view->onLoadFinished = nullptr;
}

void StowTestScript::Load(const std::string& path) {
  std::ifstream in(path);
  if (!in) std::fprintf(stderr, "stow: the test script %s cannot be read\n", path.c_str());
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!m_dialogs.TakeLine(line) && !line.empty() && line[0] != '#') m_lines.push_back(line);
  }
  m_dialogs.Start();
}

void StowTestScript::Start() {  // The frame's handler keeps the buttons right; the script's runs after it.
  CSwDocViewerView* view = m_app.View();
  auto frameHandler = view->onLoadFinished;
  view->onLoadFinished = [this, frameHandler] {
    if (frameHandler) frameHandler();
    OnLoadFinished();
  };
  ScheduleContinue();
}

void StowTestScript::ScheduleContinue() {
  if (!m_idleSource) m_idleSource = g_idle_add(&StowTestScript::ContinueLater, this);
}

gboolean StowTestScript::ContinueLater(gpointer self) {
  auto* script = static_cast<StowTestScript*>(self);
  script->m_idleSource = 0;
  script->Continue();
  return G_SOURCE_REMOVE;
}

void StowTestScript::Continue() {
  while (!m_lines.empty()) {
    const std::string line = m_lines.front();
    m_lines.pop_front();
    const std::size_t blank = line.find(' ');
    const std::string action = line.substr(0, blank);
    const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (!Perform(action, argument)) return;
  }
}

bool StowTestScript::WaitForLoad() {
  m_loadsBefore = m_app.View()->GetFinishedLoads();
  m_waitingForLoad = true;
  return false;
}

void StowTestScript::OnLoadFinished() {
  if (!m_waitingForLoad || m_app.View()->GetFinishedLoads() <= m_loadsBefore) return;
  m_waitingForLoad = false;
  ScheduleContinue();
}

void StowTestScript::Append(const std::string& file, const std::string& text) {
  std::ofstream(file, std::ios::app) << text;
}

bool StowTestScript::Perform(const std::string& action, const std::string& argument) {
  CSwDocViewerView& view = *m_app.View();
  CMainFrame& frame = *m_app.Frame();
  if (action == "wait") {
    if (view.GetFinishedLoads() > 0 && !webkit_web_view_is_loading(view.WebView())) return true;
    m_loadsBefore = 0;
    m_waitingForLoad = true;
    return false;
  }
  if (action == "navigate") {
    view.Navigate(argument);
    return WaitForLoad();
  }
  if (action == "follow-link") {
    const std::string script = "(function(){for (const a of document.links) if (a.href.includes(" +
                               JsString(argument) + ")) { a.click(); return true; } return false;})()";
    m_loadsBefore = view.GetFinishedLoads();
    webkit_web_view_evaluate_javascript(view.WebView(), script.c_str(), -1, nullptr, nullptr, nullptr,
                                        &StowTestScript::OnLinkClicked, this);
    return false;
  }
  if (action == "back" || action == "forward" || action == "home") {
    const bool started = action == "back" ? view.GoBack() : action == "forward" ? view.GoForward() : view.GoHome();
    if (!started) std::fprintf(stderr, "stow: nothing to go %s to\n", action.c_str());
    return started ? WaitForLoad() : true;
  }
  if (action == "open" || action == "open-cancel") {
    const bool navigates = !CurrentArchive::Instance().GetUrl().empty() || action == "open";
    m_app.OpenChosen(action == "open" ? std::optional<std::string>(argument) : std::nullopt);
    return navigates && !CurrentArchive::Instance().GetUrl().empty() ? WaitForLoad() : true;
  }
  if (action == "about") {
    m_app.OnAppAbout();
    return true;
  }
  if (action == "report") {
    const gchar* uri = webkit_web_view_get_uri(view.WebView());
    Append(argument, "uri=" + std::string(uri ? uri : "") + "\nhome=" + view.GetHomeUrl() +
                         "\ntitle=" + gtk_window_get_title(frame.Window()) +
                         "\nloads=" + std::to_string(view.GetFinishedLoads()) + "\n");
    return true;
  }
  if (action == "placement") {
    const WindowPlacement placement = frame.CurrentPlacement();
    const WindowRect& r = placement.normalPosition;
    int x = 0, y = 0, width = 0, height = 0;
    gtk_window_get_position(frame.Window(), &x, &y);
    gtk_window_get_size(frame.Window(), &width, &height);
    Append(argument, "placement=" + std::to_string(placement.showCmd) + " " + std::to_string(r.left) +
                         " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
                         std::to_string(r.bottom) + "\nwindow=" + std::to_string(x) + " " +
                         std::to_string(y) + " " + std::to_string(width) + " " +
                         std::to_string(height) + "\n");
    return true;
  }
  if (action == "images") {
    static constexpr const char* kCount =
        "(function(){let n=0; for (const i of document.images) if (i.complete && i.naturalWidth > 0) ++n;"
        " return n + '/' + document.images.length;})()";
    WriteEvaluated(argument, "images", kCount);
    return false;
  }
  if (action == "page") {
    WriteEvaluated(argument, "page", "document.title");
    return false;
  }
  if (action == "screenshot") {
    WriteScreenshot(argument);
    return false;
  }
  if (action == "end-session") {
    ::raise(SIGTERM);
    return false;
  }
  if (action == "quit") {
    frame.Close();
    return false;
  }
  std::fprintf(stderr, "stow: unknown test action %s\n", action.c_str());
  return true;
}

void StowTestScript::OnLinkClicked(GObject* source, GAsyncResult* result, gpointer self) {
  auto* script = static_cast<StowTestScript*>(self);
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
  const bool clicked = value && jsc_value_to_boolean(value);
  if (value) g_object_unref(value);
  if (!clicked) {
    std::fprintf(stderr, "stow: no link to follow\n");
    script->ScheduleContinue();
    return;
  }
  // The load the click started may have finished already.
  script->m_waitingForLoad = true;
  script->OnLoadFinished();
}

void StowTestScript::WriteEvaluated(const std::string& file, const std::string& key,
                                    const char* expression) {
  m_pendingFile = file;
  m_pendingKey = key;
  webkit_web_view_evaluate_javascript(m_app.View()->WebView(), expression, -1, nullptr, nullptr, nullptr,
                                      &StowTestScript::OnEvaluated, this);
}

void StowTestScript::OnEvaluated(GObject* source, GAsyncResult* result, gpointer self) {
  auto* script = static_cast<StowTestScript*>(self);
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
  std::string text = "error";
  if (value) {
    gchar* counted = jsc_value_to_string(value);
    text = counted;
    g_free(counted);
    g_object_unref(value);
  } else if (error) {
    text = std::string("error ") + error->message;
    g_error_free(error);
  }
  script->Append(script->m_pendingFile, script->m_pendingKey + "=" + text + "\n");
  script->ScheduleContinue();
}

void StowTestScript::WriteScreenshot(const std::string& file) {
  m_pendingFile = file;
  webkit_web_view_get_snapshot(m_app.View()->WebView(), WEBKIT_SNAPSHOT_REGION_VISIBLE,
                               WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr, &StowTestScript::OnSnapshot, this);
}

void StowTestScript::OnSnapshot(GObject* source, GAsyncResult* result, gpointer self) {
  auto* script = static_cast<StowTestScript*>(self);
  GError* error = nullptr;
  cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
  if (surface) {
    if (cairo_surface_write_to_png(surface, script->m_pendingFile.c_str()) != CAIRO_STATUS_SUCCESS)
      std::fprintf(stderr, "stow: %s cannot be written\n", script->m_pendingFile.c_str());
    cairo_surface_destroy(surface);
  } else {
    std::fprintf(stderr, "stow: no snapshot: %s\n", error ? error->message : "?");
    if (error) g_error_free(error);
  }
  script->ScheduleContinue();
}

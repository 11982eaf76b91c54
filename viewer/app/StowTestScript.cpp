#include "viewer/app/StowTestScript.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
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

// Time for the web view's process to take what the window was sent.
constexpr guint kSettleMilliseconds = 300;

// "ctrl+alt+f" as the accelerator text "<Control><Alt>f".
std::string AcceleratorText(const std::string& keys) {
  std::string text;
  std::size_t start = 0;
  for (std::size_t plus = keys.find('+'); plus != std::string::npos && plus + 1 < keys.size();
       plus = keys.find('+', start)) {
    const std::string modifier = keys.substr(start, plus - start);
    text += modifier == "ctrl"    ? "<Control>"
            : modifier == "alt"   ? "<Alt>"
            : modifier == "shift" ? "<Shift>"
                                  : "";
    start = plus + 1;
  }
  return text + keys.substr(start);
}

// Puts EVENT (whose window is set) through the toolkit's own dispatch, as if
// it came from the display: accelerators, the focus widget, the page.
void Dispatch(GdkEvent* event, GdkDevice* device) {
  event->any.send_event = TRUE;
  gdk_event_set_device(event, device);
  gtk_main_do_event(event);
  gdk_event_free(event);
}

// Sends KEY with MODIFIERS to the toplevel FRAME: pressed and, unless the press
// moved the focus to a widget not yet on the screen (the find bar's entry),
// released, as a hand would release it only after the screen has followed.
void SendKey(GtkWindow* frame, guint key, GdkModifierType modifiers) {
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(frame));
  GdkDisplay* display = gdk_window_get_display(window);
  GdkKeymapKey* entries = nullptr;
  gint count = 0;
  guint16 keycode = 0;
  guint8 group = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), key, &entries,
                                        &count) &&
      count > 0) {
    keycode = static_cast<guint16>(entries[0].keycode);
    group = static_cast<guint8>(entries[0].group);
  }
  g_free(entries);
  for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GtkWidget* focus = gtk_window_get_focus(frame);
    if (type == GDK_KEY_RELEASE && focus && !gtk_widget_get_realized(focus)) return;
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(window));
    event->key.time = GDK_CURRENT_TIME;
    event->key.state = modifiers;
    event->key.keyval = key;
    event->key.hardware_keycode = keycode;
    event->key.group = group;
    event->key.string = g_strdup("");
    Dispatch(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  }
}

}  // namespace

StowTestScript::~StowTestScript() {
  if (m_idleSource) g_source_remove(m_idleSource);
  if (m_delaySource) g_source_remove(m_delaySource);
  if (CSwDocViewerView* view = m_app.View()) view->onLoadFinished = nullptr;
  if (CMainFrame* frame = m_app.Frame()) frame->Find().onAnswered = nullptr;
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
  m_app.Frame()->Find().onAnswered = [this] { OnFindAnswered(); };
  ScheduleContinue();
}

void StowTestScript::OnFindAnswered() {
  if (!m_waitingForFind) return;
  m_waitingForFind = false;
  ScheduleContinue();
}

bool StowTestScript::ContinueAfterEvents() {
  gdk_display_sync(gdk_display_get_default());
  m_delaySource = g_timeout_add(kSettleMilliseconds, &StowTestScript::ContinueAfterDelay, this);
  return false;
}

gboolean StowTestScript::ContinueAfterDelay(gpointer self) {
  auto* script = static_cast<StowTestScript*>(self);
  script->m_delaySource = 0;
  script->ScheduleContinue();
  return G_SOURCE_REMOVE;
}

void StowTestScript::PressKeys(const std::string& keys) {
  guint key = 0;
  GdkModifierType modifiers = GdkModifierType(0);
  gtk_accelerator_parse(AcceleratorText(keys).c_str(), &key, &modifiers);
  if (key == 0) {
    std::fprintf(stderr, "stow: no such key %s\n", keys.c_str());
    return;
  }
  SendKey(m_app.Frame()->Window(), key, modifiers);
}

void StowTestScript::TypeText(const std::string& text) {
  for (const gchar* c = text.c_str(); *c; c = g_utf8_next_char(c))
    SendKey(m_app.Frame()->Window(), gdk_unicode_to_keyval(g_utf8_get_char(c)), GdkModifierType(0));
}

void StowTestScript::ClickButton(guint button) {
  GtkWidget* view = m_app.View()->Widget();
  GdkWindow* window = gtk_widget_get_window(view);
  GtkAllocation area;
  gtk_widget_get_allocation(view, &area);
  // The middle of the view, in the coordinates of the window that receives the click.
  const bool own = gtk_widget_get_has_window(view);
  GdkDisplay* display = gdk_window_get_display(window);
  for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = (own ? 0 : area.x) + area.width / 2.0;
    event->button.y = (own ? 0 : area.y) + area.height / 2.0;
    event->button.button = button;
    Dispatch(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
  }
}

void StowTestScript::WriteRecent(const std::string& file) {
  m_app.Frame()->RebuildRecentMenu();
  std::string text;
  for (GtkWidget* item : m_app.Frame()->RecentMenuItems())
    text += std::string("recent=") + gtk_menu_item_get_label(GTK_MENU_ITEM(item)) + "|" +
            static_cast<const char*>(g_object_get_data(G_OBJECT(item), "path")) + "\n";
  Append(file, text);
}

void StowTestScript::OpenRecent(const std::string& number) {
  m_app.Frame()->RebuildRecentMenu();
  const std::vector<GtkWidget*> items = m_app.Frame()->RecentMenuItems();
  const std::size_t index = std::strtoul(number.c_str(), nullptr, 10);
  if (index == 0 || index > items.size()) {
    std::fprintf(stderr, "stow: no recent archive %s\n", number.c_str());
    return;
  }
  gtk_menu_item_activate(GTK_MENU_ITEM(items[index - 1]));
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

bool StowTestScript::WaitForLoad() { return WaitForLoadSince(m_app.View()->GetFinishedLoads()); }

bool StowTestScript::WaitForLoadSince(unsigned loads) {
  m_loadsBefore = loads;
  if (m_app.View()->GetFinishedLoads() > loads) return true;
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
  if (action == "follow-link" || action == "click-link") {
    const std::string script = "(function(){for (const a of document.links) if (a.href.includes(" +
                               JsString(argument) + ")) { a.click(); return true; } return false;})()";
    m_loadsBefore = view.GetFinishedLoads();
    m_clickOnly = action == "click-link";
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
  if (action == "drop") {
    gchar* uri = g_filename_to_uri(argument.c_str(), nullptr, nullptr);
    m_loadsBefore = view.GetFinishedLoads();
    if (uri) frame.DropUris({uri});
    g_free(uri);
    return CurrentArchive::Instance().GetUrl().empty() || WaitForLoadSince(m_loadsBefore);
  }
  if (action == "recent") {
    WriteRecent(argument);
    return true;
  }
  if (action == "open-recent") {
    m_loadsBefore = view.GetFinishedLoads();
    OpenRecent(argument);
    return CurrentArchive::Instance().GetUrl().empty() || WaitForLoadSince(m_loadsBefore);
  }
  if (action == "key" || action == "type" || action == "button") {
    m_loadsBeforeInput = view.GetFinishedLoads();
    if (action == "key") PressKeys(argument);
    if (action == "type") TypeText(argument);
    if (action == "button")
      ClickButton(static_cast<guint>(std::strtoul(argument.c_str(), nullptr, 10)));
    return ContinueAfterEvents();
  }
  if (action == "await-load") return WaitForLoadSince(m_loadsBeforeInput);
  if (action == "focus-page") {
    gtk_widget_grab_focus(view.Widget());
    return true;
  }
  if (action == "find") {
    m_waitingForFind = true;  // answered at once or later: OnFindAnswered goes on
    frame.Find().Find(argument);
    return false;
  }
  if (action == "search-idle") {
    m_app.SearchPages()->WaitUntilIdle();
    return true;
  }
  if (action == "search-all") {
    frame.Search().SetAllArchives(argument == "on");
    return true;
  }
  if (action == "suggestions") {
    std::string text;
    for (const std::string& suggestion : frame.Search().SuggestionTexts())
      text += "suggestion=" + suggestion + "\n";
    Append(argument, text);
    return true;
  }
  if (action == "choose-suggestion") {
    const unsigned loads = view.GetFinishedLoads();
    if (frame.Search().ChooseSuggestion(std::strtoul(argument.c_str(), nullptr, 10) - 1))
      return WaitForLoadSince(loads);
    std::fprintf(stderr, "stow: no suggestion %s\n", argument.c_str());
    return true;
  }
  if (action == "eval") {
    const std::size_t blank = argument.find(' ');
    m_pendingExpression = blank == std::string::npos ? "" : argument.substr(blank + 1);
    WriteEvaluated(argument.substr(0, blank), "eval", m_pendingExpression.c_str());
    return false;
  }
  if (action == "about") {
    m_app.OnAppAbout();
    return true;
  }
  if (action == "report") {
    const gchar* uri = webkit_web_view_get_uri(view.WebView());
    Append(argument, "uri=" + std::string(uri ? uri : "") + "\nhome=" + view.GetHomeUrl() +
                         "\ntitle=" + gtk_window_get_title(frame.Window()) +
                         "\nloads=" + std::to_string(view.GetFinishedLoads()) +
                         "\nzoom=" + std::to_string(view.GetZoom()) +
                         "\nfind=" + (frame.Find().IsOpen() ? "shown " : "hidden ") +
                         frame.Find().Status() + "\nsearch=" +
                         (frame.Search().HasFocus() ? "focused " : "") +
                         (frame.Search().AllArchives() ? "all" : "shown") + "\n");
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
  if (action == "window-screenshot") {
    WriteWindowScreenshot(argument);
    return true;
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
  if (!clicked) std::fprintf(stderr, "stow: no link to follow\n");
  if (!clicked || script->m_clickOnly) {
    script->ContinueAfterEvents();
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

void StowTestScript::WriteWindowScreenshot(const std::string& file) {
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(m_app.Frame()->Window()));
  gdk_display_sync(gdk_window_get_display(window));
  GdkPixbuf* image = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window),
                                                gdk_window_get_height(window));
  if (!image || !gdk_pixbuf_save(image, file.c_str(), "png", nullptr, nullptr))
    std::fprintf(stderr, "stow: %s cannot be written\n", file.c_str());
  if (image) g_object_unref(image);
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

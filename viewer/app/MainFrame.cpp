#include "viewer/app/MainFrame.h"

#include <algorithm>

#include "platform/CaseFold.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

namespace {

constexpr int kDefaultWidth = 900;
constexpr int kDefaultHeight = 700;

template <class Handler>
GtkWidget* MenuItem(GtkWidget* menu, const char* label, Handler handler, gpointer data) {
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(label);
  g_signal_connect_swapped(item, "activate", G_CALLBACK(handler), data);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  return item;
}

GtkWidget* SubMenu(GtkWidget* bar, const char* label) {
  GtkWidget* top = gtk_menu_item_new_with_mnemonic(label);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
  return menu;
}

template <class Handler>
GtkToolItem* ToolButton(GtkWidget* bar, const char* icon, const char* label, Handler handler,
                        gpointer data) {
  GtkToolItem* button = gtk_tool_button_new(gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_LARGE_TOOLBAR), label);
  gtk_tool_item_set_tooltip_text(button, label);
  g_signal_connect_swapped(button, "clicked", G_CALLBACK(handler), data);
  gtk_toolbar_insert(GTK_TOOLBAR(bar), button, -1);
  return button;
}

// Adds KEY with MODIFIERS as a further accelerator of ITEM, not shown in the menu.
void AlsoOn(GtkWidget* item, GtkAccelGroup* accelerators, guint key, GdkModifierType modifiers) {
  gtk_widget_add_accelerator(item, "activate", accelerators, key, modifiers, GtkAccelFlags(0));
}

GtkWidget* WithAccelerator(GtkWidget* item, GtkAccelGroup* accelerators, guint key,
                           GdkModifierType modifiers) {
  gtk_widget_add_accelerator(item, "activate", accelerators, key, modifiers, GTK_ACCEL_VISIBLE);
  return item;
}

bool PositionKnown(GdkDisplay* display) {
#ifdef GDK_WINDOWING_WAYLAND
  return !GDK_IS_WAYLAND_DISPLAY(display);
#else
  (void)display;
  return true;
#endif
}

bool IsArchiveFileName(const std::string& path) {
  return path.size() > 4 && EqualNoCase(std::string_view(path).substr(path.size() - 4), ".vxb");
}

void OpenCommand(FrameCommands* commands) { commands->OnFileOpen(); }
void FindCommand(CMainFrame* frame) { frame->Find().Open(); }
void SearchCommand(CMainFrame* frame) { frame->Search().Focus(); }
void ZoomInCommand(CMainFrame* frame) { frame->ZoomIn(); }
void ZoomOutCommand(CMainFrame* frame) { frame->ZoomOut(); }
void ZoomNormalCommand(CMainFrame* frame) { frame->ZoomNormal(); }
void RebuildRecentCommand(CMainFrame* frame) { frame->RebuildRecentMenu(); }
void AboutCommand(FrameCommands* commands) { commands->OnAppAbout(); }
void HomeCommand(CSwDocViewerView* view) { view->GoHome(); }
void BackCommand(CSwDocViewerView* view) { view->GoBack(); }
void ForwardCommand(CSwDocViewerView* view) { view->GoForward(); }
void ExitCommand(CMainFrame* frame) { frame->Close(); }
void PrintCommand(CMainFrame* frame) { frame->Print(); }

}  // namespace

CMainFrame::CMainFrame(CSwDocViewerView& view, FrameCommands& commands, const AppProfile& profile)
    : m_view(view),
      m_commands(commands),
      m_stateSaver(profile, kPlacementSection),
      m_window(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      m_findBar(view.WebView()) {
  g_object_ref_sink(m_window);
  m_positionKnown = PositionKnown(gtk_widget_get_display(m_window));
  gtk_window_set_default_size(GTK_WINDOW(m_window), kDefaultWidth, kDefaultHeight);
  GtkAccelGroup* accelerators = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(m_window), accelerators);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(column), BuildMenuBar(accelerators), FALSE, FALSE, 0);
  g_object_unref(accelerators);
  gtk_box_pack_start(GTK_BOX(column), BuildToolBar(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), m_findBar.Widget(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), m_view.Widget(), TRUE, TRUE, 0);
  m_statusBar = gtk_statusbar_new();
  gtk_statusbar_push(GTK_STATUSBAR(m_statusBar), 0, "Ready");
  gtk_box_pack_start(GTK_BOX(column), m_statusBar, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(m_window), column);
  g_signal_connect(m_window, "delete-event", G_CALLBACK(&CMainFrame::OnDelete), this);
  g_signal_connect(m_window, "configure-event", G_CALLBACK(&CMainFrame::OnConfigure), this);
  g_signal_connect(m_window, "window-state-event", G_CALLBACK(&CMainFrame::OnWindowState), this);
  // Files dropped on the frame's bars; the view takes those dropped on it itself.
  static const GtkTargetEntry kUriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_dest_set(m_window, GTK_DEST_DEFAULT_ALL, kUriList, 1, GDK_ACTION_COPY);
  g_signal_connect(m_window, "drag-data-received", G_CALLBACK(&CMainFrame::OnDragDataReceived),
                   this);
  m_view.onNavigateComplete = [this](const std::string& url) {
    gtk_statusbar_pop(GTK_STATUSBAR(m_statusBar), 0);
    gtk_statusbar_push(GTK_STATUSBAR(m_statusBar), 0, url.c_str());
    UpdateNavigationButtons();
  };
  m_view.onLoadFinished = [this] { UpdateNavigationButtons(); };
  UpdateNavigationButtons();
  RebuildRecentMenu();
  SetDocumentTitle("");
}

CMainFrame::~CMainFrame() {
  m_view.onNavigateComplete = nullptr;
  m_view.onLoadFinished = nullptr;
  g_signal_handlers_disconnect_by_data(m_window, this);
  gtk_widget_destroy(m_window);
  g_object_unref(m_window);
}

GtkWidget* CMainFrame::BuildMenuBar(GtkAccelGroup* accelerators) {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* file = SubMenu(bar, "_File");
  WithAccelerator(MenuItem(file, "_Open", &OpenCommand, &m_commands), accelerators, GDK_KEY_o,
                  GDK_CONTROL_MASK);
  GtkWidget* recent = gtk_menu_item_new_with_mnemonic("_Recent archives");
  m_recentMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(recent), m_recentMenu);
  gtk_menu_shell_append(GTK_MENU_SHELL(file), recent);
  // The list is read again each time the menu opens: the catalog may have changed.
  g_signal_connect_swapped(file, "show", G_CALLBACK(&RebuildRecentCommand), this);
  gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
  MenuItem(file, "E_xit", &ExitCommand, this);

  GtkWidget* view = SubMenu(bar, "_View");
  WithAccelerator(MenuItem(view, "_Find in Page...", &FindCommand, this), accelerators, GDK_KEY_f,
                  GDK_CONTROL_MASK);
  WithAccelerator(MenuItem(view, "_Search Archives...", &SearchCommand, this), accelerators,
                  GDK_KEY_k, GDK_CONTROL_MASK);
  gtk_menu_shell_append(GTK_MENU_SHELL(view), gtk_separator_menu_item_new());
  GtkWidget* zoomIn = WithAccelerator(MenuItem(view, "Zoom _In", &ZoomInCommand, this),
                                      accelerators, GDK_KEY_plus, GDK_CONTROL_MASK);
  AlsoOn(zoomIn, accelerators, GDK_KEY_equal, GDK_CONTROL_MASK);
  AlsoOn(zoomIn, accelerators, GDK_KEY_KP_Add, GDK_CONTROL_MASK);
  GtkWidget* zoomOut = WithAccelerator(MenuItem(view, "Zoom _Out", &ZoomOutCommand, this),
                                       accelerators, GDK_KEY_minus, GDK_CONTROL_MASK);
  AlsoOn(zoomOut, accelerators, GDK_KEY_KP_Subtract, GDK_CONTROL_MASK);
  GtkWidget* normal = WithAccelerator(MenuItem(view, "_Normal Size", &ZoomNormalCommand, this),
                                      accelerators, GDK_KEY_0, GDK_CONTROL_MASK);
  AlsoOn(normal, accelerators, GDK_KEY_KP_0, GDK_CONTROL_MASK);

  GtkWidget* go = SubMenu(bar, "_Go");
  WithAccelerator(MenuItem(go, "_Back", &BackCommand, &m_view), accelerators, GDK_KEY_Left,
                  GDK_MOD1_MASK);
  WithAccelerator(MenuItem(go, "_Forward", &ForwardCommand, &m_view), accelerators, GDK_KEY_Right,
                  GDK_MOD1_MASK);
  WithAccelerator(MenuItem(go, "_Home", &HomeCommand, &m_view), accelerators, GDK_KEY_Home,
                  GDK_MOD1_MASK);

  GtkWidget* help = SubMenu(bar, "_Help");
  MenuItem(help, "_About SwDocViewer...", &AboutCommand, &m_commands);
  return bar;
}

void CMainFrame::RebuildRecentMenu() {
  gtk_container_foreach(
      GTK_CONTAINER(m_recentMenu), [](GtkWidget* item, gpointer) { gtk_widget_destroy(item); },
      nullptr);
  const std::vector<RecentArchive> archives = m_commands.RecentArchives();
  bool registered = false;
  for (const RecentArchive& archive : archives) {
    if (archive.registered && !registered && &archive != &archives.front())
      gtk_menu_shell_append(GTK_MENU_SHELL(m_recentMenu), gtk_separator_menu_item_new());
    registered = archive.registered;
    GtkWidget* item = gtk_menu_item_new_with_label(archive.label.c_str());
    gtk_widget_set_tooltip_text(item, archive.path.c_str());
    g_object_set_data_full(G_OBJECT(item), "path", g_strdup(archive.path.c_str()), g_free);
    g_signal_connect(item, "activate", G_CALLBACK(&CMainFrame::OnRecentActivated), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(m_recentMenu), item);
  }
  if (archives.empty()) {
    GtkWidget* none = gtk_menu_item_new_with_label("No archives");
    gtk_widget_set_sensitive(none, FALSE);
    gtk_menu_shell_append(GTK_MENU_SHELL(m_recentMenu), none);
  }
  gtk_widget_show_all(m_recentMenu);
}

std::vector<GtkWidget*> CMainFrame::RecentMenuItems() const {
  std::vector<GtkWidget*> items;
  GList* children = gtk_container_get_children(GTK_CONTAINER(m_recentMenu));
  for (GList* child = children; child; child = child->next)
    if (g_object_get_data(G_OBJECT(child->data), "path")) items.push_back(GTK_WIDGET(child->data));
  g_list_free(children);
  return items;
}

void CMainFrame::OnRecentActivated(GtkMenuItem* item, gpointer self) {
  const auto* path = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "path"));
  // Copied: opening rebuilds the menu, which destroys ITEM and its path.
  if (path) static_cast<CMainFrame*>(self)->m_commands.OnOpenFile(std::string(path));
}

void CMainFrame::DropUris(const std::vector<std::string>& uris) {
  std::vector<std::string> files;
  for (const std::string& uri : uris) {
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    if (path) files.emplace_back(path);
    g_free(path);
  }
  // The first archive; without one the first file, whose error then tells why.
  const auto archive = std::find_if(files.begin(), files.end(), &IsArchiveFileName);
  if (archive != files.end())
    m_commands.OnOpenFile(*archive);
  else if (!files.empty())
    m_commands.OnOpenFile(files.front());
}

void CMainFrame::OnDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data,
                                    guint, guint, gpointer self) {
  gchar** uris = gtk_selection_data_get_uris(data);
  std::vector<std::string> list;
  for (gchar** uri = uris; uri && *uri; ++uri) list.emplace_back(*uri);
  g_strfreev(uris);
  static_cast<CMainFrame*>(self)->DropUris(list);
}

void CMainFrame::ZoomIn() { m_view.SetZoom(ZoomSteps::In(m_view.GetZoom())); }
void CMainFrame::ZoomOut() { m_view.SetZoom(ZoomSteps::Out(m_view.GetZoom())); }
void CMainFrame::ZoomNormal() { m_view.SetZoom(ZoomSteps::kNormal); }

GtkWidget* CMainFrame::BuildToolBar() {
  GtkWidget* bar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS);
  ToolButton(bar, "go-home", "Home", &HomeCommand, &m_view);
  ToolButton(bar, "document-open", "Open", &OpenCommand, &m_commands);
  ToolButton(bar, "document-print", "Print", &PrintCommand, this);
  gtk_toolbar_insert(GTK_TOOLBAR(bar), gtk_separator_tool_item_new(), -1);
  m_backButton = ToolButton(bar, "go-previous", "Back", &BackCommand, &m_view);
  m_forwardButton = ToolButton(bar, "go-next", "Forward", &ForwardCommand, &m_view);
  gtk_toolbar_insert(GTK_TOOLBAR(bar), gtk_separator_tool_item_new(), -1);
  gtk_toolbar_insert(GTK_TOOLBAR(bar), m_searchBar.Item(), -1);
  return bar;
}

void CMainFrame::UpdateNavigationButtons() {
  gtk_widget_set_sensitive(GTK_WIDGET(m_backButton), webkit_web_view_can_go_back(m_view.WebView()));
  gtk_widget_set_sensitive(GTK_WIDGET(m_forwardButton), webkit_web_view_can_go_forward(m_view.WebView()));
}

void CMainFrame::SetDocumentTitle(const std::string& documentTitle) {
  const std::string title = (documentTitle.empty() ? "Untitled" : documentTitle) + " - " + kTitle;
  gtk_window_set_title(GTK_WINDOW(m_window), title.c_str());
}

WindowRect CMainFrame::WorkArea() const {
  GdkDisplay* display = gtk_widget_get_display(m_window);
  GdkMonitor* monitor = nullptr;
  if (GdkWindow* window = gtk_widget_get_window(m_window))
    monitor = gdk_display_get_monitor_at_window(display, window);
  if (!monitor) monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (!monitor) return {0, 0, kDefaultWidth, kDefaultHeight};
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  return {area.x, area.y, area.x + area.width, area.y + area.height};
}

void CMainFrame::RememberNormalRect() {
  constexpr auto kNotNormal = GdkWindowState(GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED |
                                             GDK_WINDOW_STATE_FULLSCREEN);
  if (m_state & kNotNormal) return;
  int x = 0, y = 0, width = 0, height = 0;
  gtk_window_get_position(GTK_WINDOW(m_window), &x, &y);
  gtk_window_get_size(GTK_WINDOW(m_window), &width, &height);
  m_normalRect = {x, y, x + width, y + height};
}

void CMainFrame::RestorePlacement() {
  m_view.SetZoom(m_stateSaver.RestoreZoom());
  const WindowRect area = WorkArea();
  const std::optional<WindowPlacement> saved = m_stateSaver.Restore(area);
  if (!saved) {
    RememberNormalRect();
    return;
  }
  const WindowRect& rect = saved->normalPosition;
  m_placementFlags = saved->flags;
  m_normalRect = {rect.left + area.left, rect.top + area.top, rect.right + area.left,
                  rect.bottom + area.top};
  // Where the compositor places windows, only the size and the state are ours.
  if (m_positionKnown) gtk_window_move(GTK_WINDOW(m_window), m_normalRect.left, m_normalRect.top);
  gtk_window_resize(GTK_WINDOW(m_window), std::max(1, rect.Width()), std::max(1, rect.Height()));
  if (saved->showCmd == SW_SHOWMAXIMIZED) gtk_window_maximize(GTK_WINDOW(m_window));
}

void CMainFrame::Print() { m_view.Print(Window()); }

void CMainFrame::Show() { gtk_widget_show_all(m_window); }

WindowPlacement CMainFrame::CurrentPlacement() const {
  const WindowRect area = WorkArea();
  int showCmd = SW_SHOWNORMAL;
  if (m_state & GDK_WINDOW_STATE_ICONIFIED)
    showCmd = SW_SHOWMINIMIZED;
  else if (m_state & GDK_WINDOW_STATE_MAXIMIZED)
    showCmd = SW_SHOWMAXIMIZED;
  return {m_placementFlags, showCmd,
          {m_normalRect.left - area.left, m_normalRect.top - area.top, m_normalRect.right - area.left,
           m_normalRect.bottom - area.top}};
}

bool CMainFrame::SavePlacement() const {
  const WindowPlacement placement =
      m_positionKnown ? CurrentPlacement()
                      : PlacementWithoutPosition(CurrentPlacement(), m_stateSaver.ReadSaved());
  const bool zoomSaved = m_stateSaver.SaveZoom(m_view.GetZoom());
  return m_stateSaver.Save(placement) && zoomSaved;
}

void CMainFrame::Close() {
  if (m_closed) return;
  m_closed = true;
  SavePlacement();
  gtk_widget_hide(m_window);
  gtk_main_quit();
}

gboolean CMainFrame::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<CMainFrame*>(self)->Close();
  return TRUE;  // the window goes with the frame
}

gboolean CMainFrame::OnConfigure(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<CMainFrame*>(self)->RememberNormalRect();
  return FALSE;
}

gboolean CMainFrame::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* frame = static_cast<CMainFrame*>(self);
  frame->m_state = event->new_window_state;
  frame->RememberNormalRect();
  return FALSE;
}


#include "viewer/app/MainFrame.h"

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

void OpenCommand(FrameCommands* commands) { commands->OnFileOpen(); }
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
      m_window(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
  g_object_ref_sink(m_window);
  gtk_window_set_default_size(GTK_WINDOW(m_window), kDefaultWidth, kDefaultHeight);
  GtkAccelGroup* accelerators = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(m_window), accelerators);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(column), BuildMenuBar(accelerators), FALSE, FALSE, 0);
  g_object_unref(accelerators);
  gtk_box_pack_start(GTK_BOX(column), BuildToolBar(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), m_view.Widget(), TRUE, TRUE, 0);
  m_statusBar = gtk_statusbar_new();
  gtk_statusbar_push(GTK_STATUSBAR(m_statusBar), 0, "Ready");
  gtk_box_pack_start(GTK_BOX(column), m_statusBar, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(m_window), column);
  g_signal_connect(m_window, "delete-event", G_CALLBACK(&CMainFrame::OnDelete), this);
  g_signal_connect(m_window, "configure-event", G_CALLBACK(&CMainFrame::OnConfigure), this);
  g_signal_connect(m_window, "window-state-event", G_CALLBACK(&CMainFrame::OnWindowState), this);
  m_view.onNavigateComplete = [this](const std::string& url) {
    gtk_statusbar_pop(GTK_STATUSBAR(m_statusBar), 0);
    gtk_statusbar_push(GTK_STATUSBAR(m_statusBar), 0, url.c_str());
    UpdateNavigationButtons();
  };
  m_view.onLoadFinished = [this] { UpdateNavigationButtons(); };
  UpdateNavigationButtons();
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
  GtkWidget* open = MenuItem(file, "_Open", &OpenCommand, &m_commands);
  gtk_widget_add_accelerator(open, "activate", accelerators, GDK_KEY_o, GDK_CONTROL_MASK,
                             GTK_ACCEL_VISIBLE);
  gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
  MenuItem(file, "E_xit", &ExitCommand, this);
  GtkWidget* help = SubMenu(bar, "_Help");
  MenuItem(help, "_About SwDocViewer...", &AboutCommand, &m_commands);
  return bar;
}

GtkWidget* CMainFrame::BuildToolBar() {
  GtkWidget* bar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS);
  ToolButton(bar, "go-home", "Home", &HomeCommand, &m_view);
  ToolButton(bar, "document-open", "Open", &OpenCommand, &m_commands);
  ToolButton(bar, "document-print", "Print", &PrintCommand, this);
  gtk_toolbar_insert(GTK_TOOLBAR(bar), gtk_separator_tool_item_new(), -1);
  m_backButton = ToolButton(bar, "go-previous", "Back", &BackCommand, &m_view);
  m_forwardButton = ToolButton(bar, "go-next", "Forward", &ForwardCommand, &m_view);
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
  gtk_window_move(GTK_WINDOW(m_window), m_normalRect.left, m_normalRect.top);
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

bool CMainFrame::SavePlacement() const { return m_stateSaver.Save(CurrentPlacement()); }

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


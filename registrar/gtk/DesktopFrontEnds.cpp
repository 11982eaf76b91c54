#include "registrar/gtk/DesktopFrontEnds.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

bool OnDesktop() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

DesktopFrontEnds::DesktopFrontEnds() {
  // The toolkit is started only when its windows would be used.
  if (ChooseUserInterface(true) != UserInterfaceKind::Graphical || !OnDesktop()) return;
  // The program keeps its own locale settings (the time format only).
  gtk_disable_setlocale();
  if (!gtk_init_check(nullptr, nullptr)) return;
  RegisterGraphicalMessageBoxes(&m_boxes);
  RegisterGraphicalBrowseDialog(&m_browse);
  m_inUse = true;
  if (const char* script = std::getenv(kScriptVariable); script && *script) LoadScript(script);
}

DesktopFrontEnds::~DesktopFrontEnds() {
  if (!m_inUse) return;
  RegisterGraphicalBrowseDialog(nullptr);
  RegisterGraphicalMessageBoxes(nullptr);
}

void DesktopFrontEnds::LoadScript(const char* path) {
  std::ifstream in(path);
  if (!in) std::fprintf(stderr, "the dialog script %s cannot be read\n", path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#' && !m_answers.TakeLine(line))
      std::fprintf(stderr, "unknown dialog script line %s\n", line.c_str());
  }
  m_answers.Start();
}

#include "platform/gtk/DialogAnswers.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

bool DialogAnswers::TakeLine(const std::string& line) {
  if (line.starts_with("dialogs ")) {
    m_log = line.substr(8);
    return true;
  }
  if (line.starts_with("answer ")) {
    AddAnswer(line.substr(7));
    return true;
  }
  return false;
}

void DialogAnswers::Start() {
  SetModalDialogHook([this](GtkDialog* dialog) { return Answer(dialog); });
  m_started = true;
}

void DialogAnswers::Stop() {
  if (m_started) SetModalDialogHook({});
  m_started = false;
}

int DialogAnswers::Answer(GtkDialog* dialog) {
  const gchar* shownTitle = gtk_window_get_title(GTK_WINDOW(dialog));
  const std::string title = shownTitle ? shownTitle : "";
  if (!m_log.empty()) {
    std::string entry = "dialog=" + title + "\n";
    if (GTK_IS_MESSAGE_DIALOG(dialog)) {
      gchar* text = nullptr;
      g_object_get(dialog, "text", &text, nullptr);
      std::string shown = text ? text : "";
      g_free(text);
      for (char& c : shown)
        if (c == '\n') c = '|';
      entry += "text=" + shown + "\n";
    }
    std::ofstream(m_log, std::ios::app) << entry;
  }
  // A dialog that stays after its answer (as the list dialog does when Open
  // fails) is cancelled the next time, so that an unattended run always ends.
  if (g_object_get_data(G_OBJECT(dialog), "vxst-answered")) return GTK_RESPONSE_CANCEL;
  g_object_set_data(G_OBJECT(dialog), "vxst-answered", GINT_TO_POINTER(1));
  if (const auto answer = m_answers.find(title); answer != m_answers.end()) return answer->second;
  GtkWidget* button = gtk_window_get_default_widget(GTK_WINDOW(dialog));
  return button ? gtk_dialog_get_response_for_widget(dialog, button) : GTK_RESPONSE_CANCEL;
}

void DialogAnswers::AddAnswer(const std::string& text) {
  const std::size_t blank = text.find(' ');
  char* end = nullptr;
  const long response = std::strtol(text.c_str(), &end, 10);
  if (blank == std::string::npos || end != text.c_str() + blank) {
    std::fprintf(stderr, "bad test answer %s\n", text.c_str());
    return;
  }
  m_answers[text.substr(blank + 1)] = static_cast<int>(response);
}

#include "viewer/gtk/GtkFileOpen.h"

#include "base/KelFile.h"
#include "platform/gtk/ModalDialog.h"

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter) {
  std::vector<std::pair<std::string, std::string>> filters;
  if (filter.find('|') == std::string::npos) {
    if (!filter.empty()) filters.emplace_back(filter, filter);
    return filters;
  }
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t bar = filter.find('|'); bar != std::string::npos; bar = filter.find('|', start)) {
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the list's end
    filters.emplace_back(parts[i], parts[i + 1]);
  }
  return filters;
}

std::string WithDefaultExtension(const std::string& name, const std::string& extension) {
  const CKelFile file(name);
  if (extension.empty() || !file.GetPart(vxs::kPartExtension).empty() || file.Exists()) return name;
  return name + extension;
}

namespace {

void AddFilters(GtkFileChooser* chooser, const std::string& filterText) {
  for (const auto& [description, patterns] : ParseFileFilter(filterText)) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, description.c_str());
    std::size_t start = 0;
    for (;;) {
      const std::size_t semicolon = patterns.find(';', start);
      gtk_file_filter_add_pattern(filter, patterns.substr(start, semicolon - start).c_str());
      if (semicolon == std::string::npos) break;
      start = semicolon + 1;
    }
    gtk_file_chooser_add_filter(chooser, filter);
  }
}

void StartAt(GtkFileChooser* chooser, const std::string& startName) {
  if (startName.empty()) return;
  CKelFile start(startName);
  start.MakeFullPath();
  if (start.FolderExists())
    gtk_file_chooser_set_current_folder(chooser, start.GetPath().c_str());
  else
    gtk_file_chooser_set_filename(chooser, start.GetPath().c_str());
}

}  // namespace

bool ChooseFileWithGtk(const FileOpenRequest& request, std::string& path) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(request.title.c_str(), ActiveWindow(),
                                                  GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT,
                                                  nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  AddFilters(chooser, request.filter);
  StartAt(chooser, request.startName);
  bool chosen = false;
  if (RunModalDialog(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
      CKelFile file(WithDefaultExtension(name, request.defaultExtension));
      g_free(name);
      file.MakeFullPath();
      path = file.GetPath();
      chosen = true;
    }
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

// Tests of the registrar: a scratch registry, a folder of archives written by
// the project's own writer, and runs of the real vxstreg program with answers
// on its standard input (VXST_UI=script, unless a test sets m_ui) and its boxes
// read from standard error.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalog/DocumentProfiling.h"
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"
#include "registrar/ThisApp.h"
#include "tools/vxb/ArchiveWriter.h"

extern char** environ;

namespace registrar_tests {

// What one run of vxstreg left.
struct Outcome {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error: the message boxes and prompts
};

// The text of a message box as the program writes it.
inline std::string BoxText(const std::string& text) { return std::string(registrar::kTitle) + ": " + text + "\n"; }

class RegistrarTest : public ScratchRegistry {
 protected:
  using Placement = stow::Placement;

  void SetUp() override {
    ScratchRegistry::SetUp();
    // Every file of the test lies on a fixed disk unless a test says otherwise,
    // and none on a medium mounted on demand.
    SetMountTable("/dev/sda1 / ext4 rw 0 0\n");
    SetFileSystemTable("");
    // Registration builds search indexes in the cache folder: a scratch one.
    setenv("VXST_CACHE_DIR", (m_run / "cache/urlcache").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("VXST_CACHE_DIR");
    unsetenv("VXST_MOUNT_TABLE");
    unsetenv("VXST_FSTAB");
    ScratchRegistry::TearDown();
  }

  void SetMountTable(const std::string& lines) {
    const std::string table = m_docs.Write(".mounts", lines);
    setenv("VXST_MOUNT_TABLE", table.c_str(), 1);
  }

  void SetFileSystemTable(const std::string& lines) {
    const std::string table = m_docs.Write(".fstab", lines);
    setenv("VXST_FSTAB", table.c_str(), 1);
  }

  // Writes an archive at RELATIVE below the documents folder; returns its path.
  std::string MakeArchive(const std::string& relative, const std::string& name,
                          std::uint32_t firmCode = 7, const std::string& title = {},
                          const std::string& copyright = {}) {
    stow::ArchiveProperties properties;
    properties.name = name;
    properties.title = title;
    properties.copyright = copyright;
    properties.firmCode = firmCode;
    properties.startTopic = "index.htm";
    properties.creationTime = 1100000000;  // 2004-11-09 11:33:20 UTC
    stow::ArchiveWriter writer(properties);
    writer.AddBytes("index.htm", "<p>" + name + "</p>");
    const std::string path = Docs(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writer.Write(path);
    return path;
  }
  std::string MakeText(const std::string& relative, const std::string& text = "just text\n") {
    const std::string path = Docs(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return m_docs.Write(relative, text);
  }
  std::string Docs(const std::string& relative = {}) const {
    return relative.empty() ? m_docs.Path() : m_docs / relative;
  }

  // Runs vxstreg with ARGS, ANSWERS on its standard input.
  Outcome Run(const std::vector<std::string>& args, const std::string& answers = {}) {
    const std::string in = m_run.Write("in", answers);
    const std::string out = m_run / "out";
    const std::string err = m_run / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words = {VXST_VXSTREG};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    setenv("VXST_UI", m_ui.c_str(), 1);
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, VXST_VXSTREG, &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    unsetenv("VXST_UI");
    outcome.out = TempFolder::ReadAll(out);
    outcome.err = TempFolder::ReadAll(err);
    return outcome;
  }

  // The "Doc" value of an entry ("#2" when there is none).
  static std::string Doc(const std::string& name, std::uint32_t firmCode = 7,
                         Placement placement = Placement::CurrentUser) {
    const std::string key = std::string(stow::DocumentProfiling::kCatalogKey) + "\\" + name + "\\FC" +
                            std::to_string(firmCode);
    return GetText(placement == Placement::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                   key.c_str(), "Doc");
  }
  // Registers the archive at PATH directly through the catalog.
  static void Register(const std::string& path, Placement placement = Placement::CurrentUser) {
    stow::VxbFile document;
    document.Open(path);
    stow::DocumentProfiling catalog(ThisApp::kDescriptor);
    catalog.RegisterArchive(document, placement);
  }

  // Registers the reader module as an installation does.
  static void RegisterReaderModule() {
    const std::string command = std::string(VXST_VXREGSVR) + " /s " + VXST_READER_MODULE;
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Makes the shell script BODY the opener of vexost: URLs; returns its path.
  std::string SetOpener(const std::string& body) {
    const std::string opener = m_run.Write("opener", "#!/bin/sh\n" + body);
    ::chmod(opener.c_str(), 0755);
    PutText(HKEY_CURRENT_USER, "Software\\Classes\\VexoSt\\Shell\\Open\\Command", "",
            "\"" + opener + "\" \"%1\"");
    return opener;
  }

  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  TempFolder m_docs;
  TempFolder m_run;
  std::string m_ui = "script";  // VXST_UI of the runs
};

}  // namespace registrar_tests

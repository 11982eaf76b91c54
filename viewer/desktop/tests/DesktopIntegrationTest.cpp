// The installed desktop entry and archive type, as the desktop (GIO) reads
// them from a scratch prefix: archives are known by their header and by their
// extension, and stow opens them and vexost: links.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/tests/TempFolder.h"

namespace {

constexpr const char* kArchiveType = "application/x-vexost-archive";

class DesktopIntegration : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string install = std::string("'") + VXST_CMAKE + "' --install '" + VXST_BINARY_DIR +
                                "' --prefix '" + m_prefix.Path() + "' > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);
    // Only the scratch prefix: the machine's own types and applications stay out.
    setenv("XDG_DATA_DIRS", (m_prefix / "share").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_prefix / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_prefix / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (m_prefix / "config").c_str(), 1);
  }

  std::string PackedArchive() {
    std::filesystem::create_directories(m_prefix / "src");
    std::ofstream(m_prefix / "src/index.htm") << "<p>x</p>";
    const std::string archive = m_prefix / "archive.bin";
    const std::string pack = std::string("'") + VXST_VXB + "' pack '" + (m_prefix / "src") + "' -o '" +
                             archive + "' --name X > /dev/null";
    EXPECT_EQ(std::system(pack.c_str()), 0);
    return archive;
  }

  TempFolder m_prefix;
};

TEST_F(DesktopIntegration, ProgramModuleEntryAndTypeAreInstalledAndStowOpensThem) {
  for (const char* file : {"bin/stow", "lib/vexost/libvxstrd.so", "share/applications/stow.desktop",
                           "share/mime/packages/vexost-archive.xml"})
    EXPECT_TRUE(std::filesystem::exists(m_prefix / file)) << file;
  const std::string entry = TempFolder::ReadAll(m_prefix / "share/applications/stow.desktop");
  EXPECT_NE(entry.find("Exec=" + (m_prefix / "bin/stow") + " %u"), std::string::npos) << entry;
  const std::string validate = "desktop-file-validate '" + (m_prefix / "share/applications/stow.desktop") + "'";
  EXPECT_EQ(std::system(validate.c_str()), 0) << "the desktop entry is not valid";
  for (const char* type : {kArchiveType, "x-scheme-handler/vexost"}) {
    GAppInfo* app = g_app_info_get_default_for_type(type, FALSE);
    ASSERT_NE(app, nullptr) << type;
    EXPECT_STREQ(g_app_info_get_id(app), "stow.desktop");
    g_object_unref(app);
  }
}

TEST_F(DesktopIntegration, ArchiveIsKnownByItsHeaderWhateverItsName) {
  if (!std::filesystem::exists(m_prefix / "share/mime/mime.cache"))
    GTEST_SKIP() << "update-mime-database is not installed";
  const struct {
    const char* name;
    std::string bytes;
    bool archive;
  } cases[] = {{"archive.bin", TempFolder::ReadAll(PackedArchive()), true},
               {"manual.vxb", "", true},
               {"notes.bin", "plain text, no archive", false}};
  for (const auto& c : cases) {
    gboolean uncertain = TRUE;
    gchar* type = g_content_type_guess(c.name, reinterpret_cast<const guchar*>(c.bytes.data()),
                                       c.bytes.size(), &uncertain);
    EXPECT_EQ(type == std::string(kArchiveType), c.archive) << c.name << ": " << type;
    g_free(type);
  }
}

}  // namespace

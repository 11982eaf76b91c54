#include <filesystem>

#include "base/MessageText.h"
#include "base/messages/MessageTable.h"
#include "base/tests/ProfilingTestSupport.h"
#include "platform/Profile.h"
#include "platform/tests/TempFolder.h"

namespace {

using P = CKelProfiling;

class KelProfilingIni : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    m_settings.SetIniMode(true);
    m_settings.SetIniPath(m_file);
    m_settings.SetProfile("Documents", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  }
  void TearDown() override {
    SetMessageTable(nullptr);
    ScratchRegistry::TearDown();
  }

  TempFolder m_folder;
  std::string m_file = m_folder / "settings file.ini";
  CKelProfiling m_settings{kReaderDescriptor};
};

TEST_F(KelProfilingIni, EmptyValuesReadAsOneByteAndMissingOnesAsNone) {
  m_folder.Write("settings file.ini", "[Documents]\nEmpty=\n  Spaced   =  text with blanks  \n");
  char buffer[64];
  DWORD type = 0;
  EXPECT_EQ(m_settings.QueryValue("Empty", &type, buffer, sizeof buffer), 1u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(m_settings.QueryValue("Missing", &type, buffer, sizeof buffer), 0u);
  EXPECT_EQ(m_settings.QueryValue("spaced", &type, buffer, sizeof buffer), 17u);
  EXPECT_EQ(m_settings.ReadTextValue("SPACED"), "text with blanks");
  EXPECT_EQ(m_settings.QueryValue("spaced", &type, buffer, 5), 5u);
  EXPECT_STREQ(buffer, "text");
}

TEST_F(KelProfilingIni, NumbersAreWrittenAsDecimalTextAndOtherTypesAreSkipped) {
  m_settings.WriteNumber("Count", -5);
  m_settings.WriteNumberList("List", {3, -1, 0});
  m_settings.WriteString("Doc", "/home/a/manual.vxb");
  const BYTE binary[] = {1, 2};
  m_settings.WriteValue("Binary", REG_BINARY, binary, sizeof binary);
  EXPECT_EQ(TempFolder::ReadAll(m_file), "[Documents]\nCount=-5\nList=3,-1,0\nDoc=/home/a/manual.vxb\n");
  m_settings.DeleteValue("count");
  m_settings.DeleteValue("never there");
  EXPECT_EQ(TempFolder::ReadAll(m_file), "[Documents]\nList=3,-1,0\nDoc=/home/a/manual.vxb\n");
}

TEST_F(KelProfilingIni, MissingFilesAndValuesNameTheFileAndSection) {
  const auto noFile = Caught<CKelFileException>([&] { m_settings.ReadTextValue("Doc"); });
  ASSERT_TRUE(noFile);
  EXPECT_EQ(noFile->m_code * 1000 + noFile->m_systemError, 1001000u + ERROR_FILE_NOT_FOUND);
  m_folder.Write("settings file.ini", "[Other]\nDoc=x\n");
  auto read = [&] { m_settings.ReadTextValue("Doc"); };
  EXPECT_EQ(Thrown(read), "1141 Doc | \"" + m_file + "\", [Documents] | ") << "without table";
  InstallMessageTable();
  EXPECT_EQ(Thrown(read), "1141 Doc | file \"" + m_file + "\", topic [Documents] | ") << "with table";
  m_settings.AllowMissingValues(true, "fallback");
  EXPECT_EQ(m_settings.ReadTextValue("Doc"), "fallback");
}

TEST_F(KelProfilingIni, SectionsAreReplacedWholeAndFailuresAreAccessErrors) {
  m_folder.Write("settings file.ini", "; hand-written\n[Documents]\nold=1\n\n[Keep]\nx=1\n");
  m_settings.WriteSection("Manual=/a.vxb\0Guide=/b.vxb\0");
  EXPECT_EQ(TempFolder::ReadAll(m_file), "; hand-written\n[Documents]\nManual=/a.vxb\nGuide=/b.vxb\n\n[Keep]\nx=1\n");
  CKelProfiling broken(kReaderDescriptor);
  broken.SetIniMode(true);
  broken.SetIniPath(m_folder.Path());  // a folder cannot be rewritten as a file
  broken.SetProfile("S", P::kCurrentUser, P::kReadWrite, 0);
  EXPECT_EQ(FailureCode([&] { broken.WriteSection("a=1\0"); }), 1140u);
  EXPECT_EQ(FailureCode([&] { broken.WriteString("a", "1"); }), 1140u);
}

TEST_F(KelProfilingIni, TheFileIsNamedAfterTheApplicationInTheSettingsFolder) {
  // Writes one value through settings of their own, named as NAME says, and gives the file's name.
  auto write = [](const char* name, bool productName) {
    CKelProfiling settings(kReaderDescriptor);
    settings.SetIniMode(true);
    if (name) settings.SetIniName(name);
    if (productName) {
      settings.SetUseDescriptorNames(false);
      settings.SetProductPart("Stowra");
    }
    settings.SetProfile("Window", P::kCurrentUser, P::kReadWrite, 0);
    settings.WriteString("Placement", "1,2,3,4");
    return std::string(settings.GetIniPath());
  };
  EXPECT_EQ(write(nullptr, false), "VxStRd.ini");
  EXPECT_EQ(TempFolder::ReadAll(Folder() + "/VxStRd.ini"), "[Window]\nPlacement=1,2,3,4\n");
  write("Chosen.ini", false);
  EXPECT_TRUE(std::filesystem::exists(Folder() + "/Chosen.ini"));
  EXPECT_EQ(write(nullptr, true), "Stowra.ini");
}

TEST_F(KelProfilingIni, HandEditedFilesWithHierarchicalSectionsListTheirSubkeys) {
  m_folder.Write("settings file.ini",
                 "[Documents\\Manual\\FC10]\r\nDoc = /a.vxb\r\n"
                 "[ documents\\manual\\FC11 ]\r\nDoc=/b.vxb\r\n"
                 "[Documents\\Guide\\FC1]\r\n[Other]\r\n" +
                     std::string(100000, 'x') + "\r\n");
  char names[512];
  const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, m_file.c_str());
  ASSERT_GT(length, 0u);
  m_settings.EnsureOpen(0);
  EXPECT_EQ(m_settings.ListSubKeys(names), 14u);
  EXPECT_EQ(std::string(names, 14), std::string("Manual\0Guide\0\0", 14));
  m_settings.SetSubKey("Documents\\Manual\\FC11");
  EXPECT_EQ(m_settings.ReadTextValue("doc"), "/b.vxb");
}

}  // namespace

// What registration writes and unregistration removes, and the export that
// tells the registrar an archive's path.
#include <string>

#include "platform/tests/ScratchRegistry.h"
#include "reader/tests/ReaderModuleFixture.h"

namespace {

const std::string kHandlerKey = "CLSID\\" + GuidToString(CLSID_VexoStReaderPlugProt);
const std::string kControlKey = "CLSID\\" + GuidToString(CLSID_VexoStReaderCtl);
const std::string kShellKey =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\{00030002-0000-1101-8002-0000C06B5161}";
const std::string kOtherShellKey =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\{00010000-0000-1101-8006-0000C06B5161}";

std::optional<DWORD> Number(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LSTATUS status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

using Registration = ReaderModuleTest;

TEST_F(Registration, ClassesTheUrlSchemeAndTheShellSettingsNameTheModule) {
  const std::string module = VXST_READER_MODULE;
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\vexost", "CLSID"),
            GuidToString(CLSID_VexoStReaderPlugProt));
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\vexost"), "Vexost Pluggable Protocol");
  for (const std::string& key : {kHandlerKey, kControlKey}) {
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + "\\InprocServer32"), module);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + "\\Programmable"));
  }
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kHandlerKey + "\\ProgID"), "Vexost.PluggableProtocol.1");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kControlKey + "\\VersionIndependentProgID"), "Vexost.ReaderCtl");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kControlKey + "\\TypeLib"), GuidToString(LIBID_VxStRdLib));
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "Vexost.PluggableProtocol\\CurVer"), "Vexost.PluggableProtocol.1");
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID("Vexost.PluggableProtocol", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexoStReaderPlugProt);
  EXPECT_EQ(CLSIDFromProgID("VexoSt.ReaderCtl.1", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexoStReaderCtl);

  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt"), "URL:VEXO-KEY Stowra Protocol");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt", "URL Protocol"), " ");
  EXPECT_EQ(Number(HKEY_CLASSES_ROOT, "VexoSt", "EditFlags"), 2u);
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt\\DefaultIcon"), module + ",1");
  // No browser path on this platform: the desktop's opener takes vexost: links.
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt\\Shell\\Open\\Command"), "");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt\\Shell\\Open\\DdeExec"), "\"%1\",,-1,0,,,,");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt\\Shell\\Open\\DdeExec\\Topic"), "WWW_OpenURL");
  // The shell settings go to the machine.
  for (const std::string& key : {kShellKey, kOtherShellKey}) {
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, key), "Stowra Archive VEXO-KEY");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, key, "Icon"), "\"" + std::string(VXST_READER_MODULE) + "\",1");
    EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, key, "Vxb"), 3u);
  }
}

TEST_F(Registration, ReadOnlyMachineHiveLeavesOutOnlyTheShellSettings) {
  ASSERT_EQ(RunVxRegSvr(std::string("/u '") + VXST_READER_MODULE + "'"), 0);
  setenv("VXST_REGISTRY_READONLY", "machine", 1);
  ASSERT_EQ(RunVxRegSvr(std::string("'") + VXST_READER_MODULE + "'"), 0);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kShellKey, "Icon"), "<none>");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kHandlerKey + "\\InprocServer32"), VXST_READER_MODULE);
}

// Registering again writes the URL scheme's key anew, with the browser the
// machine names.
TEST_F(Registration, UrlSchemeKeyIsWrittenAnewWithTheMachinesBrowser) {
  PutText(HKEY_CLASSES_ROOT, "VexoSt\\Stale", "", "left over");
  PutText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Iexplore.exe",
          "", "/opt/browser/run");
  ASSERT_EQ(Export<LPFNREGISTERSERVER>("DllRegisterServer")(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "VexoSt\\Stale"));
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "VexoSt\\Shell\\Open\\Command"), "\"/opt/browser/run\" -nohome");
}

TEST_F(Registration, UnregisterRemovesWhatRegistrationWrote) {
  PutText(HKEY_LOCAL_MACHINE, kShellKey + "\\Open", "Command", "registrar's command");
  ASSERT_EQ(RunVxRegSvr(std::string("/u '") + VXST_READER_MODULE + "'"), 0);
  for (const std::string& key : {kHandlerKey, kControlKey, std::string("PROTOCOLS\\Handler\\vexost"),
                                 std::string("VexoSt"), std::string("VexoSt.ReaderCtl"),
                                 std::string("VexoSt.ReaderCtl.1"), std::string("Vexost.PluggableProtocol"),
                                 std::string("Vexost.PluggableProtocol.1")}) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  }
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler"));
  // The shell settings are shared with the registrar and the viewer.
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kShellKey, "Icon"), "<none>");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kShellKey, "Vxb"), std::nullopt);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kShellKey + "\\Open", "Command"), "registrar's command");
}

TEST_F(Registration, UnregisterLeavesAnotherModulesRegistration) {
  PutText(HKEY_CLASSES_ROOT, kHandlerKey + "\\InprocServer32", "", "/other/libvxstrd.so");
  ASSERT_EQ(Export<LPFNREGISTERSERVER>("DllUnregisterServer")(), S_OK);
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\vexost", "CLSID"),
            GuidToString(CLSID_VexoStReaderPlugProt));
}

class DocumentFileName : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    m_path = BuildArchive("manual.vxb", "Manual", 10, {{"a.htm", "a"}}, "a.htm");
    Catalog("Manual", 10, m_path);
    m_get = Export<GetDocumentFileNameAProc>("GetDocumentFileNameA");
  }

  std::string m_path;
  GetDocumentFileNameAProc m_get = nullptr;
};

// The buffer must hold the path and its zero. An unknown name, a wrong firm
// code or an ambiguous name give 0 quietly: no page, no dialog later.
TEST_F(DocumentFileName, PathWhenTheBufferHoldsItElseZeroQuietly) {
  const auto length = static_cast<std::int32_t>(m_path.size());
  std::string buffer(m_path.size() + 1, '#');
  EXPECT_EQ(m_get("Manual", 0xFFFFFFFF, buffer.data(), length), length + 1);
  EXPECT_EQ(buffer, std::string(m_path.size() + 1, '#'));
  EXPECT_EQ(m_get("Manual", 10, buffer.data(), length + 1), length);
  EXPECT_EQ(buffer, m_path + '\0');
  EXPECT_EQ(m_get("Manual", 10, nullptr, 0), length + 1);

  char small[16] = "untouched";
  EXPECT_EQ(m_get("Unknown", 0xFFFFFFFF, small, sizeof small), 0);
  EXPECT_EQ(m_get("Manual", 11, small, sizeof small), 0);
  EXPECT_STREQ(small, "untouched");
  Catalog("Twice", 1, m_folder / "first.vxb");
  Catalog("Twice", 2, m_folder / "second.vxb");
  EXPECT_EQ(m_get("Twice", 0xFFFFFFFF, small, sizeof small), 0);
  // Quiet failures arrange no page and are no first failure: the next request
  // gets page 5, no dialog.
  ExpectPage(Fetch("vexost://Twice/"), 5);
  EXPECT_TRUE(m_dialogs.firmCodeViews.empty());
}

}  // namespace

// Tests of the reader module as browsers and hosts meet it: libvxstrd.so
// registered by vxregsvr into a scratch registry, loaded through the COM
// stand-in and driven by the protocol broker, with a scratch URL cache, scripted
// message boxes and dialogs, and archives written by the project's own writer
// from files the test writes. Each test ends by unloading the module, so the
// next one meets a module that starts afresh.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Com.h"
#include "platform/ProtocolBroker.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "platform/SharedLibrary.h"
#include "platform/UserInterface.h"
#include "platform/tests/TempFolder.h"
#include "reader/ReaderExports.h"
#include "reader/ScriptedReaderDialogs.h"
#include "reader/VexoStReaderCtl.h"
#include "reader/client/ReaderOutcome.h"
#include "tools/vxb/ArchiveWriter.h"

inline constexpr const char* kCatalogKey = "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents";

// The exit code of vxregsvr run with ARGUMENTS (silently).
inline int RunVxRegSvr(const std::string& arguments) {
  const std::string command = std::string("'") + VXST_VXREGSVR + "' /s " + arguments;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The text of the progress report STATUS, or nullopt when there is none.
inline std::optional<std::string> ReportText(const ProtocolResponse& response, ULONG status) {
  for (const ProtocolReport& report : response.reports) {
    if (report.kind == ProtocolReportKind::Progress && report.statusCode == status) return report.text;
  }
  return std::nullopt;
}

// The outcome the module reported, or "" for none.
inline std::string OutcomeOf(const ProtocolResponse& response) {
  return ReportText(response, BINDSTATUS_READEROUTCOME).value_or("");
}

inline constexpr DWORD kAllData =
    BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE;

class ReaderModuleTest : public ::testing::Test {
 protected:
  // The module under test; the probe tests use its probe build.
  virtual const char* ModulePath() const { return VXST_READER_MODULE; }

  void SetUp() override {
    setenv("VXST_REGISTRY_DIR", (m_folder / "registry").c_str(), 1);
    setenv("VXST_CACHE_DIR", (m_folder / "cache").c_str(), 1);
    setenv("VXST_UI", "none", 1);
    unsetenv("VXST_REGISTRY_READONLY");
    ASSERT_EQ(RunVxRegSvr(std::string("'") + ModulePath() + "'"), 0);
    ASSERT_EQ(m_module.Load(ModulePath()), ERROR_SUCCESS) << m_module.LoadError();
    Export<VxStRdSetUserInterfaceProc>("VxStRdSetUserInterface")(&m_boxes, &m_dialogs);
    m_broker = std::make_unique<ProtocolBroker>();
  }

  void TearDown() override {
    m_broker.reset();
    if (m_module.IsLoaded())
      Export<VxStRdSetUserInterfaceProc>("VxStRdSetUserInterface")(nullptr, nullptr);
    m_module.Unload();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleLoaded()) << "an object of the module was not released";
    unsetenv("VXST_REGISTRY_DIR");
    unsetenv("VXST_CACHE_DIR");
    unsetenv("VXST_UI");
    unsetenv("VXST_REGISTRY_READONLY");
  }

  template <class Function>
  Function Export(const char* name) {
    auto function = reinterpret_cast<Function>(m_module.Symbol(name));
    if (!function) ADD_FAILURE() << "no export " << name;
    return function;
  }

  bool ModuleLoaded() const {
    void* handle = dlopen(ModulePath(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
  }

  ProtocolResponse Fetch(const std::string& url, DWORD flags = 0) { return m_broker->Fetch(url, flags); }

  // An archive NAME of FIRMCODE at FILE (in the test's folder) holding TOPICS
  // (path -> bytes), each written to a file first; START names the start topic.
  std::string BuildArchive(const std::string& file, const std::string& name, std::uint32_t firmCode,
                           const std::map<std::string, std::string>& topics,
                           const std::string& start = {}) {
    stow::ArchiveProperties properties;
    properties.name = name;
    properties.title = name + " title";
    properties.firmCode = firmCode;
    properties.startTopic = start;
    properties.creationTime = 1700000000;
    stow::ArchiveWriter writer(properties);
    unsigned n = 0;
    for (const auto& [path, bytes] : topics) {
      const std::string source = m_folder.Write("source" + std::to_string(n++), bytes);
      writer.AddFile(path, source, bytes.size());
    }
    const std::string output = m_folder / file;
    writer.Write(output);
    return output;
  }

  // Registers the archive NAME of FIRMCODE at PATH in the catalog.
  static void Catalog(const std::string& name, std::uint32_t firmCode, const std::string& path,
                      HKEY root = HKEY_CURRENT_USER) {
    const std::string key = std::string(kCatalogKey) + "\\" + name + "\\FC" + std::to_string(firmCode);
    PutText(root, key, "Doc", path);
  }

  static void PutText(HKEY root, const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  static std::string Text(HKEY root, const std::string& key, const char* name = "") {
    return ReadRegistryText(root, key, name).value_or("<none>");
  }

  // A page of the module: served as HTML, reporting its number.
  static void ExpectPage(const ProtocolResponse& response, unsigned page) {
    EXPECT_EQ(response.result, S_OK);
    EXPECT_EQ(OutcomeOf(response), std::to_string(page));
    EXPECT_EQ(response.mimeType, "text/html");
    EXPECT_NE(response.bytes.find("<html"), std::string::npos);
  }

  TempFolder m_folder;
  SharedLibrary m_module;
  ScriptedMessageBoxes m_boxes;
  ScriptedReaderDialogs m_dialogs;
  std::unique_ptr<ProtocolBroker> m_broker;
};

// A sink and bind information for driving a handler object by hand.
class RecordingSink final : public IInternetProtocolSink, public IInternetBindInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IInternetProtocolSink)
      *ppv = static_cast<IInternetProtocolSink*>(this);
    else if (riid == IID_IInternetBindInfo)
      *ppv = static_cast<IInternetBindInfo*>(this);
    else
      return *ppv = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT Switch(PROTOCOLDATA*) override { return E_NOTIMPL; }
  HRESULT ReportProgress(ULONG status, LPCWSTR text) override {
    reports.push_back(ProtocolReport::Progress(status, text ? text : ""));
    return S_OK;
  }
  HRESULT ReportData(DWORD flags, ULONG progress, ULONG max) override {
    reports.push_back(ProtocolReport::Data(flags, progress, max));
    return S_OK;
  }
  HRESULT ReportResult(HRESULT result, DWORD error, LPCWSTR text) override {
    reports.push_back(ProtocolReport::Result(result, error, text ? text : ""));
    return S_OK;
  }
  HRESULT GetBindInfo(DWORD* flags, BINDINFO* info) override {
    *flags = BINDF_PULLDATA;
    bindInfoSize = info->cbSize;
    return S_OK;
  }
  HRESULT GetBindString(ULONG, LPOLESTR*, ULONG, ULONG*) override { return E_NOTIMPL; }

  ULONG references = 0;
  ULONG bindInfoSize = 0;
  std::vector<ProtocolReport> reports;
};

#include "reader/ModuleRegistration.h"

#include <initializer_list>
#include <vector>

#include "platform/Com.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "reader/VexoStReaderCtl.h"

namespace {

struct ScriptValue {
  const char* name;  // nullptr: the key's default value
  DWORD type;        // REG_SZ or REG_DWORD
  std::string text;
  DWORD number = 0;
};

struct ScriptKey {
  std::string path;
  std::vector<ScriptValue> values;
  bool replaced = false;  // deleted with its subkeys before it is written
  bool owned = false;     // removed with its subkeys on unregistration
};

constexpr const char* kBrowserPathKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Iexplore.exe";
constexpr const char* kShellSettingKey =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009";
constexpr const char* kArchiveFileTypes[] = {"{00030002-0000-1101-8002-0000C06B5161}",
                                             "{00010000-0000-1101-8006-0000C06B5161}"};

// The Icon value of the shell settings: the module's icon 1.
std::string ShellIcon(const std::string& module) { return "\"" + module + "\",1"; }

ScriptValue Text(const char* name, std::string text) { return {name, REG_SZ, std::move(text)}; }
ScriptValue Default(std::string text) { return Text(nullptr, std::move(text)); }
ScriptValue Number(const char* name, DWORD number) { return {name, REG_DWORD, {}, number}; }

// A ProgID with its class and, for a version-independent one, its current version.
void AddProgId(std::vector<ScriptKey>& script, const std::string& progId,
               const std::string& description, const std::string& clsid,
               const std::string& currentVersion) {
  script.push_back({progId, {Default(description)}, false, true});
  if (!clsid.empty()) script.push_back({progId + "\\CLSID", {Default(clsid)}});
  if (!currentVersion.empty()) script.push_back({progId + "\\CurVer", {Default(currentVersion)}});
}

void AddClass(std::vector<ScriptKey>& script, const std::string& clsid,
              const std::string& description, const std::string& progId,
              const std::string& independentProgId, const std::string& module) {
  const std::string key = "CLSID\\" + clsid;
  script.push_back({key, {Default(description)}, false, true});
  script.push_back({key + "\\ProgID", {Default(progId)}});
  script.push_back({key + "\\VersionIndependentProgID", {Default(independentProgId)}});
  script.push_back({key + "\\Programmable", {}});
  script.push_back({key + "\\InprocServer32", {Default(module), Text("ThreadingModel", "Apartment")}});
}

// The keys under HKEY_CLASSES_ROOT.
std::vector<ScriptKey> ClassesScript(const std::string& module, const std::string& browser) {
  const std::string handler = GuidToString(CLSID_VexoStReaderPlugProt);
  const std::string control = GuidToString(CLSID_VexoStReaderCtl);
  std::vector<ScriptKey> script;
  AddProgId(script, "Vexost.PluggableProtocol.1", "Vexost PluggableProtocol", handler, {});
  AddProgId(script, "Vexost.PluggableProtocol", "Vexost PluggableProtocol", {},
            "Vexost.PluggableProtocol.1");
  script.push_back({"PROTOCOLS\\Handler\\vexost",
                    {Default("Vexost Pluggable Protocol"), Text("CLSID", handler)}, true, true});
  AddClass(script, handler, "Vexost PluggableProtocol", "Vexost.PluggableProtocol.1",
           "Vexost.PluggableProtocol", module);

  script.push_back({"VexoSt",
                    {Default("URL:VEXO-KEY Stowra Protocol"), Text("URL Protocol", " "),
                     Number("EditFlags", 2)},
                    true, true});
  script.push_back({"VexoSt\\DefaultIcon", {Default(module + ",1")}});
  script.push_back(
      {"VexoSt\\Shell\\Open\\Command", {Default(browser.empty() ? "" : "\"" + browser + "\" -nohome")}});
  script.push_back({"VexoSt\\Shell\\Open\\DdeExec",
                    {Default("\"%1\",,-1,0,,,,"), Text("NoActivateHander", "")}});
  script.push_back({"VexoSt\\Shell\\Open\\DdeExec\\Application", {Default("IExplore")}});
  script.push_back({"VexoSt\\Shell\\Open\\DdeExec\\Topic", {Default("WWW_OpenURL")}});

  AddProgId(script, "VexoSt.ReaderCtl.1", "VexoSt.ReaderCtl Class", control, {});
  AddProgId(script, kReaderCtlProgId, "VexoSt.ReaderCtl Class", control, "VexoSt.ReaderCtl.1");
  AddClass(script, control, "VexoSt.ReaderCtl Class", "VexoSt.ReaderCtl.1", "Vexost.ReaderCtl",
           module);
  script.push_back({"CLSID\\" + control + "\\TypeLib", {Default(GuidToString(LIBID_VxStRdLib))}});
  return script;
}

// The shell settings under HKEY_LOCAL_MACHINE.
std::vector<ScriptKey> ShellScript(const std::string& module) {
  std::vector<ScriptKey> script;
  for (const char* fileType : kArchiveFileTypes) {
    script.push_back({std::string(kShellSettingKey) + "\\" + fileType,
                      {Default("Stowra Archive VEXO-KEY"), Text("Icon", ShellIcon(module)),
                       Number("Vxb", 3)}});
  }
  return script;
}

LSTATUS WriteValue(HKEY key, const ScriptValue& value) {
  if (value.type == REG_DWORD) {
    return RegSetValueExA(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                          sizeof value.number);
  }
  return RegSetValueExA(key, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                        static_cast<DWORD>(value.text.size() + 1));
}

LSTATUS WriteKey(HKEY root, const ScriptKey& entry) {
  if (entry.replaced) {
    const LSTATUS status = RegDeleteTreeA(root, entry.path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
  }
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(root, entry.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, &key, nullptr);
  for (const ScriptValue& value : entry.values) {
    if (status == ERROR_SUCCESS) status = WriteValue(key, value);
  }
  if (key) RegCloseKey(key);
  return status;
}

LSTATUS WriteScript(HKEY root, const std::vector<ScriptKey>& script) {
  for (const ScriptKey& entry : script) {
    const LSTATUS status = WriteKey(root, entry);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

// Whether the machine's hive takes the shell settings (it refuses a user who
// may not write it).
bool MachineSettingsWritable() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShellSettingKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

HRESULT RegisterReaderModule(const std::string& modulePath) {
  const std::string browser = ReadRegistryText(HKEY_LOCAL_MACHINE, kBrowserPathKey, "").value_or("");
  if (WriteScript(HKEY_CLASSES_ROOT, ClassesScript(modulePath, browser)) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  if (MachineSettingsWritable() &&
      WriteScript(HKEY_LOCAL_MACHINE, ShellScript(modulePath)) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT UnregisterReaderModule(const std::string& modulePath) {
  const std::optional<std::string> server = ReadRegistryText(
      HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(CLSID_VexoStReaderPlugProt) + "\\InprocServer32", "");
  if (server && *server != modulePath) return S_OK;

  for (const ScriptKey& entry : ClassesScript(modulePath, {})) {
    if (!entry.owned) continue;
    const LSTATUS status = RegDeleteTreeA(HKEY_CLASSES_ROOT, entry.path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  }
  // Keys of a hive that may not be written do not open for writing: left as they are.
  for (const ScriptKey& entry : ShellScript(modulePath)) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
      continue;
    if (ReadRegistryText(key, "", "Icon") == ShellIcon(modulePath)) RegDeleteValueA(key, "Icon");
    RegDeleteValueA(key, "Vxb");
    RegCloseKey(key);
  }
  return S_OK;
}

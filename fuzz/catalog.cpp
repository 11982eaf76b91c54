// Registry values read by the catalog: a scratch registry is filled with keys
// and values from the input below the catalog key of both roots, then the
// catalog lists names and firm codes, reads entries and tidies dead ones, with
// a write fault injected on the way. Entries whose file exists are never lost.
// Input: records of a byte of flags, then archive name, firm-code key name and
// value (each ended by a zero byte); a value beginning with "@" becomes the
// path of a file that exists.
#include <stdlib.h>

#include <algorithm>
#include <cctype>

#include "catalog/DocumentProfiling.h"
#include "catalog/FirmCodeKeyName.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Registry.h"
#include "platform/RegistryControl.h"

namespace {

const KelAppDescriptor kDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};
const std::string kCatalogKey = stow::DocumentProfiling::kCatalogKey;

struct LiveEntry {
  HKEY root;
  std::string key;
};

bool Put(HKEY root, const std::string& path, DWORD type, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LSTATUS status = RegSetValueExA(key, "Doc", 0, type, reinterpret_cast<const BYTE*>(value.data()),
                                        static_cast<DWORD>(value.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool SameKey(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasDoc(const LiveEntry& entry) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(entry.root, entry.key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const LSTATUS status = RegQueryValueExA(key, "Doc", nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void ReadCatalog(stow::DocumentProfiling& catalog, stow::Placement placement) {
  const int root = placement == stow::Placement::AllUsers ? CKelProfiling::kLocalMachine
                                                          : CKelProfiling::kCurrentUser;
  for (const std::string& name : catalog.ListArchiveNames(placement)) {
    if (!catalog.OpenArchiveKey(name, root, CKelProfiling::kReadOnly)) continue;
    for (std::uint32_t firmCode : catalog.ListFirmCodes()) {
      if (firmCode > stow::kMaxKeyFirmCode) std::abort();
      fuzz::Expected([&] { catalog.ReadEntry(firmCode); });
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("VXST_REGISTRY_DIR", fuzz::ScratchFolder().c_str(), 1);
  unsetenv("VXST_REGISTRY_READONLY");
  unsetenv("VXST_REGISTRY_FAULT");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string existing = fuzz::WriteScratchFile("live.vxb", "archive");
  RegDeleteTreeA(HKEY_CURRENT_USER, kCatalogKey.c_str());
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCatalogKey.c_str());

  fuzz::InputReader input(data, size);
  std::vector<LiveEntry> live;
  unsigned faultAfter = 0;
  for (int records = 0; !input.Empty() && records < 16; ++records) {
    const unsigned flags = input.Number(1);
    const std::string name = input.Piece();
    const std::string subKey = input.Piece();
    std::string value = input.Piece();
    (void)stow::ParseFirmCodeKeyName(subKey);
    const HKEY root = (flags & 1) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const DWORD types[] = {REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE, REG_SZ};
    const DWORD type = types[(flags >> 1) & 7];
    const bool exists = value.starts_with('@');
    if (exists) value = existing + (flags & 0x10 ? std::string(1, '\0') : std::string());
    const std::string key = kCatalogKey + "\\" + name + "\\" + subKey;
    std::erase_if(live, [&](const LiveEntry& e) { return e.root == root && SameKey(e.key, key); });
    // An entry the catalog can find and whose file is there.
    if (Put(root, key, type, value) && exists && type == REG_SZ && stow::ParseFirmCodeKeyName(subKey) && !name.empty() &&
        name.find('\\') == std::string::npos && subKey.find('\\') == std::string::npos)
      live.push_back({root, key});
    faultAfter = (flags >> 5) & 7;
  }

  stow::DocumentProfiling catalog(kDescriptor);
  for (stow::Placement placement : {stow::Placement::CurrentUser, stow::Placement::AllUsers}) {
    fuzz::Expected([&] { ReadCatalog(catalog, placement); });
    RegistryInjectWriteFault(112, faultAfter);
    fuzz::Expected([&] { catalog.RemoveDeadEntries(placement, [](const std::string&) { return true; }); });
    RegistryInjectWriteFault(ERROR_SUCCESS);
    fuzz::Expected([&] { catalog.RemoveDeadEntries(placement, [](const std::string&) { return true; }); });
  }
  for (const LiveEntry& entry : live)
    if (!HasDoc(entry)) std::abort();
  return 0;
}

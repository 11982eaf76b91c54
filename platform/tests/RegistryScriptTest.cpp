// The script registrar: keys written with the module's path, taken away again
// without touching what others wrote.
#include "platform/RegistryScript.h"
#include "platform/tests/ScratchRegistry.h"

namespace {

class RegistryScriptTest : public ScratchRegistry {
 protected:
  RegistryScript Script() const {
    return {{"Tool", {{"", "The Tool"}}, true},
            {"Tool\\Verbs", {}},
            {"Tool\\Verbs\\Run", {{"", "Run"}, {"Command", "%MODULE% /run \"%1\""}}}};
  }
};

TEST_F(RegistryScriptTest, ApplyWritesWithTheModulePathUnlessReadOnlyRemoveKeepsWhatOthersWrote) {
  ASSERT_EQ(ApplyRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool", nullptr), "The Tool");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", nullptr), "Run");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", "Command"), "/usr/bin/tool /run \"%1\"");
  RegistrySetReadOnly(RegistryHiveKind::User, true);
  EXPECT_EQ(ApplyRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool"), ERROR_ACCESS_DENIED);
  // Removing keeps keys never to be removed and values others wrote.
  RegistrySetReadOnly(RegistryHiveKind::User, false);
  ApplyRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool");
  PutText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", "Command", "other \"%1\"");
  PutText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", "Extra", "x");
  ASSERT_EQ(RemoveRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool", nullptr), "The Tool");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", "Command"), "other \"%1\"");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", nullptr), "#2");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tool\\Verbs\\Run", "Extra"), "x");
  ApplyRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool");
  ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Tool\\Verbs\\Run"), ERROR_SUCCESS);
  ASSERT_EQ(RemoveRegistryScript(HKEY_CURRENT_USER, Script(), "/usr/bin/tool"), ERROR_SUCCESS);
  HKEY verbs = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Tool\\Verbs", 0, KEY_READ, &verbs), ERROR_FILE_NOT_FOUND);
}

}  // namespace

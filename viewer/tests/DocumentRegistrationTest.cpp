// The viewer's document type in the user's classes.
#include <gtest/gtest.h>

#include "platform/tests/ScratchRegistry.h"
#include "viewer/DocumentRegistration.h"

namespace {

constexpr const char* kClass = "CLSID\\{F16D7A63-96F9-49D6-87F1-104833BF2F60}";

using DocumentRegistration = ScratchRegistry;

TEST_F(DocumentRegistration, ProgIdAndClassNameTheProgram) {
  ASSERT_EQ(RegisterDocumentType("/usr/bin/stow"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document", nullptr), "Lumet Document");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document\\CLSID", nullptr),
            "{F16D7A63-96F9-49D6-87F1-104833BF2F60}");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, kClass, nullptr), "Lumet Document");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, (std::string(kClass) + "\\ProgID").c_str(), nullptr),
            "SwDocViewer.Document");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, (std::string(kClass) + "\\LocalServer32").c_str(), nullptr),
            "/usr/bin/stow");
  // The user's classes, not the machine's.
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\Classes\\SwDocViewer.Document", nullptr), "Lumet Document");
}

TEST_F(DocumentRegistration, UnregisteringRemovesOnlyTheProgramsOwnKeys) {
  ASSERT_EQ(RegisterDocumentType("/usr/bin/stow"), ERROR_SUCCESS);
  ASSERT_EQ(UnregisterDocumentType("/opt/other/stow"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document", nullptr), "Lumet Document");
  ASSERT_EQ(UnregisterDocumentType("/usr/bin/stow"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document", nullptr), "#2");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, kClass, nullptr), "#2");
  EXPECT_EQ(UnregisterDocumentType("/usr/bin/stow"), ERROR_SUCCESS);
  RegistrySetReadOnly(RegistryHiveKind::User, true);
  EXPECT_EQ(RegisterDocumentType("/usr/bin/stow"), ERROR_ACCESS_DENIED);
}

}  // namespace

// Two registrars filling one catalog at the same moment.
#include <sys/wait.h>
#include <unistd.h>

#include "catalog/tests/CatalogFixture.h"

namespace {

constexpr int kArchivesPerProcess = 500;

class ConcurrentRegistration : public CatalogTest {
 protected:
  // Archive INDEX of registrar WRITER: half of them share one name, with firm
  // codes of their own; the others have names of their own.
  static std::string ArchiveName(int writer, int index) {
    return index % 2 == 0 ? "Shared" : "Archive " + FileName(writer, index);
  }
  static std::uint32_t FirmCode(int writer, int index) {
    return static_cast<std::uint32_t>(writer * kArchivesPerProcess + index);
  }
  static std::string FileName(int writer, int index) {
    return "a" + std::to_string(writer) + "-" + std::to_string(index) + ".vxb";
  }

  // A registrar process: waits until START closes, then registers its
  // archives; exits 0 when every registration changed the catalog.
  [[noreturn]] void RunRegistrar(int writer, int start) {
    char go = 0;
    (void)!read(start, &go, 1);
    int failures = 0;
    try {
      for (int index = 0; index < kArchivesPerProcess; ++index)
        failures += !Register(Folder() + "/" + FileName(writer, index));
    } catch (CKelException* e) {
      delete e;
      _exit(2);
    }
    _exit(failures == 0 ? 0 : 1);
  }
};

TEST_F(ConcurrentRegistration, TwoProcessesLoseNoEntry) {
  for (int writer = 0; writer < 2; ++writer) {
    for (int index = 0; index < kArchivesPerProcess; ++index)
      MakeArchive(FileName(writer, index), ArchiveName(writer, index), FirmCode(writer, index));
  }
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t registrars[2];
  for (int writer = 0; writer < 2; ++writer) {
    registrars[writer] = fork();
    ASSERT_GE(registrars[writer], 0);
    if (registrars[writer] == 0) {
      close(start[1]);
      RunRegistrar(writer, start[0]);
    }
  }
  close(start[0]);
  close(start[1]);  // both start now
  for (pid_t registrar : registrars) {
    int status = 0;
    ASSERT_EQ(waitpid(registrar, &status, 0), registrar);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }

  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser).size(), kArchivesPerProcess + 1u);
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Shared", kUser, kRead));
  EXPECT_EQ(m_catalog.ListFirmCodes().size(), static_cast<std::size_t>(kArchivesPerProcess));
  int entries = 0;
  for (int writer = 0; writer < 2; ++writer)
    for (int index = 0; index < kArchivesPerProcess; ++index)
      entries += Doc(ArchiveName(writer, index), FirmCode(writer, index)) ==
                 Folder() + "/" + FileName(writer, index);
  EXPECT_EQ(entries, 2 * kArchivesPerProcess);
}

}  // namespace

// Several processes writing one hive, and writers killed in the middle.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "platform/tests/ScratchRegistry.h"

namespace {

class RegistryConcurrency : public ScratchRegistry {};

constexpr int kWritesPerProcess = 500;

std::string Numbered(const char* prefix, int writer, int index) {
  return std::string(prefix) + std::to_string(writer) + "-" + std::to_string(index);
}

// A writer process: waits until START closes, then makes its keys and values;
// exits 0 when every call succeeded.
[[noreturn]] void RunWriter(int writer, int start) {
  char go = 0;
  (void)!read(start, &go, 1);
  int failures = 0;
  for (int index = 0; index < kWritesPerProcess; ++index) {
    const std::string name = Numbered("P", writer, index);
    HKEY key = nullptr;
    failures += RegCreateKeyExA(HKEY_CURRENT_USER, ("Race\\" + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) != ERROR_SUCCESS;
    failures += RegSetValueExA(key, "Doc", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                               static_cast<DWORD>(name.size() + 1)) != ERROR_SUCCESS;
    failures += RegCloseKey(key) != ERROR_SUCCESS;
    failures += RegSetValueExA(HKEY_CURRENT_USER, name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&index), 4) != ERROR_SUCCESS;
  }
  _exit(failures == 0 ? 0 : 1);
}

TEST_F(RegistryConcurrency, TwoProcessesWritingAtOnceLoseNothing) {
  PutText(HKEY_CURRENT_USER, "Race", "Started", "yes");  // the parent has the hive open across fork
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t writers[2];
  for (int writer = 0; writer < 2; ++writer) {
    writers[writer] = fork();
    ASSERT_GE(writers[writer], 0);
    if (writers[writer] == 0) {
      close(start[1]);
      RunWriter(writer, start[0]);
    }
  }
  close(start[0]);
  close(start[1]);  // both writers start now
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer saw a failed call";
  }
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u * kWritesPerProcess);
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Race").size(), 2u * kWritesPerProcess);
  for (int writer = 0; writer < 2; ++writer) {
    for (int index = 0; index < kWritesPerProcess; index += 37) {
      const std::string name = Numbered("P", writer, index);
      EXPECT_EQ(GetText(HKEY_CURRENT_USER, ("Race\\" + name).c_str(), "Doc"), name);
    }
  }
}

// Reads the indexes that a writer acknowledged, blocking until COUNT have come.
void ReadAcknowledged(int from, std::set<int>* acknowledged, std::size_t count) {
  int index = 0;
  while (acknowledged->size() < count && read(from, &index, sizeof index) == sizeof index) {
    acknowledged->insert(index);
  }
}

TEST_F(RegistryConcurrency, AWriterKilledMidWriteLeavesEveryEarlierWrite) {
  const std::string bulk(64 * 1024, 'b');  // large values keep the writer inside transactions longer
  for (int round = 0; round < 3; ++round) {
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(acks[0]);
      for (int index = 0;; ++index) {
        const std::string path = "Kill\\" + Numbered("R", round, index);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS ||
            RegSetValueExA(key, "Doc", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bulk.data()),
                           static_cast<DWORD>(bulk.size())) != ERROR_SUCCESS) {
          _exit(1);
        }
        RegCloseKey(key);
        (void)!write(acks[1], &index, sizeof index);
      }
    }
    close(acks[1]);
    std::set<int> acknowledged;
    ReadAcknowledged(acks[0], &acknowledged, 20 + 7 * round);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed before it was killed";
    ReadAcknowledged(acks[0], &acknowledged, SIZE_MAX);
    close(acks[0]);
    for (int index : acknowledged) {
      HKEY key = nullptr;
      const std::string path = "Kill\\" + Numbered("R", round, index);
      ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << path;
      DWORD size = 0;
      EXPECT_EQ(RegQueryValueExA(key, "Doc", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
      EXPECT_EQ(size, bulk.size());
      RegCloseKey(key);
    }
    PutText(HKEY_CURRENT_USER, "AfterKill", "round", std::to_string(round));  // still writable
  }
}

TEST_F(RegistryConcurrency, AnUnfinishedTransactionOfAKilledProcessIsRolledBack) {
  PutText(HKEY_CURRENT_USER, "Committed", "v", "1");
  const std::string hive = Folder() + "/user.db";
  const auto logBefore = std::filesystem::file_size(hive + "-wal");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Writes straight into the hive with a tiny cache, so that changed pages reach
    // the file before the commit, and dies without committing.
    sqlite3* db = nullptr;
    sqlite3_open(hive.c_str(), &db);
    sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
    for (int index = 0; index < 2000; ++index) {
      const std::string insert = "INSERT INTO keys(parent, name, fold) VALUES(1, 'Junk" +
                                 std::to_string(index) + "', 'JUNK" + std::to_string(index) + "')";
      sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr);
    }
    raise(SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_GT(std::filesystem::file_size(hive + "-wal"), logBefore) << "nothing unfinished reached the file";
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Committed", "v"), "1");
  HKEY junk = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Junk0", 0, KEY_READ, &junk), ERROR_FILE_NOT_FOUND);
  PutText(HKEY_CURRENT_USER, "Committed", "w", "2");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Committed", "w"), "2");
}

}  // namespace

// What pack does to the file it writes: a read-only archive is kept unless forced,
// mode and owner survive a replacement, temporaries of killed packs are cleaned
// up, signals leave no temporary behind, and sizes an archive cannot hold fail
// before anything is read.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/FileSystem.h"
#include "tools/vxb/ArchiveWriter.h"
#include "tools/vxb/tests/VxbRun.h"

namespace vxb_tests {
namespace {

class PackOutputTest : public ::testing::Test {
 protected:
  PackOutputTest() { WriteFile(Tree(), "a.htm", "a"); }
  std::string Tree() const { return m_folder / "tree"; }
  std::string Archive() const { return m_folder / "out.vxb"; }
  Outcome Pack(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"pack",   Tree(), "-o",          Archive(),
                                     "--name", "T",    "--firm-code", "1"};
    args.insert(args.end(), more.begin(), more.end());
    return Vxb(args);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempFolder m_folder;
};

TEST_F(PackOutputTest, AReadOnlyArchiveIsReplacedOnlyWhenForcedAndKeepsModeOwnerAndLink) {
  ASSERT_EQ(Pack().status, 0);
  ASSERT_EQ(chown(Archive().c_str(), 1234, 5678), 0);
  ASSERT_EQ(chmod(Archive().c_str(), 0444), 0);
  const std::string old = TempFolder::ReadAll(Archive());
  WriteFile(Tree(), "b.htm", "b");
  const Outcome refused = Pack();
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(
      refused.err.find("fatal error - file " + Archive() + " is read-only; --force replaces it."),
      std::string::npos)
      << refused.err;
  EXPECT_EQ(TempFolder::ReadAll(Archive()), old);

  ASSERT_EQ(Pack({"--force"}).status, 0);
  EXPECT_EQ(Vxb({"ls", Archive()}).out, "a.htm\nb.htm\n");
  struct stat info;
  ASSERT_EQ(stat(Archive().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);
  EXPECT_EQ(info.st_uid, 1234u);
  EXPECT_EQ(info.st_gid, 5678u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.vxb", "tree"}));

  // A link to the archive stays a link; the archive it leads to is replaced.
  std::filesystem::rename(Archive(), m_folder / "real.vxb");
  std::filesystem::create_symlink("real.vxb", Archive());
  ASSERT_EQ(Pack({"--force"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(Archive()));
  EXPECT_EQ(Vxb({"verify", m_folder / "real.vxb"}).status, 0);
}

TEST_F(PackOutputTest, TemporariesOfKilledPacksAreRemovedByTheNextPack) {
  const std::string zeros(4096, '\0');
  WriteFile(m_folder.Path(), "out.vxb.k1lled", zeros);  // killed while packing
  WriteFile(m_folder.Path(), "out.vxb.Fin1sh",
            std::string("\x1A\xFF\x01\x00\x18\x00\x00\x00VEXOBIFF", 16));
  WriteFile(m_folder.Path(), "out.vxb.mine01", "a file of the user's own");  // not a temporary
  WriteFile(m_folder.Path(), "out.vxb.bak", zeros);                          // no temporary's name
  WriteFile(m_folder.Path(), "out.vxb.alive1", zeros);                       // a pack at work
  const int alive = open((m_folder / "out.vxb.alive1").c_str(), O_RDONLY);
  ASSERT_EQ(flock(alive, LOCK_EX), 0);
  ASSERT_EQ(Pack().status, 0);
  close(alive);
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.vxb", "out.vxb.alive1", "out.vxb.bak",
                                               "out.vxb.mine01", "tree"}));
}

// Holds a pack in the middle of its work: the first read of SOURCE tells the
// parent through a pipe and then waits.
class StopInTheMiddle : public os::FileHook {
 public:
  StopInTheMiddle(std::string source, int tell) : m_source(std::move(source)), m_tell(tell) {
    os::InstallFileHook(this);
  }
  DWORD BeforeCall(os::FileCall call, const std::string& path, std::size_t&) override {
    if (call == os::FileCall::Read && path == m_source) {
      [[maybe_unused]] const ssize_t told = write(m_tell, "x", 1);
      for (;;) pause();
    }
    return ERROR_SUCCESS;
  }

 private:
  std::string m_source;
  int m_tell;
};

TEST_F(PackOutputTest, SignalsLeaveNoTemporaryBehind) {
  WriteFile(Tree(), "b.htm", TextBytes(100000));
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipe[0]);
      StopInTheMiddle stop(Tree() + "/b.htm", pipe[1]);
      Pack();
      _exit(0);
    }
    close(pipe[1]);
    char told = 0;
    ASSERT_EQ(read(pipe[0], &told, 1), 1);  // the temporary exists and is being written
    close(pipe[0]);
    EXPECT_EQ(Names().size(), 2u);
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_EQ(Names(), (std::vector<std::string>{"tree"})) << signal;
  }
}

TEST_F(PackOutputTest, SizesAnArchiveCannotHoldFailBeforeAnythingIsRead) {
  // A sparse file of 4 GiB takes no room and would take a minute to read.
  const std::string big = Tree() + "/big.bin";
  WriteFile(Tree(), "big.bin", "");
  std::filesystem::resize_file(big, 0x100000000);
  const Outcome topic = Pack();
  EXPECT_EQ(topic.status, 1);
  EXPECT_NE(
      topic.err.find("fatal error - topic big.bin is 4 GiB or larger, more than a topic can hold."),
      std::string::npos)
      << topic.err;
  std::filesystem::remove(big);

  stow::ArchiveProperties properties;
  properties.name = "Huge";
  stow::ArchiveWriter writer(properties);
  for (int i = 0; i < 20000; ++i)
    writer.AddFile("t" + std::to_string(i), Tree() + "/a.htm", 0xFFFFFFFF);
  std::string detail;
  EXPECT_NE(archive_tests::ThrownCode([&] { writer.Write(Archive()); }, &detail), 0u);
  EXPECT_EQ(detail, "the topics cannot fit into 4 GiB, the most an archive can hold");
  EXPECT_EQ(Names(), (std::vector<std::string>{"tree"}));
}

}  // namespace
}  // namespace vxb_tests

// Registration builds the search indexes of the archives it registers; an index
// that cannot be built is a warning that leaves the registration and the exit
// code as they were.
#include "registrar/tests/RegistrarFixture.h"
#include "search/ArchiveIndex.h"

namespace registrar_tests {
namespace {

class SearchIndexingTest : public RegistrarTest {};

TEST_F(SearchIndexingTest, RegisteredArchivesAreIndexedAndAFailedIndexIsAWarning) {
  const struct {
    const char* name;
    bool registeredBefore;
    bool indexFolderIsAFile;  // no index can be written there
    bool indexed;
  } cases[] = {
      {"a newly registered archive gets its index", false, false, true},
      {"an archive registered before gets its index on the next run", true, false, true},
      {"an index folder that cannot be made: a warning, the archive is registered", false, true,
       false},
  };
  int number = 0;
  for (const auto& c : cases) {
    const std::string stem = "Archive" + std::to_string(++number);
    const std::string path = MakeArchive(stem + ".vxb", stem);
    if (c.registeredBefore) Register(path);
    std::filesystem::remove_all(m_run / "cache");
    std::filesystem::create_directories(m_run / "cache");
    if (c.indexFolderIsAFile) m_run.Write("cache/search", "a file");
    const Outcome run = Run({"/C", "/I", path});
    EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.err;
    EXPECT_EQ(Doc(stem), path) << c.name;
    const search::FoldingTokenizer tokenizer;
    const std::unique_ptr<search::ArchiveIndex> index = search::OpenCurrentIndex(path, tokenizer);
    ASSERT_EQ(index != nullptr, c.indexed) << c.name << "\n" << run.err;
    EXPECT_EQ(run.err.find("The search index of " + path + " could not be built") != std::string::npos,
              !c.indexed)
        << c.name << "\n" << run.err;
    if (!index) continue;
    bool partial = false;
    const std::vector<search::SearchHit> hits = index->Search(stem + " ", 3, false, partial);
    ASSERT_EQ(hits.size(), 1u) << c.name;
    EXPECT_EQ(hits[0].path, "index.htm") << c.name;
  }
}

}  // namespace
}  // namespace registrar_tests

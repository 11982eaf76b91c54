// Finding topics: by path against the base path, by number, along hash chains.
#include <tuple>

#include "archive/tests/ArchiveFixture.h"
#include "platform/FileFaults.h"

namespace archive_tests {
namespace {

class TopicLookupTest : public ArchiveTest {
 protected:
  // Opens REQUEST (":N" for a number) and returns the resolved path, or "-".
  static std::string Open(ThisVxbFile& archive, const std::string& request) {
    std::string path = request;
    const bool found = request.starts_with(':')
                           ? archive.OpenTopic(std::stoi(request.substr(1)), path)
                           : archive.OpenTopic(ThisVxbFile::kNoTopic, path);
    return found ? path : "-";
  }
};

TEST_F(TopicLookupTest, RequestsAsWrittenWithoutRegardToCaseThenInTheBaseFolderAndItsParents) {
  const std::unique_ptr<ThisVxbFile> archive = Load(Build(
      {{"a/b/page.htm", "p"}, {"a/b/x.gif", "1"}, {"a/x.gif", "2"}, {"x.gif", "3"},
       {"a/y.gif", "4"}, {"index.htm", "top"}, {"a/b/index.htm", "deep"}, {"Guide/Index.htm", "i"},
       {"caf\xC3\xA9.htm", "c"}, {"\xC3\x9Cmlaut/x.css", "u"}}));
  EXPECT_EQ(Open(*archive, "a/b/page.htm"), "a/b/page.htm");
  EXPECT_EQ(archive->GetBasePath(), "a/b");
  // Request, found path, whether only the base path found it: what a request
  // names is found wherever the page before it lay.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"x.gif", "x.gif", false},      {"index.htm", "index.htm", false},
      {"y.gif", "a/y.gif", true},     {"b/x.gif", "a/b/x.gif", true},
      {"w.gif", "-", false},          {"a/b/index.htm", "a/b/index.htm", false},
      // Without regard to case, non-ASCII letters too.
      {"guide/INDEX.HTM", "Guide/Index.htm", false}, {"CAF\xC3\x89.htm", "caf\xC3\xA9.htm", false},
      {"\xC3\xBCmlaut/X.CSS", "\xC3\x9Cmlaut/x.css", false}, {"cafe.htm", "-", false},
      {"", "-", false},
  };
  for (const auto& [request, found, inLastFolder] : cases) {
    EXPECT_EQ(Open(*archive, request), found) << request;
    EXPECT_EQ(archive->FoundInLastFolder(), inLastFolder) << request;
    if (archive->GetBasePath() != "a/b") {
      ASSERT_EQ(Open(*archive, "a/b/page.htm"), "a/b/page.htm");
    }
  }
  ASSERT_EQ(Open(*archive, "a/b/index.htm"), "a/b/index.htm");
  EXPECT_EQ(ReadAll(*archive), "deep");
}

TEST_F(TopicLookupTest, HtmlPagesMoveTheBasePathOtherTopicsDoNot) {
  const std::unique_ptr<ThisVxbFile> archive =
      Load(Build({{"doc/page.HTM", "p"}, {"doc/deep/more.html", "m"}, {"top.htm", "t"},
                  {"pic.gif", "g"}, {"doc/README", "r"}, {"v1.0/notes", "n"}}));
  EXPECT_EQ(archive->GetBasePath(), "");
  EXPECT_EQ(Open(*archive, "doc/page.HTM"), "doc/page.HTM");
  EXPECT_EQ(archive->GetBasePath(), "doc");
  EXPECT_EQ(archive->GetTopicExtension(), "HTM");
  EXPECT_EQ(Open(*archive, "pic.gif"), "pic.gif");
  EXPECT_EQ(archive->GetBasePath(), "doc");
  EXPECT_EQ(archive->GetTopicExtension(), "gif");
  EXPECT_EQ(Open(*archive, "deep/more.html"), "doc/deep/more.html");  // only in doc
  EXPECT_EQ(archive->GetBasePath(), "doc/deep");
  EXPECT_EQ(Open(*archive, "v1.0/notes"), "v1.0/notes");  // a dot, but no extension
  EXPECT_EQ(archive->GetBasePath(), "doc/deep");
  EXPECT_EQ(archive->GetTopicExtension(), "");
  EXPECT_EQ(Open(*archive, "top.htm"), "top.htm");
  EXPECT_EQ(archive->GetBasePath(), "");
  EXPECT_EQ(Open(*archive, "doc/page.htm"), "doc/page.HTM");
  EXPECT_EQ(Open(*archive, "README"), "doc/README");  // no dot at all: a page
  EXPECT_EQ(archive->GetBasePath(), "");
}

TEST_F(TopicLookupTest, TopicsByNumber) {
  const std::string path = Build({{"a.htm", "a"}, {"sub/b.htm", "b"}});
  const std::unique_ptr<ThisVxbFile> archive = Load(path);
  const std::uint32_t b = SlotOf(path, "sub/b.htm");
  EXPECT_EQ(Open(*archive, ":" + std::to_string(b)), "sub/b.htm");
  EXPECT_EQ(archive->GetCurrentSlot(), static_cast<std::int32_t>(b));
  EXPECT_EQ(archive->GetBasePath(), "sub");  // a page found by number moves it too
  EXPECT_FALSE(archive->FoundInLastFolder());
  EXPECT_EQ(ReadAll(*archive), "b");
  EXPECT_EQ(Open(*archive, ":" + std::to_string(archive->GetSlotCount())), "-");
  // An empty slot holds no topic (its name offset 0 would point at the header).
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    if (archive->GetSlot(slot).nameOffset == 0) {
      EXPECT_EQ(Open(*archive, ":" + std::to_string(slot)), "-");
    }
  }
}

TEST_F(TopicLookupTest, EveryTopicOfAThousandIsFoundAlongItsChain) {
  Topics topics;
  for (int i = 0; i < 1000; ++i)
    topics.push_back({"d" + std::to_string(i % 7) + "/T" + std::to_string(i) + ".htm", std::to_string(i)});
  const std::unique_ptr<ThisVxbFile> archive = Load(Build(topics));
  FileFaults faults;  // lookups and reads touch no file: they work on the mapping
  // The first pass reads the names along the chains, the later ones skip those
  // that the lengths and hashes kept from it rule out: the answers stay.
  for (const char* pass : {"first", "again", "other case"}) {
    const bool upper = pass[0] == 'o';
    for (const auto& [path, bytes] : topics) {
      // The base path moves with every page; the full path is still found at the top.
      ASSERT_EQ(Open(*archive, upper ? "D" + path.substr(1) : path), path) << pass;
      ASSERT_EQ(Open(*archive, ":" + std::to_string(archive->GetCurrentSlot())), path) << pass;
      ASSERT_EQ(Open(*archive, path + "l"), "-") << pass;
      ASSERT_EQ(Open(*archive, path.substr(0, path.size() - 1) + "n"), "-") << pass;
    }
  }
  for (const auto& [path, bytes] : topics) {
    ASSERT_EQ(Open(*archive, path), path);
    ASSERT_EQ(ReadAll(*archive), bytes) << path;
  }
  EXPECT_EQ(faults.Count(os::FileCall::Read) + faults.Count(os::FileCall::Seek), 0u);
}

}  // namespace
}  // namespace archive_tests

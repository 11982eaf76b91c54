// Indexes built from archives that the project's writer makes, searched as users
// search: ranking, prefixes, phrases, folding, snippets, suggestions, answers
// when nothing matches, and the service over several archives.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "platform/tests/TempFolder.h"
#include "search/ArchiveIndex.h"
#include "search/IndexBuilder.h"
#include "search/PageCharset.h"
#include "search/SearchService.h"
#include "search/Snippet.h"
#include "tools/vxb/ArchiveWriter.h"

namespace search {
namespace {

using Pages = std::map<std::string, std::string>;

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + " &#8212; The Manual</title></head><body>" + body +
         "</body></html>";
}

void WriteArchive(const std::string& path, const std::string& name, const Pages& pages) {
  stow::ArchiveProperties properties;
  properties.name = name;
  properties.creationTime = 1700000000;
  stow::ArchiveWriter writer(properties);
  for (const auto& [topic, bytes] : pages) writer.AddBytes(topic, bytes);
  writer.Write(path);
}

Pages ManualPages() {
  std::string talk;
  for (int i = 0; i < 40; ++i) talk += "configuration of the configuration ";
  Pages pages = {
      {"guide/intro.htm", Page("1. Introduction", "<h1>Introduction</h1><p>" + talk + "</p>")},
      {"ref/config.htm", Page("Configuration", "<h1>Configuration</h1><p>Settings live here.</p>")},
      {"ref/api.htm", Page("API reference", "<dl><dt id=\"conf.load_file\">conf.load_file(path)</dt>"
                                            "<dd>Reads settings.</dd></dl>")},
      {"cafe.htm", Page("Caf&eacute; Cr&egrave;me", "<p>Coffee with cream.</p>")},
      {"fox1.htm", Page("Animals", "<p>the quick brown fox jumps</p>")},
      {"fox2.htm", Page("More animals", "<p>a fox, brown and quick</p>")},
      {"style.css", "body { configuration: none }"},
  };
  // Phrases beyond the text an index keeps for snippets.
  std::string filler;
  for (int i = 0; filler.size() < 20000; ++i) filler += "w" + std::to_string(i) + " ";
  pages["long1.htm"] = Page("Long one", "<p>" + filler + "deep phrase here</p>");
  pages["long2.htm"] = Page("Long two", "<p>" + filler + "phrase deep</p>");
  std::string unspaced;  // Japanese, without blanks: kept text is cut between characters
  while (unspaced.size() < 30000) unspaced += "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
  pages["ja.htm"] = Page("Nihongo", "<p>" + unspaced + "</p>");
  for (int i = 0; i < 6; ++i)
    pages["filler/p" + std::to_string(i) + ".htm"] = Page("Filler " + std::to_string(i), "<p>nothing</p>");
  for (int i = 0; i < 2; ++i)  // twins of a title, as in an archive of several versions
    pages["old/filler/p" + std::to_string(i) + ".htm"] =
        Page("Filler " + std::to_string(i), "<p>old</p>");
  return pages;
}

class SearchIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteArchive(Archive(), "Manual", ManualPages());
    IndexBuildOptions options;
    options.indexPath = m_folder / "manual.idx";
    const IndexBuildResult result = BuildIndex(Archive(), options);
    EXPECT_EQ(result.pages, 17u);
    m_index = std::make_unique<ArchiveIndex>(result.indexPath, m_tokenizer);
  }
  std::string Archive() const { return m_folder / "manual.vxb"; }
  std::vector<std::string> Paths(const std::string& query, bool* partial = nullptr) {
    bool wasPartial = false;
    std::vector<std::string> paths;
    for (const SearchHit& hit : m_index->Search(query, 10, true, wasPartial)) paths.push_back(hit.path);
    if (partial) *partial = wasPartial;
    return paths;
  }

  TempFolder m_folder;
  FoldingTokenizer m_tokenizer;
  std::unique_ptr<ArchiveIndex> m_index;
};

TEST_F(SearchIndexTest, ThePageMeantComesFirst) {
  const std::pair<const char*, const char*> cases[] = {
      {"Configuration ", "ref/config.htm"},  // its title, though another page says it 80 times
      {"Configuration — The Manual ", "ref/config.htm"},  // the site's name is no help
      {"1. Introduction ", "guide/intro.htm"},
      {"conf.load_file ", "ref/api.htm"},  // a symbol
      {"CAFE creme ", "cafe.htm"},         // case and diacritics folded
      {"café", "cafe.htm"},
      {"Introd", "guide/intro.htm"},  // the last word as it is being typed
      {"coffee cream ", "cafe.htm"},  // the text, when no title holds the words
  };
  for (const auto& [query, path] : cases) {
    const std::vector<std::string> found = Paths(query);
    ASSERT_FALSE(found.empty()) << query;
    EXPECT_EQ(found[0], path) << query;
  }
  EXPECT_EQ(Paths("Configuration "), (std::vector<std::string>{"ref/config.htm", "guide/intro.htm"}));
}

TEST_F(SearchIndexTest, PhrasesKeepTheirOrder) {
  EXPECT_EQ(Paths("\"quick brown\""), std::vector<std::string>{"fox1.htm"});
  EXPECT_EQ(Paths("quick brown ").size(), 2u);
  EXPECT_TRUE(Paths("\"brown quick\"").empty());
  EXPECT_EQ(Paths("\"deep phrase\""), std::vector<std::string>{"long1.htm"});
  EXPECT_EQ(Paths("\"phrase deep\" "), std::vector<std::string>{"long2.htm"});
}

TEST_F(SearchIndexTest, AnswersWhenNothingHoldsEveryWord) {
  bool partial = false;
  const std::vector<std::string> some = Paths("coffee spaceship ", &partial);
  EXPECT_TRUE(partial);
  EXPECT_EQ(some, std::vector<std::string>{"cafe.htm"});
  EXPECT_EQ(m_index->Respelled("confguration setings "), "configuration settings");
  EXPECT_EQ(m_index->Respelled("configuration "), "");
  EXPECT_TRUE(Paths("qqqqqqqqqq ").empty());
  EXPECT_TRUE(Paths(" ;; ").empty());
}

TEST_F(SearchIndexTest, SnippetsMarkTheWords) {
  bool partial = false;
  const std::vector<SearchHit> hits = m_index->Search("brown fox ", 1, true, partial);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].title, "Animals");
  EXPECT_EQ(hits[0].archive, "Manual");
  EXPECT_EQ(SnippetHtml(hits[0].snippet), "the quick <b>brown</b> <b>fox</b> jumps");
  std::string text;
  for (int i = 0; i < 30; ++i) text += "w" + std::to_string(i) + " ";
  const std::vector<SearchHit> japanese = m_index->Search("nihongo ", 1, true, partial);
  ASSERT_EQ(japanese.size(), 1u);
  EXPECT_TRUE(IsValidUtf8(japanese[0].snippet.text));
  EXPECT_EQ(japanese[0].snippet.text.substr(0, 9), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  EXPECT_LE(japanese[0].snippet.text.size(), 410u);
  const Snippet cut = MakeSnippet(text + "Target <end> " + text, {"target"}, false, m_tokenizer);
  EXPECT_EQ(SnippetHtml(cut), "\xE2\x80\xA6w26 w27 w28 w29 <b>Target</b> &lt;end&gt; w0 w1 w2 w3 w4 w5 "
                              "w6 w7 w8 w9 w10 w11 w12 w13 w14 w15 w16 w17\xE2\x80\xA6");
}

TEST_F(SearchIndexTest, SuggestionsAsYouType) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"conf", {"Configuration", "conf.load_file"}},
      {"anim", {"Animals", "More animals"}},  // names that begin with the text first
      {"fill", {"Filler 0", "Filler 1", "Filler 2", "Filler 3", "Filler 4", "Filler 5"}},  // once
      {"c", {}},  // one letter names too much
      {"2. c", {}},  // also after a section number
  };
  for (const auto& [typed, expected] : cases) {
    std::vector<std::string> texts;
    for (const Suggestion& s : m_index->Suggest(typed, 10)) texts.push_back(s.text);
    EXPECT_EQ(texts, expected) << typed;
  }
  const std::vector<Suggestion> symbol = m_index->Suggest("conf.lo", 10);
  ASSERT_EQ(symbol.size(), 1u);
  EXPECT_EQ(symbol[0].kind, NameKind::Symbol);
  EXPECT_EQ(symbol[0].path, "ref/api.htm");
  EXPECT_EQ(m_index->Suggest("filler 1", 10)[0].path, "filler/p1.htm") << "its first page";
  EXPECT_EQ(Paths("Filler 1 "), (std::vector<std::string>{"filler/p1.htm", "old/filler/p1.htm"}));
}

class SearchServiceTest : public ::testing::Test {
 protected:
  SearchServiceTest() {
    InstallMessageTable();
    WriteArchive(m_folder / "a.vxb", "Alpha", {{"x.htm", Page("Zebra", "<p>stripes</p>")}});
  }
  SearchService::Options Options() const { return {m_folder / "indexes", {}}; }

  TempFolder m_folder;
};

// Indexes are built in the background, again when the archive changes or the
// index file is damaged.
TEST_F(SearchServiceTest, IndexesInTheBackgroundAndAgainWhenTheArchiveOrTheIndexChanges) {
  {
    SearchService service({{"Alpha", m_folder / "a.vxb"}}, Options());
    SearchResults first = service.Search("zebra ", {}, 10);
    EXPECT_TRUE(first.hits.empty());
    EXPECT_EQ(first.pending, std::vector<std::string>{"Alpha"});
    service.WaitUntilIdle();
    ASSERT_EQ(service.Search("zebra ", {}, 10).hits.size(), 1u);
    WriteArchive(m_folder / "a.vxb", "Alpha", {{"y.htm", Page("Yak", "<p>hair</p>")}});
    EXPECT_EQ(service.Search("yak ", {}, 10).pending, std::vector<std::string>{"Alpha"});
    service.WaitUntilIdle();
    const SearchResults after = service.Search("yak ", {}, 10);
    ASSERT_EQ(after.hits.size(), 1u);
    EXPECT_EQ(after.hits[0].path, "y.htm");
    EXPECT_TRUE(service.Search("zebra ", {}, 10).hits.empty());
  }
  const std::string index = IndexPathOf(m_folder / "a.vxb", m_folder / "indexes");
  m_folder.Write("indexes/" + index.substr(index.rfind('/') + 1), "garbage");
  SearchService again({{"Alpha", m_folder / "a.vxb"}}, Options());
  EXPECT_EQ(again.Search("yak ", {}, 10).pending.size(), 1u) << "damaged index";
  again.WaitUntilIdle();
  EXPECT_EQ(again.Search("yak ", {}, 10).hits.size(), 1u) << "damaged index";
}

// Archives are merged by rank and filtered by name; those that cannot be
// searched say why and hold up nothing.
TEST_F(SearchServiceTest, MergesArchivesByRankAndTellsWhatCannotBeSearched) {
  WriteArchive(m_folder / "b.vxb", "Beta",
               {{"zebra.htm", Page("Zebra crossing", "<p>roads</p>")}, {"z.htm", Page("Other", "<p>a zebra</p>")}});
  m_folder.Write("damaged.vxb", "not an archive at all");
  SearchService service({{"Alpha", m_folder / "a.vxb"}, {"Beta", m_folder / "b.vxb"},
                         {"Damaged", m_folder / "damaged.vxb"}, {"Gone", m_folder / "gone.vxb"}},
                        Options());
  service.Prepare();
  service.WaitUntilIdle();
  const SearchResults all = service.Search("zebra ", {}, 10);
  std::vector<std::string> found;
  for (const SearchHit& hit : all.hits) found.push_back(hit.archive + ":" + hit.path);
  EXPECT_EQ(found, (std::vector<std::string>{"Alpha:x.htm", "Beta:zebra.htm", "Beta:z.htm"}));
  ASSERT_EQ(all.failures.size(), 2u);
  for (int i : {0, 1}) {
    const std::string name = i ? "Gone" : "Damaged", file = i ? "gone.vxb" : "damaged.vxb";
    EXPECT_TRUE(all.failures[i].starts_with(name + ": ")) << all.failures[i];
    EXPECT_NE(all.failures[i].find(file), std::string::npos) << all.failures[i];
  }
  const SearchResults beta = service.Search("zebra ", "beta", 10);
  EXPECT_EQ(beta.hits.size(), 2u);
  EXPECT_EQ(beta.archives, 1u);
  EXPECT_EQ(service.Search("zebra ", "Gamma", 10).archives, 0u);
  EXPECT_EQ(service.Suggest("zeb", {}, 10).size(), 2u);
}

std::uint32_t FailureCode(const std::function<void()>& action, std::string* text = nullptr) {
  try {
    action();
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    if (text) *text = e->m_arg1 + e->m_location;
    return e->m_code;
  }
  return 0;
}

TEST_F(SearchServiceTest, BuildFailuresLeaveNothingBehind) {
  m_folder.Write("blocked", "a file where the index folder would be");
  std::string text;
  IndexBuildOptions blocked;
  blocked.indexPath = m_folder / "blocked/a.idx";
  EXPECT_NE(FailureCode([&] { BuildIndex(m_folder / "a.vxb", blocked); }, &text), 0u);
  EXPECT_NE(text.find("blocked"), std::string::npos) << text;

  std::atomic<bool> cancel{true};
  IndexBuildOptions cancelled;
  cancelled.indexPath = m_folder / "out/a.idx";
  cancelled.cancel = &cancel;
  try {
    BuildIndex(m_folder / "a.vxb", cancelled);
    ADD_FAILURE() << "a cancelled build ends early";
  } catch (CException* e) {
    e->Delete();
  }
  EXPECT_TRUE(std::filesystem::is_empty(m_folder / "out"));
  EXPECT_EQ(FailureCode([&] { BuildIndex(m_folder / "none.vxb", cancelled); }), 1001u);
}

}  // namespace
}  // namespace search

// The index of hash chains: keys ignore case but not the home slot, the first slot
// under a key is kept, and a full index records nothing more.
#include <gtest/gtest.h>

#include "archive/TopicChainIndex.h"

namespace {

TEST(TopicChainIndex, KeysFindTheFirstSlotAndStopWhenFull) {
  using Key = TopicChainIndex;
  EXPECT_EQ(Key::KeyOf(u"Lib/OS.html", 7), Key::KeyOf(u"lib/os.HTML", 7));
  EXPECT_NE(Key::KeyOf(u"lib/os.html", 7), Key::KeyOf(u"lib/os.html", 8));
  EXPECT_NE(Key::KeyOf(u"lib/os.html", 7), Key::KeyOf(u"lib/os.htm", 7));
  EXPECT_EQ(Key::KeyOf(u"\u00C9t\u00E9", 1), Key::KeyOf(u"\u00E9T\u00C9", 1));

  TopicChainIndex index;
  index.Reset(1000);
  EXPECT_EQ(index.StateOf(5), TopicChainIndex::Chain::kUnknown);
  index.SetState(5, TopicChainIndex::Chain::kLearnt);
  EXPECT_EQ(index.StateOf(5), TopicChainIndex::Chain::kLearnt);
  TopicChainIndex::Place place{};
  EXPECT_FALSE(index.Find(42, place));
  for (std::uint32_t key = 1; key <= 1500; ++key) ASSERT_TRUE(index.Add(key, {key + 7, 3 * key})) << key;
  EXPECT_TRUE(index.Add(42, {9, 9}));  // already there: the first place stays
  for (std::uint32_t key : {1u, 42u, 1500u}) {
    ASSERT_TRUE(index.Find(key, place)) << key;
    EXPECT_EQ(place.slot, key + 7) << key;
    EXPECT_EQ(place.nameOffset, 3 * key) << key;
  }
  EXPECT_FALSE(index.Find(1501, place));

  index.Reset(4);  // room for 2 entries a slot and a few more
  std::uint32_t added = 0;
  while (index.Add(added + 1, {added, 0}) && added < 100) ++added;
  EXPECT_EQ(added, 24u);
  EXPECT_FALSE(index.Find(25, place));
}

}  // namespace

#include "base/AutoInit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_log;

struct Inner {
  Inner() { g_log += "+inner "; }
  ~Inner() { g_log += "-inner "; }
};
constinit vxs::AutoInit<Inner> g_inner;

// Uses Inner while being built, and again when destroyed.
struct Outer {
  Outer() {
    g_inner.Get();
    g_log += "+outer ";
  }
  ~Outer() {
    g_inner.Get();
    g_log += "-outer ";
  }
};
constinit vxs::AutoInit<Outer> g_outer;

class AutoInitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_outer.Destroy();
    g_inner.Destroy();
    g_log.clear();
  }
};

TEST_F(AutoInitTest, CreatesOnFirstUseAndKeepsTheObject) {
  EXPECT_EQ(g_log, "");
  Inner* first = &g_inner.Get();
  EXPECT_EQ(&g_inner.Get(), first);
  EXPECT_EQ(g_inner.operator->(), first);
  EXPECT_EQ(g_log, "+inner ");
}

TEST_F(AutoInitTest, DestroyAllGoesNewestFirst) {
  g_outer.Get();
  EXPECT_EQ(g_log, "+inner +outer ");
  g_log.clear();
  vxs::AutoInitBase::DestroyAll();
  EXPECT_EQ(g_log, "-outer -inner ");
}

TEST_F(AutoInitTest, ObjectNeededAfterItsDestructionIsMadeAgain) {
  g_inner.Get();
  g_outer.Get();  // newer than Inner, so its destructor runs first anyway
  g_inner.Destroy();
  g_log.clear();
  vxs::AutoInitBase::DestroyAll();
  EXPECT_EQ(g_log, "+inner -outer -inner ");
}

}  // namespace

// Normalising a saved window placement and keeping it in the profile.
#include <gtest/gtest.h>

#include <climits>

#include "platform/tests/ScratchRegistry.h"
#include "viewer/RecentFileList.h"
#include "viewer/WindowStateSaver.h"

namespace {

const WindowRect kWorkArea{0, 0, 1024, 768};

WindowPlacement Normal(WindowRect rect, int showCmd = SW_SHOWNORMAL) { return {0, showCmd, rect}; }

TEST(NormalisePlacement, RectangleComesInsideTheWorkAreaAndTheWindowOpensVisible) {
  const struct {
    const char* name;
    WindowPlacement saved, expected;
  } cases[] = {
      {"inside", Normal({10, 20, 410, 320}), Normal({10, 20, 410, 320})},
      {"swapped edges", Normal({410, 320, 10, 20}), Normal({10, 20, 410, 320})},
      {"larger, around", Normal({-50, -40, 5000, 4000}), Normal({0, 0, 1024, 768})},
      {"larger, inside at the top", Normal({100, 50, 3000, 2000}), Normal({0, 0, 1024, 768})},
      {"beyond right and bottom", Normal({900, 700, 1300, 1000}), Normal({624, 468, 1024, 768})},
      {"above and left", Normal({-300, -200, 100, 100}), Normal({0, 0, 400, 300})},
      {"extreme edges", Normal({INT_MIN, INT_MIN, INT_MAX, INT_MAX}), Normal({0, 0, 1024, 768})},
      {"far right", Normal({INT_MAX - 5, 0, INT_MAX, 5}), Normal({1019, 0, 1024, 5})},
      {"minimized", Normal({0, 0, 10, 10}, SW_SHOWMINIMIZED), Normal({0, 0, 10, 10})},
      {"maximized", Normal({0, 0, 10, 10}, SW_SHOWMAXIMIZED), Normal({0, 0, 10, 10}, SW_SHOWMAXIMIZED)},
      {"hidden", Normal({0, 0, 10, 10}, 0), Normal({0, 0, 10, 10})},
      {"unknown state", Normal({0, 0, 10, 10}, 77), Normal({0, 0, 10, 10})},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalisePlacement(c.saved, kWorkArea), c.expected) << c.name;
}

// Where a window cannot learn its position, the size and state are kept at the
// position saved before.
TEST(PlacementWithoutPosition, SizeAndStateAtThePositionSavedBefore) {
  const WindowPlacement current{0, SW_SHOWMAXIMIZED, {0, 0, 800, 600}};
  EXPECT_EQ(PlacementWithoutPosition(current, std::nullopt), current);
  EXPECT_EQ(PlacementWithoutPosition(current, WindowPlacement{0, SW_SHOWNORMAL, {40, 30, 90, 90}}),
            (WindowPlacement{0, SW_SHOWMAXIMIZED, {40, 30, 840, 630}}));
}

TEST(ZoomSteps, StepsInAndOutStopAtTheEnds) {
  const struct {
    int percent, in, out, clamped;
  } cases[] = {{100, 110, 90, 100},  {110, 125, 100, 110},   {133, 150, 125, 133},
               {300, 300, 250, 300}, {30, 50, 30, 30},       {5, 30, 30, 30},
               {-7, 30, 30, 30},     {100000, 300, 300, 300}};
  for (const auto& c : cases) {
    EXPECT_EQ(ZoomSteps::In(c.percent), c.in) << c.percent;
    EXPECT_EQ(ZoomSteps::Out(c.percent), c.out) << c.percent;
    EXPECT_EQ(ZoomSteps::Clamp(c.percent), c.clamped) << c.percent;
  }
}

class StateSaver : public ScratchRegistry {
 protected:
  static constexpr const char* kKey = "Software\\VEXO-SYSTEMS\\Stowra\\stow\\MainWnd";
  AppProfile m_profile{"VEXO-SYSTEMS\\Stowra", "stow"};
  WindowStateSaver m_saver{m_profile, "MainWnd"};

  static void PutNumber(const char* name, int value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const auto number = static_cast<std::uint32_t>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
  }
};

TEST_F(StateSaver, SavedPlacementComesBackAndIncompleteOnesRestoreNothing) {
  EXPECT_FALSE(m_saver.Restore(kWorkArea)) << "nothing saved";
  ASSERT_TRUE(m_saver.Save({0, SW_SHOWNORMAL, {-20, -10, 100, 100}}));
  EXPECT_EQ(m_profile.GetProfileInt("MainWnd", "x1"), -20) << "negative edge";
  ASSERT_TRUE(m_saver.Save({0, SW_SHOWMAXIMIZED, {30, 40, 630, 540}}));
  EXPECT_EQ(m_profile.GetProfileInt("MainWnd", "showCmd"), SW_SHOWMAXIMIZED);
  EXPECT_EQ(m_profile.GetProfileInt("MainWnd", "y2"), 540);
  EXPECT_EQ(m_saver.Restore(kWorkArea), (WindowPlacement{0, SW_SHOWMAXIMIZED, {30, 40, 630, 540}}));
  PutText(HKEY_CURRENT_USER, kKey, "x1", "12");
  EXPECT_FALSE(m_saver.Restore(kWorkArea)) << "a value of the wrong type";
  PutNumber("x1", 12);
  ASSERT_TRUE(m_saver.Restore(kWorkArea));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "y2");
  RegCloseKey(key);
  EXPECT_FALSE(m_saver.Restore(kWorkArea)) << "a missing value";
}

TEST_F(StateSaver, SavedOversizedMinimizedWindowIsRestoredInsideTheScreen) {
  for (auto [name, value] : {std::pair{"flags", 0}, {"showCmd", SW_SHOWMINIMIZED}, {"x1", -100},
                             {"y1", -100}, {"x2", 4000}, {"y2", 3000}})
    PutNumber(name, value);
  EXPECT_EQ(m_saver.Restore(kWorkArea), (WindowPlacement{0, SW_SHOWNORMAL, {0, 0, 1024, 768}}));
}

TEST_F(StateSaver, ZoomIsKeptBesideThePlacementAndBroughtIntoRange) {
  EXPECT_EQ(m_saver.RestoreZoom(), 100);
  ASSERT_TRUE(m_saver.SaveZoom(125));
  EXPECT_EQ(m_profile.GetProfileInt("MainWnd", "zoom"), 125);
  EXPECT_EQ(m_saver.RestoreZoom(), 125);
  PutNumber("zoom", 0);
  EXPECT_EQ(m_saver.RestoreZoom(), 30);
}

// The files opened lately: the latest first, each once, at most four.
TEST_F(StateSaver, RecentFilesKeepTheLatestFourFirstEachOnce) {
  const RecentFileList recent(m_profile);
  EXPECT_TRUE(recent.Read().empty());
  for (const char* path : {"/a.vxb", "/b.vxb", "/c.vxb", "/a.vxb", "/d.vxb", "/e.vxb"})
    ASSERT_TRUE(recent.Add(path));
  EXPECT_EQ(recent.Read(), (std::vector<std::string>{"/e.vxb", "/d.vxb", "/a.vxb", "/c.vxb"}));
  EXPECT_EQ(m_profile.GetProfileString("Recent File List", "File1"), "/e.vxb");
  ASSERT_TRUE(recent.Remove("/d.vxb"));
  EXPECT_EQ(recent.Read(), (std::vector<std::string>{"/e.vxb", "/a.vxb", "/c.vxb"}));
  EXPECT_EQ(m_profile.GetProfileString("Recent File List", "File4"), std::nullopt);
  PutText(HKEY_CURRENT_USER, "Software\\VEXO-SYSTEMS\\Stowra\\stow\\Recent File List", "File4",
          "/e.vxb");
  EXPECT_EQ(recent.Read().size(), 3u);  // a path written twice by hand counts once
  RegistrySetReadOnly(RegistryHiveKind::User, true);
  EXPECT_FALSE(recent.Add("/f.vxb"));
  EXPECT_FALSE(m_saver.Save({0, SW_SHOWNORMAL, {0, 0, 100, 100}}));
  RegistrySetReadOnly(RegistryHiveKind::User, false);
  EXPECT_FALSE(m_saver.Restore(kWorkArea)) << "nothing of the failed save is kept";
}

}  // namespace

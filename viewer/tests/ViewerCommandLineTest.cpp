// The viewer's command line.
#include <gtest/gtest.h>

#include "viewer/ViewerCommandLine.h"

namespace {

using Action = ViewerCommandLine::Action;

TEST(ViewerCommandLine, NothingOpensTheEmptyWindow) {
  const ViewerCommandLine line = ViewerCommandLine::Parse({});
  EXPECT_EQ(line.action, Action::Open);
  EXPECT_EQ(line.file, "");
}

TEST(ViewerCommandLine, FirstWordIsTheFileAbsolutePathsIncluded) {
  EXPECT_EQ(ViewerCommandLine::Parse({"/home/a/manual.vxb"}).file, "/home/a/manual.vxb");
  EXPECT_EQ(ViewerCommandLine::Parse({"vexost://Manual/x.htm"}).file, "vexost://Manual/x.htm");
  const ViewerCommandLine line = ViewerCommandLine::Parse({"a.vxb", "b.vxb"});
  EXPECT_EQ(line.file, "a.vxb");
  EXPECT_EQ(line.ignored, std::vector<std::string>{"b.vxb"});
}

TEST(ViewerCommandLine, SwitchesInAnyCaseWithSlashOrDash) {
  EXPECT_EQ(ViewerCommandLine::Parse({"/RegServer"}).action, Action::Register);
  EXPECT_EQ(ViewerCommandLine::Parse({"-register"}).action, Action::Register);
  EXPECT_EQ(ViewerCommandLine::Parse({"/UNREGSERVER"}).action, Action::Unregister);
  EXPECT_EQ(ViewerCommandLine::Parse({"-Unregister"}).action, Action::Unregister);
  EXPECT_EQ(ViewerCommandLine::Parse({"/Embedding"}).action, Action::Automation);
  EXPECT_EQ(ViewerCommandLine::Parse({"-automation"}).action, Action::Automation);
}

TEST(ViewerCommandLine, UnknownSwitchIsAFileName) {
  const ViewerCommandLine line = ViewerCommandLine::Parse({"/Regserverx"});
  EXPECT_EQ(line.action, Action::Open);
  EXPECT_EQ(line.file, "/Regserverx");
}

TEST(ViewerCommandLine, LocalFileUriStandsForItsPath) {
  EXPECT_EQ(ViewerCommandLine::Parse({"file:///home/a/My%20Manual.vxb"}).file, "/home/a/My Manual.vxb");
  EXPECT_EQ(ViewerCommandLine::FileArgument("file://localhost/x.vxb"), "/x.vxb");
  EXPECT_EQ(ViewerCommandLine::FileArgument("file:///a%2"), "/a%2");
  EXPECT_EQ(ViewerCommandLine::FileArgument("file:///a%00b"), "/a%00b");
  EXPECT_EQ(ViewerCommandLine::FileArgument("file://server/x.vxb"), "file://server/x.vxb");
  EXPECT_EQ(ViewerCommandLine::FileArgument("vexost://Manual"), "vexost://Manual");
}

}  // namespace

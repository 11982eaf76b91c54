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
  const struct {
    std::vector<std::string> words;
    Action action;
    std::string file;
  } cases[] = {
      {{"/RegServer"}, Action::Register, ""},
      {{"-register"}, Action::Register, ""},
      {{"/UNREGSERVER"}, Action::Unregister, ""},
      {{"-Unregister"}, Action::Unregister, ""},
      {{"/Embedding"}, Action::Automation, ""},
      {{"-automation"}, Action::Automation, ""},
      {{"--help"}, Action::Help, ""},
      {{"a.vxb", "-h"}, Action::Help, "a.vxb"},
      {{"/?"}, Action::Help, ""},
      {{"/Regserverx"}, Action::Open, "/Regserverx"},  // a path, as any word beginning with "/"
      {{"-"}, Action::Open, "-"},
      {{"--verbose", "a.vxb"}, Action::BadOption, ""},
  };
  for (const auto& c : cases) {
    const ViewerCommandLine line = ViewerCommandLine::Parse(c.words);
    EXPECT_EQ(line.action, c.action) << c.words.front();
    EXPECT_EQ(line.file, c.file) << c.words.front();
  }
  EXPECT_EQ(ViewerCommandLine::Parse({"-x", "--help"}).badOption, "-x");
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

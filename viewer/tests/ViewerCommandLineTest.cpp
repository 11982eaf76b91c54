// The viewer's command line.
#include <gtest/gtest.h>

#include "viewer/ViewerCommandLine.h"

namespace {

using Action = ViewerCommandLine::Action;

TEST(ViewerCommandLine, FirstWordIsTheFileSwitchesInAnyCaseWithSlashOrDash) {
  const struct {
    std::vector<std::string> words;
    Action action;
    std::string file;
  } cases[] = {
      {{}, Action::Open, ""},
      {{"/home/a/manual.vxb"}, Action::Open, "/home/a/manual.vxb"},
      {{"vexost://Manual/x.htm"}, Action::Open, "vexost://Manual/x.htm"},
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
    const std::string name = c.words.empty() ? "nothing" : c.words.front();
    EXPECT_EQ(line.action, c.action) << name;
    EXPECT_EQ(line.file, c.file) << name;
  }
  EXPECT_EQ(ViewerCommandLine::Parse({"-x", "--help"}).badOption, "-x");
  EXPECT_EQ(ViewerCommandLine::Parse({"a.vxb", "b.vxb"}).ignored, std::vector<std::string>{"b.vxb"});
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

#include "reader/PageFormatter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string Fill(std::string_view tmpl, std::vector<std::string> texts) {
  std::vector<PageArgument> args;
  for (std::string& t : texts) args.push_back({std::move(t), false});
  return FillPageTemplate(tmpl, args);
}

TEST(PageFormatter, FollowsTheMessageFormatterRules) {
  std::vector<std::string> eleven = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
  EXPECT_EQ(Fill("%1-%2-%10-%11", eleven), "a-b-j-k");
  EXPECT_EQ(Fill("%12|%99|%3", eleven), "||c");  // absent arguments give nothing
  EXPECT_EQ(Fill("100%% sure", {}), "100% sure");
  EXPECT_EQ(Fill("%1!s! done", {"x"}), "x done");
  EXPECT_EQ(Fill("a%nb%tc%rd", {}), "a\r\nb\tc\rd");
  EXPECT_EQ(Fill("%. %! %x", {}), ". ! x");
  EXPECT_EQ(Fill("kept%0 cut", {}), "kept");
  EXPECT_EQ(Fill("trailing %", {}), "trailing ");
  EXPECT_EQ(Fill("%1", {"%2%%"}), "%2%%");  // inserted text is not formatted again
}

TEST(PageFormatter, EscapesInsertedTextForWhereItLands) {
  EXPECT_EQ(Fill("<p>%1</p>", {"<b>&\"'"}), "<p>&lt;b&gt;&amp;&quot;&#39;</p>");
  EXPECT_EQ(Fill("<a href=\"%1\">%1</a>", {"vexost://a b/<x>"}),
            "<a href=\"vexost://a%20b/%3Cx%3E\">vexost://a b/&lt;x&gt;</a>");
  EXPECT_EQ(Fill("<a href=\"%1\">go</a>", {"javascript:alert(1)"}),
            "<a href=\"./javascript:alert(1)\">go</a>");
  // Only the template's own angle brackets open and close tags.
  EXPECT_EQ(Fill("%1 <i>%2</i>", {"<a href=\"", "x\""}), "&lt;a href=&quot; <i>x&quot;</i>");
}

TEST(PageFormatter, MarkupIsInsertedAsItIs) {
  std::vector<PageArgument> args = {{"<tr><td>row</td></tr>", true}, {"<x>", false}};
  EXPECT_EQ(FillPageTemplate("<table>%1</table>%2", args),
            "<table><tr><td>row</td></tr></table>&lt;x&gt;");
}

}  // namespace

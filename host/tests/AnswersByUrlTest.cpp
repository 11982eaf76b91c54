// vxstserve answers each URL by the URL alone: whatever other clients asked
// before, in whatever order, a URL gets the answer a freshly started server gives
// it. URLs that name no topic path are sent to the topic's own URL; "/" lists the
// archives served and registered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <map>
#include <random>
#include <sstream>

#include "host/tests/ServerProcess.h"

namespace {

// An answer as a browser sees it; the Location without the server's origin.
struct Answer {
  int status = 0;
  std::string type;
  std::string location;
  std::string body;
  bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
  return out << a.status << " " << a.type << " [" << a.location << "] " << a.body.size()
             << " bytes: " << a.body.substr(0, 60);
}

// API documentation in miniature: an index page and a sidebar script in every
// folder, the names a browser asks for after pages of other folders.
const std::map<std::string, std::string> kApiFiles = {
    {"index.html", "<p>root index</p>"},
    {"sidebar-items.js", "window.SIDEBAR = 'root';"},
    {"std/index.html", "<p>std index</p>"},
    {"std/vec.html", "<p>Vec</p>"},
    {"std/sidebar-items.js", "window.SIDEBAR = 'std';"},
    {"std/diagram.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"},
    {"core/index.html", "<p>core index</p>"},
    {"core/sidebar-items.js", "window.SIDEBAR = 'core';"},
    {"core/mem/index.html", "<p>core::mem index</p>"},
};

class AnswersByUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PackFiles(m_scratch, "api.vxb", "Api", 7, kApiFiles, "index.html");
    PackFiles(m_scratch, "other.vxb", "Other", 7, {{"start.htm", "<p>the other archive</p>"}},
              "start.htm");
  }
  std::string Archive(const std::string& name) const { return m_scratch / (name + ".vxb"); }

  std::unique_ptr<ServerProcess> Serve(const std::vector<std::string>& options = {}) {
    auto server = std::make_unique<ServerProcess>(
        std::vector<std::string>{Archive("api"), Archive("other")}, m_scratch, options);
    EXPECT_EQ(server->Urls().size(), 2u);
    return server;
  }

  // TARGETS (paths on the server) fetched in turn over one connection.
  std::vector<Answer> FetchAll(const ServerProcess& server,
                               const std::vector<std::string>& targets) {
    TempFolder bodies;
    std::string command =
        "curl -s -g --path-as-is -w '%{http_code}\\t%{content_type}\\t%{redirect_url}\\n'";
    for (std::size_t i = 0; i < targets.size(); ++i)
      command += " -o " + Quote(bodies / std::to_string(i)) + " " +
                 Quote(server.Origin() + targets[i]);
    std::string output;
    RunCommand(command, &output);
    std::istringstream lines(output);
    std::vector<Answer> answers(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
      Answer& answer = answers[i];
      std::string status;
      std::getline(lines, status, '\t');
      std::getline(lines, answer.type, '\t');
      std::getline(lines, answer.location);
      answer.status = std::atoi(status.c_str());
      if (answer.location.starts_with(server.Origin()))
        answer.location.erase(0, server.Origin().size());
      answer.body = TempFolder::ReadAll(bodies / std::to_string(i));
      // The file form's token is the server process's own: compared without it.
      if (const std::size_t token = answer.body.find("name=\"token\" value=\"");
          token != std::string::npos)
        answer.body.erase(token + 20, 32);
    }
    return answers;
  }
  Answer Fetch(const ServerProcess& server, const std::string& target) {
    return FetchAll(server, {target}).front();
  }

  TempFolder m_scratch;
};

// A URL without topic path, a topic number, and a path found only in the folder
// of the page before: each is sent to the topic's own URL, under which its
// relative links resolve; a URL that names its topic is answered at once. "/"
// lists the served archives, then those of each catalog; an error page shows a
// file path as asked, never expanded from the server's environment.
TEST_F(AnswersByUrlTest, UrlsWithoutTopicPathAreSentToTheTopicsOwnUrlAndTheListInOrder) {
  RegisterDocument(m_scratch, "HKCU", "Mine", 5, "/docs/Mine.vxb");
  RegisterDocument(m_scratch, "HKLM", "Shared", 5, "/docs/Shared.vxb");
  std::string lookup;
  ASSERT_EQ(RunCommand(Quote(BuiltProgram("tools/vxb/vxb")) + " lookup " + Quote(Archive("api")) +
                           " std/vec.html",
                       &lookup),
            0);
  const std::string number = lookup.substr(0, lookup.find('\t'));
  const std::string file = "/vexost://file:" + Archive("api");
  std::unique_ptr<ServerProcess> server = Serve();
  const std::pair<std::string, std::string> cases[] = {
      {"/vexost://Api/", "/vexost://Api/index.html"},
      {"/vexost://Api", "/vexost://Api/index.html"},
      {"/vexost://Api/:" + number, "/vexost://Api/std/vec.html"},
      {"/vexost://FirmCode:7::Api/:" + number, "/vexost://FirmCode:7::Api/std/vec.html"},
      {file + "/", file + "/index.html"},
      {file + "::/:" + number, file + "::/std/vec.html"},
      {"/vexost://Api/std/vec.html", ""},
      {"/vexost://Api/vec.html", "/vexost://Api/std/vec.html"},  // after std/vec.html only
      {file + "/std/vec.html", ""},
      {"/vexost://Api/std/VEC.HTML?v=1", ""},
  };
  for (const auto& [target, location] : cases) {
    const Answer answer = Fetch(*server, target);
    EXPECT_EQ(answer.status, location.empty() ? 200 : 302) << target;
    EXPECT_EQ(answer.location, location) << target;
    EXPECT_EQ(answer.body, location.empty() ? "<p>Vec</p>" : "See " + location + "\n") << target;
  }
  EXPECT_EQ(Fetch(*server, "/vexost://Api/index.html").body, "<p>root index</p>");
  EXPECT_EQ(Fetch(*server, "/vexost://Api/vec.html").status, 404) << "the root page came last";

  const Answer list = Fetch(*server, "/");
  EXPECT_EQ(list.status, 200);
  ExpectInOrder(list.body,
                {"Served by this host", "href=\"/vexost://Api\"", Archive("api"),
                 "href=\"/vexost://Other\"", "Registered for the current user",
                 "href=\"/vexost://Mine\"", "/docs/Mine.vxb", "Registered for all users",
                 "href=\"/vexost://Shared\"", "/docs/Shared.vxb"},
                "the list");
  EXPECT_EQ(Fetch(*server, "/vexost:list"), list);
  const Answer answer = Fetch(*server, "/vexost://file:/x/%25PATH%25::/x");
  EXPECT_EQ(answer.status, 404);
  EXPECT_NE(answer.body.find("/x/%PATH%"), std::string::npos) << answer.body;
  EXPECT_EQ(answer.body.find(std::getenv("PATH")), std::string::npos) << answer.body;
}

// Every file and some valid and malformed URLs, asked by eight clients at once,
// each in its own shuffled order, with the answer cache and without: each answer
// is the one a server that has seen nothing else gives.
TEST_F(AnswersByUrlTest, ShuffledRequestsOfEightClientsGetTheAnswersOfAFreshServer) {
  RegisterDocument(m_scratch, "HKCU", "Gone", 5, m_scratch / "gone.vxb");
  std::vector<std::string> targets = {
      "/vexost://Api/STD/Vec.html",    "/vexost://Api/",
      "/vexost://Other/start.htm",     "/vexost://Other",
      "/vexost://Api/:x",              "/vexost://Api/x:y.html",
      "/vexost://Api/a::Other/start.htm", "/vexost://Api/%3a%3aOther/start.htm",
      "/vexost:/Api",                  "/vexost://Nobody/index.html",
      "/vexost://Api/missing.html",    "/vexost://Api/:4000000000",
      "/",                             "/vexost://file:/x/gone.vxb::/a.html",
      "/vexost://Gone/index.html",  // registered, its file gone: the file form
  };
  for (const auto& [path, bytes] : kApiFiles) targets.push_back("/vexost://Api/" + path);
  std::map<std::string, Answer> fresh;
  for (const std::string& target : targets) fresh[target] = Fetch(*Serve(), target);
  for (const auto& [path, bytes] : kApiFiles) EXPECT_EQ(fresh["/vexost://Api/" + path].body, bytes);
  EXPECT_EQ(fresh["/vexost://Api/std/diagram.svg"].type, "image/svg+xml");
  EXPECT_EQ(fresh["/vexost://Api/a::Other/start.htm"].body, "<p>the other archive</p>");
  EXPECT_EQ(fresh["/vexost://Api/:x"].status, 400);
  EXPECT_EQ(fresh["/vexost://Api/missing.html"].status, 404);
  EXPECT_NE(fresh["/vexost://Gone/index.html"].body.find("<form"), std::string::npos);
  EXPECT_EQ(fresh["/vexost://file:/x/gone.vxb::/a.html"].status, 404);

  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, std::vector<std::string>{"--cache-mb", "0"}}) {
    std::unique_ptr<ServerProcess> server = Serve(options);
    std::vector<std::future<std::string>> clients;
    for (unsigned client = 0; client < 8; ++client) {
      clients.push_back(std::async(std::launch::async, [&, client] {
        std::vector<std::string> order;
        for (int round = 0; round < 3; ++round)
          order.insert(order.end(), targets.begin(), targets.end());
        std::shuffle(order.begin(), order.end(), std::mt19937(client));
        const std::vector<Answer> answers = FetchAll(*server, order);
        std::ostringstream faults;
        for (std::size_t i = 0; i < order.size(); ++i)
          if (!(answers[i] == fresh.at(order[i])))
            faults << order[i] << " (request " << i << "): " << answers[i]
                   << "; fresh: " << fresh.at(order[i]) << "\n";
        return faults.str();
      }));
    }
    for (auto& client : clients)
      EXPECT_EQ(client.get(), "") << (options.empty() ? "cache" : "no cache");
  }
}

}  // namespace

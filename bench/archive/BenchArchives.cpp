#include "bench/archive/BenchArchives.h"

#include <cstdlib>
#include <filesystem>
#include <random>

namespace bench {

namespace {

const char* const kSections[] = {"api", "guide", "reference", "tutorial", "howto", "release-notes",
                                 "concepts", "admin"};
const char* const kWords[] = {
    "archive", "topic", "chunk", "stream", "buffer", "reader", "writer", "table", "index",
    "cache", "server", "client", "session", "request", "response", "handler", "module",
    "registry", "catalog", "viewer", "window", "dialog", "message", "error", "setting",
    "folder", "file", "path", "name", "link", "page", "image", "style", "font", "layout",
    "print", "search", "filter", "sort", "group", "user", "account", "network", "protocol",
    "format", "codec", "packer", "expander", "checksum", "header"};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

}  // namespace

std::vector<std::string> DocumentationPaths(std::size_t count) {
  std::mt19937 random(42);
  std::vector<std::string> paths;
  paths.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string module = kWords[random() % kWordCount];
    std::string page = kWords[random() % kWordCount];
    page[0] = static_cast<char>(page[0] - 'a' + 'A');
    page += kWords[random() % kWordCount];
    const char* extension = i % 10 == 0 ? ".gif" : i % 25 == 1 ? ".css" : ".htm";
    paths.push_back(std::string(kSections[i % 8]) + "/" + module + "/" + page + "-" +
                    std::to_string(i) + extension);
  }
  return paths;
}

std::string PageText(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text = "<html><head><title>Page</title></head><body>\n";
  while (text.size() < size) {
    text += random() % 7 == 0 ? "</p>\n<p>" : " ";
    text += kWords[random() % kWordCount];
  }
  text.resize(size);
  return text;
}

std::string TemporaryPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

}  // namespace bench

// vxb pack DIR -o FILE.vxb --name NAME [--title T] [--copyright C] [--firm-code F] [--start PATH]
//          [--force]
#include <algorithm>
#include <map>

#include "archive/TopicName.h"
#include "archive/VxbFile.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/ArchiveWriter.h"
#include "tools/vxb/Commands.h"
#include "tools/vxb/ProgressBar.h"
#include "tools/vxb/ReplacementFile.h"
#include "tools/vxb/SourceTree.h"

namespace vxb {

namespace {

constexpr std::uint32_t kBadSpecification = 2023;  // "bad specification: %1"
constexpr std::uint32_t kLargestFirmCode = 1048575;  // the most a vexost: URL can name

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  return text.size() >= head.size() &&
         std::equal(head.begin(), head.end(), text.begin(),
                    [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// An archive name must survive the trip through a vexost: URL, whose archive part
// ends at "/", "#" or "::", unescapes "%", "|" and "\", and begins "file:" or
// "FirmCode:" for other things than names.
void CheckArchiveName(const std::string& name) {
  const bool bad = name.find_first_of("/\\#%|") != std::string::npos ||
                   name.find("::") != std::string::npos ||
                   std::any_of(name.begin(), name.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; }) ||
                   StartsWithNoCase(name, "file:") || StartsWithNoCase(name, "FirmCode:");
  if (bad) ThrowCommandLineError(kBadSpecification, "--name", name);
}

// The start topic: the one asked for, else index.htm or index.html at the top.
std::string StartTopic(const Arguments& args, const std::vector<SourceFile>& files) {
  if (std::optional<std::string> start = args.Value("--start")) return *start;
  for (const char* candidate : {"index.htm", "index.html"}) {
    if (std::any_of(files.begin(), files.end(),
                    [&](const SourceFile& f) { return f.topicPath == candidate; }))
      return candidate;
  }
  return {};
}

// Of topics whose paths differ only in case, only one could be found by its path,
// since lookups do not regard case: the first in byte order is kept.
std::vector<SourceFile> WithoutCaseTwins(std::vector<SourceFile> files, Console& console) {
  std::map<std::u16string, std::string> seen;
  std::vector<SourceFile> kept;
  for (SourceFile& file : files) {
    std::u16string key = stow::Utf8ToUtf16(file.topicPath);
    std::transform(key.begin(), key.end(), key.begin(), stow::LowerTopicChar);
    const auto [at, added] = seen.emplace(key, file.topicPath);
    if (added)
      kept.push_back(std::move(file));
    else
      console.Warn("%1 left out: its path differs from " + at->second + " only in case", file.path);
  }
  return kept;
}

}  // namespace

int Pack(const Words& words, Console& console) {
  const Arguments args(
      words, {"-o", "--output", "--name", "--title", "--copyright", "--firm-code", "--start"},
      {"--force"});
  const std::string folder = args.Operands(1, 1, "folder to pack")[0];
  const std::string output = args.Value("-o") ? *args.Value("-o") : args.Required("--output");
  stow::ArchiveProperties properties;
  properties.name = args.Required("--name");
  CheckArchiveName(properties.name);
  properties.title = args.Value("--title").value_or("");
  properties.copyright = args.Value("--copyright").value_or("");
  properties.firmCode = args.Number("--firm-code", kLargestFirmCode, stow::kNoFirmCode);

  // The output is checked, and its temporary made, before anything is read.
  const stow::TemporariesRemovedOnSignals signals;
  stow::ReplacementFile target(output, args.Flag("--force"));
  const std::vector<std::string> excluded = {target.Target(), target.Temporary()};
  std::vector<SourceFile> files =
      WithoutCaseTwins(ScanSourceTree(folder, excluded, console), console);
  properties.startTopic = StartTopic(args, files);
  if (properties.firmCode == stow::kNoFirmCode)
    console.Warn("%1 cannot be registered with vxstreg; give --firm-code N", output);

  stow::ArchiveWriter writer(std::move(properties));
  for (const SourceFile& file : files) writer.AddFile(file.topicPath, file.path, file.size);
  ProgressBar bar(console.Err(), console.ProgressBar(), "packing");
  writer.SetProgress([&bar](std::uint64_t done, std::uint64_t total) { bar.Update(done, total); });
  writer.SetWarning([&](const std::string& text, const std::string& arg) {
    bar.Finish();
    console.Warn(text, arg);
  });
  writer.Write(target);
  return kSuccess;
}

}  // namespace vxb

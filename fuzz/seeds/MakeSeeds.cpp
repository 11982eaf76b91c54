// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: small valid
// archives made by the project's archive writer, packed blocks made by its LZ
// packer, and texts of every form the other parsers read. The output depends on
// nothing but this program, so the seeds kept in the tree can be made again.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/KelException.h"
#include "tools/lzpack/LzPacker.h"
#include "tools/vxb/ArchiveWriter.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string g_root;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(g_root + "/" + target);
  std::ofstream(g_root + "/" + target + "/" + name, std::ios::binary) << bytes;
}

std::string Text(std::size_t size, unsigned seed) {
  static const char* const words[] = {"archive ", "topic ", "<p>", "chunk ", "vexost ", "\n"};
  std::string text;
  for (unsigned x = seed; text.size() < size; x = x * 1103515245 + 12345) text += words[(x >> 16) % 6];
  text.resize(size);
  return text;
}

std::string Noise(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  return bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An archive of TOPICS written by the archive writer, as bytes.
std::string Archive(stow::ArchiveProperties properties,
                    const std::vector<std::pair<std::string, std::string>>& topics,
                    const std::string& skippedBlock = {}) {
  properties.creationTime = 1700000000;
  stow::ArchiveWriter writer(properties);
  for (const auto& [path, bytes] : topics) writer.AddBytes(path, bytes, path == topics.front().first ? skippedBlock : "");
  const std::string file = g_root + "/.seed.vxb";
  writer.Write(file);
  std::string bytes = ReadFile(file);
  fs::remove(file);
  return bytes;
}

void Archives() {
  stow::ArchiveProperties plain;
  plain.name = "Seed";
  const std::string one = Archive(plain, {{"index.htm", "<p>one topic</p>"}});
  stow::ArchiveProperties full;
  full.name = "Manual";
  full.title = "The manual";
  full.copyright = "(c) nobody";
  full.firmCode = 10;
  full.startTopic = "guide/intro.htm";
  const std::string many = Archive(full, {{"guide/intro.htm", Text(3000, 1)},
                                          {"guide/images/a.gif", Noise(300, 2)},
                                          {"style.css", "p { margin: 0 }"},
                                          {"empty.txt", ""},
                                          {"reference/long.htm", Text(70000, 3)}});
  const std::string skipped = Archive(plain, {{"a.htm", "<p>a</p>"}, {"b/c.pdf", Noise(100, 4)}},
                                      std::string(40, '\x01'));
  for (const char* target : {"archive", "container"}) {
    Put(target, "one.vxb", one);
    Put(target, "many.vxb", many);
    Put(target, "skipped.vxb", skipped);
  }
}

// Packed blocks for the LZ target: a byte for the archive's parameters, two
// bytes of output size, the block.
void PackedBlocks() {
  LzPacker packer;
  const std::vector<std::string> chunks = {Text(64, 5), Text(2000, 6), Text(32768, 7),
                                           std::string(5000, 'a'), "abababababababababab"};
  int n = 0;
  for (const std::string& chunk : chunks) {
    if (!packer.Pack({reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()})) continue;
    const auto block = packer.Block();
    std::string seed = {'\0', static_cast<char>(chunk.size() & 0xFF), static_cast<char>(chunk.size() >> 8)};
    seed.append(reinterpret_cast<const char*>(block.data()), block.size());
    Put("lz", "block" + std::to_string(n++), seed);
  }
}

void Texts(const std::string& target, const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < texts.size(); ++i) Put(target, "seed" + std::to_string(i), texts[i]);
}

std::string Z(std::initializer_list<std::string> pieces) {  // pieces ended by zero bytes
  std::string text;
  for (const std::string& piece : pieces) text += piece + '\0';
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  fs::create_directories(g_root);
  try {
    Archives();
    PackedBlocks();
  } catch (CKelException* e) {
    std::fprintf(stderr, "error %u %s\n", e->m_code, e->m_arg1.c_str());
    delete e;
    return 1;
  }
  Texts("url", {
      Z({"vexost://Manual/guide/intro.htm"}) + "vexost://Manual/guide/images/a.gif",
      Z({"vexost://FirmCode:10::Manual/index.htm"}) + "vexost://FirmCode:10::Manual/:3",
      Z({"vexost://file:/docs/manual.vxb/"}) + "vexost://file:/docs/manual.vxb/style.css",
      Z({"vexost:"}) + "vexost:list",
      Z({"vexost://Manual/"}) + "vexost://Manual/%41%62c%7C%5c%%x",
      Z({"vexost://file:/docs/a.vxb/a.htm"}) + "b/c.pdf",
      Z({"vexost://file:C|\\docs\\a.vxb/x.htm"}) + "file:///vexost://A/x.htm",
      Z({"vexost://A/:12"}) + "vexost://firmcode:1048575::A/",
  });
  Texts("http", {
      Z({"GET", "/vexost://Manual/index.htm", "127.0.0.1:8080", "bytes=0-99", "\"abc\"", "",
         "gzip, deflate"}) + "<a href=\"vexost://Manual/x.htm\">x</a>",
      Z({"HEAD", "/res://module/stow.gif", "localhost:8080", "bytes=-500", "W/\"x\", *",
         "Sun, 06 Nov 1994 08:49:37 GMT", "gzip;q=0"}) + "<img src='res://a/b.gif'>",
      Z({"POST", "/", "evil.example", "bytes=5-", "", "", "identity"}),
      Z({"GET", "/", "", "bytes=1-2,4-5", "", "", ""}),
  });
  Texts("pagetext", {
      Z({"os.path \"join paths\" exi"}) +
          "<html><head><meta charset=utf-8><title>4.2. os.path &#8212; Site</title></head><body>"
          "<nav>menu</nav><h1 id=\"module-os.path\">os.path</h1><p>Join paths; exists()</p>"
          "<script>x()</script></body></html>",
      Z({"caf\xC3\xA9 cr"}) + "<meta http-equiv=Content-Type content='text/html; charset=windows-1252'>"
          "<p>caf\xE9 \x80 cr\xE8me</p>",
      Z({"NEAR(a b) OR \"x"}) + "\xFF\xFE<\0p\0>\0x\0",
      Z({""}) + "<?xml version='1.0' encoding='shift_jis'?><p>\x93\xfa\x96\x7b</p><table><td>a",
  });
  Texts("cmdline", {
      "\x01\x00\x00/a /n0x1F /d-12 /hDEADBEEF /s\"quoted text\" docs/*.vxb"s,
      "\x05\x41\x00-kall /g{00030002-0000-1101-8002-0000C06B5161} /f:docs\\a.vxb /s /r a.vxb b.vxb"s,
      "\x00\x01\x00/regserver"s,
      "\x0D\x60\x01/k cu \"C:\\My Docs\\*.vxb\" /s *.vxb;x.vxb",
  });
  Texts("ini", {
      Z({"Documents", "Manual", "/docs/manual.vxb"}) +
          "; comment\r\n[ Documents ]\r\n  Manual = \"/old.vxb\" \r\nbare\r\n[Other]\r\nk=v\r\n",
      Z({"New", "key", "value"}) + "\xEF\xBB\xBF[A]\nx=1\n[a]\ny=2\n#c\n[B\nz",
  });
  Texts("catalog", {
      Z({"\x00Manual"s, "FC10", "@"}) + Z({"\x01" "Manual", "FC10", "/gone/manual.vxb"}) +
          Z({"\x00Other"s, "FC0", "/gone/other.vxb"}),
      Z({"\x06" "Bin", "FC7", "\x01\x02"}) + Z({"\x00Odd"s, "fc010", "@"}) + Z({"\x20" "Z", "FC16777215", ""}),
  });
  Texts("handover", {
      std::string("\x06\x00Manual\x10\x00/docs/manual.vxb\x0A\x00\x00\x00\x00\x00", 32),
      std::string("\xFF\x07", 2),
  });
  return 0;
}

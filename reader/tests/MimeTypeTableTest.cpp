#include "reader/MimeTypeTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MimeTypeTable, NamedTypesAndFirstInsertionWins) {
  MimeTypeTable table;
  const std::vector<std::pair<const char*, const char*>> named = {
      {"HTM", "text/html"}, {"HTML", "text/html"}, {"SHTML", "text/html"},
      {"CSS", "text/css"}, {"TXT", "text/plain"}, {"XML", "text/xml"},
      {"JS", "text/javascript"}, {"GIF", "image/gif"}, {"JPG", "image/jpeg"},
      {"JPEG", "image/jpeg"}, {"JPE", "image/jpeg"}, {"PNG", "image/png"},
      {"TIF", "image/tiff"}, {"TIFF", "image/tiff"}, {"PDF", "application/pdf"},
      {"DOC", "application/msword"}, {"DOT", "application/msword"},
      {"XLS", "application/msexcel"}, {"XLA", "application/msexcel"},
      {"PPT", "application/mspowerpoint"}, {"PPS", "application/mspowerpoint"},
      {"POT", "application/mspowerpoint"}, {"PPZ", "application/mspowerpoint"},
      {"VSD", "application/vnd.visio"}, {"CHM", "application/mshelp"},
      {"HLP", "application/mshelp"}, {"ZIP", "application/zip"}, {"GZ", "application/gzip"},
      {"BIN", "application/octet-stream"}, {"WRL", "model/vrml"},
      {"CAB", "application/x-shockwave-flash"}, {"SWF", "application/x-shockwave-flash"},
      {"EXE", "application/octet-stream"}, {"DLL", "application/octet-stream"},
      {"COM", "application/octet-stream"}, {"CLASS", "application/octet-stream"},
      // Types of today's documentation sets, which browsers refuse without them.
      {"SVG", "image/svg+xml"}, {"WOFF", "font/woff"}, {"WOFF2", "font/woff2"},
      {"TTF", "font/ttf"}, {"OTF", "font/otf"}, {"EOT", "application/vnd.ms-fontobject"},
      {"ICO", "image/vnd.microsoft.icon"}, {"JSON", "application/json"},
      {"WEBP", "image/webp"}, {"AVIF", "image/avif"}, {"MJS", "text/javascript"},
      {"WASM", "application/wasm"}, {"MAP", "application/json"},
      {"WEBMANIFEST", "application/manifest+json"}, {"MD", "text/markdown"}};
  for (const auto& [key, type] : named) EXPECT_EQ(table.Lookup(key), type) << key;
}

TEST(MimeTypeTable, LookupIsExactAndCaseSensitive) {
  MimeTypeTable table;
  EXPECT_EQ(table.Lookup("gif"), "");
  EXPECT_EQ(table.Lookup("Pdf"), "");
  EXPECT_EQ(table.Lookup("BMP"), "");
  EXPECT_EQ(table.Lookup("WMF"), "");
  EXPECT_EQ(table.Lookup("EMF"), "");
  EXPECT_EQ(table.Lookup(""), "");
  EXPECT_EQ(table.Lookup("HTM "), "");
}

TEST(MimeTypeTable, ModuleInstanceLivesUntilDestroyed) {
  MimeTypeTable& first = MimeTypeTable::Instance();
  EXPECT_EQ(&first, &MimeTypeTable::Instance());
  EXPECT_EQ(first.Lookup("PNG"), "image/png");
  MimeTypeTable::Destroy();
  EXPECT_EQ(MimeTypeTable::Instance().Lookup("PNG"), "image/png");
  MimeTypeTable::Destroy();
}

}  // namespace

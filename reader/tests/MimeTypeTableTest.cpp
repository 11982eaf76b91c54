#include "reader/MimeTypeTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Keys are upper-case extensions compared exactly; of two insertions of a key the
// first wins; the types of today's documentation sets are there, which browsers
// refuse to use without them.
TEST(MimeTypeTable, LookupIsExactAndTheFirstInsertionWins) {
  const std::pair<const char*, const char*> cases[] = {
      {"HTM", "text/html"},         {"PDF", "application/pdf"}, {"BIN", "application/octet-stream"},
      {"WRL", "model/vrml"},        {"SVG", "image/svg+xml"},   {"WOFF2", "font/woff2"},
      {"MJS", "text/javascript"},   {"WASM", "application/wasm"},
      {"gif", ""}, {"Pdf", ""}, {"BMP", ""}, {"WMF", ""}, {"", ""}, {"HTM ", ""}};
  MimeTypeTable& table = MimeTypeTable::Instance();
  EXPECT_EQ(&table, &MimeTypeTable::Instance());
  for (const auto& [key, type] : cases) EXPECT_EQ(table.Lookup(key), type) << key;
  MimeTypeTable::Destroy();
  EXPECT_EQ(MimeTypeTable::Instance().Lookup("PNG"), "image/png");
  MimeTypeTable::Destroy();
}

}  // namespace

#include "reader/MimeTypeTable.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The keys in the order the table is filled.
constexpr const char* kKeyOrder =
    "3DM 3DMF AI AIF AIFC AIFF ASD ASF ASN AU AVI BCPIO BIN BIN CAB CDF CHM CHT CLASS COD COM "
    "CPIO CSH CSS CSV DCR DIR DLL DOC DOT DUS DVI DWF DWG DXF DXR EPS ES ETX EVY EXE FH4 FH5 FHC "
    "FIF GIF GTAR GZ HDF HLP HQX HTM HTML IEF JPE JPEG JPG JS LATEX MAN MBD MCF ME MID MIDI MIF "
    "MOV MOVIE MP2 MPE MPEG MPG NC NSC ODA PBM PDF PGM PHP PHTML PNM PNG POT PPM PPS PPT PPZ PS "
    "PTLK QD3 QD3D QT RA RAM RAS RGB RPM RTC RTF RTX SCA SGM SGML SH SHAR SHTML SIT SMP SND SPC "
    "SPL SPR SPRITE SRC STREAM SV4CPIO SV4CRC SWF T TALK TAR TBK TCL TEX TEXI TEXINFO TIF TIFF TR "
    "TROFF TSI TSP TSV TXT USTAR VSD VIV VIVO VMD VMF VOX VTS VTTS WAV WBMP WML WMLC WMLS WMLSC "
    "WRL WRL XBM XLA XLS XPM XML XWD Z ZIP";

TEST(MimeTypeTable, IsFilledByAllInsertionsInOrder) {
  std::istringstream words(kKeyOrder);
  std::vector<std::string> expected{std::istream_iterator<std::string>(words), {}};
  std::vector<std::string> actual;
  for (const auto& [key, type] : MimeTypeTable::Insertions()) {
    actual.push_back(key);
    EXPECT_NE(std::string(type), "") << key;
  }
  EXPECT_EQ(actual.size(), 159u);
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(MimeTypeTable().Size(), 157u);
}

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
      {"COM", "application/octet-stream"}, {"CLASS", "application/octet-stream"}};
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

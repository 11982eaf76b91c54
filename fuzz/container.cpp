// The container under every archive: header, record list and the records the
// container and the archive kind read. The input is the file (its checksums are
// mended first); it is opened as an archive and as a container of a strict kind
// (name and file type required).
#include "archive/VxbFile.h"
#include "fuzz/ContainerChecksums.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr GUID kStrictType{0x00030002, 0x0000, 0x1101, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
constexpr BiffFileKind kStrictKind{BiffFileKind::kNameMustMatch, "Stowra", &kStrictType,
                                   2, 5, 0, 0, 2, 0, 16, 256};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(fuzz::Text(data, size));
  fuzz::MendContainerChecksums(bytes);
  const std::string path = fuzz::WriteScratchFile("container.vxb", bytes);

  stow::VxbFile archive;
  if (fuzz::Expected([&] { archive.Open(path); })) {
    // What the catalog and the pages take from an open archive.
    (void)archive.GetArchiveName().size();
    (void)archive.GetTitle().size();
    (void)archive.GetCopyright().size();
    if (archive.GetDataOffset() > 0 && archive.GetPosition() != archive.GetDataOffset()) std::abort();
  }
  CVexoBiffFile strict(kStrictKind);
  fuzz::Expected([&] { strict.Open(path); });
  return 0;
}

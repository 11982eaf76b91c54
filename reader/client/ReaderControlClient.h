// A host's side of the reader control "VexoSt.ReaderCtl": creates the control in
// the registered reader module and hands archives over to it, so that vexost://
// URLs with their names resolve to their files without the catalog. The viewer
// and the HTTP host both hand archives over this way.
#pragma once

#include <cstdint>
#include <string>

#include "platform/OleAuto.h"

// What the host knows of an archive it hands over.
struct HandedArchive {
  std::string name;
  std::string path;
  std::uint32_t firmCode = 0xFFFFFFFFu;
};

// Reads name and firm code of the archive at PATH (full path kept). Throws the
// archive's foundation exception when it is no readable archive.
HandedArchive ReadHandedArchive(const std::string& path);

// Encodes the hand-over record of SetData action 1: name, path, firm code and an
// empty text, little-endian with 16-bit length prefixes. False when a text is
// longer than 65535 bytes or the record would not fit CAPACITY.
bool EncodeHandOverRecord(const HandedArchive& archive, std::size_t capacity,
                          std::string& record);

class ReaderControlClient {
 public:
  // Creates the control by its ProgID. Failure: the activation's HRESULT.
  HRESULT Create();
  // Creates the control's buffer (once) and writes the record into it, then calls
  // SetData(1, buffer number), all through dispatch ids 4 and 5.
  HRESULT HandOver(const HandedArchive& archive);
  // Puts BROWSER into the control's WebBrowser property (by reference, dispatch id 3).
  HRESULT PutWebBrowser(IUnknown* browser);

 private:
  HRESULT CreateBuffer();

  ComPtr<IDispatch> m_control;
  LONG m_bufferNumber = 0;
  char* m_buffer = nullptr;
  LONG m_bufferSize = 0;
};

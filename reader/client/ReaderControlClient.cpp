#include "reader/client/ReaderControlClient.h"

#include <cstring>
#include <memory>

#include "archive/VxbFile.h"
#include "base/KelFile.h"

namespace {

constexpr const char* kReaderControlProgId = "VexoSt.ReaderCtl";
constexpr DISPID kDispWebBrowser = 3;
constexpr DISPID kDispCreateBuffer = 4;
constexpr DISPID kDispSetData = 5;
constexpr LONG kActionRegisterArchive = 1;

void AppendU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void AppendU32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

bool AppendText(std::string& out, const std::string& text) {
  if (text.size() > 0xFFFF) return false;
  AppendU16(out, static_cast<std::uint16_t>(text.size()));
  out += text;
  return true;
}

HRESULT Invoke(IDispatch* control, DISPID id, VARIANTARG* args, UINT count) {
  DISPPARAMS params{args, nullptr, count, 0};
  return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
}

}  // namespace

HandedArchive ReadHandedArchive(const std::string& path) {
  CKelFile full(path);
  full.MakeFullPath();
  stow::VxbFile file;
  file.Open(full.GetPath());
  HandedArchive archive{file.GetArchiveName(), full.GetPath(), file.GetFirmCode()};
  file.Close();
  return archive;
}

bool EncodeHandOverRecord(const HandedArchive& archive, std::size_t capacity,
                          std::string& record) {
  record.clear();
  if (!AppendText(record, archive.name) || !AppendText(record, archive.path)) return false;
  AppendU32(record, archive.firmCode);
  AppendText(record, std::string());
  return record.size() <= capacity;
}

HRESULT ReaderControlClient::Create() {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(kReaderControlProgId, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          m_control.putVoid());
}

HRESULT ReaderControlClient::CreateBuffer() {
  if (m_buffer) return S_OK;
  LONG number = 0;
  LONGLONG address = 0;
  LONG size = 0;
  // Arguments in reverse order: size, data, number. The address comes at the width
  // of a pointer.
  VARIANTARG args[3];
  for (VARIANTARG& a : args) VariantInit(&a);
  args[0].vt = VT_I4 | VT_BYREF;
  args[0].plVal = &size;
  args[1].vt = VT_I8 | VT_BYREF;
  args[1].pllVal = &address;
  args[2].vt = VT_I4 | VT_BYREF;
  args[2].plVal = &number;
  HRESULT hr = Invoke(m_control.get(), kDispCreateBuffer, args, 3);
  if (FAILED(hr)) return hr;
  m_bufferNumber = number;
  m_buffer = reinterpret_cast<char*>(static_cast<std::uintptr_t>(address));
  m_bufferSize = size;
  return m_buffer && size > 0 ? S_OK : E_FAIL;
}

HRESULT ReaderControlClient::HandOver(const HandedArchive& archive) {
  if (!m_control) return E_POINTER;
  HRESULT hr = CreateBuffer();
  if (FAILED(hr)) return hr;
  std::string record;
  if (!EncodeHandOverRecord(archive, static_cast<std::size_t>(m_bufferSize), record))
    return E_INVALIDARG;
  std::memcpy(m_buffer, record.data(), record.size());
  VARIANTARG args[2];
  for (VARIANTARG& a : args) VariantInit(&a);
  args[0].vt = VT_I4;
  args[0].lVal = m_bufferNumber;
  args[1].vt = VT_I4;
  args[1].lVal = kActionRegisterArchive;
  return Invoke(m_control.get(), kDispSetData, args, 2);
}

HRESULT ReaderControlClient::PutWebBrowser(IUnknown* browser) {
  if (!m_control) return E_POINTER;
  VARIANTARG value;
  VariantInit(&value);
  value.vt = VT_UNKNOWN;
  value.punkVal = browser;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return m_control->Invoke(kDispWebBrowser, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF,
                           &params, nullptr, nullptr, nullptr);
}

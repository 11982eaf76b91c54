#include "platform/UrlMon.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

// True when field F of BINDINFO lies wholly within the first SIZE bytes.
#define VXST_BINDINFO_HOLDS(size, f) (offsetof(BINDINFO, f) + sizeof(BINDINFO::f) <= (size))

void ReleaseBindInfo(BINDINFO* bindInfo) {
  if (!bindInfo) return;
  ULONG cbSize = bindInfo->cbSize;
  std::size_t size = std::min<std::size_t>(cbSize, sizeof(BINDINFO));
  if (VXST_BINDINFO_HOLDS(size, szExtraInfo)) CoTaskMemFree(bindInfo->szExtraInfo);
  if (VXST_BINDINFO_HOLDS(size, stgmedData) && bindInfo->stgmedData.pUnkForRelease)
    bindInfo->stgmedData.pUnkForRelease->Release();
  if (VXST_BINDINFO_HOLDS(size, szCustomVerb)) CoTaskMemFree(bindInfo->szCustomVerb);
  if (VXST_BINDINFO_HOLDS(size, pUnk) && bindInfo->pUnk) bindInfo->pUnk->Release();
  std::memset(static_cast<void*>(bindInfo), 0, size);
  if (size >= sizeof cbSize) bindInfo->cbSize = cbSize;
}

#include "common/update/xml_lite.h"

#include <mutex>

#include "platform/win/scoped_handle.h"

namespace UpdateUtilsNS {
namespace xml {

const IID IID_IXmlReader = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

namespace {

typedef HRESULT(WINAPI* CreateXmlReaderProc)(REFIID iid, void** out, IMalloc* malloc);

std::mutex g_bind_lock;
CreateXmlReaderProc g_create = nullptr;

// A library that cannot be loaded now may be found later (after the PATH step), so only a
// success is kept.
CreateXmlReaderProc Bind() {
  std::lock_guard<std::mutex> hold(g_bind_lock);
  if (!g_create) {
    KestrinWinNS::CScopedLibrary module(LoadLibraryA("XmlLite.dll"));
    if (module) {
      g_create = reinterpret_cast<CreateXmlReaderProc>(GetProcAddress(module.Get(), "CreateXmlReader"));
      if (g_create) module.Take();  // stays loaded for the process: the reader's code lives in it
    }
  }
  return g_create;
}

}  // namespace

HRESULT CreateXmlReader(IXmlReader** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CreateXmlReaderProc create = Bind();
  if (!create) return E_NOTIMPL;
  return create(IID_IXmlReader, reinterpret_cast<void**>(out), nullptr);
}

}  // namespace xml
}  // namespace UpdateUtilsNS

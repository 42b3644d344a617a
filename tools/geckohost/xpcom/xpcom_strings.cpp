// The scripted browser's XPCOM library (xpcom.dll): the frozen string functions, exported by
// name with the C calling convention as the platform's library exports them. A string object is
// a container this library made; anything else handed in where a string object belongs (a
// character pointer, a container never initialised or already finished) ends the process with a
// message naming the function, so that a component passing the wrong type fails its test.
#define KR_XPCOM_LIBRARY
#include "gecko/xpcom/xpcom_base.h"

#include <cstdio>
#include <cstring>

namespace {

const uint32_t kWideMagic = 0x4b525753;    // live UTF-16 container
const uint32_t kNarrowMagic = 0x4b52434e;  // live 8-bit container
const uint32_t kFinished = 0x4b524446;

// What a container holds (fits the caller's storage).
template <class Char>
struct Container {
  uint32_t magic;
  uint32_t length;
  Char* data;  // NUL-terminated, from the process heap; null while empty
};
static_assert(sizeof(Container<char>) <= sizeof(kr::nsStringContainer), "container fits");

[[noreturn]] void Refuse(const char* function) {
  fprintf(stderr, "xpcom: %s was given something that is not a string object\n", function);
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 70);
  for (;;) {
  }
}

template <class Char>
Container<Char>* Checked(const void* string, uint32_t magic, const char* function) {
  auto* c = static_cast<Container<Char>*>(const_cast<void*>(string));
  if (!c || IsBadReadPtr(c, sizeof(*c)) || c->magic != magic) Refuse(function);
  return c;
}

template <class Char>
void Init(void* storage, uint32_t magic) {
  auto* c = static_cast<Container<Char>*>(storage);
  c->magic = magic;
  c->length = 0;
  c->data = nullptr;
}

template <class Char>
void Finish(void* storage, uint32_t magic, const char* function) {
  Container<Char>* c = Checked<Char>(storage, magic, function);
  if (c->data) HeapFree(GetProcessHeap(), 0, c->data);
  c->data = nullptr;
  c->length = 0;
  c->magic = kFinished;
}

template <class Char>
uint32_t GetData(const void* string, uint32_t magic, const Char** data, kr::PRBool* terminated,
                 const char* function) {
  Container<Char>* c = Checked<Char>(string, magic, function);
  static const Char kEmpty[1] = {0};
  if (data) *data = c->data ? c->data : kEmpty;
  if (terminated) *terminated = kr::PR_TRUE;
  return c->length;
}

template <class Char>
kr::nsresult SetData(void* string, uint32_t magic, const Char* data, uint32_t length, const char* function) {
  Container<Char>* c = Checked<Char>(string, magic, function);
  if (!data) length = 0;
  if (length == UINT32_MAX) {
    length = 0;
    while (data[length]) ++length;
  }
  Char* copy = static_cast<Char*>(HeapAlloc(GetProcessHeap(), 0, (static_cast<size_t>(length) + 1) * sizeof(Char)));
  if (!copy) return kr::NS_ERROR_OUT_OF_MEMORY;
  if (length) memcpy(copy, data, length * sizeof(Char));
  copy[length] = 0;
  if (c->data) HeapFree(GetProcessHeap(), 0, c->data);
  c->data = copy;
  c->length = length;
  return kr::NS_OK;
}

}  // namespace

namespace kr {

kr::nsresult NS_StringContainerInit(kr::nsStringContainer& container) {
  Init<kr::PRUnichar>(&container, kWideMagic);
  return kr::NS_OK;
}

void NS_StringContainerFinish(kr::nsStringContainer& container) {
  Finish<kr::PRUnichar>(&container, kWideMagic, "NS_StringContainerFinish");
}

uint32_t NS_StringGetData(const kr::nsAString& string, const kr::PRUnichar** data, kr::PRBool* terminated) {
  return GetData<kr::PRUnichar>(&string, kWideMagic, data, terminated, "NS_StringGetData");
}

kr::nsresult NS_StringSetData(kr::nsAString& string, const kr::PRUnichar* data, uint32_t length) {
  return SetData<kr::PRUnichar>(&string, kWideMagic, data, length, "NS_StringSetData");
}

kr::nsresult NS_CStringContainerInit(kr::nsCStringContainer& container) {
  Init<char>(&container, kNarrowMagic);
  return kr::NS_OK;
}

void NS_CStringContainerFinish(kr::nsCStringContainer& container) {
  Finish<char>(&container, kNarrowMagic, "NS_CStringContainerFinish");
}

uint32_t NS_CStringGetData(const kr::nsACString& string, const char** data, kr::PRBool* terminated) {
  return GetData<char>(&string, kNarrowMagic, data, terminated, "NS_CStringGetData");
}

kr::nsresult NS_CStringSetData(kr::nsACString& string, const char* data, uint32_t length) {
  return SetData<char>(&string, kNarrowMagic, data, length, "NS_CStringSetData");
}

}  // namespace kr

#include "common/update/update_file.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <mutex>
#include <string>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/update/base64.h"
#include "common/update/update_key_data.h"
#include "common/utility/file_stream.h"
#include "platform/com/com_ptr.h"
#include "platform/win/scoped_handle.h"

namespace UpdateUtilsNS {

namespace {

// The update key store: made once, closed at process exit.
class CUpdateKeyStore {
 public:
  HCERTSTORE Get() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!store_) store_.Reset(Import());
    return store_.Get();
  }

 private:
  static HCERTSTORE Import() {
    std::vector<BYTE> container(kUpdateKeyContainerLength);
    DWORD size = static_cast<DWORD>(container.size());
    if (!DecodeBase64(kUpdateKeyContainer, kUpdateKeyContainerLength, container.data(), &size)) return nullptr;
    HCERTSTORE store = nullptr;
    if (!CryptoNS::ImportPfxStore(container.data(), size, L"", &store)) return nullptr;
    return store;
  }

  std::mutex lock_;
  KestrinWinNS::CScopedCertStore store_;
};

CUpdateKeyStore& KeyStore() {
  static CUpdateKeyStore store;
  return store;
}

}  // namespace

HCERTSTORE GetUpdateKeyStore() { return KeyStore().Get(); }

UpdateTrust DefaultUpdateTrust() {
  UpdateTrust trust = {GetUpdateKeyStore(), kUpdateSignerThumbprint, nullptr};
  return trust;
}

bool GetUpdateFilePath(char* path, size_t path_size) {
  if (!path || path_size < MAX_PATH) return false;
  char folder[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return false;
  if (!PathAppendA(folder, "\\Torvan\\Kestrin\\Update\\") || !PathAppendA(folder, "update.dat")) return false;
  lstrcpynA(path, folder, static_cast<int>(path_size));
  return true;
}

bool ReadUpdateFile(IStream* output, const char* path) {
  if (!output) return false;
  char default_path[MAX_PATH];
  if (!path) {
    if (!GetUpdateFilePath(default_path, sizeof(default_path))) return false;
    path = default_path;
  }
  // Read sharing: browser processes read the file side by side; a writer still waits for them.
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  KestrinComNS::CComPtr<IStream> stream;
  stream.Attach(UtilityClassesNS::CFileStream::Create(file));
  return stream && OpenUpdateMessage(stream, output);
}

bool OpenUpdateMessage(IStream* file, IStream* output) {
  return OpenUpdateMessage(file, output, DefaultUpdateTrust());
}

bool OpenUpdateMessage(IStream* file, IStream* output, const UpdateTrust& trust) {
  if (!file || !output || !trust.key_store || !trust.signer_thumbprint) return false;
  KestrinComNS::CComPtr<IStream> plain;
  plain.Attach(SHCreateMemStream(nullptr, 0));
  if (!plain) return false;
  bool result = false;
  if (CryptoNS::DecryptMessageStream(trust.key_store, file, plain)) {
    LARGE_INTEGER zero = {};
    plain->Seek(zero, STREAM_SEEK_SET, nullptr);
    KestrinWinNS::CScopedCertContext signer;
    if (CryptoNS::VerifySignedMessageStream(plain, output, signer.Receive()) && signer)
      result = IsUpdateSigner(signer.Get(), trust.signer_thumbprint, trust.at);
  }
  return result;
}

bool IsUpdateSigner(PCCERT_CONTEXT signer, const char* thumbprint, const FILETIME* at) {
  if (!signer || !signer->pCertInfo || !thumbprint) return false;
  FILETIME now;
  if (!at) {
    GetSystemTimeAsFileTime(&now);
    at = &now;
  }
  if (CertVerifyTimeValidity(const_cast<FILETIME*>(at), signer->pCertInfo) != 0) return false;
  CryptoNS::CCertData data(signer);
  std::string text;
  return data.GetThumbprint(&text) && text == thumbprint;
}

}  // namespace UpdateUtilsNS

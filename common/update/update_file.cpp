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

// What tells one version of a file from another: its size and its creation and write times.
// (The file's volume and index would take a volume query that costs Wine a large part of a
// millisecond; a file put in place anew has a creation time of its own.)
struct FileStamp {
  LARGE_INTEGER size = {};
  FILETIME created = {}, written = {};

  bool Read(HANDLE file) {
    FILETIME accessed;
    return GetFileSizeEx(file, &size) && GetFileTime(file, &created, &accessed, &written);
  }
  bool operator==(const FileStamp& o) const {
    return size.QuadPart == o.size.QuadPart && CompareFileTime(&created, &o.created) == 0 &&
           CompareFileTime(&written, &o.written) == 0;
  }
};

// The last update file this process opened, kept while the file stays as it was: deciphering
// and checking it again would give the same document. The signer's validity period is kept
// too, so that the signer is still held to it at every read.
class CReadCache {
 public:
  bool Find(const std::string& path, const FileStamp& stamp, UpdateDocument* document, FILETIME* not_before,
            FILETIME* not_after) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!valid_ || path != path_ || !(stamp == stamp_)) return false;
    *document = document_;
    *not_before = not_before_;
    *not_after = not_after_;
    return true;
  }
  void Keep(const std::string& path, const FileStamp& stamp, const UpdateDocument& document,
            const FILETIME& not_before, const FILETIME& not_after) {
    std::lock_guard<std::mutex> hold(lock_);
    path_ = path;
    stamp_ = stamp;
    document_ = document;
    not_before_ = not_before;
    not_after_ = not_after;
    valid_ = true;
  }

 private:
  std::mutex lock_;
  bool valid_ = false;
  std::string path_;
  FileStamp stamp_;
  UpdateDocument document_;
  FILETIME not_before_ = {}, not_after_ = {};
};

CReadCache& ReadCache() {
  static CReadCache cache;
  return cache;
}

const FILETIME* g_clock = nullptr;

bool WithinPeriod(const FILETIME& not_before, const FILETIME& not_after) {
  FILETIME now;
  if (g_clock)
    now = *g_clock;
  else
    GetSystemTimeAsFileTime(&now);
  return CompareFileTime(&now, &not_before) >= 0 && CompareFileTime(&now, &not_after) <= 0;
}

// OpenUpdateMessage, also giving the signer's validity period when it succeeds.
bool OpenMessage(IStream* file, IStream* output, const UpdateTrust& trust, FILETIME* not_before,
                 FILETIME* not_after) {
  if (!file || !output || !trust.key_store || !trust.signer_thumbprint) return false;
  KestrinComNS::CComPtr<IStream> plain;
  plain.Attach(SHCreateMemStream(nullptr, 0));
  if (!plain) return false;
  bool result = false;
  if (CryptoNS::DecryptMessageStream(trust.key_store, file, plain)) {
    LARGE_INTEGER zero = {};
    plain->Seek(zero, STREAM_SEEK_SET, nullptr);
    KestrinWinNS::CScopedCertContext signer;
    if (CryptoNS::VerifySignedMessageStream(plain, output, signer.Receive()) && signer) {
      result = IsUpdateSigner(signer.Get(), trust.signer_thumbprint, trust.at);
      if (result && not_before && not_after) {
        *not_before = signer.Get()->pCertInfo->NotBefore;
        *not_after = signer.Get()->pCertInfo->NotAfter;
      }
    }
  }
  return result;
}

bool WriteAll(IStream* output, const std::vector<BYTE>& bytes) {
  ULONG written = 0;
  return bytes.empty() ||
         (SUCCEEDED(output->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) &&
          written == bytes.size());
}

}  // namespace

HCERTSTORE GetUpdateKeyStore() { return KeyStore().Get(); }

UpdateTrust DefaultUpdateTrust() {
  UpdateTrust trust = {GetUpdateKeyStore(), kUpdateSignerThumbprint, g_clock};
  return trust;
}

void SetUpdateClockForTesting(const FILETIME* at) { g_clock = at; }

bool GetUpdateFilePath(char* path, size_t path_size) {
  if (!path || path_size < MAX_PATH) return false;
  char folder[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return false;
  if (!PathAppendA(folder, "\\Torvan\\Kestrin\\Update\\") || !PathAppendA(folder, "update.dat")) return false;
  lstrcpynA(path, folder, static_cast<int>(path_size));
  return true;
}

bool ReadUpdateDocument(const char* path, UpdateDocument* document) {
  if (!document) return false;
  char default_path[MAX_PATH];
  if (!path) {
    if (!GetUpdateFilePath(default_path, sizeof(default_path))) return false;
    path = default_path;
  }
  // Read sharing: browser processes read the file side by side; a writer still waits for them.
  KestrinWinNS::CScopedKernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // An unchanged file gives the document it gave before.
  FileStamp stamp;
  const bool stamped = stamp.Read(file.Get());
  FILETIME not_before, not_after;
  if (stamped && ReadCache().Find(path, stamp, document, &not_before, &not_after))
    return WithinPeriod(not_before, not_after);

  KestrinComNS::CComPtr<IStream> stream;
  stream.Attach(UtilityClassesNS::CFileStream::Create(file.Take()));
  if (!stream) return false;
  KestrinComNS::CComPtr<IStream> content;
  content.Attach(SHCreateMemStream(nullptr, 0));
  if (!content || !OpenMessage(stream, content, DefaultUpdateTrust(), &not_before, &not_after)) return false;
  STATSTG stat = {};
  LARGE_INTEGER zero = {};
  if (FAILED(content->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.HighPart ||
      FAILED(content->Seek(zero, STREAM_SEEK_SET, nullptr)))
    return false;
  std::shared_ptr<std::vector<BYTE>> bytes = std::make_shared<std::vector<BYTE>>(stat.cbSize.LowPart);
  ULONG got = 0;
  if (!bytes->empty() && (FAILED(content->Read(bytes->data(), static_cast<ULONG>(bytes->size()), &got)) ||
                          got != bytes->size()))
    return false;
  *document = bytes;
  if (stamped) ReadCache().Keep(path, stamp, *document, not_before, not_after);
  return true;
}

bool ReadUpdateFile(IStream* output, const char* path) {
  if (!output) return false;
  UpdateDocument document;
  return ReadUpdateDocument(path, &document) && WriteAll(output, *document);
}

bool OpenUpdateMessage(IStream* file, IStream* output) {
  return OpenUpdateMessage(file, output, DefaultUpdateTrust());
}

bool OpenUpdateMessage(IStream* file, IStream* output, const UpdateTrust& trust) {
  return OpenMessage(file, output, trust, nullptr, nullptr);
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

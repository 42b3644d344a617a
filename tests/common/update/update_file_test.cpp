#include "common/update/update_file.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/crypto/cert_helpers.h"
#include "common/update/update_key_data.h"
#include "platform/win/scoped_handle.h"

using namespace UpdateUtilsNS;

namespace {

std::string DataPath(const char* name) { return std::string(KESTRIN_UPDATE_TEST_DATA) + "\\" + name; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string StreamText(IStream* stream) {
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  if (!text.empty()) stream->Read(&text[0], static_cast<ULONG>(text.size()), &read);
  text.resize(read);
  return text;
}

// Reads a test file with the project's trust, or another one.
struct Opened {
  bool ok;
  std::string document;
};
Opened Read(const char* name) {
  IStream* out = SHCreateMemStream(nullptr, 0);
  Opened o = {ReadUpdateFile(out, DataPath(name).c_str()), StreamText(out)};
  out->Release();
  return o;
}

TEST(UpdateKey, StoreHoldsTheUpdateKeyWithItsPrivateKey) {
  HCERTSTORE store = GetUpdateKeyStore();
  ASSERT_NE(nullptr, store);
  EXPECT_EQ(store, GetUpdateKeyStore());  // made once
  PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store, nullptr);
  ASSERT_NE(nullptr, cert);
  // The key is linked to the certificate: persisted (provider information) or, on Windows
  // Vista, held for the process only (key context).
  DWORD size = 0;
  EXPECT_TRUE(CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size) ||
              CertGetCertificateContextProperty(cert, CERT_KEY_CONTEXT_PROP_ID, nullptr, &size));
  CertFreeCertificateContext(cert);
}

TEST(UpdateFile, TheProjectsFileOpensToItsDocument) {
  Opened o = Read("good.dat");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(ReadText(DataPath("records.doc.xml")), o.document);
}

TEST(UpdateFile, RefusesFilesThatAreNotTheProjectsOwn) {
  const char* refused[] = {
      "other-signer.dat",  // signed by another, valid certificate
      "expired.dat",       // signed by a certificate whose time is over
      "wrong-key.dat",     // enciphered for another key
      "damaged.dat",       // one byte of the cipher text changed
      "truncated.dat",     // cut short
      "unsigned.dat",      // the document enciphered without a signature
      "missing.dat",
  };
  for (const char* name : refused) EXPECT_FALSE(Read(name).ok) << name;
}

TEST(UpdateFile, ExpiredSignerIsRefusedEvenWithItsOwnThumbprint) {
  // With the expired certificate named as the signer, only its validity period refuses it.
  std::string thumbprint = ReadText(DataPath("expired-signer.thumbprint"));
  ASSERT_EQ(40u, thumbprint.size());
  UpdateTrust trust = DefaultUpdateTrust();
  trust.signer_thumbprint = thumbprint.c_str();

  IStream* in = nullptr;
  ASSERT_EQ(S_OK, SHCreateStreamOnFileA(DataPath("expired.dat").c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &in));
  IStream* out = SHCreateMemStream(nullptr, 0);
  EXPECT_FALSE(OpenUpdateMessage(in, out, trust));

  // The same file at a moment inside that period passes: the signature itself is good.
  SYSTEMTIME mid = {2020, 6, 0, 1, 12, 0, 0, 0};
  FILETIME at;
  SystemTimeToFileTime(&mid, &at);
  trust.at = &at;
  LARGE_INTEGER zero = {};
  in->Seek(zero, STREAM_SEEK_SET, nullptr);
  EXPECT_TRUE(OpenUpdateMessage(in, out, trust));
  in->Release();
  out->Release();
}

TEST(UpdateFile, ProjectSignerIsRefusedOutsideItsValidity) {
  // The project's signing certificate, checked at a moment after its end.
  IStream* out = SHCreateMemStream(nullptr, 0);
  IStream* in = nullptr;
  ASSERT_EQ(S_OK, SHCreateStreamOnFileA(DataPath("good.dat").c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &in));
  UpdateTrust trust = DefaultUpdateTrust();
  SYSTEMTIME late = {2099, 1, 0, 1, 0, 0, 0, 0};
  FILETIME at;
  SystemTimeToFileTime(&late, &at);
  trust.at = &at;
  EXPECT_FALSE(OpenUpdateMessage(in, out, trust));
  in->Release();
  out->Release();
}

TEST(UpdateFile, ReadersShareTheFile) {
  // Another process reading the file at the same moment does not shut this one out.
  KestrinWinNS::CScopedKernelHandle other(
      CreateFileA(DataPath("good.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, other.Get());
  EXPECT_TRUE(Read("good.dat").ok);
}

// A file read before is given again while it stays as it was; a changed file at the same place
// is read anew, whether the new one opens or not.
TEST(UpdateFile, ARepeatReadFollowsTheFileAtItsPlace) {
  char folder[MAX_PATH], path[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(MAX_PATH, folder));
  ASSERT_NE(0u, GetTempFileNameA(folder, "upd", 0, path));
  auto read_at = [&path]() {
    IStream* out = SHCreateMemStream(nullptr, 0);
    Opened o = {ReadUpdateFile(out, path), StreamText(out)};
    out->Release();
    return o;
  };
  const std::string records = ReadText(DataPath("records.doc.xml"));
  const Opened second = Read("second.dat");
  ASSERT_TRUE(second.ok);
  ASSERT_NE(records, second.document);

  ASSERT_TRUE(CopyFileA(DataPath("good.dat").c_str(), path, FALSE));
  for (int i = 0; i < 2; ++i) {
    Opened o = read_at();
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(records, o.document);
  }
  ASSERT_TRUE(CopyFileA(DataPath("second.dat").c_str(), path, FALSE));
  Opened changed = read_at();
  EXPECT_TRUE(changed.ok);
  EXPECT_EQ(second.document, changed.document);
  ASSERT_TRUE(CopyFileA(DataPath("damaged.dat").c_str(), path, FALSE));
  EXPECT_FALSE(read_at().ok);
  DeleteFileA(path);
  EXPECT_FALSE(read_at().ok);
}

// The unchanged file is given again without deciphering, but the signer is still held to its
// validity period at the moment of each read.
TEST(UpdateFile, ARepeatReadOfAnUnchangedFileChecksTheSignersValidityAgain) {
  char folder[MAX_PATH], path[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(MAX_PATH, folder));
  ASSERT_NE(0u, GetTempFileNameA(folder, "upd", 0, path));
  ASSERT_TRUE(CopyFileA(DataPath("good.dat").c_str(), path, FALSE));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SYSTEMTIME late_time = {2099, 1, 0, 1, 0, 0, 0, 0};
  FILETIME late;
  SystemTimeToFileTime(&late_time, &late);
  UpdateDocument first, again, later, back;
  SetUpdateClockForTesting(&now);
  EXPECT_TRUE(ReadUpdateDocument(path, &first));
  EXPECT_TRUE(ReadUpdateDocument(path, &again));
  EXPECT_EQ(first, again);  // the same bytes: the repeat came from what was read before
  SetUpdateClockForTesting(&late);
  EXPECT_FALSE(ReadUpdateDocument(path, &later));
  SetUpdateClockForTesting(nullptr);
  EXPECT_TRUE(ReadUpdateDocument(path, &back));
  EXPECT_EQ(first, back);
  // A first read at the late moment is refused as well.
  SetUpdateClockForTesting(&late);
  IStream* out = SHCreateMemStream(nullptr, 0);
  EXPECT_FALSE(ReadUpdateFile(out, DataPath("second.dat").c_str()));
  out->Release();
  SetUpdateClockForTesting(nullptr);
  DeleteFileA(path);
}

TEST(UpdateFile, NeedsAnOutputAndFindsTheDefaultPlace) {
  EXPECT_FALSE(ReadUpdateFile(nullptr, DataPath("good.dat").c_str()));
  char path[MAX_PATH];
  ASSERT_TRUE(GetUpdateFilePath(path, sizeof(path)));
  EXPECT_NE(nullptr, StrStrIA(path, "\\Torvan\\Kestrin\\Update\\update.dat")) << path;
}

}  // namespace

// One target a reader that takes input from a file or the network.
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/nlrcert/nlr_certificate.h"
#include "common/nlrcert/nlr_data.h"
#include "common/siteseal/site_seal_lookup.h"
#include "common/update/base64.h"
#include "common/update/update_file.h"
#include "common/update/update_reader.h"
#include "common/url/page_address.h"
#include "common/utility/region.h"
#include "common/web/server_request.h"
#include "common/windowing/picture_ex_wnd.h"
#include "platform/win/gdi.h"
#include "tools/fuzz/fuzz_target.h"

namespace KestrinFuzz {

namespace {

// A memory stream over a copy of the input, released when it goes.
class CMemoryStream {
 public:
  CMemoryStream(const BYTE* data, size_t size)
      : stream_(SHCreateMemStream(data, static_cast<UINT>(size))) {}
  CMemoryStream() : stream_(SHCreateMemStream(nullptr, 0)) {}
  ~CMemoryStream() {
    if (stream_) stream_->Release();
  }
  IStream* get() const { return stream_; }

 private:
  CMemoryStream(const CMemoryStream&) = delete;
  CMemoryStream& operator=(const CMemoryStream&) = delete;
  IStream* stream_;
};

void LookupReply(const BYTE* data, size_t size) {
  std::vector<SiteSealRecord> records;
  ParseLookupReply(data, size, &records);
  for (const SiteSealRecord& r : records)
    if (r.offset > size || r.size > size - r.offset) Fail("a record runs past the reply");
}

void SealCertificate(const BYTE* data, size_t size) {
  CryptoNS::CNlrCertificate cert;
  if (!cert.Load(data, static_cast<DWORD>(size))) return;
  static const char* const kFields[] = {"Name", "MerchantName", "HallmarkName", "MerchantURL", "OptionDirectoryScope",
                                        "CanBeUsedBy", "OptionSubDomainScope", "LogoGraphic", "LogoFileType", "LogoName",
                                        CryptoNS::kNlrContentOid, CryptoNS::kNlrOptionsOid};
  for (const char* field : kFields) {
    std::vector<BYTE> bytes;
    cert.GetField(field, &bytes);
    cert.GetFieldNumber(field);
  }
  int type = 0, width = 0, height = 0, option = 0;
  DWORD logo_size = 0;
  ALG_ID algorithm = 0;
  std::string name;
  cert.GetLogoFileType(&type);
  cert.GetLogoSize(&logo_size);
  cert.GetLogoHashAlgorithm(&algorithm);
  cert.GetLogoDimensions(&width, &height);
  cert.GetLogoName(&name);
  cert.GetTrailingOption(&option);
  BYTE digest[20] = {};
  cert.MatchLogoHash(digest, sizeof(digest));
  const DWORD address = 0x0100007F;
  cert.VerifyWithChain("http://bank.example/shop/page.html", &address, true, cert.CheckRootChain());
  char popup[CryptoNS::CNlrCertificate::kMaxPopupText + 1];
  cert.GetPopupUrl(popup, sizeof(popup));
  std::string link;
  cert.GetLinkUrl(&link);
  CNLRData logo;
  cert.ExtractLogo(&logo);
}

void EnvelopedMessage(const BYTE* data, size_t size) {
  HCERTSTORE store = UpdateUtilsNS::GetUpdateKeyStore();
  CMemoryStream input(data, size), output;
  if (store && input.get() && output.get()) CryptoNS::DecryptMessageStream(store, input.get(), output.get());
}

void SignedMessage(const BYTE* data, size_t size) {
  CMemoryStream input(data, size), output;
  PCCERT_CONTEXT signer = nullptr;
  if (input.get() && output.get()) CryptoNS::VerifySignedMessageStream(input.get(), output.get(), &signer);
  if (signer) CertFreeCertificateContext(signer);
}

void UpdateFile(const BYTE* data, size_t size) {
  CMemoryStream input(data, size), output;
  if (input.get() && output.get()) UpdateUtilsNS::OpenUpdateMessage(input.get(), output.get());
}

void UpdateXml(const BYTE* data, size_t size) {
  CMemoryStream input(data, size);
  if (!input.get()) return;
  UpdateUtilsNS::CUpdateFileReader reader(input.get());
  int index = 0;
  int elements = 0;
  while (reader.NextElement(&index) == S_OK) {
    std::string text;
    reader.ReadText(&text);
    if (++elements > UpdateUtilsNS::CUpdateFileReader::kMaxNodes) Fail("the walk does not end");
  }
}

void AnimatedPicture(const BYTE* data, size_t size) {
  CMemoryStream input(data, size);
  if (!input.get()) return;
  WindowingNS::CPictureExWnd picture;
  if (picture.LoadFromStream(input.get())) {
    for (size_t i = 0; i < picture.GetFrameCount(); ++i) {
      picture.ShowFrame(i);
      picture.DisposeFrame(i);
    }
  }
}

void RegionResource(const BYTE* data, size_t size) {
  KestrinWinNS::CScopedRegion region;
  // A resource lies in memory aligned as the loader maps it.
  std::vector<DWORD> aligned((size + 3) / 4);
  if (size) memcpy(aligned.data(), data, size);
  UtilityClassesNS::CreateRegionFromData(size ? aligned.data() : nullptr, static_cast<DWORD>(size), region.Receive());
}

void Inflate(const BYTE* data, size_t size, bool gzip) {
  WebUtilsNS::CBodyDecoder decoder;
  std::vector<BYTE> out;
  DWORD produced = 0;
  const DWORD kLimit = 4 << 20;
  DWORD error = gzip ? decoder.DecodeGzip(data, size, kLimit, &out, &produced)
                     : decoder.DecodeDeflate(data, size, kLimit, &out, &produced);
  if (out.size() > kLimit) Fail("more bytes than the limit");
  (void)error;
}

void Gzip(const BYTE* data, size_t size) { Inflate(data, size, true); }
void Deflate(const BYTE* data, size_t size) { Inflate(data, size, false); }

void Base64(const BYTE* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  DWORD needed = 0;
  UpdateUtilsNS::DecodeBase64(text, size, nullptr, &needed);
  if (needed > size) Fail("more bytes than characters");
  std::vector<BYTE> out(needed + 1);
  DWORD got = needed;
  UpdateUtilsNS::DecodeBase64(text, size, out.data(), &got);
  if (got > needed) Fail("the count changed");
}

// The first byte chooses the scopes; the rest is the page address.
void UrlScope(const BYTE* data, size_t size) {
  if (size == 0) return;
  std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
  UrlNS::PageAddress address;
  UrlNS::ReadPageAddress(page.c_str(), &address);
  std::string text = address.Text();
  UrlNS::PageAddress again;
  if (address.HasHost() && (!UrlNS::ReadPageAddress(text.c_str(), &again) || again.Text() != text))
    Fail("the address reads differently the second time");
  CryptoNS::CNlrCertificate::MatchUrlScope("bank.example/shop", page.c_str(), data[0] & 3, (data[0] >> 2) & 1);
  std::wstring wide(reinterpret_cast<const wchar_t*>(data), size / 2);
  std::string narrow = UrlNS::NarrowPageAddress(wide.c_str(), wide.size());
  for (char c : narrow)
    if (static_cast<unsigned char>(c) >= 0x80) Fail("a narrowed address holds a byte outside ASCII");
}

}  // namespace

const Target kTargets[] = {
    {"lookup", LookupReply},     {"sealcert", SealCertificate}, {"enveloped", EnvelopedMessage},
    {"signed", SignedMessage},   {"update", UpdateFile},        {"xml", UpdateXml},
    {"gif", AnimatedPicture},    {"region", RegionResource},    {"gzip", Gzip},
    {"deflate", Deflate},        {"base64", Base64},            {"url", UrlScope},
    {nullptr, nullptr},
};

}  // namespace KestrinFuzz

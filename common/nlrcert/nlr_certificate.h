// Site-seal (NLR) certificates: the two private extensions, the maker's root check and the
// merchant URL scope.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"

class CNLRData;

namespace CryptoNS {

extern const char kNlrContentOid[];  // "1.3.6.1.4.1.32473.1.1.1"
extern const char kNlrOptionsOid[];  // "1.3.6.1.4.1.32473.1.1.2"

// Bits of CNlrCertificate::VerifyWithChain; 0 means the certificate is valid for the page.
enum NlrVerifyBits : DWORD {
  kNlrNotTimeValid = 0x00000001,
  kNlrValidityNotNested = 0x00000002,
  kNlrBadSignature = 0x00000008,
  kNlrRootNotInRootStore = 0x00000020,
  kNlrChainTooLong = 0x00000080,
  kNlrIssuerMissing = 0x00010000,
  kNlrIntermediateNotTimeValid = 0x00020000,
  kNlrIntermediateBadSignature = 0x00040000,
  kNlrBadVersion = 0x01000000,
  kNlrNotMakerRoot = 0x02000000,
  kNlrMerchantUrlUnusable = 0x04000000,
  kNlrFieldMissing = 0x20000000,
  kNlrOutOfScope = 0x40000000,
};

class CNlrCertificate {
 public:
  static const DWORD kMaxUrl = 2083;      // longest page URL and link URL
  static const DWORD kMaxPopupText = 259;
  static const DWORD kMaxMerchantUrl = 255;

  CNlrCertificate();
  ~CNlrCertificate();

  // Replaces the held certificate; clears the cached popup text and link URL.
  bool Load(const BYTE* data, DWORD size);
  PCCERT_CONTEXT Context() const { return context_.Get(); }

  // A field by name (an extension's dotted identifier, "Name", "MerchantName", "HallmarkName",
  // "MerchantURL", "OptionDirectoryScope", "CanBeUsedBy", "OptionSubDomainScope", "LogoGraphic",
  // "LogoFileType", "LogoName"). True when the field has bytes; they are copied when a buffer is
  // given and they fit its capacity (a field longer than the capacity delivers nothing).
  bool GetField(const char* name, void* buffer, DWORD capacity, DWORD* size) const;
  bool GetField(const char* name, std::vector<BYTE>* bytes) const;
  // The field as a little-endian number of 1 to 4 bytes; 0 otherwise.
  DWORD GetFieldNumber(const char* name) const;

  // Error bits (NlrVerifyBits) of this certificate for a page, with the root check's bits given
  // (CheckRootChain's verdict for this certificate, kept per process by CChainVerdicts): nothing
  // here opens a store. `ipv4` (network order) may be null. Also caches the popup text and the
  // link URL.
  DWORD VerifyWithChain(const char* page_url, const DWORD* ipv4, bool check_url, DWORD chain_bits);
  // The page-dependent part of VerifyWithChain: the bits the merchant URL's scope gives `page_url`
  // (kNlrFieldMissing | kNlrMerchantUrlUnusable without a usable merchant URL, kNlrOutOfScope
  // when the page lies outside it, 0 when inside). A caller that judges many pages with one
  // certificate reads the scope once (GetUrlScope) and calls ScopeBits.
  struct UrlScope {
    bool usable = false;  // a merchant URL of at most kMaxMerchantUrl bytes
    std::string merchant;
    DWORD directory_scope = 0;
    DWORD subdomain_scope = 0;
  };
  UrlScope GetUrlScope() const;
  static DWORD ScopeBits(const UrlScope& scope, const char* page_url);
  // True when the certificate names IP addresses (its alternative names): only then does the
  // page host's address take part in VerifyWithChain.
  bool NamesAddresses() const;

  bool GetPopupUrl(char* buffer, size_t size) const;
  bool GetLinkUrl(std::string* url) const;

  bool GetLogoFileType(int* type) const;
  bool GetLogoSize(DWORD* size) const;
  bool GetLogoHashAlgorithm(ALG_ID* algorithm) const;
  bool MatchLogoHash(const BYTE* digest, DWORD length) const;
  bool GetLogoDimensions(int* width, int* height) const;
  bool GetLogoName(std::string* name) const;
  bool GetTrailingOption(int* option) const;
  bool ExtractLogo(CNLRData* data) const;

  // The maker's root check of the issuer chain through the machine's "Root" and "CA" stores
  // (bits of NlrVerifyBits). Stores that cannot be opened leave the chain unchecked: that is
  // reported as a missing issuer.
  DWORD CheckRootChain() const;
  // The same walk through the given stores; `root` plays the machine's "Root" store.
  DWORD CheckRootChain(HCERTSTORE root, HCERTSTORE ca) const;

  // True when `page_url` lies in the scope of the merchant URL (host and optional path, no
  // scheme). Sub-domain scope 0 wants the exact host, any other value also accepts hosts that
  // end in "." and the merchant host. Directory scope: 0 this directory, 1 this directory or
  // a parent, 2 this directory and below, other values the host alone.
  static bool MatchUrlScope(const char* merchant_url, const char* page_url, DWORD directory_scope,
                            DWORD subdomain_scope);

  // True when `key` is one of the maker's root public keys and `issuer_name` (an X.500 string)
  // holds one of the maker's root name pairs.
  static bool IsMakerRoot(const CRYPT_BIT_BLOB& key, const char* issuer_name);

 private:
  CNlrCertificate(const CNlrCertificate&) = delete;
  CNlrCertificate& operator=(const CNlrCertificate&) = delete;

  // Encoded element `index` of an extension (a SEQUENCE of any) and the element count.
  bool GetElement(const char* oid, DWORD index, std::vector<BYTE>* encoded, DWORD* count) const;
  bool GetElementCount(const char* oid, DWORD* count) const;
  // What an element delivers when decoded as `type` (see the .cpp).
  bool ReadElement(const char* oid, DWORD index, LPCSTR type, std::vector<BYTE>* bytes) const;
  bool ReadNumberElement(const char* oid, DWORD index, LPCSTR type, int* value) const;
  bool ReadNameField(const char* name, std::vector<BYTE>* bytes) const;
  void CacheOptionTexts();
  bool MatchAddress(DWORD ipv4) const;

  KestrinWinNS::CScopedCertContext context_;
  bool has_popup_text_ = false;
  bool has_link_url_ = false;
  std::string link_url_;
  std::string popup_text_;
};

}  // namespace CryptoNS

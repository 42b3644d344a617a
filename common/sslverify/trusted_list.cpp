#include "common/sslverify/trusted_list.h"

#include <shlwapi.h>

#include <algorithm>

#include "common/nlrcert/chain_verdicts.h"
#include "common/update/base64.h"
#include "common/update/update_file.h"
#include "common/update/update_reader.h"
#include "platform/com/com_ptr.h"
#include "platform/win/module.h"

namespace SslVerifyNS {

using UpdateUtilsNS::CUpdateFileReader;

const TrustedOrganisation kTrustedOrganisations[] = {
    {"Orlantis AB", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"Akamai", "{72DCE218-1C22-4D8a-B1B6-7CC6F7F54C40}"},
    {"Baltimore Technologies Japan Co.,Ltd.", "{8A1EB1BC-0A47-430C-9BB1-E280F608887A}"},
    {"beTRUSTed", "{8A1EB1BC-0A47-430C-9BB1-E280F608887A}"},
    {"Betrusted Japan Co.,Ltd.", "{8A1EB1BC-0A47-430C-9BB1-E280F608887A}"},
    {"Nimbra", "{1B0B5857-0C27-4A62-850B-71074C53044C}"},
    {"Lattrix", "{1B0B5857-0C27-4A62-850B-71074C53044C}"},
    {"Torvan Japan Inc.", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"Torvan Limited", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"Torvan CA Limited", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"TORVAN CA Limited", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"Positive Software Corporation", "{502052B1-E174-4a51-9229-00CDF8455C06}"},
    {"Deutsche Telekom AG", "{BAD76507-17BE-4D43-8666-07FA9114B185}"},
    {"DigiCert Inc.", "{68652774-9F67-4FFE-A53F-C1C59CA411F9}"},
    {"DigiCert Inc", "{68652774-9F67-4FFE-A53F-C1C59CA411F9}"},
    {"Digital Signature Trust Co.", "{9345B071-F2BB-4451-9B65-74FC04B31E60}"},
    {"Entrust.net", "{FEBDBDD6-97AA-4fE3-9CF0-E9A603DFE187}"},
    {"Equifax", "{1B0B5857-0C27-4A62-850B-71074C53044C}"},
    {"Equifax Secure Inc.", "{1B0B5857-0C27-4A62-850B-71074C53044C}"},
    {"Etisalat", "{DED01BB4-60AE-48Af-9821-A1CA39FB4769}"},
    {"Firstserver, Inc.", "{501FE153-68A2-4d11-8D19-BEA2DD63E4B2}"},
    {"GlobalSign nv-sa", "{8531056C-455D-42fa-88F6-3137B4F06DDC}"},
    {"GlobalSign Inc", "{8531056C-455D-42fa-88F6-3137B4F06DDC}"},
    {"GTE Corporation", "{8A1EB1BC-0A47-430C-9BB1-E280F608887A}"},
    // The IPS authority writes its contact address and tax number in place of a name.
    {"ips@mail.ips.es C.I.F.  B-60929452", "{554F0CF0-FA9B-4A18-8065-175550697DE2}"},
    {"IPS Certification Authority s.l.", "{554F0CF0-FA9B-4A18-8065-175550697DE2}"},
    {"Japan Certification Services, Inc.", "{D24305DF-42FA-45E5-A7EC-949F6A82C635}"},
    {"MasterCard International", "{D613E51F-02C1-49b4-8057-7BDEB3195341}"},
    {"NetLock Halozatbiztonsagi Kft.", "{127FC6B1-D4D1-4f45-B5F5-5CFC5A8C736C}"},
    {"Network Solutions L.L.C.", "{74D5280C-8FE9-4898-9C09-A7D7A654338F}"},
    {"NTT Communications Corporation", "{F57CAE9D-B0BB-4B76-88E2-8F6C3BCB26F8}"},
    {"QuoVadis Limited", "{C6AF8366-A1C7-4475-ABDD-B1063CD0E9AD}"},
    {"Registry Services Corporation", "{7517FBFF-D515-44Fa-8844-31EAD9830CC0}"},
    {"RSA Data Security, Inc.", "{F75B368F-43EF-442B-A52A-C4EAFF1712A1}"},
    {"S1 Corporation", "{8CA72DAD-E98C-4fF9-9F1E-E83C49197AC7}"},
    {"Starfield Technologies, Inc.", "{FDE8E26B-6FD5-4229-BDBE-855D250260CA}"},
    {"Sun Microsystems Inc", "{097368EB-5912-4891-83A9-3A7D5203A7C3}"},
    {"TC TrustCenter for Security in Data Networks GmbH", "{C28EC456-90D0-4243-A2C0-9754C69AEDC2}"},
    {"TDC", "{3129FC6B-0D2E-47bf-B4AB-E1286C1807B6}"},
    {"Thawte Consulting cc", "{47C01A6E-07EF-40F5-B935-B07FAB65A273}"},
    {"Thawte Consulting (Pty) Ltd.", "{47C01A6E-07EF-40F5-B935-B07FAB65A273}"},
    {"Trusted Secure Certificate Authority", "{7B9865B9-19C3-411f-BF34-260D4C146B01}"},
    {"UniCERT Brasil Certificadora", "{17D920C3-E624-4153-B61D-A0467C4C7CC3}"},
    {"VeriSign, Inc.", "{FEC95DCF-1256-4a8F-9B8A-E843BF959066}"},
    {"VeriSign Trust Network", "{FEC95DCF-1256-4a8F-9B8A-E843BF959066}"},
    {"XRamp Security Services Inc", "{34B350C4-376F-4733-968E-F845889E1138}"},
    {"CFC", "{DDF5CDDB-B4A8-4eE6-AC0E-3B6F5AFF31AA}"},
    {"Mortgage and Settlement Service Trust CA", "{2E72BA90-5BAF-4230-9A31-99041FD9125A}"},
    {"The Vellacor Network", "{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}"},
    {"Unizeto Sp. z o.o.", "{85764147-C0E7-404D-8890-CF109B2FA936}"},
    {"GlobalTrust", "{C5192890-529C-41BD-939D-C6234C7EAA73}"},
};
const size_t kTrustedOrganisationCount = sizeof(kTrustedOrganisations) / sizeof(kTrustedOrganisations[0]);

namespace {

std::string LowerCase(std::string text) {
  if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

CSslVerifyTrustedList* CSslVerifyTrustedList::GetInstance() {
  // Built once under the runtime's initialisation lock, destroyed at process exit (before the
  // observer service, which is complete before this list is).
  static CSslVerifyTrustedList list(ObserveNS::CObserverService::GetInstance(), nullptr);
  return &list;
}

CSslVerifyTrustedList::CSslVerifyTrustedList(ObserveNS::IObserverService* service, const char* update_path)
    : service_(service), update_path_(update_path ? update_path : "") {
  // Event 0 may arrive on the service's thread as soon as the list is registered: the first
  // rebuild takes the lock like every later one.
  UtilityClassesNS::CWriteLockGuard hold(lock_);
  if (service_) service_->Register(this, ObserveNS::kEventUpdateFileChanged);
  Rebuild();
}

CSslVerifyTrustedList::~CSslVerifyTrustedList() {
  if (service_) service_->Unregister(this, ObserveNS::kEventUpdateFileChanged);
}

void CSslVerifyTrustedList::Notify(DWORD event) {
  if (event != ObserveNS::kEventUpdateFileChanged) return;
  if (RebuildInBackground()) return;
  {
    UtilityClassesNS::CWriteLockGuard hold(lock_);
    Rebuild();
  }
  if (service_) service_->Notify(ObserveNS::kEventTrustedListRebuilt);
}

bool CSslVerifyTrustedList::RebuildInBackground() {
  if (!poster_) {
    if (!return_) return_.reset(new WebUtilsNS::CServerRequest("Kestrin"));
    poster_ = return_->GetThreadPoster();
    if (!poster_) return false;
  }
  UpdateUtilsNS::UpdateDocument walked;
  {
    UtilityClassesNS::CReadLockGuard hold(lock_);
    walked = walked_;
  }
  WebUtilsNS::CServerRequest::ThreadPoster poster = poster_;
  std::string path = update_path_;
  CSslVerifyTrustedList* self = this;
  return KestrinWinNS::RunInBackground([poster, path, walked, self] {
    auto logos = std::make_shared<Logos>();
    UpdateUtilsNS::UpdateDocument read;
    bool same = false;
    bool ok = ReadLogos(path, walked, logos.get(), &read, &same);
    // The list is reached on its own thread alone: a list that went meanwhile hears nothing.
    poster([self, ok, same, logos, read] {
      {
        UtilityClassesNS::CWriteLockGuard hold(self->lock_);
        self->TakeLogos(ok, same, logos.get(), read);
      }
      if (self->service_) self->service_->Notify(ObserveNS::kEventTrustedListRebuilt);
    });
  });
}

bool CSslVerifyTrustedList::Rebuild() {
  Logos logos;
  UpdateUtilsNS::UpdateDocument read;
  bool same = false;
  bool ok = ReadLogos(update_path_, walked_, &logos, &read, &same);
  TakeLogos(ok, same, &logos, read);
  return ok;
}

void CSslVerifyTrustedList::TakeLogos(bool ok, bool same, Logos* logos, const UpdateUtilsNS::UpdateDocument& read) {
  if (!ok) {
    // A file that cannot be read leaves the list as it was; one that broke off half-way
    // leaves no logos.
    if (read) {
      logos_.clear();
      walked_.reset();
    }
    return;
  }
  if (same) return;
  logos_.swap(*logos);
  walked_ = read;
  for (size_t i = 0; i < kTrustedOrganisationCount; ++i)
    organisations_.insert(std::make_pair(kTrustedOrganisations[i].organisation, kTrustedOrganisations[i].identifier));
  // The seal certificates' verdicts are judged again against what the new file brings.
  CryptoNS::CChainVerdicts::Process().Invalidate();
}

bool CSslVerifyTrustedList::ReadLogos(const std::string& path, const UpdateUtilsNS::UpdateDocument& walked,
                                      Logos* logos, UpdateUtilsNS::UpdateDocument* read_out, bool* same) {
  *same = false;
  read_out->reset();
  UpdateUtilsNS::UpdateDocument read;
  if (!UpdateUtilsNS::ReadUpdateDocument(path.empty() ? nullptr : path.c_str(), &read) || !read) return false;
  // The same document as the last one walked gives the same logos: they stay as they are. An
  // unchanged file gives the very bytes object walked before.
  if (walked && (read == walked || *read == *walked)) {
    *same = true;
    return true;
  }
  KestrinComNS::CComPtr<IStream> document;
  document.Attach(SHCreateMemStream(read->data(), static_cast<UINT>(read->size())));
  if (!document.get()) return false;
  *read_out = read;  // from here on a failure leaves no logos

  CUpdateFileReader reader(document.get());
  LogoBytes current;
  int index = -1;
  while (reader.NextElement(&index) == S_OK) {
    std::string text;
    if (index == UpdateUtilsNS::kElementIssuerLogo) {
      if (reader.ReadText(&text) != S_OK) continue;
      current.reset();
      std::shared_ptr<std::vector<BYTE>> bytes;
      try {
        bytes = std::make_shared<std::vector<BYTE>>(text.size());
      } catch (const std::bad_alloc&) {
        return false;
      }
      DWORD size = static_cast<DWORD>(bytes->size());
      if (UpdateUtilsNS::DecodeBase64(text.data(), text.size(), bytes->data(), &size) && size > 0) {
        bytes->resize(size);
        current = bytes;
      }
    } else if (index == UpdateUtilsNS::kElementThumbprint && current) {
      if (reader.ReadText(&text) != S_OK || text.empty()) continue;
      logos->insert(std::make_pair(LowerCase(text), current));  // a present key keeps its logo
    }
  }
  return true;
}

bool CSslVerifyTrustedList::FindLogoBytes(const std::string& key, LogoBytes* bytes) const {
  auto logo = logos_.find(key);
  if (logo == logos_.end()) {
    auto organisation = organisations_.find(key);
    if (organisation == organisations_.end()) return false;
    logo = logos_.find(LowerCase(organisation->second));
    if (logo == logos_.end()) return false;
  }
  *bytes = logo->second;
  return true;
}

bool CSslVerifyTrustedList::FindLogo(const char* key, IStream** logo) {
  if (!key || !logo) return false;
  *logo = nullptr;
  LogoBytes bytes;
  {
    UtilityClassesNS::CReadLockGuard hold(lock_);
    if (!FindLogoBytes(key, &bytes)) return false;
  }
  // The bytes never change once read; each caller gets a stream of its own over them.
  *logo = SHCreateMemStream(bytes->data(), static_cast<UINT>(bytes->size()));
  return *logo != nullptr;
}

}  // namespace SslVerifyNS

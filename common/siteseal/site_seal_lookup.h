// The site-seal lookup: asks the maker's lookup service for the site-seal (NLR) certificates
// issued for a host and cuts its reply into certificates for the page's site-seal list.
//
// Request: GET http://<service host>/nlr_searcher/binary/certificate.asp
//              ?v_querytype=NLR&v_search=<host in lower case>&v_serial=0
// Reply:   read by ParseLookupReply (common/siteseal/lookup_reply.h).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/siteseal/lookup_reply.h"
#include "common/web/server_request.h"

// The page's site-seal model as the lookup fills it.
class ISiteSealList {
 public:
  virtual void Clear() = 0;
  virtual void SetHost(const char* host) = 0;
  // The page's address as one ASCII text (scheme, host, path): the seals are held against it.
  virtual void SetPageAddress(const char* url) = 0;
  // Every certificate stays; the images are collected again for the new page.
  virtual void ResetImages() = 0;
  // 1 when the certificate was kept.
  virtual int AddCertificate(const BYTE* der, DWORD length) = 0;
  virtual DWORD GetCount() = 0;
  virtual void SetCertificatesDownloaded() = 0;
  virtual bool AreImagesCollected() = 0;
  virtual int VerifyImages() = 0;

 protected:
  ~ISiteSealList() {}
};

// The lookup service's host (with ":port" where needed): the registry value "LookupHost" under
// HKEY_CURRENT_USER\Software\TorvanGroup\Kestrin when it is set, else kDefaultLookupHost.
extern const char kDefaultLookupHost[];
extern const char kLookupHostValue[];  // "LookupHost"
std::string GetLookupServiceHost();

class CSiteSealLookup {
 public:
  static const DWORD kRequestId = 2;

  // `list` and `waiter` are not owned; the waiter hears the request's end under kRequestId and
  // hands a completion to OnLookupReply.
  CSiteSealLookup(ISiteSealList* list, WebUtilsNS::IRequestWaiter* waiter);
  virtual ~CSiteSealLookup();

  // Run when a lookup found the system offline and put it online again: the browser whose
  // page is looked up is to go online and load the page again. Null: nothing is run.
  void SetBackOnline(std::function<void()> back_online) { back_online_ = std::move(back_online); }
  void SetServiceHost(const std::string& host) { service_host_ = host; }

  // A top-level navigation is starting: the connected state that its lookup reads is asked
  // meanwhile (in the background, the first time and when the last answer is old).
  void PrepareLookup();
  // Looks up the certificates of the page's host unless that host was the last one looked up;
  // for the same host only the page's images are reset. An address without a host clears the
  // list. True when a request went out.
  bool LookupSiteSeals(const char* url);
  // A finished lookup request. Only the reply to the request made for the current host counts.
  void OnLookupReply(const char* url, const BYTE* body, DWORD length);

  bool IsNewHost() const { return new_host_; }
  const std::string& GetCurrentHost() const { return current_host_; }
  // The request URL the current host was looked up with (empty when none is outstanding).
  const std::string& GetPendingUrl() const { return pending_url_; }

 protected:
  // The platform's view of the connection (WinINet); tests replace them.
  virtual bool GetConnectedState(DWORD* flags);
  virtual bool GoOnline(const char* url);

 private:
  CSiteSealLookup(const CSiteSealLookup&) = delete;
  CSiteSealLookup& operator=(const CSiteSealLookup&) = delete;

  ISiteSealList* list_;
  WebUtilsNS::IRequestWaiter* waiter_;
  std::function<void()> back_online_;
  std::unique_ptr<WebUtilsNS::CServerRequest> request_;
  std::string service_host_;
  std::string current_host_;
  std::string pending_url_;
  bool new_host_ = false;
};

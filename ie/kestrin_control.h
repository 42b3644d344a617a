// The verification control a merchant's page embeds: it downloads the site-seal certificate
// named by CertLocation, verifies it for the page that hosts it (private extensions, the
// maker's roots, the merchant URL's scope, the revocation lookup), and then draws the
// certificate's logo picture (with the validation border and the site-seal popup on
// mouse-over) or shows the certificate's signed HTML page in a browser of its own. Progress
// and results go to the page through Status, Error, OnStatusChanged and OnError.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/nlrcert/chain_verdicts.h"
#include "common/nlrcert/nlr_certificate.h"
#include "common/web/server_request.h"
#include "common/windowing/validation_border.h"
#include "ie/html_event_handler.h"
#include "ie/kestrin_ie_interfaces.h"
#include "ie/quorvel_popup.h"
#include "platform/activex/ax_host.h"
#include "platform/activex/control_base.h"
#include "platform/activex/type_info_dispatch.h"
#include "platform/win/scoped_handle.h"

namespace KestrinIENS {

// The control's state (the numbers are what the page and the drawing go by).
enum ControlState : int {
  kStateIdle = 0,
  kStateDownloadStarted = 1,
  kStateDownloading = 2,
  kStateLookupStarted = 3,
  kStateLookupDownloading = 4,
  kStateShowingLogo = 5,
  kStateShowingPage = 6,
  kStateError = 7,
};

// Largest certificate the control downloads (bytes).
const DWORD kMaxCertificateSize = 512000;
// Posted to the control window to let the browser activate it without a click.
const UINT kMessageActivateControl = 0x83E9;
// Posted to the control window by painting that met an error: the page hears of it afterwards.
const UINT kMessageErrorAfterPaint = 0x83EB;
// OLEMISC bits of the control's class (registration script and GetMiscStatus).
const DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                 OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// The message of the first verification bit found, in the control's order.
const char* VerificationErrorText(DWORD bits);
// The progress bar's share of the inner width (0 to 99) for a state and percent.
int ProgressShown(int state, int percent);

class CKestrinControl : public KestrinAxNS::CControlBase,
                        public IKestrinControl,
                        public WebUtilsNS::IRequestWaiterEx {
 public:
  CKestrinControl();
  ~CKestrinControl() override;
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  // IDispatch of IKestrinControl (through the type library)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {
    return dispatch_.GetTypeInfo(index, lcid, out);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return dispatch_.GetIDsOfNames(riid, names, count, lcid, ids);
  }
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    return dispatch_.Invoke(static_cast<IKestrinControl*>(this), dispid, riid, lcid, flags, params, result,
                            exception, arg_error);
  }

  // IKestrinControl
  STDMETHODIMP put_BackColor(OLE_COLOR colour) override { return PutColour(&back_colour_, colour); }
  STDMETHODIMP get_BackColor(OLE_COLOR* colour) override { return GetColour(back_colour_, colour); }
  STDMETHODIMP put_BorderColor(OLE_COLOR colour) override { return PutColour(&border_colour_, colour); }
  STDMETHODIMP get_BorderColor(OLE_COLOR* colour) override { return GetColour(border_colour_, colour); }
  STDMETHODIMP put_FillColor(OLE_COLOR colour) override { return PutColour(&fill_colour_, colour); }
  STDMETHODIMP get_FillColor(OLE_COLOR* colour) override { return GetColour(fill_colour_, colour); }
  STDMETHODIMP put_ForeColor(OLE_COLOR colour) override { return PutColour(&fore_colour_, colour); }
  STDMETHODIMP get_ForeColor(OLE_COLOR* colour) override { return GetColour(fore_colour_, colour); }
  STDMETHODIMP get_CertLocation(BSTR* location) override { return GetText(cert_location_, location); }
  STDMETHODIMP put_CertLocation(BSTR location) override;
  STDMETHODIMP get_TextInvertColour(OLE_COLOR* colour) override { return GetColour(invert_colour_, colour); }
  STDMETHODIMP put_TextInvertColour(OLE_COLOR colour) override { return PutColour(&invert_colour_, colour); }
  STDMETHODIMP get_Status(BSTR* status) override { return GetText(status_, status); }
  STDMETHODIMP get_Error(BSTR* error) override { return GetText(error_, error); }
  STDMETHODIMP get_ProductVersion(BSTR* version) override;

  // IOleInPlaceActiveObject: the main browser first, then the signed page's keys.
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;

  // IRequestWaiterEx: 1 = the certificate download, 2 = the revocation lookup.
  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override;
  void OnRequestFailed(DWORD request_id, DWORD error) override;
  void OnContentLength(DWORD request_id, DWORD length) override;
  void OnProgress(DWORD request_id, DWORD received) override;
  void OnSizeLimitExceeded(DWORD request_id, DWORD size) override;

  int GetState() const { return state_; }
  // The chain verdicts the certificate's check uses: the process's, or a test's own (not owned).
  void SetChainVerdicts(CryptoNS::CChainVerdicts* verdicts) { verdicts_ = verdicts; }
  int GetPercent() const { return percent_; }
  int GetDisplayOption() const { return display_option_; }
  POINT GetAnchor() const { return anchor_; }
  IPicture* GetPicture() const { return picture_.get(); }
  IWebBrowser2* GetEmbeddedBrowser() const { return page_browser_.get(); }
  const std::string& GetSignedHtml() const { return signed_html_; }
  HWND GetSubclassedView() const { return view_; }

 protected:
  void OnDraw(HDC dc, const RECT& bounds) override;
  BOOL ProcessControlMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  HRESULT LoadProperties(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT SaveProperties(IPropertyBag* bag) override;
  HRESULT LoadFromStream(IStream* stream) override;
  HRESULT SaveToStream(IStream* stream) override;
  REFIID DefaultInterface() const override { return __uuidof(IKestrinControl); }

 private:
  friend class CKestrinControlTestPeer;
  static HRESULT GetColour(OLE_COLOR value, OLE_COLOR* out);
  static HRESULT GetText(const std::wstring& text, BSTR* out);
  HRESULT PutColour(OLE_COLOR* field, OLE_COLOR value);
  HRESULT SetCertLocation(const wchar_t* text, UINT length);

  void SetStatus(const std::string& text);
  void SetError(const std::string& text);
  // The same for an error met while painting: the state and text at once, the event and the
  // redraw once the paint is over (a page's script must not run inside WM_PAINT).
  void SetErrorWhilePainting(const std::string& text);
  int OnCreate();
  void OnActivate();
  void StartDownload();
  void CertificateStep();
  // The certificate's check for the page, once its chain verdict is known.
  void VerifyStep(const std::string& page_url, DWORD chain_bits);
  bool GetPageUrl(std::string* url);
  void StartRevocationLookup();
  void RevocationFailureStep();
  void DisplayStep();
  bool ShowSignedPage();
  // Takes the signed page's browser, handlers and view subclassing back.
  void ClosePage();
  void SubclassView();
  void RestoreView();
  struct ViewSubclass;
  LRESULT OnViewMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  bool StartHover(HWND track);
  void EndHover();
  void ShowPopup();
  void ShowContextMenu(LPARAM position);
  void RefreshTextFieldFlag(bool hide_when_lost);
  HWND RootOwner() const;

  KestrinAxNS::CTypeInfoDispatch dispatch_;
  OLE_COLOR back_colour_ = 0xFFFFFF;
  OLE_COLOR border_colour_ = 0x000000;
  OLE_COLOR fill_colour_ = 0xFF0000;
  OLE_COLOR fore_colour_ = 0x000000;
  OLE_COLOR invert_colour_ = 0xFFFFFF;
  std::wstring cert_location_;
  std::wstring status_;
  std::wstring error_ = L"No Error.";
  int state_ = kStateIdle;
  int display_option_ = -1;

  // The request of the current download; the one before it is kept until the next download,
  // since it may be the one calling.
  std::unique_ptr<WebUtilsNS::CServerRequestEx> request_;
  std::unique_ptr<WebUtilsNS::CServerRequestEx> retired_request_;
  std::vector<BYTE> cert_bytes_;
  DWORD received_ = 0;
  DWORD total_ = 0;
  int percent_ = 0;
  CryptoNS::CNlrCertificate certificate_;
  // The chain verdicts the check uses (the process's unless a test gives its own; not owned),
  // and the download whose verdict is awaited: an answer for an earlier one is dropped.
  CryptoNS::CChainVerdicts* verdicts_ = &CryptoNS::CChainVerdicts::Process();
  DWORD download_round_ = 0;
  KestrinWinNS::CScopedCertContext dialog_certificate_;

  WindowingNS::CValidationBorder* border_;  // the process's border, not owned
  bool hovering_ = false;
  bool text_field_ = false;
  bool page_shown_ = false;
  KestrinComNS::CComPtr<IPicture> picture_;
  std::unique_ptr<CQuorvelPopup> popup_;
  DWORD popup_created_ = 0;
  POINT anchor_ = {0, 0};

  KestrinComNS::CComPtr<IWebBrowser2> main_browser_;
  KestrinComNS::CComPtr<KestrinComNS::CComObject<KestrinAxNS::CAxHost>> page_host_;
  KestrinComNS::CComPtr<IWebBrowser2> page_browser_;
  KestrinComNS::CComPtr<IHtmlNlrEventHandler> handler_;
  KRControlNS::CScriptErrorHandler script_errors_;
  std::string signed_html_;
  bool table_user_ = false;
  HWND view_ = nullptr;  // the subclassed "Internet Explorer_Server" of the signed page
};

}  // namespace KestrinIENS

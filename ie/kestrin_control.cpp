#include "ie/kestrin_control.h"

#include <mshtml.h>
#include <shlguid.h>
#include <shlwapi.h>

#include <algorithm>

#include "common/crypto/cert_helpers.h"
#include "common/nlrcert/hallmark_store.h"
#include "common/nlrcert/nlr_data.h"
#include "common/siteseal/site_seal_lookup.h"
#include "common/url/page_address.h"
#include "common/utility/platform.h"
#include "common/utility/window_ids.h"
#include "ie/kr_protocol.h"
#include "platform/com/com_values.h"
#include "platform/win/gdi.h"
#include "platform/win/module.h"
#include "platform/win/prop_subclass.h"
#include "platform/win/scoped_resource.h"

namespace KestrinIENS {

using KestrinComNS::CBstr;
using KestrinComNS::CComPtr;
using KestrinWinNS::CPropSubclass;

namespace {

const char kWindowClass[] = "KestrinControlWindow";
const DWORD kWindowStyle = 0x56000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
const char kUserAgent[] = "Dravix Request 1.0";
const DWORD kRequestCertificate = 1;
const DWORD kRequestRevocation = 2;
const DISPID kDispidOnStatusChanged = 1;
const DISPID kDispidOnError = 1002;
const UINT_PTR kTimerHover = UtilityClassesNS::WindowIds::kTimerControlHover;
const UINT kHoverDelay = 500;
const DWORD kPopupLifetime = 30000;
const UINT kMenuViewCertificate = 0x8000;
const UINT kMenuResource = 210;
// The longest serial number the lookup is asked about (hexadecimal characters: 32 bytes).
const size_t kMaxSerialText = 64;

const char kClassPointerProp[] = "{69E017CA-4B1C-44ee-AED0-A58DCE2BC923}DXclasspointerL";
const char kOldProcProp[] = "{90C08220-FE3E-414D-8C26-D33D86E94A20}DXoldprocL";
const char kPopupClass[] = "DRAVIX_QUORVEL_WINDOW";
const char kSettingsKey[] = "SOFTWARE\\TorvanGroup\\Dravix";
const char kRevocationSetting[] = "ErrorOnFailedRevocationCheck";
const char kRevocationPage[] = "/nlr_searcher/binary/certificate.asp";
const char kRevocationQuery[] =
    "v_country=&v_postcode=&v_service=&v_company=&v_content=&v_max_rows=10&v_skip_rows=0&x=5&y=5&v_serial=1"
    "&v_querytype=DXREV&v_search=";

struct BitText {
  DWORD bit;
  const char* text;
};
const BitText kBitTexts[] = {
    {0x02000000, "Unable to verify root certificate/s"},
    {0x20000000, "Not a Kestrin certificate"},
    {0x01000000, "The nelrow certificate version is not supported by your current installation of Kestrin"},
    {0x00000001, "This certificate or one of the certificates in the certificate chain is not time valid"},
    {0x00000002, "Certificates in the chain are not properly time nested."},
    {0x00000004, "Trust for this certificate or one of the certificates in the certificate chain has been revoked."},
    {0x00000008,
     "The certificate or one of the certificates in the certificate chain does not have a valid signature."},
    {0x00000010, "The certificate or certificate chain is not valid for its proposed usage."},
    {0x00000020, "The certificate or certificate chain is based on an untrusted root."},
    {0x00000040,
     "The revocation status of the certificate or one of the certificates in the certificate chain is unknown."},
    {0x00000080,
     "One of the certificates in the chain was issued by a certification authority that the original certificate "
     "had certified."},
    {0x00000100, "One of the certificates has an invalid extension."},
    {0x00000200,
     "The certificate or one of the certificates in the certificate chain has a policy constraints extension, and "
     "one of the issued certificates has a disallowed policy mapping extension or does not have a required "
     "issuance policies extension."},
    {0x00000400,
     "The certificate or one of the certificates in the certificate chain has a basic constraints extension and "
     "either the certificate cannot be used to issue other certificates or the chain path length has been "
     "exceeded."},
    {0x00000800,
     "The certificate or one of the certificates in the certificate chain has an invalid name constraints "
     "extension."},
    {0x00001000,
     "The certificate or one of the certificates in the certificate chain has a name constraints extension "
     "containing unsupported fields. The minimum and maximum fields are not supported. Thus minimum must always "
     "be zero and maximum must always be absent. Only UPN is supported for an Other Name. The following "
     "alternative name choices are not supported: X400 Address EDI Party Name Registered Id."},
    {0x00002000,
     "The certificate or one of the certificates in the certificate chain has a name constraints extension and a "
     "name constraint is missing for one of the name choices in the end certificate."},
    {0x00004000,
     "The certificate or one of the certificates in the certificate chain has a name constraints extension and "
     "there is not a permitted name constraint for one of the name choices in the end certificate."},
    {0x00008000,
     "The certificate or one of the certificates in the certificate chain has a name constraints extension and "
     "one of the name choices in the end certificate is explicitly excluded."},
    {0x00010000, "The certificate chain is not complete ."},
    {0x00020000, "A CTL used to create this chain was not time valid."},
    {0x00040000, "A CTL used to create this chain did not have a valid signature."},
    {0x00080000, "A CTL used to create this chain is not valid for this usage."},
    {0x80000000, "Unable to extract logo"},
    {0x04000000, "Unable to find URL"},
    {0x40000000, "Unable to verify URL"},
    {0x08000000, "Bad Merchant IP"},
    {0x10000000, "Bad Hallmark IP"},
};

std::wstring Wide(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(size > 0 ? size : 0, L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size);
  return out;
}

bool IsPopupWindow(HWND window) {
  char name[64] = "";
  return window && GetClassNameA(window, name, sizeof(name)) && lstrcmpiA(name, kPopupClass) == 0;
}

HWND WindowUnderCursor() {
  POINT cursor;
  GetCursorPos(&cursor);
  return ChildWindowFromPointEx(GetDesktopWindow(), cursor, CWP_SKIPINVISIBLE);
}

}  // namespace

const char* VerificationErrorText(DWORD bits) {
  for (const BitText& entry : kBitTexts) {
    if (bits & entry.bit) return entry.text;
  }
  return "Unknown problem with certificate";
}

int ProgressShown(int state, int percent) {
  percent = std::max(0, std::min(100, percent));
  if (state == kStateDownloadStarted || state == kStateDownloading) return static_cast<int>(percent / 100.0 * 90);
  if (state == kStateLookupStarted) return 90;
  if (state == kStateLookupDownloading) return 90 + static_cast<int>(percent / 100.0 * 90 / 100 * 10);
  return 0;
}

CKestrinControl::CKestrinControl()
    : CControlBase(CLSID_KestrinControl, DIID__IKestrinControlEvents, kControlMiscStatus, kWindowClass,
                   kWindowStyle),
      dispatch_(__uuidof(IKestrinControl)),
      border_(WindowingNS::CValidationBorder::GetInstance()) {}

CKestrinControl::~CKestrinControl() {
  ClosePage();
  popup_.reset();
  if (GetHwnd()) DestroyUnbound();
  if (table_user_) PlugProtocolNS::CProtocolStreamTable::Instance().ReleaseUser();
}

HRESULT CKestrinControl::InternalQueryInterface(REFIID riid, void** out) {
  if (riid == IID_IUnknown) {
    *out = static_cast<IOleObject*>(this);
  } else if (riid == IID_IDispatch || riid == __uuidof(IKestrinControl)) {
    *out = static_cast<IKestrinControl*>(this);
  } else {
    return BaseQueryInterface(riid, out);
  }
  static_cast<IOleObject*>(this)->AddRef();
  return S_OK;
}

// ---- properties ----

HRESULT CKestrinControl::GetColour(OLE_COLOR value, OLE_COLOR* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

HRESULT CKestrinControl::GetText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CKestrinControl::PutColour(OLE_COLOR* field, OLE_COLOR value) {
  *field = value;
  SetDirty(true);
  FireViewChange();
  SendOnDataChange();
  return S_OK;
}

HRESULT CKestrinControl::SetCertLocation(const wchar_t* text, UINT length) {
  // The page's text is kept within the bound of everything the control persists.
  if (length > kMaxPersistedText) return E_INVALIDARG;
  try {
    cert_location_.assign(text ? text : L"", text ? length : 0);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  SetDirty(true);
  return S_OK;
}

STDMETHODIMP CKestrinControl::put_CertLocation(BSTR location) {
  HRESULT hr = SetCertLocation(location, SysStringLen(location));
  if (FAILED(hr)) return hr;
  StartDownload();
  FireViewChange();
  return S_OK;
}

STDMETHODIMP CKestrinControl::get_ProductVersion(BSTR* version) {
  if (!version) return E_POINTER;
  char text[20] = "";
  UtilityClassesNS::GetProductVersion(text, sizeof(text), 0);
  *version = SysAllocString(Wide(text).c_str());
  return *version ? S_OK : E_OUTOFMEMORY;
}

void CKestrinControl::SetStatus(const std::string& text) {
  status_ = Wide(text);
  FireEvent(kDispidOnStatusChanged);
  FireViewChange();
}

void CKestrinControl::SetError(const std::string& text) {
  error_ = Wide(text);
  state_ = kStateError;
  FireEvent(kDispidOnError);
  FireViewChange();
}

void CKestrinControl::SetErrorWhilePainting(const std::string& text) {
  error_ = Wide(text);
  state_ = kStateError;
  // Without a window of its own the control is drawn by its host, whose paint it cannot wait
  // for: the page hears of the error now, and the host's paint already shows it.
  if (!GetHwnd() || !PostMessageA(GetHwnd(), kMessageErrorAfterPaint, 0, 0)) FireEvent(kDispidOnError);
}

// ---- persistence ----

HRESULT CKestrinControl::LoadProperties(IPropertyBag* bag, IErrorLog* log) {
  struct {
    const wchar_t* name;
    OLE_COLOR* field;
  } colours[] = {{L"BackColor", &back_colour_},
                 {L"BorderColor", &border_colour_},
                 {L"FillColor", &fill_colour_},
                 {L"ForeColor", &fore_colour_},
                 {L"TextInvertColour", &invert_colour_}};
  for (const auto& colour : colours) {
    VARIANT value;
    if (SUCCEEDED(ReadBag(bag, colour.name, VT_I4, &value, log))) *colour.field = static_cast<OLE_COLOR>(V_I4(&value));
  }
  KestrinComNS::CVariant location;
  if (SUCCEEDED(ReadBag(bag, L"CertLocation", VT_BSTR, location.Receive(), log))) {
    HRESULT hr = SetCertLocation(V_BSTR(location.Get()), SysStringLen(V_BSTR(location.Get())));
    if (FAILED(hr)) return hr;
    // A control already in place starts at once; otherwise its window's creation starts it.
    if (GetHwnd()) StartDownload();
  }
  return S_OK;
}

HRESULT CKestrinControl::SaveProperties(IPropertyBag* bag) {
  const struct {
    const wchar_t* name;
    OLE_COLOR value;
  } colours[] = {{L"BackColor", back_colour_},
                 {L"BorderColor", border_colour_},
                 {L"FillColor", fill_colour_},
                 {L"ForeColor", fore_colour_},
                 {L"TextInvertColour", invert_colour_}};
  for (const auto& colour : colours) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = static_cast<LONG>(colour.value);
    HRESULT hr = WriteBag(bag, colour.name, &value);
    if (FAILED(hr)) return hr;
  }
  KestrinComNS::CVariant location;
  V_VT(location.Get()) = VT_BSTR;
  V_BSTR(location.Get()) = SysAllocStringLen(cert_location_.data(), static_cast<UINT>(cert_location_.size()));
  if (!V_BSTR(location.Get())) return E_OUTOFMEMORY;
  return WriteBag(bag, L"CertLocation", location.Get());
}

HRESULT CKestrinControl::LoadFromStream(IStream* stream) {
  OLE_COLOR* colours[] = {&back_colour_, &border_colour_, &fill_colour_, &fore_colour_, &invert_colour_};
  DWORD values[5];
  for (DWORD& value : values) {
    HRESULT hr = ReadStreamValue(stream, &value);
    if (FAILED(hr)) return hr;
  }
  std::wstring location;
  HRESULT hr = ReadStreamText(stream, &location);
  if (FAILED(hr)) return hr;
  for (int i = 0; i < 5; ++i) *colours[i] = values[i];
  cert_location_.swap(location);
  if (GetHwnd() && !cert_location_.empty()) StartDownload();
  return S_OK;
}

HRESULT CKestrinControl::SaveToStream(IStream* stream) {
  for (OLE_COLOR colour : {back_colour_, border_colour_, fill_colour_, fore_colour_, invert_colour_}) {
    HRESULT hr = WriteStreamValue(stream, colour);
    if (FAILED(hr)) return hr;
  }
  return WriteStreamText(stream, cert_location_);
}

// ---- the certificate download ----

void CKestrinControl::StartDownload() {
  if (!GetHwnd()) return;
  percent_ = 0;
  received_ = 0;
  total_ = 0;
  SetStatus("Downloading Certificate: 0%");
  state_ = kStateDownloadStarted;
  ++download_round_;  // a verdict still awaited belongs to the earlier download
  // Never through the code page: a character it cannot hold would become a "?" that ends the
  // host early.
  std::string location = UrlNS::NarrowPageAddress(cert_location_.data(), cert_location_.size());
  WebUtilsNS::CUrlBuilder url;
  if (!url.SetUrl(location.c_str(), false)) return;
  // A download started again drops the earlier one: its answers go unheard.
  retired_request_ = std::move(request_);
  request_.reset(new (std::nothrow) WebUtilsNS::CServerRequestEx(kUserAgent));
  if (!request_ ||
      !request_->SendLimitedRequest(url.GetUrl().c_str(), this, kRequestCertificate, 0, kMaxCertificateSize)) {
    SetError("Certificate Download Failed.");
    return;
  }
  if (!UtilityClassesNS::IsTrayProgramRunning()) UtilityClassesNS::LaunchTrayProgram();
}

void CKestrinControl::OnContentLength(DWORD request_id, DWORD length) {
  if (request_id == kRequestCertificate || request_id == kRequestRevocation) total_ = length;
}

void CKestrinControl::OnProgress(DWORD request_id, DWORD received) {
  if (request_id != kRequestCertificate && request_id != kRequestRevocation) return;
  state_ = request_id == kRequestCertificate ? kStateDownloading : kStateLookupDownloading;
  received_ = received;
  percent_ = total_ ? static_cast<int>(static_cast<float>(received) / static_cast<float>(total_) * 100.0f) : 0;
  percent_ = std::max(0, std::min(100, percent_));
  SetStatus(percent_ ? "Downloading Certificate: " + std::to_string(percent_) + "%" : std::string("0%"));
}

void CKestrinControl::OnSizeLimitExceeded(DWORD request_id, DWORD size) {
  total_ = size;
  SetError("The certificate is larger than the allowed limit.");
}

void CKestrinControl::OnRequestFailed(DWORD request_id, DWORD) {
  if (request_id == kRequestCertificate) SetError("Certificate Download Failed.");
  else if (request_id == kRequestRevocation) RevocationFailureStep();
}

void CKestrinControl::OnRequestComplete(DWORD request_id, const char*, const BYTE* body, DWORD length) {
  if (request_id == kRequestCertificate) {
    // The request's size limit bounds the bytes kept.
    if (!body || length > kMaxCertificateSize || !certificate_.Load(body, length)) {
      SetError("Certificate Download Failed.");
    } else {
      cert_bytes_.assign(body, body + length);
      CertificateStep();
    }
  } else if (request_id == kRequestRevocation) {
    // Only a successful status gets here (the lookup asks for it): the serial is not revoked.
    DisplayStep();
  }
  FireViewChange();
}

void CKestrinControl::CertificateStep() {
  percent_ = 100;
  SetStatus("Certificate Download Complete.");
  std::string page_url;
  if (!GetPageUrl(&page_url)) {
    SetError("Security check was unable to determine browser URL, probably due to cross domain framing");
    return;
  }
  int option = 0;
  if (certificate_.GetTrailingOption(&option)) display_option_ = option;
  std::string logo_name;
  if (certificate_.GetLogoName(&logo_name) && !logo_name.empty()) {
    if (logo_name.size() > CryptoNS::CNlrCertificate::kMaxPopupText)
      logo_name.resize(CryptoNS::CNlrCertificate::kMaxPopupText);
    border_->SetCaptionText(logo_name.c_str());
  }
  // The chain's verdict is the process's, computed once per certificate off this thread.
  DWORD chain_bits = 0;
  if (verdicts_->Find(cert_bytes_.data(), static_cast<DWORD>(cert_bytes_.size()), &chain_bits)) {
    VerifyStep(page_url, chain_bits);
    return;
  }
  CryptoNS::CChainVerdicts* verdicts = verdicts_;
  std::vector<BYTE> der = cert_bytes_;
  const DWORD round = download_round_;
  CKestrinControl* self = this;
  // The answer comes back through the download's request object: a control that went (and
  // its request with it) hears nothing, and an answer for an earlier download is dropped.
  KestrinWinNS::RunInBackgroundThenPost<DWORD>(
      request_ ? request_->GetThreadPoster() : nullptr,
      [verdicts, der] { return verdicts->Get(der.data(), static_cast<DWORD>(der.size())); },
      [self, round, page_url](DWORD bits) {
        if (self->download_round_ == round) self->VerifyStep(page_url, bits);
      });
}

void CKestrinControl::VerifyStep(const std::string& page_url, DWORD chain_bits) {
  DWORD bits = certificate_.VerifyWithChain(page_url.c_str(), nullptr, true, chain_bits);
  if (bits != 0) {
    SetError(VerificationErrorText(bits));
    FireViewChange();
    return;
  }
  StartRevocationLookup();
}

bool CKestrinControl::GetPageUrl(std::string* url) {
  if (!main_browser_) return false;
  CComPtr<IDispatch> document_dispatch;
  if (FAILED(main_browser_->get_Document(&document_dispatch)) || !document_dispatch) return false;
  CComPtr<IHTMLDocument2> document;
  if (FAILED(document.QueryFrom(document_dispatch.get())) || !document) return false;
  CComPtr<IHTMLLocation> location;
  if (FAILED(document->get_location(&location)) || !location) return false;
  CBstr href;
  if (FAILED(location->get_href(href.Receive())) || !href.Get()) return false;
  // One character past the longest address the scope check takes, so that a longer one still
  // fails there. The address is read as the helper object reads it: an address with a host
  // becomes its ASCII text (the host in its ASCII-compatible form); any other keeps its
  // characters beyond ASCII percent-encoded, and the scope check finds no host in it.
  size_t length = std::min<size_t>(href.Length(), CryptoNS::CNlrCertificate::kMaxUrl + 1);
  *url = UrlNS::NarrowPageAddress(href.Get(), length);
  return true;
}

void CKestrinControl::StartRevocationLookup() {
  KestrinWinNS::CScopedCertContext context(CertCreateCertificateContext(
      X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, cert_bytes_.data(), static_cast<DWORD>(cert_bytes_.size())));
  if (!context) return;
  received_ = 0;
  total_ = 0;
  SetStatus("Downloading Revocation: 0%");
  std::string serial;
  if (GetHwnd()) {
    state_ = kStateLookupStarted;
    FireViewChange();
    CryptoNS::CCertData data(context.Get());
    if (!data.GetSerialNumber(&serial) || serial.size() > kMaxSerialText) serial.clear();
  }
  if (serial.empty()) {
    RevocationFailureStep();
    return;
  }
  std::string url = "http://" + ::GetLookupServiceHost() + kRevocationPage + "?" + kRevocationQuery + serial;
  // The service answers a revoked serial with nothing at all; an error page is no answer either.
  if (!request_ ||
      !request_->SendLimitedRequest(url.c_str(), this, kRequestRevocation, WebUtilsNS::REQUEST_FLAG_HTTP_SUCCESS, 0))
    RevocationFailureStep();
}

void CKestrinControl::RevocationFailureStep() {
  KestrinWinNS::CScopedRegKey key;
  DWORD value = 0, size = sizeof(value), type = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
      RegQueryValueExA(key.Get(), kRevocationSetting, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    SetError("Unable to check certificate revocation errr status in registry.");
    return;
  }
  if (value != 0) {
    SetError("The certificate has been revoked.");
    return;
  }
  DisplayStep();
}

void CKestrinControl::DisplayStep() {
  dialog_certificate_.Reset(
      cert_bytes_.empty() ? nullptr
                          : CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, cert_bytes_.data(),
                                                         static_cast<DWORD>(cert_bytes_.size())));
  if (!dialog_certificate_) {
    SetError("Not a Kestrin certificate");
    return;
  }
  // The type decides; a certificate without a readable logo has none.
  CNLRData logo;
  bool extracted = certificate_.ExtractLogo(&logo);
  int type = -1;
  logo.GetType(&type);
  if (type == -1) {
    SetError("Unable to extract logo");
    return;
  }
  int key_index = static_cast<int>(reinterpret_cast<INT_PTR>(GetHwnd()));
  DWORD size = static_cast<DWORD>(cert_bytes_.size());
  if (type == CNLRData::kTypeGif || type == CNLRData::kTypeJpeg || type == CNLRData::kTypeBitmap) {
    CryptoNS::SaveHallmarkToRegistry(key_index, 0, cert_bytes_.data(), size, "HTTP://", "", 0);
    picture_.Release();
    if (!extracted || !logo.LoadPicture(&picture_) || !picture_) {
      SetError("Unable to extract logo");
      return;
    }
    OLE_XSIZE_HIMETRIC himetric_width = 0;
    OLE_YSIZE_HIMETRIC himetric_height = 0;
    picture_->get_Width(&himetric_width);
    picture_->get_Height(&himetric_height);
    KestrinWinNS::CScopedClientDC screen(nullptr);
    int width = MulDiv(himetric_width, GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    int height = MulDiv(himetric_height, GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
    RECT area = {};
    GetClientRect(GetHwnd(), &area);
    if (0.75 * width > area.right - area.left || 0.75 * height > area.bottom - area.top) {
      SetError("Display areas is smaller than the allowed tolerance for the Kestrin image");
      return;
    }
    if (display_option_ == 0) {
      anchor_ = {(area.right - area.left) * 7 / 8, (area.bottom - area.top) * 7 / 8};
      ClientToScreen(GetHwnd(), &anchor_);
    }
    SetStatus("Showing image.");
    state_ = kStateShowingLogo;
  } else if (type == CNLRData::kTypeHtml) {
    std::string text;
    if (!extracted || !logo.GetText(&text)) {
      SetError("Unknown problem while attemptiNg to display HTML");
      return;
    }
    CryptoNS::SaveHallmarkToRegistry(key_index, 0, cert_bytes_.data(), size, "HTTP://", "", 0);
    signed_html_.swap(text);
    if (ShowSignedPage()) {
      SetStatus("Showing signed HTML");
      state_ = kStateShowingPage;
    } else {
      SetError("Unknown problem while attemptiNg to display HTML");
    }
  } else {
    SetError("Not a Kestrin certificate");
  }
}

// ---- the signed page ----

bool CKestrinControl::ShowSignedPage() {
  if (!main_browser_ || !GetHwnd()) return false;
  PlugProtocolNS::CProtocolStreamTable& table = PlugProtocolNS::CProtocolStreamTable::Instance();
  if (!table_user_) table_user_ = table.AddUser();
  if (!table_user_) return false;
  CComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(signed_html_.data()),
                                  static_cast<UINT>(signed_html_.size())));
  if (!stream) return false;
  LONG number = table.File(stream);
  if (number == 0) return false;
  std::wstring address = PlugProtocolNS::MakeAddress(L"HTML", number);

  ClosePage();  // a page shown before goes with its browser
  page_host_.Attach(KestrinAxNS::CAxHost::Create(CLSID_WebBrowser, GetHwnd()));
  if (!page_host_ || FAILED(page_host_->GetControl(&page_browser_)) || !page_browser_) return false;
  CBstr url(address.c_str());
  VARIANT empty;
  VariantInit(&empty);
  if (!url.Get() || FAILED(page_browser_->Navigate(url.Get(), &empty, &empty, &empty, &empty))) return false;

  CComPtr<KestrinComNS::CComObject<CHtmlNlrEventHandler>> handler;
  handler.Attach(KestrinComNS::CComObject<CHtmlNlrEventHandler>::Create());
  if (!handler || !script_errors_.Attach(page_browser_)) return false;
  if (FAILED(handler->put_CallbackHwnd(GetHwnd())) || FAILED(handler->put_MainBrowserSite(main_browser_)) ||
      FAILED(handler->put_HtmlNlrBrowserSite(page_browser_)))
    return false;
  handler_ = handler.get();
  page_shown_ = true;
  SubclassView();
  return true;
}

void CKestrinControl::ClosePage() {
  RestoreView();
  script_errors_.Detach();
  handler_.Release();
  page_browser_.Release();
  if (page_host_) page_host_->Close();
  page_host_.Release();
  page_shown_ = false;
}

// The signed page's view: the control watches its messages, the view handles them all.
struct CKestrinControl::ViewSubclass {
  using Object = CKestrinControl;
  static const char* OldProcProperty() { return kOldProcProp; }
  static const char* ObjectProperty() { return kClassPointerProp; }
  static bool OnMessage(CKestrinControl* control, HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                        LRESULT&) {
    control->OnViewMessage(window, message, wparam, lparam);
    return false;
  }
};

void CKestrinControl::SubclassView() {
  HWND embedding = FindWindowExA(GetHwnd(), nullptr, "Shell Embedding", nullptr);
  HWND docobject = embedding ? FindWindowExA(embedding, nullptr, "Shell DocObject View", nullptr) : nullptr;
  HWND view = docobject ? FindWindowExA(docobject, nullptr, "Internet Explorer_Server", nullptr) : nullptr;
  if (!view || view == view_) return;
  RestoreView();
  if (CPropSubclass<ViewSubclass>::Subclass(view, this)) view_ = view;
}

void CKestrinControl::RestoreView() {
  if (!view_) return;
  CPropSubclass<ViewSubclass>::Unsubclass(view_);
  view_ = nullptr;
}

LRESULT CKestrinControl::OnViewMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KILLFOCUS:
    case WM_MOUSELEAVE:
      EndHover();
      break;
    case WM_CONTEXTMENU:
      ShowContextMenu(lparam);
      break;
    case WM_KEYDOWN:
      if (state_ == kStateShowingPage && !hovering_ && text_field_ && GetForegroundWindow() == RootOwner())
        StartHover(nullptr);
      break;
    case WM_MOUSEMOVE:
      if (state_ == kStateShowingPage && !hovering_ && GetForegroundWindow() == RootOwner()) StartHover(window);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      RefreshTextFieldFlag(true);
      break;
    default:
      break;
  }
  return 0;
}

void CKestrinControl::RefreshTextFieldFlag(bool hide_when_lost) {
  bool text_field = false;
  CComPtr<IDispatch> document_dispatch;
  CComPtr<IHTMLDocument2> document;
  CComPtr<IHTMLElement> active;
  CComPtr<IHTMLElement2> element;
  if (page_browser_ && SUCCEEDED(page_browser_->get_Document(&document_dispatch)) && document_dispatch &&
      SUCCEEDED(document.QueryFrom(document_dispatch.get())) && document &&
      SUCCEEDED(document->get_activeElement(&active)) && active) {
    VARIANT_BOOL edit = VARIANT_FALSE;
    if (SUCCEEDED(active->get_isTextEdit(&edit))) text_field = edit != VARIANT_FALSE;
  }
  text_field_ = text_field;
  if (!text_field && hide_when_lost && hovering_) EndHover();
}

// ---- hovering, the popup and the menu ----

HWND CKestrinControl::RootOwner() const { return GetHwnd() ? GetAncestor(GetHwnd(), GA_ROOTOWNER) : nullptr; }

bool CKestrinControl::StartHover(HWND track) {
  bool popup_visible = popup_ && popup_->hwnd() && IsWindowVisible(popup_->hwnd());
  if (!border_->ShowBorder(WindowingNS::BorderKind::kVerification, !popup_visible, true)) return false;
  hovering_ = true;
  SetTimer(GetHwnd(), kTimerHover, kHoverDelay, nullptr);
  if (track) {
    TRACKMOUSEEVENT tracking = {sizeof(tracking), TME_LEAVE, track, 0};
    TrackMouseEvent(&tracking);
  }
  return true;
}

void CKestrinControl::EndHover() {
  if (!hovering_) return;
  if (popup_ && popup_->hwnd()) {
    SendMessageA(popup_->hwnd(), WM_SHOWWINDOW, FALSE, 0);
    popup_->HideUnlessHovered(RootOwner());
  }
  bool onto_popup = IsPopupWindow(WindowUnderCursor());
  border_->HideBorder(WindowingNS::HideOrigin::kPointer, !onto_popup);
  hovering_ = false;
}

void CKestrinControl::ShowPopup() {
  char popup_text[CryptoNS::CNlrCertificate::kMaxPopupText + 1] = "";
  if (!certificate_.GetPopupUrl(popup_text, sizeof(popup_text)) || !popup_text[0]) return;
  if (popup_ && popup_->hwnd() && IsWindowVisible(popup_->hwnd())) return;
  DWORD now = GetTickCount();
  if (now < popup_created_) popup_created_ = now - kPopupLifetime;
  if (popup_ && popup_->hwnd() && now - popup_created_ > kPopupLifetime) popup_->Destroy();
  if (!popup_ || !popup_->hwnd()) {
    popup_.reset(new (std::nothrow) CQuorvelPopup());
    if (!popup_) return;
    popup_->SetLoadingPage(KestrinWinNS::CodeModule());
    popup_->SetLookupParameters(popup_text, 0, GetHwnd());
    std::string page_url;
    if (GetPageUrl(&page_url)) popup_->SetSearchText(Wide(page_url).c_str());
    if (!popup_->Create(GetHwnd())) return;
    popup_created_ = now;
  }
  popup_->SetBrowserWindow(RootOwner());
  ShowWindow(popup_->hwnd(), SW_SHOWNOACTIVATE);
}

void CKestrinControl::ShowContextMenu(LPARAM position) {
  KestrinWinNS::CScopedMenu menu(LoadMenuA(KestrinWinNS::CodeModule(), MAKEINTRESOURCEA(kMenuResource)));
  HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  KestrinWinNS::CScopedMenu own;
  if (!popup) {
    own.Reset(CreatePopupMenu());
    if (!own) return;
    AppendMenuA(own.Get(), MF_STRING, kMenuViewCertificate, "View Certificate");
    popup = own.Get();
  }
  bool enabled = state_ == kStateShowingLogo || state_ == kStateShowingPage;
  EnableMenuItem(popup, kMenuViewCertificate, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)),
                 0, GetHwnd(), nullptr);
}

// ---- the window ----

int CKestrinControl::OnCreate() {
  CComPtr<IServiceProvider> site_services, top_services;
  main_browser_.Release();
  if (!client_site() || FAILED(site_services.QueryFrom(client_site())) || !site_services ||
      FAILED(site_services->QueryService(SID_STopLevelBrowser, IID_IServiceProvider,
                                         reinterpret_cast<void**>(&top_services))) ||
      !top_services ||
      FAILED(top_services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                        reinterpret_cast<void**>(&main_browser_))) ||
      !main_browser_)
    return -1;
  if (!cert_location_.empty()) StartDownload();
  border_->SetBrowserWindow(RootOwner());
  border_->SetHoverWindow(GetHwnd());
  PostMessageA(GetHwnd(), kMessageActivateControl, 0, 0);
  return 0;
}

void CKestrinControl::OnActivate() {
  EnableWindow(GetHwnd(), TRUE);
  HWND parent = GetParent(GetHwnd());
  HWND overlay = parent ? FindWindowExA(parent, nullptr, "Internet Explorer_ObjectOverlay", nullptr) : nullptr;
  if (overlay) {
    PostMessageA(overlay, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(overlay, WM_LBUTTONUP, 0, 0);
  }
}

BOOL CKestrinControl::ProcessControlMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE:
      result = OnCreate();
      return TRUE;
    case WM_DESTROY:
      if (popup_) popup_->Destroy();
      ClosePage();
      return FALSE;
    case kMessageActivateControl:
      OnActivate();
      return TRUE;
    case kMessageErrorAfterPaint:
      if (state_ == kStateError) {
        FireEvent(kDispidOnError);
        FireViewChange();
      }
      return TRUE;
    case kMessageSignedPageLoaded:
      SubclassView();
      if (display_option_ == 2 && page_browser_) {
        CComPtr<IDispatch> document_dispatch;
        CComPtr<IHTMLDocument2> document;
        CComPtr<IHTMLElementCollection> forms;
        CComPtr<IDispatch> form_dispatch;
        CComPtr<IHTMLFormElement> form;
        CComPtr<IDispatch> field_dispatch;
        CComPtr<IHTMLElement2> field;
        VARIANT first;
        VariantInit(&first);
        V_VT(&first) = VT_I4;
        V_I4(&first) = 0;
        if (SUCCEEDED(page_browser_->get_Document(&document_dispatch)) && document_dispatch &&
            SUCCEEDED(document.QueryFrom(document_dispatch.get())) && document &&
            SUCCEEDED(document->get_forms(&forms)) && forms && SUCCEEDED(forms->item(first, first, &form_dispatch)) &&
            form_dispatch && SUCCEEDED(form.QueryFrom(form_dispatch.get())) && form &&
            SUCCEEDED(form->item(first, first, &field_dispatch)) && field_dispatch &&
            SUCCEEDED(field.QueryFrom(field_dispatch.get())) && field)
          field->focus();
      }
      return TRUE;
    case WM_MOUSEMOVE:
      if (state_ == kStateShowingLogo && !hovering_ && GetForegroundWindow() == RootOwner()) StartHover(window);
      return TRUE;
    case WM_TIMER:
      if (wparam != kTimerHover) return FALSE;
      {
        POINT cursor;
        GetCursorPos(&cursor);
        if (hovering_ && WindowFromPoint(cursor) == window) ShowPopup();
      }
      KillTimer(window, kTimerHover);
      return TRUE;
    case WM_MOUSELEAVE:
      EndHover();
      return TRUE;
    case WM_LBUTTONUP: {
      std::string link;
      if (state_ == kStateShowingLogo && main_browser_ && certificate_.GetLinkUrl(&link) && !link.empty()) {
        KestrinComNS::CVariant url;
        V_VT(url.Get()) = VT_BSTR;
        V_BSTR(url.Get()) = SysAllocString(Wide(link).c_str());
        if (V_BSTR(url.Get())) main_browser_->Navigate2(url.Get(), nullptr, nullptr, nullptr, nullptr);
      }
      return TRUE;
    }
    case WM_CONTEXTMENU:
      ShowContextMenu(lparam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) != kMenuViewCertificate) return FALSE;
      if (dialog_certificate_) CryptoNS::ViewCertificate(dialog_certificate_.Get(), false, nullptr);
      return TRUE;
    default:
      return FALSE;
  }
}

STDMETHODIMP CKestrinControl::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_POINTER;
  CComPtr<IOleInPlaceActiveObject> main_active;
  if (main_browser_ && SUCCEEDED(main_active.QueryFrom(main_browser_.get())) && main_active &&
      main_active->TranslateAccelerator(msg) == S_OK)
    return S_OK;
  bool handled = false;
  if (page_shown_) {
    if (msg->message == WM_RBUTTONDOWN || msg->message == WM_RBUTTONDBLCLK) {
      handled = true;
    } else {
      RefreshTextFieldFlag(true);
      if (msg->message == WM_KEYDOWN) {
        switch (msg->wParam) {
          case VK_BACK:
          case VK_TAB:
          case VK_END:
          case VK_HOME:
          case VK_LEFT:
          case VK_RIGHT:
          case VK_DELETE: {
            CComPtr<IOleInPlaceActiveObject> page_active;
            if (page_browser_ && SUCCEEDED(page_active.QueryFrom(page_browser_.get())) && page_active)
              page_active->TranslateAccelerator(msg);
            handled = true;
            break;
          }
          default:
            break;
        }
      }
    }
  }
  if (handled) return S_OK;
  return CControlBase::TranslateAccelerator(msg);
}

// ---- drawing ----

void CKestrinControl::OnDraw(HDC dc, const RECT& bounds) {
  if (state_ >= kStateDownloadStarted && state_ <= kStateLookupDownloading) {
    COLORREF border = 0, back = 0, fill = 0, fore = 0, invert = 0;
    OleTranslateColor(border_colour_, nullptr, &border);
    OleTranslateColor(back_colour_, nullptr, &back);
    OleTranslateColor(fill_colour_, nullptr, &fill);
    OleTranslateColor(fore_colour_, nullptr, &fore);
    OleTranslateColor(invert_colour_, nullptr, &invert);
    KestrinWinNS::CScopedPen pen(CreatePen(PS_SOLID, 1, border));
    KestrinWinNS::CScopedBrush brush(CreateSolidBrush(back));
    {
      KestrinWinNS::CSelectObject select_pen(dc, pen.Get());
      KestrinWinNS::CSelectObject select_brush(dc, brush.Get());
      Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    RECT inner = {bounds.left + 2, bounds.top + 2, bounds.right - 2, bounds.bottom - 2};
    int shown = ProgressShown(state_, percent_);
    RECT bar = inner;
    if (state_ <= kStateDownloading) {
      bar.right = shown ? (bounds.right - 2) * shown / 100 : inner.left;
    } else {
      bar.right = percent_ || state_ == kStateLookupStarted ? inner.right * shown / 100 : inner.left;
    }
    bar.right = std::max(bar.left, std::min(bar.right, inner.right));
    KestrinWinNS::CScopedBrush fill_brush(CreateSolidBrush(fill));
    FillRect(dc, &bar, fill_brush.Get());
    char text[64];
    if (shown) wsprintfA(text, "Loading NLR: %d%%", shown);
    else lstrcpyA(text, "0%");
    RECT area = bounds;
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    int mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_colour = SetTextColor(dc, fore);
    DrawTextA(dc, text, -1, &area, format);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    SetTextColor(dc, invert);
    area = bounds;
    DrawTextA(dc, text, -1, &area, format);
    RestoreDC(dc, saved);
    SetTextColor(dc, old_colour);
    SetBkMode(dc, mode);
    return;
  }
  if (state_ == kStateShowingLogo) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (picture_ && SUCCEEDED(picture_->get_Width(&width)) && SUCCEEDED(picture_->get_Height(&height)) &&
        SUCCEEDED(picture_->Render(dc, bounds.left, bounds.top, bounds.right - bounds.left,
                                   bounds.bottom - bounds.top, 0, height, width, -height, nullptr)))
      return;
    SetErrorWhilePainting("Unable to display logo");
  }
  if (state_ == kStateShowingPage) return;
  FillRect(dc, &bounds, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

}  // namespace KestrinIENS

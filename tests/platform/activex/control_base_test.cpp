// The control base through its COM interfaces, on a small control of the test's own: what
// persists and how much of it is read, the safety options, the event connection point and the
// view's drawing.
#include <gtest/gtest.h>

#include <windows.h>
#include <objsafe.h>
#include <olectl.h>

#include <string>

#include "platform/activex/control_base.h"
#include "platform/com/com_values.h"
#include "platform/win/gdi.h"

namespace {

using KestrinAxNS::CControlBase;
using KestrinComNS::CComObject;
using KestrinComNS::CComPtr;

const CLSID kClsid = {0x1D0C5A1E, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kEvents = {0x1D0C5A1E, 0x2222, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kIidObjectSafety = {0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

class CTestControl : public CControlBase {
 public:
  CTestControl() : CControlBase(kClsid, kEvents, OLEMISC_SETCLIENTSITEFIRST, "KestrinTestControl", WS_CHILD) {}
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown) {
      *out = static_cast<IOleObject*>(this);
      static_cast<IOleObject*>(this)->AddRef();
      return S_OK;
    }
    return BaseQueryInterface(riid, out);
  }
  void Fire(DISPID dispid) { FireEvent(dispid); }

  std::wstring text = L"start";
  int draws = 0;
  RECT drawn = {};

 protected:
  void OnDraw(HDC, const RECT& bounds) override {
    ++draws;
    drawn = bounds;
  }
  BOOL ProcessControlMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return FALSE; }
  HRESULT LoadProperties(IPropertyBag* bag, IErrorLog* log) override {
    VARIANT value;
    HRESULT hr = ReadBag(bag, L"Text", VT_BSTR, &value, log);
    if (SUCCEEDED(hr)) {
      text = V_BSTR(&value);
      VariantClear(&value);
    }
    return S_OK;
  }
  HRESULT SaveProperties(IPropertyBag* bag) override {
    KestrinComNS::CVariant value;
    V_VT(value.Get()) = VT_BSTR;
    V_BSTR(value.Get()) = SysAllocString(text.c_str());
    return WriteBag(bag, L"Text", value.Get());
  }
  HRESULT LoadFromStream(IStream* stream) override { return ReadStreamText(stream, &text); }
  HRESULT SaveToStream(IStream* stream) override { return WriteStreamText(stream, text); }
  REFIID DefaultInterface() const override { return IID_IDispatch; }
};

// A property bag over a list of texts.
class CBag : public IPropertyBag {
 public:
  virtual ~CBag() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IPropertyBag>(this, riid, out);
  }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    for (const auto& entry : values) {
      if (entry.first != name) continue;
      VARIANT text;
      VariantInit(&text);
      V_VT(&text) = VT_BSTR;
      V_BSTR(&text) = SysAllocString(entry.second.c_str());
      HRESULT hr = VariantChangeType(value, &text, 0, V_VT(value) == VT_EMPTY ? static_cast<VARTYPE>(VT_BSTR) : V_VT(value));
      VariantClear(&text);
      return hr;
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = VariantChangeType(&text, value, 0, VT_BSTR);
    if (SUCCEEDED(hr)) values.emplace_back(name, V_BSTR(&text));
    VariantClear(&text);
    return hr;
  }
  std::vector<std::pair<std::wstring, std::wstring>> values;
};

class CSink : public IDispatch {
 public:
  virtual ~CSink() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IDispatch>(this, riid, out);
  }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID lcid, WORD flags, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    fired.push_back(dispid);
    EXPECT_EQ(1024u, lcid);
    EXPECT_EQ(DISPATCH_METHOD, flags);
    return S_OK;
  }
  std::vector<DISPID> fired;
};

class ControlBase : public testing::Test {
 protected:
  ControlBase() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    control_.Attach(CComObject<CTestControl>::Create());
  }
  ~ControlBase() override {
    control_.Release();
    CoUninitialize();
  }
  CComPtr<CComObject<CTestControl>> control_;
};

TEST_F(ControlBase, PropertyBagAndStreamRoundTrips) {
  CComPtr<CComObject<CBag>> bag;
  bag.Attach(CComObject<CBag>::Create());
  bag->values = {{L"_cx", L"3969"}, {L"_cy", L"2117"}, {L"Text", L"from the page"}};
  ASSERT_EQ(S_OK, static_cast<IPersistPropertyBag*>(control_.get())->Load(bag.get(), nullptr));
  EXPECT_EQ(L"from the page", control_->text);
  SIZEL extent = {};
  EXPECT_EQ(S_OK, static_cast<IOleObject*>(control_.get())->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(3969, extent.cx);
  EXPECT_EQ(2117, extent.cy);

  CComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ASSERT_EQ(S_OK, static_cast<IPersistStreamInit*>(control_.get())->Save(stream, TRUE));
  EXPECT_EQ(S_FALSE, static_cast<IPersistStreamInit*>(control_.get())->IsDirty());
  CComPtr<CComObject<CTestControl>> copy;
  copy.Attach(CComObject<CTestControl>::Create());
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(S_OK, static_cast<IPersistStreamInit*>(copy.get())->Load(stream));
  EXPECT_EQ(L"from the page", copy->text);
  EXPECT_EQ(S_OK, static_cast<IOleObject*>(copy.get())->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(3969, extent.cx);

  CComPtr<CComObject<CBag>> saved;
  saved.Attach(CComObject<CBag>::Create());
  ASSERT_EQ(S_OK, static_cast<IPersistPropertyBag*>(copy.get())->Save(saved.get(), TRUE, TRUE));
  ASSERT_EQ(3u, saved->values.size());
  EXPECT_EQ(L"_cx", saved->values[0].first);
  EXPECT_EQ(L"from the page", saved->values[2].second);
}

// A stream's text record is read only within the bound: a record claiming more fails and
// leaves the control's text as it was.
TEST_F(ControlBase, StreamTextIsBounded) {
  const struct {
    DWORD claimed;
    DWORD present;
    bool loads;
  } cases[] = {{5, 5, true}, {CControlBase::kMaxPersistedText, CControlBase::kMaxPersistedText, true},
               {CControlBase::kMaxPersistedText + 1, 16, false}, {0xFFFFFFFF, 16, false}, {100, 10, false}};
  for (const auto& c : cases) {
    CComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    DWORD head[] = {0x00010000, 100, 100, c.claimed};
    stream->Write(head, sizeof(head), nullptr);
    std::wstring body(c.present, L'x');
    stream->Write(body.data(), static_cast<ULONG>(body.size() * sizeof(wchar_t)), nullptr);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    control_->text = L"kept";
    HRESULT hr = static_cast<IPersistStreamInit*>(control_.get())->Load(stream);
    EXPECT_EQ(c.loads, SUCCEEDED(hr)) << c.claimed;
    EXPECT_EQ(c.loads ? body : L"kept", control_->text) << c.claimed;
  }
}

TEST_F(ControlBase, SafetyOptions) {
  CComPtr<IObjectSafety> safety;
  ASSERT_EQ(S_OK, control_->QueryInterface(kIidObjectSafety, reinterpret_cast<void**>(&safety)));
  DWORD supported = 0, enabled = 0;
  EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
  EXPECT_EQ(3u, supported);
  EXPECT_EQ(0u, enabled);
  EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, 3, 3));
  EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled));
  EXPECT_EQ(3u, enabled);
  EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4));
  EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IStream, 1, 1));
}

TEST_F(ControlBase, EventsReachConnectedSinksOnly) {
  CComPtr<IConnectionPoint> point;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, control_->FindConnectionPoint(IID_IDispatch, &point));
  ASSERT_EQ(S_OK, control_->FindConnectionPoint(kEvents, &point));
  CComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(S_OK, point->GetConnectionPointContainer(&container));
  EXPECT_TRUE(KestrinComNS::IsSameObject(container, static_cast<IOleObject*>(control_.get())));
  CComPtr<CComObject<CSink>> a, b;
  a.Attach(CComObject<CSink>::Create());
  b.Attach(CComObject<CSink>::Create());
  DWORD ca = 0, cb = 0;
  ASSERT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(a.get()), &ca));
  ASSERT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(b.get()), &cb));
  control_->Fire(1);
  EXPECT_EQ(S_OK, point->Unadvise(cb));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cb));
  control_->Fire(1002);
  static_cast<IOleControl*>(control_.get())->FreezeEvents(TRUE);
  control_->Fire(7);
  EXPECT_EQ((std::vector<DISPID>{1, 1002}), a->fired);
  EXPECT_EQ((std::vector<DISPID>{1}), b->fired);
  CComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(S_OK, info.QueryFrom(static_cast<IOleObject*>(control_.get())));
  GUID events = GUID_NULL;
  EXPECT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
  EXPECT_EQ(kEvents, events);
  // The control gone, the sinks it held are released.
  point.Release();
  container.Release();
  info.Release();
  control_.Release();
  EXPECT_EQ(1, a->GetRefCount());
}

TEST_F(ControlBase, ViewDrawsIntoTheBoundsGiven) {
  KestrinWinNS::CScopedMemoryDC dc = KestrinWinNS::CreateMemoryDC(nullptr);
  RECTL bounds = {5, 6, 105, 56};
  CComPtr<IViewObjectEx> view;
  ASSERT_EQ(S_OK, view.QueryFrom(static_cast<IOleObject*>(control_.get())));
  EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.Get(), &bounds, nullptr, nullptr, 0));
  EXPECT_EQ(1, control_->draws);
  EXPECT_EQ(105, control_->drawn.right);
  EXPECT_EQ(DV_E_DVASPECT, view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc.Get(), &bounds, nullptr, nullptr, 0));
  // Without a window there is nothing to draw over.
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.Get(), nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(1, control_->draws);
  // Not active in place: no window to give.
  HWND window = nullptr;
  EXPECT_EQ(E_FAIL, static_cast<IOleInPlaceObjectWindowless*>(control_.get())->GetWindow(&window));
  EXPECT_EQ(E_UNEXPECTED, static_cast<IOleObject*>(control_.get())->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr,
                                                                           0, nullptr, nullptr));
}

}  // namespace

#include "toolkit/tabs/tab_control.h"

#include "platform/win/gdi.h"
#include "toolkit/drawing/draw_helpers.h"

namespace {
POINT PointFrom(LPARAM lparam) { return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))}; }
}  // namespace

CTKTabControl::CTKTabControl() : own_painter_(new CTKTabPaintManager) {
  painter_ = own_painter_.get();
  painter_->AddAtom(this);
}

CTKTabControl::~CTKTabControl() {
  painter_->RemoveAtom(this);
  if (IsWindow()) DestroyWindow();
}

bool CTKTabControl::Create(HWND parent, const RECT& rect, UINT id, DWORD style) {
  WNDCLASSW wc{};
  if (!GetClassInfoW(GetModuleHandleW(nullptr), kClassName, &wc))
    CTKDrawHelpers::RegisterDefProcClass(kClassName, CS_DBLCLKS, nullptr);
  return CreateEx(0, kClassName, L"", style, rect, parent, id);
}

void CTKTabControl::UsePainter(CTKTabPaintManager* painter) {
  painter_->RemoveAtom(this);
  painter_ = painter ? painter : own_painter_.get();
  painter_->AddAtom(this);
  Relayout();
}

void CTKTabControl::Relayout() {
  if (!IsWindow() || in_layout_) return;
  in_layout_ = true;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  KestrinWinNS::CScopedClientDC dc(m_hWnd);
  painter_->LayoutStrip(this, dc.Get(), client);
  in_layout_ = false;
  // After the drag loop exchanged two tabs only the tabs that changed places need drawing.
  RECT moved{};
  const CLayoutPicture* before = PictureBeforeExchange();
  if (before && PlacesChangedSince(*before, &moved)) {
    if (!IsRectEmpty(&moved)) ::InvalidateRect(m_hWnd, &moved, FALSE);
    return;
  }
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTKTabControl::InvalidateStrip(const RECT* rect, bool) {
  if (IsWindow()) ::InvalidateRect(m_hWnd, rect, FALSE);
}

void CTKTabControl::SelectItem(CTKTabManagerItem* item) {
  const CTKTabManagerItem* before = Selected();
  CTKTabManager::SelectItem(item);
  if (Selected() != before) Notify(TCN_SELCHANGE);
}

void CTKTabControl::NavButtonClicked(int id) {
  if (id == CTKTabManagerNavigateButton::kClose) Notify(TKTCN_CLOSE);
}

void CTKTabControl::TrackTip(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!tip_) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!tip_) return;
  }
  TOOLINFOW found{};
  found.cbSize = sizeof(found);
  const bool over = message == WM_MOUSEMOVE && TipHitTest(m_hWnd, PointFrom(lparam), &found) >= 0;
  const std::wstring text = over && found.lpszText ? found.lpszText : L"";
  if (text != tip_text_ || (!text.empty() && !EqualRect(&found.rect, &tip_rect_))) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_hWnd;
    tool.uId = 1;
    if (!tip_text_.empty()) ::SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tip_text_ = text;
    tip_rect_ = found.rect;
    if (!text.empty()) {
      tool.rect = found.rect;
      tool.lpszText = const_cast<wchar_t*>(tip_text_.c_str());
      ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  if (message != WM_MOUSEMOVE) return;
  MSG relay{m_hWnd, message, wparam, lparam, 0, {}};
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

void CTKTabControl::Notify(UINT code) {
  if (!IsWindow()) return;
  const HWND parent = ::GetParent(m_hWnd);
  if (!parent) return;
  NMHDR header{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), code};
  ::SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

bool CTKTabControl::PaintItemIcon(HDC dc, POINT point, CTKTabManagerItem* item, bool draw, SIZE& size) {
  if (!images_ || !item || item->Image() < 0 || item->Image() >= ImageList_GetImageCount(images_)) return false;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(images_, &cx, &cy);
  size = SIZE{cx, cy};
  if (draw && dc) ImageList_Draw(images_, item->Image(), dc, point.x, point.y, ILD_TRANSPARENT);
  return true;
}

void CTKTabControl::PaintInto(HDC dc, const RECT& rect) {
  in_layout_ = true;
  painter_->LayoutStrip(this, dc, rect);
  in_layout_ = false;
  painter_->PaintStrip(this, dc, rect);
}

HDC CTKTabControl::PaintBuffer(HDC reference, int width, int height) {
  if (buffer_dc_ && buffer_size_.cx == width && buffer_size_.cy == height) return buffer_dc_->Get();
  DropPaintBuffer();
  KestrinWinNS::CScopedBitmap bitmap(CreateCompatibleBitmap(reference, width, height));
  if (!bitmap) return nullptr;
  auto dc = std::make_unique<KestrinWinNS::CBitmapDC>(reference, bitmap.Get());
  if (!*dc) return nullptr;
  buffer_bitmap_ = std::move(bitmap);
  buffer_dc_ = std::move(dc);
  buffer_size_ = SIZE{width, height};
  return buffer_dc_->Get();
}

void CTKTabControl::DropPaintBuffer() {
  buffer_dc_.reset();
  buffer_bitmap_ = KestrinWinNS::CScopedBitmap();
  buffer_size_ = SIZE{};
}

void CTKTabControl::OnPaint() {
  KestrinWinNS::CScopedPaintDC paint(m_hWnd);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  // Off screen first, so that the strip never flickers through its layers. The buffer is kept
  // from one paint to the next; each paint finds it as a new one would be, black and with the
  // DC's first state.
  const HDC buffer = PaintBuffer(paint.Get(), width, height);
  if (!buffer) {
    painter_->PaintStrip(this, paint.Get(), client);
    return;
  }
  const RECT& dirty = paint.Paint().rcPaint;
  const int saved = SaveDC(buffer);
  IntersectClipRect(buffer, dirty.left, dirty.top, dirty.right, dirty.bottom);
  PatBlt(buffer, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, BLACKNESS);
  painter_->PaintStrip(this, buffer, client);
  RestoreDC(buffer, saved);
  BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, buffer, dirty.left,
         dirty.top, SRCCOPY);
}

LRESULT CTKTabControl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client{};
      ::GetClientRect(m_hWnd, &client);
      painter_->PaintStrip(this, reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (::GetFocus() != m_hWnd && (GetStyle() & WS_TABSTOP)) ::SetFocus(m_hWnd);
      HandlePress(m_hWnd, PointFrom(lparam), false);
      return 0;
    }
    case WM_MOUSEMOVE:
      TrackPointer(m_hWnd, PointFrom(lparam));
      TrackTip(message, wparam, lparam);
      return 0;
    case WM_MOUSELEAVE:
      TrackPointer(m_hWnd, POINT{-32000, -32000});
      if (tip_) TrackTip(message, wparam, lparam);
      return 0;
    case WM_DISPLAYCHANGE:
      DropPaintBuffer();
      break;
    case WM_DESTROY:
      DropPaintBuffer();
      if (tip_) ::DestroyWindow(tip_);
      tip_ = nullptr;
      tip_text_.clear();
      break;
    case WM_KEYDOWN:
      if (HandleKey(m_hWnd, static_cast<UINT>(wparam))) return 0;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (Selected()) RedrawItem(Selected(), false);
      break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      painter_->ReloadLook();
      painter_->NotifyStrips();
      return 0;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

#include "toolkit/commandbars/special_controls.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/appframe/app.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/frame_messages.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/ole_item.h"
#include "platform/appframe/recent_file_list.h"
#include "platform/appframe/view.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlWindowList, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlToolbars, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlToolbar, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlRecentFileList, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlOleItems, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlWorkspaceActions, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlLabel, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlCheckBox, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlRadioButton, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKControlSelector, CTKControlButton)

namespace {
bool g_radio_items = false;
int g_first_window_id = 0xFF00;
CTKControlToolbars::SourceFn g_toolbar_source = nullptr;
CTKControlWorkspaceActions::SourceFn g_workspace_source = nullptr;
const wchar_t kToolbarParameter[] = L"CTKControlToolbar";
const wchar_t kOlePopupParameter[] = L"OLEMENUPOPUP";

// The MDI client of the frame a bar serves: its site's (or its window's ancestors') child of
// that class.
HWND FindMdiClient(CTKCommandBar* bar) {
  if (!bar) return nullptr;
  for (HWND window = bar->GetSite(); window; window = ::GetParent(window)) {
    if (HWND client = ::FindWindowExW(window, nullptr, L"MDICLIENT", nullptr)) return client;
  }
  if (HWND window = bar->GetSafeHwnd()) {
    for (window = ::GetParent(window); window; window = ::GetParent(window))
      if (HWND client = ::FindWindowExW(window, nullptr, L"MDICLIENT", nullptr)) return client;
  }
  return nullptr;
}
// A text shown as a menu caption as it stands: each "&" doubled, so none marks a key.
std::wstring DoubleAmpersands(const std::wstring& text) {
  std::wstring doubled;
  for (wchar_t c : text) {
    doubled += c;
    if (c == L'&') doubled += L'&';
  }
  return doubled;
}
}  // namespace

std::wstring FormatNumberedMenuCaption(const std::wstring& text, int number) {
  if (number <= 0) return text;
  const std::wstring doubled = DoubleAmpersands(text);
  if (number <= 9) return L"&" + std::to_wstring(number) + L" " + doubled;
  if (number == 10) return L"1&0 " + doubled;
  return std::to_wstring(number) + L" " + doubled;
}

bool TKRecentFileDisplayName(const CRecentFileList& list, int index, std::wstring* name) {
  wchar_t directory[MAX_PATH + 1] = {};
  DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
  if (length == 0 || length >= MAX_PATH) length = 0;
  directory[length] = 0;
  if (length && directory[length - 1] != L'\\') {
    directory[length++] = L'\\';
    directory[length] = 0;
  }
  CString shown;
  if (!list.GetDisplayName(shown, index, directory, static_cast<int>(length))) return false;
  name->assign(shown.GetString());
  return true;
}

bool TKIsTabGroupCommandEnabled(UINT command, const CTKTabGroupState& state) {
  if (command < kTabGroupPrevious || command > kTabGroupNewVertical) return true;
  if (!state.workspace_active || !state.has_active_child || state.group_index < 0) return false;
  switch (command) {
    case kTabGroupPrevious:
      return state.group_index > 0;
    case kTabGroupNext:
      return state.group_index < state.group_count - 1;
    case kTabGroupNewHorizontal:
      return state.tabs_in_group > 1 && (state.group_count == 1 || state.horizontal);
    default:
      return state.tabs_in_group > 1 && (state.group_count == 1 || !state.horizontal);
  }
}

// ---------------------------------------------------------------------------------------------
// Placeholders

int CTKControlListPlaceholder::GeneratedCount() const {
  int n = 0;
  for (int i = index_ + 1; controls_ && i < controls_->GetCount() && IsGenerated(controls_->GetAt(i)); ++i) ++n;
  return n;
}

void CTKControlListPlaceholder::RemoveGenerated() {
  if (!controls_) return;
  while (CTKControl* next = controls_->GetAt(index_ + 1)) {
    if (!IsGenerated(next)) break;
    controls_->Remove(next);
  }
}

CTKControl* CTKControlListPlaceholder::AddItem(int type, int id, const std::wstring& caption, const std::wstring& parameter) {
  CTKControl* item = controls_->Add(type, id, parameter, index_ + 1 + added_, true);
  if (!item) return nullptr;
  item->SetCaption(caption);
  item->SetFlags(kGeneratedFlags | (added_ == 0 ? (flags_ & kFlagWrapRow) : 0));
  if (added_ == 0) item->SetBeginGroup(begin_group_);
  ++added_;
  return item;
}

void CTKControlListPlaceholder::OnBeforeLayout() {
  if (!controls_) return;
  AddRef();
  RemoveGenerated();
  added_ = 0;
  if (IsCustomizeMode()) {
    SetHideFlags(hide_flags_ & ~kHideShow);
  } else {
    const bool listed = Generate();
    SetHideFlags(listed ? (hide_flags_ | kHideShow) : (hide_flags_ & ~kHideShow));
  }
  Release();
}

// ---------------------------------------------------------------------------------------------
// Document windows

void CTKControlWindowList::SetRadioItems(bool on) { g_radio_items = on; }

int CTKControlWindowList::FirstWindowId() { return g_first_window_id; }

bool CTKControlWindowList::IsGenerated(const CTKControl* control) const {
  return control->IsTemporary() && control->GetID() >= g_first_window_id;
}

bool CTKControlWindowList::Generate() {
  HWND client = FindMdiClient(parent_);
  if (!client) return false;
  HWND active = reinterpret_cast<HWND>(::SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
  if (active) {
    const int id = ::GetDlgCtrlID(active);
    if (id >= 0x8000 && id <= 0x8000 + 46) g_first_window_id = 0x8000;
    if (id >= 1 && id <= 46) g_first_window_id = 1;
  }
  // The document windows by id from the first id on. The system keeps their ids without gaps
  // when one closes; Wine leaves the gap, so the windows are taken as they are.
  std::vector<std::pair<int, HWND>> windows;
  for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const int id = ::GetDlgCtrlID(child);
    if (id >= g_first_window_id) windows.emplace_back(id, child);
  }
  std::sort(windows.begin(), windows.end());
  int listed = 0;
  for (const auto& window : windows) {
    if (listed >= kMaxWindows) break;
    const int id = window.first;
    HWND child = window.second;
    // The window's own visibility, whatever its frame's.
    if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    wchar_t title[257] = {};
    ::GetWindowTextW(child, title, 257);
    CTKControl* item = AddItem(g_radio_items ? kRadioButton : kButton, id, FormatNumberedMenuCaption(title, listed + 1));
    if (!item) break;
    ++listed;
    item->SetChecked(child == active ? 1 : 0);
    item->SetHelpId(kHelpId);
    std::wstring prompt;
    if (TKLoadCommandPrompt(kHelpId, &prompt)) item->SetPrompt(prompt);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Tool bars

void CTKControlToolbars::SetSource(SourceFn fn) { g_toolbar_source = fn; }

bool CTKControlToolbars::IsGenerated(const CTKControl* control) const {
  return control->IsKindOf(RUNTIME_CLASS(CTKControlToolbar)) && control->GetParameter() == kToolbarParameter;
}

bool CTKControlToolbars::Generate() {
  CTKCommandBarManager* manager = parent_ ? parent_->GetCommandBarManager() : (controls_ ? controls_->GetManager() : nullptr);
  if (!g_toolbar_source || !manager) return true;
  const std::vector<Entry> bars = g_toolbar_source(manager);
  for (size_t i = 0; i < bars.size(); ++i) {
    if (!bars[i].listed || !bars[i].bar) continue;
    const std::wstring title = DoubleAmpersands(bars[i].bar->GetTitle());
    CTKControlToolbar* item = new CTKControlToolbar;
    controls_->Add(item, id_, kToolbarParameter, index_ + 1 + added_, true);
    item->SetCaption(title);
    item->SetTag(static_cast<DWORD_PTR>(i));
    item->SetFlags(kGeneratedFlags);
    if (added_ == 0) item->SetBeginGroup(begin_group_);
    HWND window = bars[i].bar->GetSafeHwnd();
    item->SetChecked(window && (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) ? 1 : 0);
    item->Release();
    ++added_;
  }
  return true;
}

void CTKControlToolbar::OnExecute() {
  CTKCommandBarManager* manager = parent_ ? parent_->GetCommandBarManager() : nullptr;
  if (manager) manager->ClosePopups();
  if (!g_toolbar_source || !manager) return;
  const std::vector<CTKControlToolbars::Entry> bars = g_toolbar_source(manager);
  const size_t index = static_cast<size_t>(tag_);
  if (index >= bars.size() || !bars[index].bar || !bars[index].bar->GetSafeHwnd()) return;
  HWND window = bars[index].bar->GetSafeHwnd();
  ::ShowWindow(window, (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) ? SW_HIDE : SW_SHOWNA);
  // The frame lays its bars out again at its next idle.
  if (HWND frame = ::GetParent(window)) ::PostMessageW(frame, WM_IDLEUPDATECMDUI, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Recent files

const CRecentFileList* TKRecentFileSource(const CRecentFileList* own) {
  if (own) return own;
  CWinApp* app = CWinApp::GetApp();
  return app ? app->m_pRecentFileList.get() : nullptr;
}

const CRecentFileList* CTKControlRecentFileList::Source() const { return TKRecentFileSource(list_); }

bool CTKControlRecentFileList::IsGenerated(const CTKControl* control) const {
  const CRecentFileList* list = Source();
  if (!list || !control->IsTemporary()) return false;
  const int first = static_cast<int>(list->m_nStart);
  return control->GetID() >= first && control->GetID() <= first + list->GetSize();
}

bool CTKControlRecentFileList::Generate() {
  const CRecentFileList* list = Source();
  if (!list) return false;
  const bool firstOfBar = index_ == 0;
  for (int i = 0; i < list->GetSize(); ++i) {
    std::wstring name;
    if (!TKRecentFileDisplayName(*list, i, &name)) break;
    CTKControl* item = AddItem(kButton, static_cast<int>(list->m_nStart) + i, FormatNumberedMenuCaption(name, i + 1));
    if (item && i == 0 && firstOfBar) item->SetBeginGroup(false);
  }
  return added_ > 0;
}

void CTKControlRecentFileList::OnBeforeLayout() {
  CTKControlListPlaceholder::OnBeforeLayout();
  // Shown while there is nothing to list: disabled then, enabled for customizing.
  const bool enable = IsCustomizeMode() || added_ > 0;
  if (GetEnabled() != enable) SetEnabled(enable);
}

// ---------------------------------------------------------------------------------------------
// The selected object's verbs

bool CTKControlOleItems::IsGenerated(const CTKControl* control) const {
  return control->IsTemporary() && control->GetParameter() == kOlePopupParameter;
}

COleClientItem* CTKControlOleItems::SelectedItem() const {
  HWND site = parent_ ? parent_->GetOwnerSite() : nullptr;
  CWnd* window = site ? CWnd::FromHandlePermanent(site) : nullptr;
  if (!window || !window->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return nullptr;
  CFrameWnd* frame = static_cast<CFrameWnd*>(window);
  CDocument* document = frame->GetActiveDocument();
  CWnd* active = frame->GetActiveFrame() ? frame->GetActiveFrame()->GetActiveView() : nullptr;
  CView* view = active && active->IsKindOf(RUNTIME_CLASS(CView)) ? static_cast<CView*>(active) : nullptr;
  if (!document || !document->IsKindOf(RUNTIME_CLASS(COleDocument))) return nullptr;
  return static_cast<COleDocument*>(document)->GetPrimarySelectedItem(view);
}

bool CTKControlOleItems::Generate() {
  COleClientItem* item = SelectedItem();
  if (!item || item->GetItemState() == COleClientItem::activeState) return false;
  KestrinWinNS::CScopedMenu verbs(::CreatePopupMenu());
  if (!verbs) return false;
  HMENU menu = verbs.Get();
  bool listed = false;
  if (item->AddVerbMenu(menu, 0, kFirstVerb, kLastVerb) && ::GetMenuItemCount(menu) == 1) {
    if (HMENU sub = ::GetSubMenu(menu, 0)) {
      wchar_t text[256] = {};
      ::GetMenuStringW(menu, 0, text, 256, MF_BYPOSITION);
      CTKControl* popup = AddItem(kPopupControl, 0, text, kOlePopupParameter);
      if (popup && popup->GetCommandBar()) {
        popup->GetCommandBar()->LoadMenu(sub, true);
        listed = true;
      }
    }
  }
  return listed;
}

// ---------------------------------------------------------------------------------------------
// Tab-group commands

void CTKControlWorkspaceActions::SetSource(SourceFn fn) { g_workspace_source = fn; }

bool CTKControlWorkspaceActions::IsGenerated(const CTKControl* control) const {
  return control->IsTemporary() && control->GetID() >= kTabGroupPrevious && control->GetID() <= kTabGroupNewVertical;
}

bool CTKControlWorkspaceActions::Generate() {
  CTKTabGroupState state;
  if (!g_workspace_source || !g_workspace_source(parent_, &state)) return false;
  for (UINT command : {kTabGroupNewHorizontal, kTabGroupNewVertical, kTabGroupPrevious, kTabGroupNext}) {
    if (!TKIsTabGroupCommandEnabled(command, state)) continue;
    std::wstring prompt, caption;
    if (TKLoadCommandPrompt(static_cast<int>(command), &prompt)) caption = prompt.substr(prompt.rfind(L'\n') + 1);
    AddItem(kButton, static_cast<int>(command), caption);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Label

void CTKControlLabel::OnClick(bool keyboard, CPoint pt) {
  if (IsCustomizeMode()) CTKControlButton::OnClick(keyboard, pt);
}

// ---------------------------------------------------------------------------------------------
// The grid picker

namespace {
// A grid size within 1 .. 64 each way.
CSize SaneGrid(CSize size) { return CSize(std::clamp<LONG>(size.cx, 1, 64), std::clamp<LONG>(size.cy, 1, 64)); }
}  // namespace

CTKControlSelector::CTKControlSelector() { FitGrid(); }

// The bars lay controls out by their fixed sizes: the grid's.
void CTKControlSelector::FitGrid() {
  SetWidth(grid_.cx * item_size_.cx);
  SetHeight(grid_.cy * item_size_.cy);
}

void CTKControlSelector::SetItemsCount(CSize size) {
  items_count_ = SaneGrid(size);
  grid_ = items_count_;
  FitGrid();
}

void CTKControlSelector::SetItemsMax(CSize size) { items_max_ = SaneGrid(size); }

void CTKControlSelector::SetItemSize(CSize size) {
  item_size_ = CSize(std::clamp<LONG>(size.cx, 1, 256), std::clamp<LONG>(size.cy, 1, 256));
  FitGrid();
}


void CTKControlSelector::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  const COLORREF frame = pm->ResolveColor(43);
  for (int row = 0; row < grid_.cy; ++row) {
    for (int column = 0; column < grid_.cx; ++column) {
      CRect cell(rect_.left + column * item_size_.cx, rect_.top + row * item_size_.cy,
                 rect_.left + (column + 1) * item_size_.cx, rect_.top + (row + 1) * item_size_.cy);
      cell.DeflateRect(1, 1);
      const bool selected = column < selection_.cx && row < selection_.cy;
      dc->FillSolidRect(&cell, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
      dc->Draw3dRect(&cell, frame, frame);
      dc->SetTextColor(::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      DrawCell(dc, cell, column, row, selected);
    }
  }
}

void CTKControlSelector::Select(CSize selection) {
  if (selection == selection_) return;
  selection_ = selection;
  RedrawParent();
  NotifySite(kNotifySelectionChanged);
}

void CTKControlSelector::OnMouseMove(CPoint point) {
  const bool held = ::GetKeyState(VK_LBUTTON) < 0;
  if (held) {
    // Held beyond the grid: it grows to the cell under the pointer, as far as it may.
    CSize grown = grid_;
    if (point.x >= rect_.left + grid_.cx * item_size_.cx)
      grown.cx = std::min<LONG>(items_max_.cx, (point.x - rect_.left) / item_size_.cx + 1);
    if (point.y >= rect_.top + grid_.cy * item_size_.cy)
      grown.cy = std::min<LONG>(items_max_.cy, (point.y - rect_.top) / item_size_.cy + 1);
    if (grown != grid_) {
      grid_ = grown;
      resizing_ = true;
      FitGrid();
      if (parent_) parent_->Relayout();
    }
  } else {
    resizing_ = false;
  }
  // The columns whose left edge lies left of the pointer, the rows whose top lies above it.
  auto count = [](LONG offset, LONG cell, LONG cells) {
    return offset <= 0 ? 0 : std::min<LONG>(cells, (offset + cell - 1) / cell);
  };
  Select(CSize(count(point.x - rect_.left, item_size_.cx, grid_.cx), count(point.y - rect_.top, item_size_.cy, grid_.cy)));
}

void CTKControlSelector::SetSelected(int selected) {
  CTKControlButton::SetSelected(selected);
  if (!selected && ::GetKeyState(VK_LBUTTON) >= 0) Select(CSize());
}

void CTKControlSelector::OnBeforeLayout() {
  if (resizing_) return;
  selection_ = CSize();
  grid_ = items_count_;
  FitGrid();
}

void CTKControlSelector::OnClick(bool keyboard, CPoint pt) {
  if (IsCustomizeMode() || keyboard) {
    CTKControlButton::OnClick(keyboard, pt);
    return;
  }
  resizing_ = false;
  if (selection_.cx <= 0 || selection_.cy <= 0) return;
  result_ = selection_;
  OnExecute();
}

void CTKControlSelector::Copy(const CTKControl* source, bool deep) {
  if (const CTKControlSelector* other = dynamic_cast<const CTKControlSelector*>(source)) {
    items_count_ = other->items_count_;
    items_max_ = other->items_max_;
    item_size_ = other->item_size_;
    grid_ = items_count_;
  }
  CTKControlButton::Copy(source, deep);
  FitGrid();
}

void CTKControlSelector::DoPropExchange(CTKPropExchange* px) {
  CTKControlButton::DoPropExchange(px);
  SIZE count = items_count_, max = items_max_, size = item_size_;
  PropExchangeSize(px, L"ItemsCount", &count, SIZE{0, 0});
  PropExchangeSize(px, L"ItemsMax", &max, SIZE{0, 0});
  PropExchangeSize(px, L"ItemSize", &size, SIZE{0, 0});
  if (px->IsStoring()) return;
  // Sizes from outside stay within what a grid can be.
  SetItemsCount(count);
  SetItemsMax(max);
  SetItemSize(size);
}

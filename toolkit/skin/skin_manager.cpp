#include "toolkit/skin/skin_manager.h"

#include <prsht.h>

#include <new>

#include "platform/win/gdi.h"
#include "toolkit/skin/skin_api_hook.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_object.h"
#include "toolkit/skin/skin_object_table.h"
#include "toolkit/skin/skin_resource_file.h"
#include "toolkit/skin/skin_schema.h"
#include "toolkit/skin/skin_system.h"

namespace {

// Creation hook of one thread: removed when the thread ends.
struct ThreadState {
  HHOOK hook = nullptr;
  ~ThreadState() {
    if (hook) UnhookWindowsHookEx(hook);
  }
};

ThreadState& CurrentThreadState() {
  thread_local ThreadState state;
  return state;
}

const wchar_t* const kNeverAttached[] = {L"tooltips_class32", L"IME", L"Internet Explorer_Server"};

CTKSkinManager* g_manager = nullptr;

}  // namespace


static CTKSyncSection& ManagerLock() {
  static CTKSyncSection lock;
  return lock;
}

CTKSkinManager* GetSkinManager() {
  CTKSkinManager* manager;
  {
    CTKSectionLock lock(ManagerLock());
    if (!g_manager) new (std::nothrow) CTKSkinManager();  // the constructor makes itself the manager
    manager = g_manager;
  }
  if (manager) CTKSkinManager::InstallThreadHook();
  return manager;
}

void ReleaseSkinManager() {
  CTKSkinManager* manager;
  {
    CTKSectionLock lock(ManagerLock());
    manager = g_manager;
  }
  if (!manager) return;
  // Windows get their system frames and the system functions their own code back first.
  manager->LoadSkinFile(L"", L"");
  delete manager;
  ThreadState& state = CurrentThreadState();
  if (state.hook) UnhookWindowsHookEx(state.hook);
  state.hook = nullptr;
}

MSG& CTKSkinManager::CurrentMessage() {
  thread_local MSG message{};
  return message;
}

CTKSkinManager::CTKSkinManager()
    : metrics_(std::make_unique<CTKSkinManagerMetrics>(this)),
      resource_file_(std::make_unique<CTKSkinManagerResourceFile>(this)),
      api_hook_(std::make_unique<CTKSkinManagerApiHook>(this)) {
  {
    CTKSectionLock lock(ManagerLock());
    g_manager = this;
  }
  class_info_ = MakeSkinObjectTable();
  // Shell modules keep their own imports on systems before XP, where patching them misbehaves.
  skip_shell_modules_ = !GetWindowsVersionInfo().IsWindowsXPOrLater();
  using SetWinEventHookFn = HWINEVENTHOOK(WINAPI*)(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD);
  if (auto set = reinterpret_cast<SetWinEventHookFn>(SkinSystem::Function(L"user32.dll", "SetWinEventHook")))
    win_event_hook_ = set(EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr, &CTKSkinManager::ReorderEvent,
                          GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
}

CTKSkinManager::~CTKSkinManager() {
  api_hook_->UnhookAll();
  schema_.reset();
  {
    CTKSectionLock lock(windows_lock_);
    for (auto& entry : windows_) {
      entry.second->Detach();
      if (entry.second->InDispatch()) {
        // Ended from inside one of the window's messages: the dispatch deletes the object.
        entry.second->MarkRemoved();
        entry.second.release();
      }
    }
    windows_.clear();
  }
  classes_.clear();
  if (win_event_hook_) UnhookWinEvent(win_event_hook_);
  CTKSectionLock lock(ManagerLock());
  if (g_manager == this) g_manager = nullptr;
}

void CTKSkinManager::InstallThreadHook() {
  ThreadState& state = CurrentThreadState();
  if (!state.hook) state.hook = SetWindowsHookExW(WH_CBT, &CTKSkinManager::CreationHook, nullptr, GetCurrentThreadId());
}

LRESULT CALLBACK CTKSkinManager::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HCBT_CREATEWND && g_manager && g_manager->AutoAttach()) {
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    wchar_t name[51] = {};
    GetClassNameW(hwnd, name, 51);
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    g_manager->AttachSkinObjectToWindow(hwnd, name, create ? create->lpcs : nullptr);
  }
  return next;
}

bool CTKSkinManager::IsPropertySheetPage(HWND hwnd) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if (!(style & WS_CHILD) || !(style & DS_CONTROL)) return false;
  HWND parent = GetParent(hwnd);
  if (!parent) return false;
  if (CTKSkinObject* object = Lookup(parent)) {
    if (object->FrameKind() == 6) return true;
  }
  // A tabbed sheet, not a wizard: the sheet's tab control is its own child and is shown (a
  // wizard keeps its tab control hidden, and its pages have no tab pane behind them).
  HWND tab = reinterpret_cast<HWND>(SendMessageW(parent, PSM_GETTABCONTROL, 0, 0));
  return tab && IsWindow(tab) && GetParent(tab) == parent && (GetWindowLongW(tab, GWL_STYLE) & WS_VISIBLE);
}

CTKSkinObject* CTKSkinManager::AttachSkinObjectToWindow(HWND hwnd, const wchar_t* className, const CREATESTRUCTW*) {
  for (const wchar_t* excluded : kNeverAttached) {
    if (lstrcmpiW(className, excluded) == 0) return nullptr;
  }
  std::unique_ptr<CTKSkinObject> object;
  const std::wstring key = SkinClassKey(className);
  if (key == L"#32770") {
    // Pages of a property sheet are told apart from top-level dialogs by their skin class.
    object.reset(MakeFrameSkinObject());
    object->SetFrameKind(IsPropertySheetPage(hwnd) ? 6 : 2);
  } else {
    const auto it = class_info_.find(key);
    if (it == class_info_.end()) {
      object.reset(MakeFrameSkinObject());
    } else if (it->second) {
      object.reset(it->second());
    }
  }
  if (!object) return nullptr;
  object->SetWindowClassName(className);
  CTKSkinObject* raw = object.get();
  {
    CTKSectionLock lock(windows_lock_);
    raw->SetManager(this);
    windows_[hwnd] = std::move(object);
    raw->Attach(hwnd);
  }
  return raw;
}

CTKSkinObject* CTKSkinManager::Lookup(HWND hwnd) {
  CTKSectionLock lock(windows_lock_);
  const auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second.get();
}

size_t CTKSkinManager::WindowCount() {
  CTKSectionLock lock(windows_lock_);
  return windows_.size();
}

void CTKSkinManager::Remove(HWND hwnd) {
  std::unique_ptr<CTKSkinObject> object;
  {
    CTKSectionLock lock(windows_lock_);
    const auto it = windows_.find(hwnd);
    if (it == windows_.end()) return;
    object = std::move(it->second);
    windows_.erase(it);
  }
  // Later messages (if any) go straight to the window's own procedure.
  if (IsWindow(hwnd)) object->Detach();
  if (object->InDispatch()) {
    // A message of the window is still being handled by the object: the outermost dispatch
    // scope deletes it.
    object->MarkRemoved();
    object.release();
  }
}

LRESULT CALLBACK CTKSkinManager::SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CTKSkinManager* manager = g_manager;
  CTKSkinObject* object = manager ? manager->Lookup(hwnd) : nullptr;
  if (!object) {
    // The object went while a procedure set over the skin's still hands messages on to this
    // one: they go to the procedure the window had before the skin's.
    LRESULT result = 0;
    if (CTKSkinObject::CallDetachedPrevious(hwnd, message, wParam, lParam, &result)) return result;
    // Nothing is known of the window: the default window procedure is the only safe place left.
    return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, message, wParam, lParam)
                                 : DefWindowProcA(hwnd, message, wParam, lParam);
  }
  CTKSkinObject::DispatchScope scope(object);
  if (message == WM_NCDESTROY) {
    // The window's own procedure runs first; the object goes only after it has returned.
    const LRESULT result = SkinSystem::CallWindowProc(object->IsUnicode(), object->PreviousProc(), hwnd, message,
                                                      wParam, lParam);
    manager->Remove(hwnd);
    CTKSkinObject::ForgetDetached(hwnd);   // the handle may be given to another window
    return result;
  }
  if (!manager->IsSkinLoaded())
    return SkinSystem::CallWindowProc(object->IsUnicode(), object->PreviousProc(), hwnd, message, wParam, lParam);

  MSG& current = CurrentMessage();
  const MSG saved = current;
  current = MSG{hwnd, message, wParam, lParam, 0, {}};
  const UINT savedObjectMessage = object->CurrentMessage();
  object->SetCurrentMessage(message);
  LRESULT result = 0;
  bool handled = false;
  // A window that opted out may opt in again: it is asked anew on every update notice.
  if (object->IsPassThrough() && message == CTKSkinObject::UpdateStateMessage()) object->RefreshPassThrough();
  // Default processing from here on goes to the window's previous procedure, also when an outer
  // procedure reached this one through a redirected CallWindowProc (whose own default would
  // lead back here and never end).
  object->PushDefault({CTKSkinObject::DefaultKind::PreviousProc, nullptr, nullptr});
  if (!object->IsPassThrough() && !object->IsMessageExcluded(message))
    handled = object->OnMessage(message, wParam, lParam, &result);
  if (!handled) result = object->DefaultProcessing(message, wParam, lParam);
  object->PopDefault();
  object->SetCurrentMessage(savedObjectMessage);
  current = saved;
  return result;
}

void CALLBACK CTKSkinManager::ReorderEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
  CTKSkinManager* manager = g_manager;
  if (event != EVENT_OBJECT_REORDER || object != OBJID_WINDOW || !manager) return;
  if (!(manager->Options() & kOptionFrames) || !manager->IsSkinLoaded() || !manager->Lookup(hwnd)) return;
  if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_VSCROLL | WS_HSCROLL))
    SetTimer(hwnd, kReorderTimer, 1000, nullptr);
}

namespace {
bool (*g_support_check)() = nullptr;
}  // namespace

bool CTKSkinManager::ThemeCheckPasses() {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  if (!screen) return false;
  return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) > 8;
}

bool CTKSkinManager::SkinningSupported() { return GetWindowsVersionInfo().IsWindows2000OrLater(); }

void CTKSkinManager::SetSupportCheckForTesting(bool (*check)()) { g_support_check = check; }

int CTKSkinManager::LoadSkinFile(const std::wstring& path, const std::wstring& iniName) {
  schema_.reset();
  for (auto& entry : classes_) entry.second->Reset();
  // A refused load leaves nothing redirected either: the replacements would read the schema
  // just deleted.
  const bool supported = g_support_check ? g_support_check() : ThemeCheckPasses() && SkinningSupported();
  api_hook_->UnhookAll();
  const int old = skin_loaded_;
  bool opened = supported && resource_file_->OpenSkinSource(path, iniName) != FALSE;
  if (opened) {
    schema_.reset(resource_file_->MakeSchemaForSkin());
    opened = schema_ && schema_->ParseIniText(resource_file_.get()) >= 0;
  }
  if (!opened) {
    skin_loaded_ = 0;
    schema_.reset();
    resource_file_->CloseSkinSource();
    metrics_->Clear();
    ReportSkinStateChange(old, 0);
    return 0;
  }
  skin_loaded_ = 1;
  api_hook_->HookAll();
  metrics_->Refresh();
  ApplyCurrentColors();
  ReportSkinStateChange(old, 1);
  return 1;
}

void CTKSkinManager::ApplyCurrentColors() {
  // Windows of the process repaint with the colours now in force.
  CTKSectionLock lock(windows_lock_);
  for (auto& entry : windows_) {
    if (!(GetWindowLongW(entry.first, GWL_STYLE) & WS_CHILD)) RedrawWindow(entry.first, nullptr, nullptr,
                                                                          RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void CTKSkinManager::SetSkinnedParts(int options) {
  options_ = options;
  if (!skin_loaded_) return;
  api_hook_->UnhookAll();
  api_hook_->HookAll();
  metrics_->Refresh();
  ApplyCurrentColors();
  ReportSkinStateChange(1, 1);
}

void CTKSkinManager::ReportSkinStateChange(int oldLoaded, int newLoaded) {
  std::vector<std::pair<HWND, CTKSkinObject*>> live;
  std::vector<HWND> gone;
  {
    CTKSectionLock lock(windows_lock_);
    for (auto& entry : windows_) {
      if (IsWindow(entry.first))
        live.emplace_back(entry.first, entry.second.get());
      else
        gone.push_back(entry.first);
    }
  }
  for (HWND hwnd : gone) Remove(hwnd);
  for (auto& entry : live) {
    if (Lookup(entry.first) == entry.second) entry.second->OnSkinStateChange(oldLoaded, newLoaded);
  }
}

CTKSkinManagerClass* CTKSkinManager::FindOrAddSkinClass(const wchar_t* className) {
  const std::wstring key = SkinClassKey(className);
  auto& slot = classes_[key];
  if (!slot) slot = std::make_unique<CTKSkinManagerClass>(this, key);
  return slot.get();
}

bool CTKSkinManager::IsSkinClass(const void* handle) {
  for (auto& entry : classes_) {
    if (entry.second.get() == handle) return true;
  }
  return false;
}

int CTKSkinManager::GetMetric(int property) { return FindOrAddSkinClass(L"SYSMETRICS")->GetInt(0, 0, property, 0); }

COLORREF CTKSkinManager::GetColorForProperty(int property) {
  if (property < 1601 || property > 1631) return CLR_INVALID;
  return metrics_->Color(property - 1601);
}

COLORREF CTKSkinManager::ApplyColorFilters(COLORREF color) const {
  for (const auto& filter : filters_) color = filter(color);
  return color;
}

#include "common/subclass/subclass_helper.h"

#include <stdio.h>
#include <string.h>

#include "common/subclass/bho_window_props.h"
#include "common/utility/window_ids.h"
#include "platform/win/scoped_handle.h"

namespace SubclassUtilsNS {

using UtilityClassesNS::CThreadHelper;

namespace {

const char* const kWorkerClasses[] = {"WorkerW", "Worker", "WorkerA"};

// Cached once read: the major version, and the generation once it is known.
volatile LONG g_major_version = -1;
volatile LONG g_generation = 0;

}  // namespace

BrowserGeneration BrowserGenerationFromText(const char* text) {
  unsigned major = 0;
  if (!text || sscanf(text, "%u.", &major) != 1) return BrowserGeneration::kUnknown;
  switch (major) {
    case 5: return BrowserGeneration::kIE5;
    case 6: return BrowserGeneration::kIE6;
    case 7: return BrowserGeneration::kIE7;
    case 8: return BrowserGeneration::kIE8;
    default: return BrowserGeneration::kUnknown;
  }
}

BrowserGeneration GetBrowserVersion() {
  if (g_generation) return static_cast<BrowserGeneration>(g_generation);
  if (g_major_version >= 0) return BrowserGeneration::kUnknown;
  char text[260] = {};
  DWORD type = 0, size = sizeof(text);
  KestrinWinNS::CScopedRegKey key;
  BrowserGeneration generation = BrowserGeneration::kUnknown;
  unsigned major = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", 0, KEY_READ,
                    key.Receive()) == ERROR_SUCCESS) {
    LONG rc = RegQueryValueExA(key.Get(), "Version", nullptr, &type, reinterpret_cast<BYTE*>(text),
                               &size);
    key.Reset();
    // Only a string that ends in its terminating zero within the buffer is read.
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 &&
        size <= sizeof(text) && text[size - 1] == '\0' && sscanf(text, "%u.", &major) == 1) {
      generation = BrowserGenerationFromText(text);
      InterlockedExchange(&g_major_version, (LONG)major);
    }
  }
  if (generation != BrowserGeneration::kUnknown) InterlockedExchange(&g_generation, static_cast<LONG>(generation));
  return generation;
}

std::unique_ptr<CSubclassHelper> CSubclassHelper::Create(ISubclassOwner* owner, BrowserGeneration generation) {
  if (IsSingleBrowserFrame(generation)) return std::unique_ptr<CSubclassHelper>(new COldIESubclassHelper(owner));
  if (IsTabbedFrame(generation)) return std::unique_ptr<CSubclassHelper>(new CIE7SubclassHelper(owner, generation));
  return nullptr;
}

CSubclassHelper::CSubclassHelper(ISubclassOwner* owner)
    : owner_(owner) {
  thread_.Attach(CThreadHelper::Create(this));
}

// Derived destructors run Unsubclass first; here the cursor watch loses its helper.
CSubclassHelper::~CSubclassHelper() {
  thread_->Detach();
}

HWND CSubclassHelper::NextWorker(HWND parent, HWND after) const {
  for (const char* name : kWorkerClasses) {
    HWND found = FindWindowExA(parent, after, name, nullptr);
    if (found) return found;
  }
  return nullptr;
}

bool CSubclassHelper::FindFrameAndWorker() {
  frame_ = owner_ ? owner_->GetBrowserWindow() : nullptr;
  worker_ = frame_ ? NextWorker(frame_, nullptr) : nullptr;
  return frame_ && worker_;
}

bool CSubclassHelper::StartCursorWatch() {
  KestrinWinNS::CScopedKernelHandle thread(thread_->StartThread(&CSubclassHelper::CursorWatch, nullptr));
  return thread.IsValid();
}

// Polls the pointer every 100 ms while it stays on the padlock area and pings the watched
// window when it leaves. The helper is looked up under the thread object's lock on every
// pass and only window handles are used outside it.
void CSubclassHelper::CursorWatch(CThreadHelper* helper, void*) {
  for (;;) {
    Sleep(100);
    WatchState state = {};
    helper->Lock();
    CSubclassHelper* self = static_cast<CSubclassHelper*>(helper->GetOwner());
    if (self) self->GetWatchState(&state);
    helper->Unlock();
    if (!self) return;

    POINT cursor;
    GetCursorPos(&cursor);
    RECT window = {};
    if (state.watched) GetWindowRect(state.watched, &window);
    if (IsRectEmpty(&window)) {
      if (state.watched) SendMessageA(state.watched, UtilityClassesNS::WindowIds::kMsgLeavePing, 0, 0);
      return;
    }
    RECT area = state.pane;
    bool have_area = state.from_toolbar ? CIE7SubclassHelper::LockAreaOf(state.watched, &area)
                                        : true;
    HWND under = WindowFromPoint(cursor);
    HWND top = under ? GetAncestor(under, GA_ROOT) : nullptr;
    bool inside = have_area && top == state.frame && IsWindowVisible(top) &&
                  cursor.x >= window.left + area.left && cursor.x <= window.left + area.right &&
                  cursor.y >= window.top && cursor.y <= window.bottom;
    if (!inside) {
      // Synchronous: the leave notice runs on the thread that owns the watched window.
      SendMessageA(state.watched, UtilityClassesNS::WindowIds::kMsgLeavePing, 0, 0);
      return;
    }
  }
}

}  // namespace SubclassUtilsNS

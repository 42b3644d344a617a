// Watching other windows' messages and the thread's input: the hook manager subclasses a window
// and hands its messages to registered clients; the keyboard and mouse managers hold the thread
// hooks that drive tracked bars (closing popups on outside clicks, Alt and deactivation).
#pragma once

#include <windows.h>

#include <unordered_map>
#include <vector>

class CTKCommandBar;

// A client of the hook manager or the keyboard manager.
class CTKHookManagerHookAble {
 public:
  enum { kGoOn = 0, kConsumed = 1, kStop = 2 };

  virtual ~CTKHookManagerHookAble() = default;
  // 0 go on; 1 consumed (result goes back to the sender); 2 stop, the window still gets it.
  virtual int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) = 0;

  // Deleted by the hook manager when removed or when its window goes.
  bool m_bAutoDestroy = false;
};

class CTKHookManager {
 public:
  // One hooked window: its previous procedure and its clients in registration order.
  class CHookSink {
   public:
    HWND hwnd = nullptr;
    WNDPROC previous = nullptr;
    std::vector<CTKHookManagerHookAble*> clients;
  };

  static CTKHookManager& Instance();

  void SetHook(HWND hwnd, CTKHookManagerHookAble* client);
  void RemoveHook(HWND hwnd, CTKHookManagerHookAble* client);
  void RemoveClient(CTKHookManagerHookAble* client);
  void RemoveAll();

  bool IsHooked(HWND hwnd) const { return sinks_.count(hwnd) != 0; }
  size_t ClientCount(HWND hwnd) const;
  // The message the subclass procedure is handling on this thread (null outside one).
  static const MSG* CurrentMessage();

 private:
  CTKHookManager() = default;
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(CHookSink* sink, UINT message, WPARAM wParam, LPARAM lParam);
  // Removes the sink from the map and restores the window's procedure; the sink and its
  // flagged clients are deleted now, or when the outermost dispatch ends.
  void DropSink(CHookSink* sink);
  void DeleteClient(CTKHookManagerHookAble* client);
  void EndDispatch();

  std::unordered_map<HWND, CHookSink*> sinks_;
  // Dispatches under way: clients and sinks removed meanwhile wait here until they end.
  int dispatch_depth_ = 0;
  std::vector<CTKHookManagerHookAble*> doomed_clients_;
  std::vector<CHookSink*> doomed_sinks_;
};

// Per thread: the keyboard and call-window-procedure hooks while it has clients.
class CTKKeyboardManager {
 public:
  static CTKKeyboardManager* ThreadInstance();
  // Destroys this thread's instance (its hooks go with it).
  static void ReleaseThreadInstance();

  void AddClient(CTKHookManagerHookAble* client);
  void RemoveClient(CTKHookManagerHookAble* client);
  bool HasClient(CTKHookManagerHookAble* client) const;
  bool IsHooked() const { return keyboard_hook_ != nullptr; }

  // The keyboard hook's decision for one stroke: true eats it. Public for the hook procedure.
  bool ProcessKey(WPARAM key, LPARAM data);

  ~CTKKeyboardManager();

 private:
  CTKKeyboardManager() = default;
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);
  void Unhook();

  HHOOK keyboard_hook_ = nullptr;
  HHOOK callwnd_hook_ = nullptr;
  std::vector<CTKHookManagerHookAble*> clients_;
};

// Per thread: the tracked bars, the mouse hook, mouse-leave tracking and trusted windows.
class CTKMouseManager {
 public:
  enum { kMouseLeaveTimer = 113341 };

  static CTKMouseManager* ThreadInstance();
  static void ReleaseThreadInstance();
  ~CTKMouseManager();

  void AddTrackedBar(CTKCommandBar* bar);
  void RemoveTrackedBar(CTKCommandBar* bar);
  void CloseTrackedBars();
  // +1 or -1 on every tracked bar's lock count.
  void LockTrackedBars(bool lock);
  void CloseUnlockedBars();
  void AddTrustedWindow(HWND hwnd);
  void RemoveTrustedWindow(HWND hwnd);
  bool IsTrustedWindow(HWND hwnd) const;
  void TrackMouseLeave(HWND hwnd);
  bool IsTrackingOtherBar(CTKCommandBar* bar) const;

  const std::vector<CTKCommandBar*>& TrackedBars() const { return tracked_; }
  bool IsTracked(CTKCommandBar* bar) const;
  int BarLockCount(CTKCommandBar* bar) const;
  int& LockCounter() { return lock_counter_; }
  void SetHotBar(CTKCommandBar* bar) { hot_bar_ = bar; }
  CTKCommandBar* HotBar() const { return hot_bar_; }
  void SetPressConsumed(bool on) { press_consumed_ = on; }
  HWND WatchedWindow() const { return watched_; }

  // One tick of the mouse-leave timer (public for the timer procedure).
  void OnMouseLeaveTick();
  // The mouse hook's decision for one message: true eats it.
  bool ProcessMouse(UINT message, const MOUSEHOOKSTRUCT& info);

 private:
  CTKMouseManager();
  static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK MouseLeaveTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD);

  std::vector<CTKCommandBar*> tracked_;
  std::vector<int> locks_;
  int lock_counter_ = 0;
  HHOOK mouse_hook_ = nullptr;
  CTKCommandBar* hot_bar_ = nullptr;
  HWND watched_ = nullptr;
  std::vector<HWND> trusted_;
  bool press_consumed_ = false;
};

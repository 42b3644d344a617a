// Subclassing of the browser's frame windows: the helper finds the browser's own child
// windows by class name, puts its procedures in front of theirs and tells the owning add-on
// instance when the pointer rests on or leaves the padlock area, when the page view loses or
// gains the focus or is scrolled with the wheel, and when the browser goes to full screen.
// Every message is passed on unchanged.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>

#include "common/subclass/browser_generation.h"
#include "common/utility/thread_helper.h"
#include "platform/com/com_ptr.h"

namespace SubclassUtilsNS {

// Implemented by the add-on instance. It is reference counted: the shared address toolbar of
// a frame reaches its current owner through the frame's properties and holds a reference
// while it calls it.
class ISubclassOwner : public IUnknown {
 public:
  virtual HWND GetBrowserWindow() = 0;  // the browser frame (top-level window)
  virtual HWND GetTabWindow() = 0;      // the shell browser's window of this tab
  virtual void OnLockAreaHover(LPARAM point) = 0;
  virtual void OnLockAreaHoverInTab(LPARAM point) = 0;
  virtual void OnLockAreaLeave() = 0;
  virtual void OnViewFocusLost() = 0;
  virtual void OnViewFocusGained() = 0;
  virtual void OnFullScreen(HWND document) = 0;
};

// The running browser's generation from its version in the registry (kUnknown for another or
// an unreadable one).
BrowserGeneration GetBrowserVersion();
// The generation a version text ("7.0.5730.13") stands for.
BrowserGeneration BrowserGenerationFromText(const char* text);

class CSubclassHelper {
 public:
  // Versions 5/6: the version 5/6 helper; 7/8: the version 7/8 helper; else none.
  static std::unique_ptr<CSubclassHelper> Create(ISubclassOwner* owner, BrowserGeneration generation);

  virtual ~CSubclassHelper();
  virtual int Subclass() = 0;
  virtual void Unsubclass() = 0;
  virtual int FindWindows() = 0;
  virtual void SendLeavePing() = 0;
  virtual bool GetWatchedWindowRect(RECT* rect) = 0;
  virtual bool GetLockArea(RECT* area) = 0;
  virtual void LockAreaToScreen(POINT* point) = 0;

  bool StartCursorWatch();
  HWND GetWorkerWindow() const { return worker_; }
  HWND GetFrameWindow() const { return frame_; }
  HWND GetStatusBar() const { return status_bar_; }
  HWND GetDocumentWindow() const { return document_; }
  ISubclassOwner* GetOwner() const { return owner_; }

 protected:
  explicit CSubclassHelper(ISubclassOwner* owner);
  // Frame and worker window (both versions); false without both.
  bool FindFrameAndWorker();
  HWND NextWorker(HWND parent, HWND after) const;
  // What the cursor watch needs, copied under the thread object's lock; the watch then works
  // on window handles only, so that it never calls into a helper that is going away.
  struct WatchState {
    HWND frame;
    HWND watched;     // status bar or address toolbar; also receives the leave ping
    RECT pane;        // version 5/6: the padlock pane
    bool from_toolbar;  // version 7/8: the area is read from the toolbar
  };
  virtual void GetWatchState(WatchState* state) const = 0;

  ISubclassOwner* owner_;
  KestrinComNS::CComPtr<UtilityClassesNS::CThreadHelper> thread_;
  HWND frame_ = nullptr;
  HWND worker_ = nullptr;
  HWND status_bar_ = nullptr;
  HWND document_ = nullptr;
  int document_subclassed_ = 0;
  HWND address_combo_ = nullptr;

 private:
  CSubclassHelper(const CSubclassHelper&) = delete;
  CSubclassHelper& operator=(const CSubclassHelper&) = delete;
  static void CursorWatch(UtilityClassesNS::CThreadHelper* helper, void* param);
};

// Internet Explorer 7 and 8: tabs; the address toolbar is shared by every tab of a frame.
class CIE7SubclassHelper : public CSubclassHelper {
 public:
  CIE7SubclassHelper(ISubclassOwner* owner, BrowserGeneration generation);
  ~CIE7SubclassHelper() override;
  int Subclass() override;
  void Unsubclass() override;
  int FindWindows() override;
  void SendLeavePing() override;
  bool GetWatchedWindowRect(RECT* rect) override;
  bool GetLockArea(RECT* area) override;
  void LockAreaToScreen(POINT* point) override;
  HWND GetAddressToolbar() const { return address_toolbar_; }

  // The padlock area of the process's toolbar (toolbar client coordinates).
  static RECT GetPadlockArea();
  // Reads the padlock button again; false when it is hidden or disabled.
  static bool RefreshPadlockArea(HWND toolbar);
  // GetLockArea on a toolbar handle: false for an empty area or an unavailable button.
  static bool LockAreaOf(HWND toolbar, RECT* area);

  // The shared address toolbar's subclassing (CBhoWindowProps puts it on and takes it off):
  // the toolbar's frame is its object, and the frame's current owner hears of the padlock.
  struct ToolbarSubclass {
    using Object = HWND__;
    static const char* OldProcProperty();
    static const char* ObjectProperty();
    static bool OnMessage(HWND frame, HWND toolbar, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  };

 protected:
  void GetWatchState(WatchState* state) const override;

 private:
  struct DocumentSubclass;

  HWND address_toolbar_ = nullptr;
  bool toolbar_subclassed_ = false;  // this helper installed the toolbar procedure
};

// Internet Explorer 5 and 6: one browser per frame, padlock in the status bar.
class COldIESubclassHelper : public CSubclassHelper {
 public:
  explicit COldIESubclassHelper(ISubclassOwner* owner);
  ~COldIESubclassHelper() override;
  int Subclass() override;
  void Unsubclass() override;
  int FindWindows() override;
  void SendLeavePing() override;
  bool GetWatchedWindowRect(RECT* rect) override;
  bool GetLockArea(RECT* area) override;
  void LockAreaToScreen(POINT* point) override;
  const RECT& GetPane() const { return pane_; }

 protected:
  void GetWatchState(WatchState* state) const override;

 private:
  struct StatusBarSubclass;
  struct DocumentSubclass;
  void UpdatePane(UINT part);

  int status_bar_subclassed_ = 0;
  bool status_bar_done_ = false;
  RECT pane_ = {};
  RECT last_frame_rect_ = {};
};

}  // namespace SubclassUtilsNS

// A small frame for floating bars: a tool window with a thin caption, owned by the frame its
// bars belong to. With MFS_SYNCACTIVE its caption follows the owner's activation (the owner's
// WM_FLOATSTATUS), so a floating palette looks active while its frame is.
#pragma once

#include <windows.h>

#include "platform/appframe/frame_wnd.h"

constexpr DWORD MFS_SYNCACTIVE = 0x00000100;   // caption active while the owner frame is
constexpr DWORD MFS_4THICKFRAME = 0x00000200;  // thick frame without sizing the corners
constexpr DWORD MFS_THICKFRAME = 0x00000400;   // sizable
constexpr DWORD MFS_MOVEFRAME = 0x00000800;    // moved by any part of the frame
constexpr DWORD MFS_BLOCKSYSMENU = 0x00001000;

extern const wchar_t kMiniFrameClass[];

class CMiniFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMiniFrameWnd)
 public:
  CMiniFrameWnd() {}

  // A popup tool window owned by `owner` (style: WS_ and MFS_ bits).
  virtual bool CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                        const RECT& rect, CWnd* owner = nullptr, UINT id = 0);
  using CWnd::CreateEx;

  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  // Whether its caption is drawn active now.
  bool IsCaptionActive() const { return active_; }

 protected:
  LRESULT OnFloatStatus(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcActivateMessage(WPARAM wparam, LPARAM lparam);
  DECLARE_MESSAGE_MAP()

  DWORD mini_style_ = 0;
  bool active_ = false;
};

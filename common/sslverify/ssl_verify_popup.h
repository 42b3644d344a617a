// The verification popup: a shaped, never-activated window beside the browser's padlock. The
// certificate face shows the site owner's organisation, the certificate's name as a link and
// the issuing authority's logo (or name); the low-assurance face a picture and a link to an
// explanation. Faces are bitmaps whose key colour is transparent and whose marked pixels fade
// out upwards, blended over a snapshot of the screen. The popup follows the browser frame and
// shows the validation border while the pointer rests on it.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "common/sslverify/ssl_verify_popup_iface.h"
#include "common/subclass/browser_generation.h"
#include "common/textlink/text_link.h"
#include "common/utility/window_ids.h"
#include "common/windowing/picture_ex_wnd.h"
#include "platform/win/gdi.h"
#include "platform/win/kept_dc.h"
#include "platform/win/lock.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/window.h"

namespace WindowingNS {
class CValidationBorder;
}

namespace SslVerifyNS {

class CSslVerifyTrustedList;

// Resources of the faces (popup.rc).
enum {
  IDB_POPUP_IE6_LOW = 206,
  IDB_POPUP_IE6_CERT = 207,
  IDB_POPUP_IE7_CERT = 211,
  IDB_POPUP_IE7_LOW = 212,
  IDR_RGN_IE6_CERT = 213,
  IDR_RGN_IE6_LOW = 214,
  IDR_RGN_IE7_CERT = 217,
  IDR_RGN_IE7_LOW = 218,
};

extern const char kPopupWindowClass[];         // "DRAVIX_QUORVEL_WINDOW"
extern const char kLowAssuranceExplanationUrl[];
extern const char kFindOutMoreText[];         // "Click to find out more"

// Timers of the popup window.
enum : UINT_PTR {
  kTimerFollowFrame = UtilityClassesNS::WindowIds::kTimerPopupFollowFrame,
  kTimerHide = UtilityClassesNS::WindowIds::kTimerPopupHide,
  kTimerHoverEnd = UtilityClassesNS::WindowIds::kTimerPopupHoverEnd,
};

class CSslVerifyPopup : public ISslVerifyPopup,
                        public KestrinWinNS::CWindowBase,
                        public UtilityClassesNS::ILinkMessagesListener {
 public:
  ~CSslVerifyPopup() override;

  // ISslVerifyPopup. SetCertificate may be called from any thread: from a thread other than the
  // popup's own, the certificate is handed to the popup's thread, which applies it and redraws
  // (the result is then whether it could be handed over).
  bool Show(bool auto_hide) override;
  bool Hide(bool delayed) override;
  bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) override;
  void SetAnchorPoint(const POINT* point) override;
  virtual void SetFrameWindow(HWND frame);
  // Where the popup goes for the current anchor and frame, given the screen size.
  virtual bool GetPopupPosition(POINT* position, const SIZE& screen) = 0;

  // ILinkMessagesListener.
  void OnLinkClicked(int button, DWORD link_id) override;
  void OnLinkHoverStart(POINT pt, DWORD link_id) override;
  void OnLinkHoverEnd(POINT pt, DWORD link_id) override;
  HWND GetLinkWindow() override { return GetHwnd(); }

  BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  // State, for tests and the demo.
  int GetFace() const { return face_; }
  COLORREF GetGradientColour() const { return gradient_colour_; }
  SIZE GetCurrentSize() const { SIZE s = {width_, height_}; return s; }
  bool IsLogoPresent() const { return logo_present_; }
  bool IsPopupHovered() const { return popup_hover_; }
  bool IsLinkHovered() const { return link_hover_; }
  bool IsLinkOffered() const { return link_offered_; }
  const std::string& GetOrganisation() const { return organisation_; }
  const std::string& GetCommonName() const { return common_name_; }
  const std::string& GetIssuerName() const { return issuer_name_; }
  const RECT& GetFrameRect() const { return frame_rect_; }
  // The organisation text's rectangle at the last paint (empty before).
  const RECT& GetOrganisationRect() const { return organisation_rect_; }
  UtilityClassesNS::CTextLink& GetLink1() { return link1_; }
  UtilityClassesNS::CTextLink& GetLink2() { return link2_; }
  WindowingNS::CPictureExWnd& GetLogoWindow() { return logo_window_; }
  // The cached rendering of the current face (a 32-bit premultiplied DIB), built when missing.
  // Null when it cannot be built. How many times it was built since the popup was made.
  HDC GetAlphaDC();
  int GetAlphaBuildCount() const { return alpha_builds_; }
  // Draws the face into `target` for `clip` (window coordinates) over `backdrop`, a device
  // context of the screen, read at the clip's screen position. The erase handler passes the
  // window and the desktop; tests pass memory contexts.
  bool DrawFace(HDC target, const RECT& clip, HDC backdrop, POINT backdrop_origin);
  // The page opened by link 1 (empty: none).
  std::string GetLinkTarget() const;

 protected:
  CSslVerifyPopup(WindowingNS::CValidationBorder* border, HWND frame);

 public:
  // The popup window class "DRAVIX_QUORVEL_WINDOW", shared with the site-seal popup, which
  // creates its windows without creation data and takes them over after creation.
  static bool RegisterPopupClass();

 protected:

  // Builds a leaf's faces from its resources: regions, bitmaps and sizes.
  // Opens link 1's page (tests replace it).
  virtual void OpenPage(SHELLEXECUTEINFOA* info);
  // The list the logos come from (the process's list unless a test names another).
  void SetTrustedList(CSslVerifyTrustedList* list) { trusted_list_ = list; }

  bool LoadFaces(UINT cert_bitmap, UINT low_bitmap, UINT cert_region, UINT low_region);
  void SetGeometry(const RECT& text, const RECT& logo, const RECT& link2, int link1_top, int lowest_text_bottom);

  RECT frame_rect_ = {};
  POINT anchor_ = {-1, -1};
  int vertical_gap_ = 2;
  HWND frame_ = nullptr;
  int width_ = 205;
  int height_ = 297;

 private:
  CSslVerifyPopup(const CSslVerifyPopup&) = delete;
  CSslVerifyPopup& operator=(const CSslVerifyPopup&) = delete;

  bool ApplyCertificate(PCCERT_CONTEXT certificate, int cert_class);
  void TakePendingCertificate();
  bool SetCertificateFace(PCCERT_CONTEXT certificate);
  void SetLowAssuranceFace();
  void ChangeFace(int face);
  void FitIssuerName();
  void FreeFaceCache();
  bool LoadFaceBitmap();
  bool BuildAlphaDib();
  void ApplySizeAndRegion();
  void BlendOver(const RECT& rect);
  bool DrawTexts(const RECT& clip);
  bool IsFrameInFront() const;

  LRESULT OnCreate();
  LRESULT OnEraseBackground(HDC dc);
  void OnShowWindow(bool shown);
  void OnTimer(UINT_PTR id);
  void OnDestroy();

  HMODULE module_ = nullptr;
  bool com_initialised_ = false;

  COLORREF gradient_colour_ = 0x00FF00;
  // The window's DC, kept with the bold font selected from WM_CREATE until WM_DESTROY.
  KestrinWinNS::CKeptClientDC window_dc_;
  KestrinWinNS::CScopedBitmap alpha_dib_;
  KestrinWinNS::CScopedBitmap face_bitmap_;
  // Holds alpha_dib_ selected; declared after it, so the DC goes first.
  std::unique_ptr<KestrinWinNS::CBitmapDC> alpha_dc_;
  int alpha_builds_ = 0;
  UINT cert_bitmap_id_ = IDB_POPUP_IE6_CERT;
  UINT low_bitmap_id_ = IDB_POPUP_IE6_LOW;
  int face_ = 1;  // 1 certificate face, 0 low-assurance face
  DWORD gradient_flags_ = 9;
  KestrinWinNS::CScopedRegion cert_region_;
  KestrinWinNS::CScopedRegion low_region_;
  KestrinWinNS::CKeptClientDC screen_dc_;  // the screen's DC for the popup's life
  SIZE cert_size_ = {205, 272};
  SIZE low_size_ = {205, 297};
  RECT text_rect_ = {5, 100, 172, 140};
  RECT logo_rect_ = {84, 175, 168, 198};
  RECT link2_rect_ = {89, 165, 173, 198};
  RECT organisation_rect_ = {};
  std::string organisation_;
  std::string common_name_;
  std::string issuer_name_;
  bool logo_present_ = true;
  bool link_offered_ = true;  // link 1 opens the site (not for a wildcard name)
  KestrinWinNS::CScopedFont bold_font_;
  // Declared after the font: the selection is undone before the font is deleted.
  std::unique_ptr<KestrinWinNS::CSelectObject> bold_selection_;
  int link1_top_ = 215;
  int lowest_text_bottom_ = 127;
  bool link_hover_ = false;
  bool popup_hover_ = false;
  int cert_class_ = 0;
  HCURSOR hand_cursor_ = nullptr;
  HCURSOR arrow_cursor_ = nullptr;
  POINT last_mouse_ = {-1, -1};
  WindowingNS::CPictureExWnd logo_window_;
  UtilityClassesNS::CTextLink link1_;
  UtilityClassesNS::CTextLink link2_;
  WindowingNS::CValidationBorder* border_;
  CSslVerifyTrustedList* trusted_list_;

  // A certificate handed over from another thread, applied on the popup's thread.
  KestrinWinNS::CCriticalSection pending_lock_;
  KestrinWinNS::CScopedCertContext pending_certificate_;
  int pending_class_ = 0;
  bool pending_ = false;
};

// Internet Explorer 5 and 6: the popup stands on the status bar, its right edge at the anchor.
class CSslVerifyPopupIE5_6 : public CSslVerifyPopup {
 public:
  CSslVerifyPopupIE5_6(WindowingNS::CValidationBorder* border, HWND frame);
  ~CSslVerifyPopupIE5_6() override;
  bool GetPopupPosition(POINT* position, const SIZE& screen) override;
};

// Internet Explorer 7 and 8: the popup hangs below the address bar's padlock, kept on screen.
class CSslVerifyPopupIE7 : public CSslVerifyPopup {
 public:
  CSslVerifyPopupIE7(WindowingNS::CValidationBorder* border, HWND frame);
  ~CSslVerifyPopupIE7() override;
  bool GetPopupPosition(POINT* position, const SIZE& screen) override;
};

// By browser generation (GetBrowserVersion): versions 5/6 the version 5/6 popup, 7/8 the
// version 7/8 popup, else none.
std::unique_ptr<CSslVerifyPopup> CreateSslVerifyPopup(WindowingNS::CValidationBorder* border, HWND frame);
std::unique_ptr<CSslVerifyPopup> CreateSslVerifyPopupFor(SubclassUtilsNS::BrowserGeneration generation,
                                                         WindowingNS::CValidationBorder* border, HWND frame);

// What the verifier holds: builds the real popup on the first call that needs it, on the
// thread that made the proxy.
class CSslVerifyPopupProxy : public ISslVerifyPopup {
 public:
  CSslVerifyPopupProxy(WindowingNS::CValidationBorder* border, HWND frame);
  ~CSslVerifyPopupProxy() override;

  bool Show(bool auto_hide) override;
  bool Hide(bool delayed) override;
  bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) override;
  void SetAnchorPoint(const POINT* point) override;

  CSslVerifyPopup* GetPopup() const { return popup_.get(); }

 private:
  CSslVerifyPopupProxy(const CSslVerifyPopupProxy&) = delete;
  CSslVerifyPopupProxy& operator=(const CSslVerifyPopupProxy&) = delete;

  CSslVerifyPopup* Real();

  std::unique_ptr<CSslVerifyPopup> popup_;
  WindowingNS::CValidationBorder* border_;
  HWND frame_;
  DWORD thread_id_;
};

}  // namespace SslVerifyNS

// The framework's classes, entered into the module's class list before the first lookup by
// name: naming them here links their object files into every program that looks classes up,
// which a static library alone does not (an object file nothing references is left out, and
// its registration with it).
#include "platform/appframe/app.h"
#include "platform/appframe/archive.h"
#include "platform/appframe/common_dialogs.h"
#include "platform/appframe/control_bar.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/dialog.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/document.h"
#include "platform/appframe/exception.h"
#include "platform/appframe/file.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/gdi.h"
#include "platform/appframe/mdi.h"
#include "platform/appframe/menu.h"
#include "platform/appframe/mini_frame.h"
#include "platform/appframe/ole_item.h"
#include "platform/appframe/property_sheet.h"
#include "platform/appframe/status_bar.h"
#include "platform/appframe/view.h"

void RegisterFrameworkClasses() {
  static const CRuntimeClass* const kClasses[] = {
      RUNTIME_CLASS(CObject),        RUNTIME_CLASS(CCmdTarget),        RUNTIME_CLASS(CWnd),
      RUNTIME_CLASS(CDialog),        RUNTIME_CLASS(CPropertyPage),     RUNTIME_CLASS(CPropertySheet),
      RUNTIME_CLASS(CFileDialog),    RUNTIME_CLASS(CColorDialog),      RUNTIME_CLASS(CWinApp),
      RUNTIME_CLASS(CDC),            RUNTIME_CLASS(CPaintDC),          RUNTIME_CLASS(CClientDC),
      RUNTIME_CLASS(CWindowDC),      RUNTIME_CLASS(CGdiObject),        RUNTIME_CLASS(CPen),
      RUNTIME_CLASS(CBrush),         RUNTIME_CLASS(CFont),             RUNTIME_CLASS(CBitmap),
      RUNTIME_CLASS(CRgn),           RUNTIME_CLASS(CMenu),             RUNTIME_CLASS(CFile),
      RUNTIME_CLASS(CMemFile),       RUNTIME_CLASS(CException),        RUNTIME_CLASS(CArchiveException),
      RUNTIME_CLASS(CFileException), RUNTIME_CLASS(CMemoryException),  RUNTIME_CLASS(CNotSupportedException),
      RUNTIME_CLASS(CUserException), RUNTIME_CLASS(CControlBar),       RUNTIME_CLASS(CStatusBar),
      RUNTIME_CLASS(CFrameWnd),      RUNTIME_CLASS(CMDIFrameWnd),      RUNTIME_CLASS(CMDIChildWnd),
      RUNTIME_CLASS(CMiniFrameWnd),  RUNTIME_CLASS(CView),             RUNTIME_CLASS(CDocument),
      RUNTIME_CLASS(CDocTemplate),   RUNTIME_CLASS(CMultiDocTemplate), RUNTIME_CLASS(COleClientItem),
      RUNTIME_CLASS(COleDocument),
  };
  RegisterClasses(kClasses);
}

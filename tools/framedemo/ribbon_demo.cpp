#include "ribbon_demo.h"

#include <string>
#include <vector>

#include "demo_extras.h"
#include "frame_demo_ids.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/recent_file_list.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_button_group.h"
#include "toolkit/ribbon/ribbon_frame_hook.h"
#include "toolkit/ribbon/ribbon_system_button.h"
#include "toolkit/ribbon/ribbon_system_menu.h"

namespace {

using namespace TKCommandBars;

// The ribbon's commands take ids from here on; each gets a small and a large icon.
const int kFirstCommand = 0x8100;
int g_next_command = kFirstCommand;

CTKControl* NewButton(const wchar_t* caption) {
  const int id = g_next_command++;
  for (int size : {16, 32}) {
    KestrinWinNS::CScopedIcon icon(MakeDemoIcon(id, size));
    CTKImageManager::Instance().AddIconImage(icon.Get(), static_cast<UINT>(id), size, size, 0);  // the image manager keeps a copy
  }
  CTKControl* button = new CTKControlButton;
  button->SetID(id);
  button->SetCaption(caption);
  return button;
}

// A group of the given controls (the group takes its own references).
void AddGroup(CTKRibbonBar* ribbon, CTKRibbonTab* tab, const wchar_t* caption, const std::vector<CTKControl*>& controls) {
  auto* group = new CTKRibbonButtonGroup;
  group->SetCaption(caption);
  group->SetId(g_next_command++);
  ribbon->AddGroup(tab, group);
  for (CTKControl* control : controls) {
    group->AddControl(control);
    control->Release();
  }
}

std::vector<CTKControl*> Buttons(std::initializer_list<const wchar_t*> captions) {
  std::vector<CTKControl*> buttons;
  for (const wchar_t* caption : captions) buttons.push_back(NewButton(caption));
  return buttons;
}

CTKControl* NewCombo(const wchar_t* hint, std::initializer_list<const wchar_t*> items, int width) {
  auto* combo = new CTKControlComboBox;
  combo->SetID(g_next_command++);
  combo->SetDropDownListStyle(false);
  combo->SetEditHint(hint);
  combo->SetWidth(width);
  for (const wchar_t* item : items) combo->GetList()->AddString(item);
  return combo;
}

// The system menu: new, open and save, the recent documents, and two buttons along the bottom.
void AddSystemButton(CTKRibbonBar* ribbon, CTKCommandBarManager* manager) {
  static CRecentFileList files(ID_FILE_MRU_FILE1, 4);
  if (files.GetCount() == 0)
    for (const wchar_t* path : {L"C:\\Reports\\Budget 2007.sheet", L"C:\\Reports\\Quarterly review.sheet",
                                L"C:\\Letters\\Invitation.sheet"})
      files.Add(path);
  auto* button = new CTKRibbonControlSystemButton;
  button->SetCaption(L"&File");
  ribbon->SetSystemButton(button);
  button->Release();  // the ribbon's controls hold it
  auto* menu = new CTKRibbonSystemPopupBar;
  menu->SetCommandBarManager(manager);
  CTKControls* items = menu->GetControls();
  for (const wchar_t* caption : {L"&New", L"&Open", L"&Save", L"&Close"}) {
    CTKControl* item = NewButton(caption);
    items->InsertAt(item, -1);
    item->Release();
  }
  auto* recent = new CTKRibbonControlSystemRecentFileList;
  recent->SetList(&files);
  recent->SetCaption(L"Recent Documents");
  items->Add(recent, recent->GetID());
  recent->Release();
  for (auto [id, caption] : {std::pair<int, const wchar_t*>{ID_DEMO_HELLO, L"Options"},
                             {static_cast<int>(ID_APP_EXIT), L"Exit"}}) {
    CTKControl* bottom = items->Add(new CTKRibbonControlSystemPopupBarButton, id);
    bottom->Release();
    bottom->SetCaption(caption);
  }
  button->SetCommandBar(menu);
  menu->Release();
}

}  // namespace

CTKRibbonBar* CreateDemoRibbon(CFrameWnd* frame, CTKCommandBarManager* manager) {
  auto* ribbon = new CTKRibbonBar;
  ribbon->SetCommandBarManager(manager);
  ribbon->SetBarStyle(CBRS_TOP);

  CTKRibbonTab* home = ribbon->InsertTab(0, L"&Home");
  AddGroup(ribbon, home, L"Clipboard", Buttons({L"Paste", L"Cut", L"Copy", L"Format Painter"}));
  std::vector<CTKControl*> font = {NewCombo(L"Font", {L"Calibri", L"Cambria", L"Tahoma"}, 110)};
  for (CTKControl* c : Buttons({L"Bold", L"Italic", L"Underline"})) font.push_back(c);
  AddGroup(ribbon, home, L"Font", font);
  CTKControl* gallery = MakeDemoGallery();
  AddGroup(ribbon, home, L"Styles", {gallery});
  AddGroup(ribbon, home, L"Editing", Buttons({L"Find", L"Replace", L"Select"}));

  CTKRibbonTab* insert = ribbon->InsertTab(1, L"&Insert");
  AddGroup(ribbon, insert, L"Pages", Buttons({L"Cover Page", L"Blank Page", L"Page Break"}));
  AddGroup(ribbon, insert, L"Tables", Buttons({L"Table"}));
  AddGroup(ribbon, insert, L"Illustrations", Buttons({L"Picture", L"Clip Art", L"Shapes", L"Chart"}));
  AddGroup(ribbon, insert, L"Links", Buttons({L"Hyperlink", L"Bookmark"}));

  CTKRibbonTab* view = ribbon->InsertTab(2, L"&View");
  AddGroup(ribbon, view, L"Document Views", Buttons({L"Print Layout", L"Full Screen", L"Web Layout", L"Outline"}));
  std::vector<CTKControl*> zoom = {NewCombo(L"Zoom", {L"50%", L"100%", L"200%"}, 70)};
  for (CTKControl* c : Buttons({L"One Page", L"Two Pages"})) zoom.push_back(c);
  AddGroup(ribbon, view, L"Zoom", zoom);
  AddGroup(ribbon, view, L"Window", Buttons({L"New Window", L"Arrange All", L"Split"}));

  // A contextual tab of picture tools.
  CTKRibbonTab* format = ribbon->InsertTab(3, L"F&ormat");
  format->SetContextColour(2);
  format->SetContextCaption(L"Picture Tools");
  AddGroup(ribbon, format, L"Adjust", Buttons({L"Brightness", L"Contrast", L"Recolor"}));
  AddGroup(ribbon, format, L"Arrange", Buttons({L"Position", L"Bring to Front", L"Send to Back"}));

  AddSystemButton(ribbon, manager);
  ribbon->SelectTabByIndex(0);
  // The quick-access bar: save, undo and redo.
  for (const wchar_t* caption : {L"Save", L"Undo", L"Redo"}) {
    CTKControl* button = NewButton(caption);
    ribbon->AddToQuickAccess(button);
    button->Release();
  }
  if (!ribbon->Create(frame->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, IDW_CONTROLBAR_FIRST + 0x30)) {
    ribbon->Release();
    return nullptr;
  }
  CTKRibbonFrameHook::Attach(frame->m_hWnd, ribbon, manager);
  frame->RecalcLayout();
  return ribbon;
}

bool OpenDemoCollapsedGroup(CTKRibbonBar* ribbon) {
  CTKRibbonTab* tab = ribbon->CurrentTab();
  if (!tab) return false;
  for (int g = 0; g < tab->Groups().Count(); ++g) {
    CTKRibbonGroup* group = tab->Groups().At(g);
    if (!group->IsCollapsed() || !group->CollapsedPopup()) continue;
    return ribbon->SetPopupOpen(group->CollapsedPopup()->GetIndex(), true);
  }
  return false;
}

bool OpenDemoSystemMenu(CTKRibbonBar* ribbon) {
  CTKControl* button = ribbon->SystemButton();
  return button && ribbon->SetPopupOpen(button->GetIndex(), true);
}

void DetachDemoRibbon(CFrameWnd* frame) { CTKRibbonFrameHook::Detach(frame->m_hWnd); }

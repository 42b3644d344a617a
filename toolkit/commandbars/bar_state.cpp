// The state exchange of controls, control collections and bars, and the saved bar layout.
#include "toolkit/commandbars/bar_state.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/appframe/archive.h"
#include "platform/appframe/exception.h"
#include "platform/appframe/file.h"
#include "platform/appframe/object.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/control_custom.h"
#include "toolkit/commandbars/control_edit.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/resource_manager.h"
#include "toolkit/drawing/prop_exchange.h"

using namespace TKCommandBars;

namespace {

thread_local CTKCommandBarManager* t_exchange_manager = nullptr;

// The manager that bars loaded on this thread take, for the time of one layout exchange.
class ManagerScope {
 public:
  explicit ManagerScope(CTKCommandBarManager* manager) : previous_(t_exchange_manager) { t_exchange_manager = manager; }
  ~ManagerScope() { t_exchange_manager = previous_; }
  ManagerScope(const ManagerScope&) = delete;
  ManagerScope& operator=(const ManagerScope&) = delete;

 private:
  CTKCommandBarManager* previous_;
};

[[noreturn]] void Damaged(int cause) { throw CArchiveException(cause); }

void ExchangeWString(CTKPropExchange* px, const wchar_t* name, std::wstring* value) {
  CString text(value->c_str());
  PropExchangeString(px, name, &text, L"");
  if (px->IsLoading()) value->assign(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// A document-template map as pairs of 32-bit ids; written only when not empty, unless the
// exchange keeps every value in order.
void ExchangeIdMap(CTKPropExchange* px, const wchar_t* name, CTKControl::CDocTemplateMap* map) {
  if (px->IsStoring()) {
    if (map->empty() && px->UsesNames()) return;
    std::vector<DWORD> pairs;
    for (const auto& entry : *map) {
      pairs.push_back(entry.first);
      pairs.push_back(entry.second);
    }
    BYTE* bytes = pairs.empty() ? nullptr : reinterpret_cast<BYTE*>(pairs.data());
    DWORD size = static_cast<DWORD>(pairs.size() * sizeof(DWORD));
    px->TransferBlob(name, &bytes, &size);
    return;
  }
  BYTE* bytes = nullptr;
  DWORD size = 0;
  if (!px->TransferBlob(name, &bytes, &size)) Damaged(CArchiveException::badSchema);
  std::unique_ptr<BYTE, decltype(&std::free)> owned(bytes, &std::free);
  if (size % (2 * sizeof(DWORD)) != 0) Damaged(CArchiveException::badIndex);
  map->clear();
  for (DWORD i = 0; i + 2 * sizeof(DWORD) <= size; i += 2 * sizeof(DWORD)) {
    DWORD pair[2];
    std::memcpy(pair, bytes + i, sizeof(pair));
    (*map)[pair[0]] = pair[1];
  }
}

// Releases a list of reference-counted objects unless it was handed on.
template <class T>
class RefList {
 public:
  RefList() = default;
  ~RefList() {
    for (T* item : items_) item->Release();
  }
  RefList(const RefList&) = delete;
  RefList& operator=(const RefList&) = delete;
  void Add(T* item) { items_.push_back(item); }
  std::vector<T*>& Items() { return items_; }
  std::vector<T*> Take() { return std::move(items_); }

 private:
  std::vector<T*> items_;
};

// A fresh object of the class a section names, which must be `base` or derived from it. The
// class goes by its name in every form of the exchange (bars and controls need not be
// serializable objects of the archive).
template <class T>
T* CreateNamed(CTKPropExchange* px, const CRuntimeClass* base) {
  CString name;
  if (!px->TransferValue(L"Class", CTKPropExchange::kString, &name, nullptr) || name.IsEmpty())
    Damaged(CArchiveException::badClass);
  const CRuntimeClass* cls = CRuntimeClass::FromName(name.GetString());
  if (!cls || !cls->IsDerivedFrom(base)) Damaged(CArchiveException::badClass);
  CObject* object = cls->CreateObject();
  if (!object) Damaged(CArchiveException::badClass);
  return static_cast<T*>(object);
}

void StoreClass(CTKPropExchange* px, const CObject* object) {
  CString name(object->GetRuntimeClass()->m_lpszClassName);
  px->TransferValue(L"Class", CTKPropExchange::kString, &name, nullptr);
}

// Every control collection a bar keeps: its own and its baseline, and a menu bar's document
// menus with theirs (null entries where a collection has no baseline).
std::vector<CTKControls*> CollectionsOf(CTKCommandBar* bar) {
  std::vector<CTKControls*> list{bar->GetControls(), bar->GetControls()->GetOriginalControls()};
  if (bar->IsKindOf(RUNTIME_CLASS(CTKMenuBar))) {
    for (CTKMenuBarMDIMenuInfo* record : static_cast<CTKMenuBar*>(bar)->GetMDIMenus()->Records()) {
      if (!record->controls || record->controls == bar->GetControls()) continue;
      list.push_back(record->controls);
      list.push_back(record->controls->GetOriginalControls());
    }
  }
  return list;
}

// A count of sections read from outside: within `limit`, and within what the data can hold.
void CheckCount(CTKPropExchange* px, int count, int limit) {
  if (count < 0 || count > limit || (px->IsSequential() && !px->IsPlausibleCount(static_cast<DWORD>(count))))
    Damaged(CArchiveException::badIndex);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Controls

void CTKControl::DoPropExchange(CTKPropExchange* px) {
  const int schema = px->GetSchema();
  const bool loading = px->IsLoading();
  int type = type_;
  PropExchangeInt(px, L"Type", &type, kButton);
  if (loading) {
    // 0 is a control of no kind (the base class itself), which saves as that.
    if (type < 0 || type > kRadioButton) Damaged(CArchiveException::badSchema);
    type_ = type;
  }
  int id = id_;
  PropExchangeInt(px, L"Id", &id, -1);
  if (loading) {
    id_ = id;
    CTKCommandBarManager* manager = controls_ ? controls_->GetManager() : CTKBarLayoutState::CurrentManager();
    if (manager) {
      if (CTKControlAction* action = manager->GetActions()->Find(id)) SetAction(action);
    }
  }
  PropExchangeInt(px, L"IconId", &icon_id_, 0);
  PropExchangeBool(px, L"BeginGroup", &begin_group_, false);
  int tag = static_cast<int>(tag_);
  PropExchangeInt(px, L"Tag", &tag, 0);
  if (loading) tag_ = static_cast<DWORD_PTR>(static_cast<UINT>(tag));
  PropExchangeInt(px, L"Flags", &flags_, 0);
  PropExchangeInt(px, L"HideFlags", &hide_flags_, 0);
  ExchangeWString(px, L"Caption", &caption_);
  ExchangeWString(px, L"ShortcutText", &shortcut_text_);
  ExchangeWString(px, L"TooltipText", &tooltip_);
  ExchangeWString(px, L"DescriptionText", &description_);
  ExchangeWString(px, L"Parameter", &parameter_);
  PropExchangeInt(px, L"CustomIconId", &custom_icon_id_, 0);
  ExchangeWString(px, L"CustomCaption", &custom_caption_);
  if (schema > 1) ExchangeWString(px, L"Category", &category_);
  if (custom_icon_id_ > 0) {
    // The icons the user gave the control go with it.
    if (loading && custom_icon_id_ > 0xFFFFFFF) Damaged(CArchiveException::badIndex);
    CTKPropExchangeSection section(px, L"CustomIcon");
    if (!section.get()) Damaged(loading ? CArchiveException::endOfFile : CArchiveException::genericException);
    GetImageManager()->ExchangeIconSet(section.get(), static_cast<UINT>(custom_icon_id_));
  }
  if (schema > 3) {
    ExchangeIdMap(px, L"DocTemplatesExcluded", &excluded_docs_);
    ExchangeIdMap(px, L"DocTemplatesAssigned", &assigned_docs_);
    PropExchangeBool(px, L"DefaultItem", &default_item_, false);
  }
  if (schema > 6) PropExchangeBool(px, L"CloseSubMenuOnClick", &close_submenu_, true);
  if (schema > 7) {
    PropExchangeInt(px, L"CustomStyle", &custom_style_, -1);
    // Older data wrote 0 for "no custom style".
    if (loading && schema < 18 && custom_style_ == 0) custom_style_ = -1;
  }
  if (schema > 16) PropExchangeInt(px, L"HelpId", &help_id_, 0);
  if (schema > 17) PropExchangeInt(px, L"Style", &style_, 0);
  if (schema > 18) {
    PropExchangeInt(px, L"Width", &width_, 0);
    PropExchangeInt(px, L"Height", &height_, 0);
    PropExchangeInt(px, L"ExecuteOnPressInterval", &execute_interval_, 0);
  }
}

void CTKControlButton::DoPropExchange(CTKPropExchange* px) {
  CTKControl::DoPropExchange(px);
  if (px->GetSchema() < 18) PropExchangeInt(px, L"Style", &style_, 0);
}

void CTKControlPopup::DoPropExchange(CTKPropExchange* px) {
  CTKControlButton::DoPropExchange(px);
  int id = px->IsStoring() ? static_cast<int>(bar_ ? bar_->GetBarID() : 0) : 0;
  PropExchangeInt(px, L"CommandBarId", &id, 0);
  if (px->IsLoading()) pending_bar_id_ = static_cast<UINT>(id);
}

// ---------------------------------------------------------------------------------------------
// Control collections

void CTKControls::DoPropExchange(CTKPropExchange* px) {
  const int schema = px->GetSchema();
  std::unique_ptr<CTKPropExchangeEnumerator> enumerator(px->OpenEnumerator(L"Control"));
  if (px->IsStoring()) {
    DWORD count = 0;
    for (CTKControl* control : controls_)
      if (!control->IsTemporary()) ++count;
    DWORD position = enumerator->StartEnumeration(count);
    for (CTKControl* control : controls_) {
      if (control->IsTemporary() || !position) continue;
      CTKPropExchangeSection section(enumerator->NextSection(position));
      if (!section.get()) Damaged(CArchiveException::genericException);
      StoreClass(section.get(), control);
      control->DoPropExchange(section.get());
    }
    if (schema > 2) {
      BOOL hasOriginal = original_ ? TRUE : FALSE;
      PropExchangeBool(px, L"OriginalControls", &hasOriginal, FALSE);
      if (original_) {
        CTKPropExchangeSection section(px, L"OriginalControls");
        if (section.get()) original_->DoPropExchange(section.get());
      }
      BOOL customized = FALSE;
      PropExchangeBool(px, L"CustomizedControls", &customized, FALSE);
    }
    return;
  }

  // Loading: everything is read beside the current controls first.
  DWORD position = enumerator->StartEnumeration(0);
  if (enumerator->Count() > CTKBarLayoutState::kMaxControls) Damaged(CArchiveException::badIndex);
  RefList<CTKControl> loaded;
  while (position) {
    CTKPropExchangeSection section(enumerator->NextSection(position));
    if (!section.get()) Damaged(CArchiveException::endOfFile);
    CTKControl* control = CreateNamed<CTKControl>(section.get(), RUNTIME_CLASS(CTKControl));
    loaded.Add(control);
    // The control finds the manager's actions through its collection while it loads.
    control->controls_ = this;
    control->DoPropExchange(section.get());
    control->controls_ = nullptr;
  }
  CTKControls* original = nullptr;
  if (schema > 2) {
    BOOL hasOriginal = FALSE;
    PropExchangeBool(px, L"OriginalControls", &hasOriginal, FALSE);
    if (hasOriginal) {
      original = new CTKControls(nullptr, GetManager());
      try {
        CTKPropExchangeSection section(px, L"OriginalControls");
        if (!section.get()) Damaged(CArchiveException::endOfFile);
        original->DoPropExchange(section.get());
      } catch (...) {
        original->InternalRelease();
        throw;
      }
    }
    BOOL customized = FALSE;
    PropExchangeBool(px, L"CustomizedControls", &customized, FALSE);
    if (customized) {
      // Read past and dropped.
      CTKControls* scratch = new CTKControls(nullptr, GetManager());
      try {
        CTKPropExchangeSection section(px, L"CustomizedControls");
        if (section.get()) scratch->DoPropExchange(section.get());
      } catch (...) {
        scratch->InternalRelease();
        if (original) original->InternalRelease();
        throw;
      }
      scratch->InternalRelease();
    }
  }

  // All of it was read: the loaded controls take the place of the current ones.
  RemoveAll();
  std::vector<CTKControl*> taken = loaded.Take();
  controls_.insert(controls_.end(), taken.begin(), taken.end());  // the references move over
  Renumber();
  if (original) {
    if (original_) original_->InternalRelease();
    original_ = original;
  }
}

// ---------------------------------------------------------------------------------------------
// Bars

void CTKCommandBar::DoPropExchange(CTKPropExchange* px) {
  const int schema = px->GetSchema();
  const bool loading = px->IsLoading();
  // The keys go through locals: a load that fails further on leaves the bar untouched.
  int type = type_, position = position_, id = static_cast<int>(bar_id_), flags = static_cast<int>(flags_),
      style = static_cast<int>(m_dwStyle), mru = width_ == 0x7FFF ? 0 : width_;
  CString title(title_.c_str());
  BOOL customizable = customizable_ ? TRUE : FALSE;
  SIZE icon = icon_size_, button = button_size_;
  BOOL below = static_cast<BOOL>(text_below_icons_), animation = animation_.IsAnimationEnabled() ? TRUE : FALSE;
  int defaultStyle = default_button_style_;
  PropExchangeInt(px, L"Type", &type, kToolBar);
  PropExchangeInt(px, L"Position", &position, kTop);
  PropExchangeInt(px, L"BarID", &id, 0);
  PropExchangeInt(px, L"Flags", &flags, 0);
  PropExchangeInt(px, L"Style", &style, 0);
  PropExchangeString(px, L"Title", &title, L"");
  PropExchangeBool(px, L"Customizable", &customizable, TRUE);
  PropExchangeInt(px, L"MRUWidth", &mru, 0);
  if (schema > 2) PropExchangeSize(px, L"IconSize", &icon, SIZE{0, 0});
  if (schema > 17) {
    PropExchangeSize(px, L"ButtonSize", &button, SIZE{0, 0});
    PropExchangeBool(px, L"ShowTextBelowIcons", &below, 2);
    PropExchangeBool(px, L"EnableAnimation", &animation, FALSE);
  }
  if (schema > 18) PropExchangeInt(px, L"DefaultButtonStyle", &defaultStyle, 0);
  if (loading) {
    if (type < kMenuBar || type > kRibbonBar || position < kTop || position > kUnplaced || position == 6)
      Damaged(CArchiveException::badSchema);
    if (icon.cx < 0 || icon.cy < 0 || icon.cx > 256 || icon.cy > 256 || button.cx < 0 || button.cy < 0 ||
        button.cx > 512 || button.cy > 512)
      Damaged(CArchiveException::badSchema);
  }
  if (ExchangesControls()) {
    CTKPropExchangeSection section(px, L"Controls");
    if (!section.get()) Damaged(CArchiveException::endOfFile);
    if (loading) {
      // The controls bind to the manager this bar is about to take.
      CTKCommandBarManager* previous = controls_->GetManager();
      CTKCommandBarManager* manager = CTKBarLayoutState::CurrentManager();
      if (manager && !manager_) controls_->SetManager(manager);
      try {
        controls_->DoPropExchange(section.get());
      } catch (...) {
        controls_->SetManager(previous == manager_ ? nullptr : previous);
        throw;
      }
    } else {
      controls_->DoPropExchange(section.get());
    }
  }
  if (!loading) return;
  type_ = type;
  position_ = position;
  bar_id_ = static_cast<UINT>(id);
  flags_ = static_cast<DWORD>(flags);
  m_dwStyle = static_cast<DWORD>(style);
  title_.assign(title.GetString(), static_cast<size_t>(title.GetLength()));
  customizable_ = customizable != FALSE;
  width_ = mru > 0 ? mru : 0x7FFF;
  icon_size_ = icon;
  if (CTKCommandBarManager* manager = CTKBarLayoutState::CurrentManager()) manager_ = manager;
  button_size_ = button;
  text_below_icons_ = static_cast<int>(below);
  animation_.EnableAnimation(animation != FALSE);
  default_button_style_ = defaultStyle;
  if (GetSafeHwnd()) {
    ::SetWindowTextW(GetSafeHwnd(), title_.c_str());
    DelayLayout();
  }
}

void CTKToolBar::DoPropExchange(CTKPropExchange* px) {
  CTKCommandBar::DoPropExchange(px);
  const int schema = px->GetSchema();
  bool builtIn = built_in_, tearOff = tear_off_, closeable = closeable_, context = context_menu_present_,
       customize = customize_dialog_present_;
  PropExchangeBool(px, L"BuiltIn", &builtIn, true);
  PropExchangeBool(px, L"TearOff", &tearOff, false);
  if (schema > 6) PropExchangeBool(px, L"Closeable", &closeable, true);
  if (schema > 7) PropExchangeBool(px, L"ContextMenuPresent", &context, true);
  if (schema > 16) PropExchangeBool(px, L"CustomizeDialogPresent", &customize, true);
  if (!px->IsLoading()) return;
  // Menu bars of older data could not be closed.
  if (schema <= 16 && type_ == kMenuBar) closeable = false;
  built_in_ = builtIn;
  tear_off_ = tearOff;
  closeable_ = closeable;
  context_menu_present_ = context;
  customize_dialog_present_ = customize;
}

bool CTKToolBar::CopyFromLoaded(const CTKToolBar* loaded, bool forced) {
  CTKControls* theirs = loaded->GetControls();
  CTKControls* myBaseline = controls_->GetOriginalControls();
  CTKControls* theirBaseline = theirs->GetOriginalControls();
  bool keepBaseline = theirBaseline == nullptr;
  if (myBaseline && theirBaseline && !forced && !myBaseline->Compare(theirBaseline) && !theirs->Compare(myBaseline)) {
    std::wstring format;
    if (!GetResourceManagerInstance()->ReadStringResource(&format, IDS_TK_LOADED_BAR_CHANGED) || format.empty())
      format = L"The buttons of the '%s' toolbar have changed. Show the new buttons?";
    if (Ask(WithTitle(format), L"", MB_YESNO | MB_ICONQUESTION) == IDYES) return false;
    keepBaseline = true;
  }
  controls_->RemoveAll();
  for (int i = 0; i < theirs->GetCount(); ++i)
    if (!theirs->GetAt(i)->IsTemporary()) controls_->AddCopy(theirs->GetAt(i));
  if (!keepBaseline) {
    CTKControls* baseline = theirBaseline->Duplicate();
    controls_->SetOriginalControls(baseline);
    baseline->InternalRelease();
  }
  DelayLayout();
  return true;
}

void CTKMenuBar::DoPropExchange(CTKPropExchange* px) {
  // The document menus are saved apart from the default menu, which the bar shows for it.
  if (px->IsStoring() && default_id_ && current_id_ != default_id_) SwitchMDIMenu(default_id_, nullptr);
  CTKToolBar::DoPropExchange(px);
  int resource = static_cast<int>(default_id_);
  PropExchangeInt(px, L"ResourceId", &resource, 0);
  wchar_t name[32];
  if (px->IsStoring()) {
    if (px->GetSchema() <= 4) return;  // data of that time has no document menus
    std::vector<CTKMenuBarMDIMenuInfo*> records;
    for (CTKMenuBarMDIMenuInfo* record : mdi_menus_->Records())
      if (record->controls && record->controls != controls_) records.push_back(record);
    int count = static_cast<int>(records.size());
    PropExchangeInt(px, L"Count", &count, 0);
    for (int n = 0; n < count; ++n) {
      _snwprintf(name, 32, L"MDIMenu%i", n);
      CTKPropExchangeSection section(px, name);
      if (!section.get()) Damaged(CArchiveException::genericException);
      int id = static_cast<int>(records[static_cast<size_t>(n)]->id);
      PropExchangeInt(section.get(), L"Id", &id, 0);
      records[static_cast<size_t>(n)]->controls->DoPropExchange(section.get());
    }
    return;
  }
  // Every document menu is read before the bar takes any of them.
  struct Loaded {
    UINT id;
    CTKControls* controls;
  };
  std::vector<Loaded> loaded;
  auto release = [&loaded] {
    for (Loaded& entry : loaded) entry.controls->InternalRelease();
  };
  try {
    if (px->GetSchema() > 4) {
      int count = 0;
      PropExchangeInt(px, L"Count", &count, 0);
      CheckCount(px, count, static_cast<int>(CTKBarLayoutState::kMaxBars));
      for (int n = 0; n < count; ++n) {
        _snwprintf(name, 32, L"MDIMenu%i", n);
        CTKPropExchangeSection section(px, name);
        if (!section.get()) Damaged(CArchiveException::endOfFile);
        int id = 0;
        PropExchangeInt(section.get(), L"Id", &id, 0);
        if (id <= 0) Damaged(CArchiveException::badIndex);
        loaded.push_back({static_cast<UINT>(id), new CTKControls(this, controls_->GetManager())});
        loaded.back().controls->DoPropExchange(section.get());
      }
    }
  } catch (...) {
    release();
    throw;
  }
  default_id_ = current_id_ = static_cast<UINT>(resource);
  for (const Loaded& entry : loaded) {
    if (entry.id != default_id_) mdi_menus_->Set(entry.id, new CTKMenuBarMDIMenuInfo(entry.id, entry.controls));
  }
  release();
}

void CTKPopupBar::DoPropExchange(CTKPropExchange* px) {
  CTKCommandBar::DoPropExchange(px);
  const int schema = px->GetSchema();
  bool tearOff = tear_off_, shadow = shadow_, doubleGripper = double_gripper_, context = context_menu_;
  std::wstring caption = tear_off_title_;
  int id = static_cast<int>(tear_off_id_), width = tear_off_width_;
  RECT borders = borders_;
  PropExchangeBool(px, L"TearOffPopup", &tearOff, false);
  ExchangeWString(px, L"TearOffCaption", &caption);
  PropExchangeInt(px, L"TearOffId", &id, 0);
  PropExchangeInt(px, L"TearOffWidth", &width, 0);
  if (schema > 3) {
    PropExchangeRect(px, L"Borders", &borders, RECT{2, 4, 2, 4});
    PropExchangeBool(px, L"ShowShadow", &shadow, true);
  }
  if (schema > 8) PropExchangeBool(px, L"DoubleGripper", &doubleGripper, false);
  if (schema > 18) PropExchangeBool(px, L"ContextMenu", &context, false);
  if (!px->IsLoading()) return;
  // Sizes from outside: a border or a width no popup can have is damage.
  for (LONG side : {borders.left, borders.top, borders.right, borders.bottom})
    if (side < 0 || side > 256) Damaged(CArchiveException::badSchema);
  if (width < 0 || width > 32767) Damaged(CArchiveException::badSchema);
  tear_off_ = tearOff;
  tear_off_title_ = caption;
  tear_off_id_ = static_cast<UINT>(id);
  tear_off_width_ = width;
  borders_ = borders;
  layout_borders_ = borders;
  shadow_ = shadow;
  double_gripper_ = doubleGripper;
  context_menu_ = context;
  if (schema < 20) m_dwStyle |= 0x400000;
}

// ---------------------------------------------------------------------------------------------
// The saved layout

const std::vector<const CRuntimeClass*>& TKCommandBarClasses() {
  static const std::vector<const CRuntimeClass*> kClasses = {
      // Bars.
      RUNTIME_CLASS(CTKCommandBar), RUNTIME_CLASS(CTKToolBar), RUNTIME_CLASS(CTKMenuBar), RUNTIME_CLASS(CTKPopupBar),
      RUNTIME_CLASS(CTKPopupToolBar), RUNTIME_CLASS(CTKDialogBar), RUNTIME_CLASS(CTKControlComboBoxPopupBar),
      RUNTIME_CLASS(CTKControlComboBoxList), RUNTIME_CLASS(CTKControlComboBoxGalleryPopupBar),
      // Controls.
      RUNTIME_CLASS(CTKControl), RUNTIME_CLASS(CTKControlButton), RUNTIME_CLASS(CTKControlPopup),
      RUNTIME_CLASS(CTKControlEdit), RUNTIME_CLASS(CTKControlComboBox), RUNTIME_CLASS(CTKControlCustom),
      RUNTIME_CLASS(CTKControlGallery), RUNTIME_CLASS(CTKControlWindowList), RUNTIME_CLASS(CTKControlToolbars),
      RUNTIME_CLASS(CTKControlToolbar), RUNTIME_CLASS(CTKControlRecentFileList), RUNTIME_CLASS(CTKControlOleItems),
      RUNTIME_CLASS(CTKControlWorkspaceActions), RUNTIME_CLASS(CTKControlLabel), RUNTIME_CLASS(CTKControlCheckBox),
      RUNTIME_CLASS(CTKControlRadioButton), RUNTIME_CLASS(CTKControlSelector),
  };
  return kClasses;
}

void TKRegisterCommandBarClasses() {
  const std::vector<const CRuntimeClass*>& classes = TKCommandBarClasses();
  RegisterClasses(classes.data(), classes.size());
}

CTKCommandBarManager* CTKBarLayoutState::CurrentManager() { return t_exchange_manager; }

std::vector<CTKCommandBar*> CTKBarLayoutState::CollectPopupBars(const std::vector<CTKCommandBar*>& bars, UINT* next_id) {
  std::vector<CTKCommandBar*> found;
  auto visit = [&](CTKControls* controls, auto& self) -> void {
    if (!controls) return;
    for (int i = 0; i < controls->GetCount(); ++i) {
      CTKControl* control = controls->GetAt(i);
      CTKCommandBar* bar = control->GetCommandBar();
      if (!bar || std::find(found.begin(), found.end(), bar) != found.end() ||
          std::find(bars.begin(), bars.end(), bar) != bars.end())
        continue;
      found.push_back(bar);
      if (bar->GetType() != kToolBar && (bar->GetBarID() == 0 || bar->GetBarID() > 0xFFFFFF))
        bar->SetBarID((*next_id)++);
      for (CTKControls* collection : CollectionsOf(bar)) self(collection, self);
    }
  };
  for (CTKCommandBar* bar : bars)
    for (CTKControls* collection : CollectionsOf(bar)) visit(collection, visit);
  return found;
}

void CTKBarLayoutState::ResolvePopupBars(const std::vector<CTKCommandBar*>& bars, const std::vector<CTKCommandBar*>& popups) {
  auto visit = [&](CTKControls* controls) {
    if (!controls) return;
    for (int i = 0; i < controls->GetCount(); ++i) {
      CTKControl* control = controls->GetAt(i);
      if (!control->IsKindOf(RUNTIME_CLASS(CTKControlPopup))) continue;
      CTKControlPopup* popup = static_cast<CTKControlPopup*>(control);
      const UINT wanted = popup->GetPendingBarId();
      if (!wanted) continue;
      for (CTKCommandBar* bar : popups)
        if (bar->GetBarID() == wanted) {
          // A combo box's drop-down answers for its combo.
          if (popup->IsKindOf(RUNTIME_CLASS(CTKControlComboBox)) && bar->IsKindOf(RUNTIME_CLASS(CTKControlComboBoxPopupBar)))
            static_cast<CTKControlComboBox*>(popup)->SetDropDown(static_cast<CTKControlComboBoxPopupBar*>(bar));
          else
            popup->SetCommandBar(bar);
          break;
        }
      popup->SetPendingBarId(0);
    }
  };
  for (const std::vector<CTKCommandBar*>* list : {&bars, &popups})
    for (CTKCommandBar* bar : *list)
      for (CTKControls* collection : CollectionsOf(bar)) visit(collection);
}

void CTKBarLayoutState::Save(CTKPropExchange* px, const std::vector<CTKCommandBar*>& bars, CTKCommandBarManager* manager) {
  ManagerScope scope(manager);
  px->TransferSchema();
  UINT next_id = 0x1000000;
  std::vector<CTKCommandBar*> popups = CollectPopupBars(bars, &next_id);
  // Each list is a section of its own, holding its count and one section per bar.
  auto store = [&](const wchar_t* name, const std::vector<CTKCommandBar*>& list) {
    CTKPropExchangeSection outer(px, name);
    if (!outer.get()) Damaged(CArchiveException::genericException);
    std::unique_ptr<CTKPropExchangeEnumerator> enumerator(outer->OpenEnumerator(L"Bar"));
    DWORD position = enumerator->StartEnumeration(static_cast<DWORD>(list.size()));
    for (CTKCommandBar* bar : list) {
      CTKPropExchangeSection section(enumerator->NextSection(position));
      if (!section.get()) Damaged(CArchiveException::genericException);
      StoreClass(section.get(), bar);
      bar->DoPropExchange(section.get());
    }
  };
  store(L"Bars", bars);
  store(L"PopupBars", popups);
}

bool CTKBarLayoutState::Load(CTKPropExchange* px, CTKCommandBarManager* manager, std::vector<CTKCommandBar*>* bars) {
  ManagerScope scope(manager);
  RefList<CTKCommandBar> loaded, popups;
  try {
    px->TransferSchema();
    if (px->GetSchema() < 1 || px->GetSchema() > CTKPropExchange::kCurrentSchema) Damaged(CArchiveException::badSchema);
    auto load = [&](const wchar_t* name, RefList<CTKCommandBar>& into) {
      CTKPropExchangeSection outer(px, name);
      if (!outer.get()) Damaged(CArchiveException::endOfFile);
      std::unique_ptr<CTKPropExchangeEnumerator> enumerator(outer->OpenEnumerator(L"Bar"));
      DWORD position = enumerator->StartEnumeration(0);
      if (enumerator->Count() > kMaxBars) Damaged(CArchiveException::badIndex);
      while (position) {
        CTKPropExchangeSection section(enumerator->NextSection(position));
        if (!section.get()) Damaged(CArchiveException::endOfFile);
        CTKCommandBar* bar = CreateNamed<CTKCommandBar>(section.get(), RUNTIME_CLASS(CTKCommandBar));
        into.Add(bar);
        bar->DoPropExchange(section.get());
      }
    };
    load(L"Bars", loaded);
    load(L"PopupBars", popups);
  } catch (const CException&) {
    return false;
  }
  ResolvePopupBars(loaded.Items(), popups.Items());
  for (CTKCommandBar* old : *bars) old->Release();
  *bars = loaded.Take();
  return true;  // the popup bars stay alive through the controls that hold them
}

namespace {
const wchar_t kLayoutValue[] = L"BarLayout";

// The layout as the archive form's bytes.
bool StoreToMemory(CMemFile& memory, const std::vector<CTKCommandBar*>& bars, CTKCommandBarManager* manager) {
  try {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    CTKBarLayoutState::Save(&px, bars, manager);
  } catch (const CException&) {
    return false;
  }
  return true;
}

bool LoadFromMemory(BYTE* data, size_t size, CTKCommandBarManager* manager, std::vector<CTKCommandBar*>* bars) {
  CMemFile memory(data, static_cast<UINT>(size));
  try {
    CArchive ar(&memory, CArchive::load);
    CTKPropExchangeArchive px(ar);
    return CTKBarLayoutState::Load(&px, manager, bars);
  } catch (const CException&) {
    return false;
  }
}
}  // namespace

bool CTKBarLayoutState::SaveToRegistry(HKEY root, const wchar_t* path, const std::vector<CTKCommandBar*>& bars,
                                       CTKCommandBarManager* manager, RegistryForm form) {
  CMemFile memory(64 * 1024);
  if (form == RegistryForm::kOneValue && !StoreToMemory(memory, bars, manager)) return false;
  // A layout written over an older one must not keep the older one's keys.
  ::RegDeleteTreeW(root, path);
  CTKPropExchangeRegistry px(root, path, false);
  if (!px.IsOpen()) return false;
  if (form == RegistryForm::kOneValue) {
    BYTE* bytes = const_cast<BYTE*>(memory.GetData());
    DWORD size = static_cast<DWORD>(memory.GetLength());
    return px.TransferBlob(kLayoutValue, &bytes, &size);
  }
  try {
    Save(&px, bars, manager);
  } catch (const CException&) {
    return false;
  }
  return true;
}

bool CTKBarLayoutState::LoadFromRegistry(HKEY root, const wchar_t* path, CTKCommandBarManager* manager,
                                         std::vector<CTKCommandBar*>* bars) {
  CTKPropExchangeRegistry px(root, path, true);
  if (!px.IsOpen()) return false;
  // The one-value form when its value is there, else the tree.
  BYTE* bytes = nullptr;
  DWORD size = 0;
  try {
    if (!px.TransferBlob(kLayoutValue, &bytes, &size)) return false;
  } catch (const CException&) {
    std::free(bytes);
    return false;
  }
  std::unique_ptr<BYTE, decltype(&std::free)> owned(bytes, &std::free);
  if (size > 0) return LoadFromMemory(bytes, size, manager, bars);
  return Load(&px, manager, bars);
}

bool CTKBarLayoutState::SaveToFile(const wchar_t* path, const std::vector<CTKCommandBar*>& bars,
                                   CTKCommandBarManager* manager) {
  // The layout is put together in memory and written at once beside the old file, which it
  // replaces only when all of it was written.
  CMemFile memory(64 * 1024);
  if (!StoreToMemory(memory, bars, manager)) return false;
  const std::wstring temp = std::wstring(path) + L".new";
  bool written = false;
  {
    CFile file;
    if (!file.Open(temp.c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
    try {
      file.Write(memory.GetData(), static_cast<UINT>(memory.GetLength()));
      file.Close();
      written = true;
    } catch (const CException&) {
      written = false;
    }
  }
  if (!written || !::MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool CTKBarLayoutState::LoadFromFile(const wchar_t* path, CTKCommandBarManager* manager, std::vector<CTKCommandBar*>* bars) {
  std::vector<BYTE> bytes;
  {
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) return false;
    try {
      const ULONGLONG length = file.GetLength();
      if (length > 64 * 1024 * 1024) return false;
      bytes.resize(static_cast<size_t>(length));
      if (!bytes.empty() && file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size()) return false;
    } catch (const CException&) {
      return false;
    }
  }
  return LoadFromMemory(bytes.data(), bytes.size(), manager, bars);
}

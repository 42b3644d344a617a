// A tab of the ribbon: an item of the tab row that owns the groups shown under the row while
// it is selected, and may belong to a context (a coloured run of tabs with a header above).
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/ribbon/ribbon_groups.h"
#include "toolkit/tabs/tab_manager.h"

class CTKRibbonTab;

// The header over a run of adjacent context tabs of one colour and caption.
struct CTKRibbonTabContextHeader {
  CTKRibbonTab* first = nullptr;
  CTKRibbonTab* last = nullptr;
  std::wstring caption;
  int colour = 0;
  RECT rect{};
};

class CTKRibbonTab : public CTKTabManagerItem {
 public:
  explicit CTKRibbonTab(CTKTabManager* manager);
  ~CTKRibbonTab() override;

  // Hiding the selected tab passes the selection to the first visible tab.
  void Show(bool visible) override;
  // Copies the flags, key tip and context; the groups are copied by the caller.
  virtual void CopyFrom(const CTKRibbonTab& other);

  CTKRibbonGroups& Groups() { return *groups_; }
  const CTKRibbonGroups& Groups() const { return *groups_; }
  CTKRibbonGroup* GroupById(int id) const { return groups_->GroupById(id); }

  int Flags() const { return flags_; }
  void SetFlags(int flags) { flags_ = flags; }
  int KeyTip() const { return key_tip_; }
  void SetKeyTip(int key_tip) { key_tip_ = key_tip; }
  const std::wstring& KeyTipText() const { return key_tip_text_; }
  void SetKeyTipText(const std::wstring& text) { key_tip_text_ = text; }
  // 0 a normal tab; 1 to 7 the context colours of the theme.
  int ContextColour() const { return context_colour_; }
  void SetContextColour(int colour) { context_colour_ = colour; }
  const std::wstring& ContextCaption() const { return context_caption_; }
  void SetContextCaption(const std::wstring& caption) { context_caption_ = caption; }
  CTKRibbonTabContextHeader* ContextHeader() const { return context_header_; }
  void SetContextHeader(CTKRibbonTabContextHeader* header) { context_header_ = header; }

 private:
  CTKRibbonGroups* groups_;
  int flags_ = 0;
  int key_tip_ = 0;
  std::wstring key_tip_text_;
  int context_colour_ = 0;
  std::wstring context_caption_;
  CTKRibbonTabContextHeader* context_header_ = nullptr;
};

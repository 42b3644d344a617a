// OLE documents as far as the command bars read them: the item selected in the active view, its
// state, and the menu of its verbs (the "Object" entry of an Edit menu) for the command ids
// ID_OLE_VERB_FIRST onwards.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "platform/appframe/document.h"
#include "platform/appframe/string.h"

class CView;

class COleClientItem : public CCmdTarget {
  DECLARE_DYNAMIC(COleClientItem)
 public:
  enum ItemState { emptyState = 0, loadedState = 1, openState = 2, activeState = 3, activeUIState = 4 };

  COleClientItem() {}
  ~COleClientItem() override;

  // Takes a reference to the item's object.
  void Attach(IOleObject* object);
  IOleObject* m_lpObject = nullptr;   // owned reference
  ItemState GetItemState() const { return m_nItemState; }
  void SetItemState(ItemState state) { m_nItemState = state; }

  struct Verb {
    LONG id;
    CString name;      // with its '&' marks
    UINT flags;        // MF_GRAYED ... as the object gives them
  };
  // The object's menu verbs (negative verbs and those not for menus left out).
  virtual std::vector<Verb> GetVerbs() const;
  // The object's short type name ("Sheet").
  virtual CString GetUserTypeName() const;

  // Puts the item's verbs at `position` of `menu` for ids first_id..last_id: one verb gives one
  // item "<verb> <type> &Object"; several give a popup "<type> &Object" holding them. Without
  // an object the item "&Object" is added disabled. True when verbs were added.
  bool AddVerbMenu(HMENU menu, UINT position, UINT first_id, UINT last_id) const;

 private:
  ItemState m_nItemState = emptyState;
};

class COleDocument : public CDocument {
  DECLARE_DYNCREATE(COleDocument)
 public:
  // The one item selected in `view`, or null (the program's documents override it).
  virtual COleClientItem* GetPrimarySelectedItem(CView* view) { return nullptr; }
};

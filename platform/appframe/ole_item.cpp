#include "platform/appframe/ole_item.h"

IMPLEMENT_DYNAMIC(COleClientItem, CCmdTarget)
IMPLEMENT_DYNCREATE(COleDocument, CDocument)

COleClientItem::~COleClientItem() {
  if (m_lpObject) m_lpObject->Release();
}

void COleClientItem::Attach(IOleObject* object) {
  if (object) object->AddRef();
  if (m_lpObject) m_lpObject->Release();
  m_lpObject = object;
  m_nItemState = object ? loadedState : emptyState;
}

std::vector<COleClientItem::Verb> COleClientItem::GetVerbs() const {
  std::vector<Verb> verbs;
  IEnumOLEVERB* list = nullptr;
  if (!m_lpObject || FAILED(m_lpObject->EnumVerbs(&list)) || !list) return verbs;
  OLEVERB verb;
  ULONG fetched = 0;
  while (list->Next(1, &verb, &fetched) == S_OK && fetched == 1) {
    if (verb.lVerb >= 0 && (verb.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU) && verb.lpszVerbName)
      verbs.push_back(Verb{verb.lVerb, CString(verb.lpszVerbName), verb.fuFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED)});
    if (verb.lpszVerbName) CoTaskMemFree(verb.lpszVerbName);
  }
  list->Release();
  return verbs;
}

CString COleClientItem::GetUserTypeName() const {
  CString name;
  LPOLESTR text = nullptr;
  if (m_lpObject && SUCCEEDED(m_lpObject->GetUserType(USERCLASSTYPE_SHORT, &text)) && text) {
    name = text;
    CoTaskMemFree(text);
  }
  return name;
}

bool COleClientItem::AddVerbMenu(HMENU menu, UINT position, UINT first_id, UINT last_id) const {
  if (!menu) return false;
  std::vector<Verb> verbs = GetVerbs();
  if (verbs.empty()) {
    ::InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | MF_GRAYED, first_id, L"&Object");
    return false;
  }
  CString type = GetUserTypeName();
  if (verbs.size() == 1) {
    CString text = verbs[0].name + L" " + type + L" &Object";
    ::InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | verbs[0].flags, first_id, text);
    return true;
  }
  HMENU popup = ::CreatePopupMenu();
  if (!popup) return false;
  UINT id = first_id;
  for (const Verb& verb : verbs) {
    if (id > last_id) break;
    ::AppendMenuW(popup, MF_STRING | verb.flags, id++, verb.name);
  }
  // The popup belongs to the menu from here on.
  CString text = type + L" &Object";
  if (!::InsertMenuW(menu, position, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text)) {
    ::DestroyMenu(popup);
    return false;
  }
  return true;
}

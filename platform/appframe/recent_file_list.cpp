#include "platform/appframe/recent_file_list.h"

#include <algorithm>

CRecentFileList::CRecentFileList(UINT first_id, int size, int max_display_length)
    : m_nStart(first_id), size_(std::max(1, std::min(size, 16))), max_display_length_(max_display_length) {}

void CRecentFileList::Add(const wchar_t* path) {
  if (!path || !*path) return;
  wchar_t full[MAX_PATH];
  DWORD n = ::GetFullPathNameW(path, MAX_PATH, full, nullptr);
  CString entry = n > 0 && n < MAX_PATH ? CString(full) : CString(path);
  for (auto it = files_.begin(); it != files_.end(); ++it) {
    if (it->CompareNoCase(entry) == 0) {
      files_.erase(it);
      break;
    }
  }
  files_.insert(files_.begin(), entry);
  if (static_cast<int>(files_.size()) > size_) files_.resize(static_cast<size_t>(size_));
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < GetCount()) files_.erase(files_.begin() + index);
}

CString CRecentFileList::operator[](int index) const {
  return index >= 0 && index < GetCount() ? files_[static_cast<size_t>(index)] : CString();
}

bool CRecentFileList::GetDisplayName(CString& name, int index, const wchar_t* current_dir, int dir_length,
                                     bool at_least_name) const {
  name.Empty();
  if (index < 0 || index >= GetCount() || files_[static_cast<size_t>(index)].IsEmpty()) return false;
  const CString& path = files_[static_cast<size_t>(index)];
  int slash = path.ReverseFind(L'\\');
  CString file_name = path.Mid(slash + 1);
  // A file of the current directory is shown by its name.
  if (current_dir && dir_length > 0 && slash + 1 == dir_length && _wcsnicmp(path, current_dir, dir_length) == 0) {
    name = file_name;
    return true;
  }
  if (path.GetLength() <= max_display_length_) {
    name = path;
    return true;
  }
  // Too long: the start of the path (its drive or share), "...", and as much of the end as
  // fits; at least the file name when asked.
  int root_end = path.Find(L'\\', path.GetLength() > 2 && path[0] == L'\\' && path[1] == L'\\' ? 2 : 0);
  if (root_end >= 0 && path[0] == L'\\') root_end = path.Find(L'\\', root_end + 1);
  CString root = root_end >= 0 ? path.Left(root_end + 1) : CString();
  int room = max_display_length_ - root.GetLength() - 3;
  int tail_start = path.GetLength() - std::max(room, 0);
  int cut = path.Find(L'\\', tail_start);
  if (cut < 0 || cut >= slash + 1) cut = slash;
  if (cut <= root.GetLength()) {
    name = at_least_name ? file_name : path.Left(max_display_length_);
    return true;
  }
  if (root.GetLength() + 3 + (path.GetLength() - cut) > max_display_length_) {
    name = at_least_name ? file_name : path.Right(max_display_length_);
    return true;
  }
  name = root + L"..." + path.Mid(cut);
  return true;
}

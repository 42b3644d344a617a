// The recent-file list of the application: full paths, newest first, at most `size` entries,
// shown with numbered captions as commands ID_FILE_MRU_FILE1 onwards.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/string.h"

class CRecentFileList {
 public:
  CRecentFileList(UINT first_id, int size, int max_display_length = 40);

  // Puts the file (made a full path) first; an entry naming the same file moves up.
  void Add(const wchar_t* path);
  void Remove(int index);
  int GetSize() const { return size_; }
  int GetCount() const { return static_cast<int>(files_.size()); }
  // The path of an entry; empty outside the list.
  CString operator[](int index) const;
  // The name an entry is shown with: the file name alone when the file lies in `current_dir`
  // (given with its trailing '\', `dir_length` characters of it), else the path shortened to
  // the display length with "..." in its middle. False for an empty entry.
  bool GetDisplayName(CString& name, int index, const wchar_t* current_dir, int dir_length,
                      bool at_least_name = true) const;

  UINT m_nStart;   // the command of the first entry

 private:
  int size_;
  int max_display_length_;
  std::vector<CString> files_;
};

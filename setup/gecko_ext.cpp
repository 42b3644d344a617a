#include "setup/gecko_ext.h"

#include <shlwapi.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <minizip/unzip.h>
// After unzip.h, which brings the zlib declarations it builds on.
#include <minizip/iowin32.h>

#include "common/utility/file_stream.h"
#include "platform/win/scoped_handle.h"
#include "setup/data_folders.h"
#include "setup/setup_helpers.h"

namespace GeckoHelpersNS {

using KestrinComNS::CComPtr;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedRegKey;
using SetupFrameworkNS::FileExists;
using SetupFrameworkNS::FolderExists;
using SetupFrameworkNS::FolderOf;

const wchar_t kExtensionId[] = L"{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}";
const wchar_t kFirefox3ExtensionId[] = L"{5BFDB6E3-E238-4B4c-920A-04CE3727BF63}";

namespace {

const wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";
const wchar_t kFirefoxExtensionsKey[] = L"Software\\Mozilla\\Firefox\\Extensions";
const wchar_t kNetscapeKey[] = L"Software\\Mozilla\\Netscape Navigator";
const wchar_t kNetscapeExtensionsKey[] = L"Software\\Netscape\\Navigator\\extensions";
const wchar_t kSeaMonkeyKey[] = L"Software\\mozilla.org\\SeaMonkey";
const wchar_t kOwnChromeLine[] = L"content,install,url,jar:resource:/chrome/KestrinExt.jar!/content/";

const IID kIidXmlReader = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
const IID kIidXmlWriter = {0x7279FC88, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};

bool ReadBrowserString(const std::wstring& key, const wchar_t* value, wchar_t (&out)[MAX_PATH]) {
  return SetupFrameworkNS::ReadRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), value, out, kBrowserView);
}

// True when any attribute of the reader's current element has a value holding `needle`
// (only the first attribute when `first_only`). The reader is back on the element afterwards.
bool AttributeHolds(IXmlReader* reader, const wchar_t* needle, bool first_only) {
  bool found = false;
  for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
    const wchar_t* value = nullptr;
    if (SUCCEEDED(reader->GetValue(&value, nullptr)) && value && wcsstr(value, needle)) found = true;
    if (found || first_only) break;
  }
  reader->MoveToElement();
  return found;
}

bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Creates the folders of an entry's relative path below the target, refusing any that exists
// as a link or a file.
bool CreateFolderChain(const std::wstring& target, const std::wstring& relative) {
  size_t pos = 0;
  while ((pos = relative.find(L'\\', pos)) != std::wstring::npos) {
    std::wstring folder = target + L"\\" + relative.substr(0, pos);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && !IsPlainFolder(folder)) return false;
    ++pos;
  }
  return true;
}

bool IsDigitOneToNine(wchar_t c) {
  // The superscript digits one to three name the same devices.
  return (c >= L'1' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Starts the command line and waits for its program to end.
bool RunAndWait(const std::wstring& command_line) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::wstring line = command_line;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  KestrinWinNS::CScopedKernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

// Copies the reader's current node to the writer, attributes included, through the writer's
// plain calls (the same result as IXmlWriter::WriteNodeShallow, which not every XmlLite has).
HRESULT CopyNodeShallow(IXmlReader* reader, IXmlWriter* writer, XmlNodeType type) {
  const wchar_t* prefix = nullptr;
  const wchar_t* local = nullptr;
  const wchar_t* uri = nullptr;
  const wchar_t* value = nullptr;
  HRESULT hr = S_OK;
  switch (type) {
    case XmlNodeType_Element: {
      bool empty = reader->IsEmptyElement() != FALSE;
      if (FAILED(hr = reader->GetPrefix(&prefix, nullptr)) || FAILED(hr = reader->GetLocalName(&local, nullptr)) ||
          FAILED(hr = reader->GetNamespaceUri(&uri, nullptr)))
        return hr;
      if (FAILED(hr = writer->WriteStartElement(*prefix ? prefix : nullptr, local, *uri ? uri : nullptr)))
        return hr;
      const std::wstring element_prefix = prefix;
      for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
        if (FAILED(hr = reader->GetPrefix(&prefix, nullptr)) || FAILED(hr = reader->GetLocalName(&local, nullptr)) ||
            FAILED(hr = reader->GetNamespaceUri(&uri, nullptr)) || FAILED(hr = reader->GetValue(&value, nullptr)))
          return hr;
        bool declaration = wcscmp(prefix, L"xmlns") == 0 || (!*prefix && wcscmp(local, L"xmlns") == 0);
        // The writer declares the element's own prefix itself.
        if (declaration && wcscmp(prefix, L"xmlns") == 0 && wcscmp(local, element_prefix.c_str()) == 0) continue;
        if (FAILED(hr = writer->WriteAttributeString(*prefix ? prefix : nullptr, local,
                                                     declaration || !*uri ? nullptr : uri, value)))
          return hr;
      }
      reader->MoveToElement();
      return empty ? writer->WriteEndElement() : S_OK;
    }
    case XmlNodeType_EndElement:
      return writer->WriteFullEndElement();
    case XmlNodeType_XmlDeclaration:
      return writer->WriteStartDocument(XmlStandalone_Omit);
    case XmlNodeType_DocumentType:
    case XmlNodeType_Whitespace:  // the writer indents the output itself
      return S_OK;
    default:
      break;
  }
  if (FAILED(hr = reader->GetValue(&value, nullptr))) return hr;
  switch (type) {
    case XmlNodeType_Text: return writer->WriteString(value);
    case XmlNodeType_CDATA: return writer->WriteCData(value);
    case XmlNodeType_Comment: return writer->WriteComment(value);
    case XmlNodeType_ProcessingInstruction:
      if (FAILED(hr = reader->GetLocalName(&local, nullptr))) return hr;
      return writer->WriteProcessingInstruction(local, value);
    default:
      return S_OK;
  }
}

}  // namespace

bool FindBrowserInstall(const wchar_t* key, unsigned* major, unsigned* minor, bool find_program,
                        std::wstring* program) {
  wchar_t version[MAX_PATH];
  if (!ReadBrowserString(key, L"CurrentVersion", version)) return false;
  *major = *minor = 0;
  if (swscanf(version, L"%u.%u.", major, minor) < 2) return false;
  if (!find_program) return true;
  wchar_t path[MAX_PATH];
  if (!ReadBrowserString(std::wstring(key) + L"\\" + version + L"\\Main", L"PathToExe", path)) return false;
  if (!FileExists(path)) return false;
  if (program) *program = path;
  return true;
}

std::wstring UnpackFolderOf(const std::wstring& package) {
  size_t dot = package.rfind(L'.');
  size_t slash = package.rfind(L'\\');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return package;
  return package.substr(0, dot);
}

bool IsReservedDeviceName(const std::wstring& segment) {
  // The device is named by the part before the first dot, trailing blanks ignored.
  std::wstring stem = segment.substr(0, segment.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  if (stem.size() == 3) {
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
      if (_wcsicmp(stem.c_str(), device) == 0) return true;
    return false;
  }
  if (stem.size() == 4 && IsDigitOneToNine(stem[3])) {
    const std::wstring base = stem.substr(0, 3);
    return _wcsicmp(base.c_str(), L"COM") == 0 || _wcsicmp(base.c_str(), L"LPT") == 0;
  }
  return _wcsicmp(stem.c_str(), L"CONIN$") == 0 || _wcsicmp(stem.c_str(), L"CONOUT$") == 0;
}

bool IsSafeEntryName(const std::wstring& name) {
  if (name.empty() || name.size() >= MAX_PATH) return false;
  for (wchar_t c : name) {
    if (c < 0x20 || wcschr(L"<>:\"/|?*", c)) return false;
  }
  size_t start = 0;
  for (;;) {
    size_t end = name.find(L'\\', start);
    const std::wstring segment = name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    // Empty segments, "." and "..", and names the system would trim (a trailing dot or blank)
    // could name another place than the one checked here.
    if (segment.empty() || segment.back() == L'.' || segment.back() == L' ') return false;
    if (IsReservedDeviceName(segment)) return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

namespace {

// The entry's name, read within its stored length: false for a name longer than a path may
// be, one holding a NUL, or bytes that do not convert.
bool ReadEntryName(unzFile zip, unz_file_info64* info, std::wstring* name) {
  char raw[MAX_PATH + 1];
  if (unzGetCurrentFileInfo64(zip, info, raw, sizeof(raw), nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  const uLong length = info->size_filename;
  if (length == 0 || length >= sizeof(raw)) return false;
  if (memchr(raw, '\0', length)) return false;
  const UINT code_page = (info->flag & (1u << 11)) ? CP_UTF8 : CP_ACP;
  wchar_t wide[MAX_PATH + 1];
  const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, raw, static_cast<int>(length), wide, MAX_PATH);
  if (n <= 0) return false;
  name->assign(wide, static_cast<size_t>(n));
  return true;
}

// Copies the current entry into the file through a fixed buffer: exactly the size the entry
// states, which was checked against the limits, and no more.
bool CopyEntry(unzFile zip, HANDLE file, unsigned long long expected) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  char buffer[16384];
  unsigned long long copied = 0;
  bool ok = true;
  for (;;) {
    const int got = unzReadCurrentFile(zip, buffer, sizeof(buffer));
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    copied += static_cast<unsigned>(got);
    DWORD written = 0;
    if (copied > expected || !WriteFile(file, buffer, static_cast<DWORD>(got), &written, nullptr) ||
        written != static_cast<DWORD>(got)) {
      ok = false;
      break;
    }
  }
  // Closing checks the entry's CRC once all of it was read.
  const int closed = unzCloseCurrentFile(zip);
  return ok && closed == UNZ_OK && copied == expected;
}

// The unpack goes into a folder of its own making: whatever was there before (links
// included, which go as links) is removed first.
bool MakeFreshFolder(const std::wstring& target) {
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !SetupFrameworkNS::RemoveFolderTree(target.c_str()))
    return false;
  if (!CreateDirectoryW(target.c_str(), nullptr)) return false;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The entry's relative path with backslashes, and whether it is a folder; false for a name the
// unpack refuses.
bool ReadEntryPath(unzFile zip, unz_file_info64* info, std::wstring* name, bool* is_folder) {
  if (!ReadEntryName(zip, info, name)) return false;
  for (wchar_t& c : *name)
    if (c == L'/') c = L'\\';
  *is_folder = name->back() == L'\\';
  if (*is_folder) name->pop_back();
  return IsSafeEntryName(*name);
}

// Every entry's name and size, before anything is written: a package with one refused entry
// leaves nothing behind.
bool CheckPackage(unzFile zip) {
  if (unzGoToFirstFile(zip) != UNZ_OK) return false;
  unsigned long long total = 0;
  for (unsigned entries = 1;; ++entries) {
    if (entries > kMaxPackageEntries) return false;
    unz_file_info64 info;
    std::wstring name;
    bool is_folder = false;
    if (!ReadEntryPath(zip, &info, &name, &is_folder)) return false;
    if (info.uncompressed_size > kMaxEntryBytes) return false;
    total += info.uncompressed_size;
    if (total > kMaxPackageBytes) return false;
    const int next = unzGoToNextFile(zip);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) return false;
  }
}

}  // namespace

bool UnpackPackage(const std::wstring& package, const std::wstring& target) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  unzFile zip = unzOpen2_64(package.c_str(), &io);
  if (!zip) return false;
  struct Closer {
    unzFile zip;
    ~Closer() { unzClose(zip); }
  } closer{zip};
  if (!CheckPackage(zip) || !MakeFreshFolder(target)) return false;
  if (unzGoToFirstFile(zip) != UNZ_OK) return false;
  for (;;) {
    unz_file_info64 info;
    std::wstring name;
    bool is_folder = false;
    if (!ReadEntryPath(zip, &info, &name, &is_folder)) return false;
    const std::wstring path = target + L"\\" + name;
    if (!CreateFolderChain(target, name)) return false;
    if (is_folder) {
      if (!CreateDirectoryW(path.c_str(), nullptr) && !IsPlainFolder(path)) return false;
    } else {
      if (SetupFrameworkNS::IsLinkedPath(path)) return false;
      CScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return false;
      if (!CopyEntry(zip, file.Get(), info.uncompressed_size)) {
        // No part of a file stays behind for a browser to load.
        file.Reset();
        DeleteFileW(path.c_str());
        return false;
      }
    }
    const int next = unzGoToNextFile(zip);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) return false;
  }
}

bool RemoveFileByRename(const std::wstring& path) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  wchar_t aside[MAX_PATH * 2];
  swprintf(aside, MAX_PATH * 2, L"%ls_%d%d%d%d%d%d%d_.bak", path.c_str(), now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  if (!MoveFileW(path.c_str(), aside)) return false;
  if (DeleteFileW(aside)) return true;
  return MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

CXmlLite& CXmlLite::Get() {
  static CXmlLite xml;
  return xml;
}

CXmlLite::CXmlLite() {
  std::wstring candidates[] = {SetupFrameworkNS::SetupPaths::Get().System(),
                               SetupFrameworkNS::SetupPaths::Get().InstallFolder()};
  for (const std::wstring& folder : candidates) {
    if (folder.empty()) continue;
    std::wstring path = folder + L"\\xmllite.dll";
    // A full path, and the libraries it needs from the system folder only.
    module_.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module_) continue;
    create_reader_ = reinterpret_cast<CreateFn>(GetProcAddress(module_.Get(), "CreateXmlReader"));
    create_writer_ = reinterpret_cast<CreateFn>(GetProcAddress(module_.Get(), "CreateXmlWriter"));
    if (create_reader_ && create_writer_) {
      loaded_from_ = path;
      return;
    }
    module_.Reset();
  }
}

CXmlLite::~CXmlLite() = default;

HRESULT CXmlLite::CreateReader(IXmlReader** out) {
  if (!create_reader_) return E_FAIL;
  return create_reader_(kIidXmlReader, reinterpret_cast<void**>(out), nullptr);
}

HRESULT CXmlLite::CreateWriter(IXmlWriter** out) {
  if (!create_writer_) return E_FAIL;
  return create_writer_(kIidXmlWriter, reinterpret_cast<void**>(out), nullptr);
}

CGeckoExtManager::CGeckoExtManager(std::wstring package_path) : package_path_(std::move(package_path)) {}

CGeckoExtManager::CGeckoExtManager() {
  CXmlLite& xml = CXmlLite::Get();
  if (SUCCEEDED(xml.CreateWriter(&writer_))) writer_->SetProperty(XmlWriterProperty_Indent, TRUE);
  if (SUCCEEDED(xml.CreateReader(&reader_)))
    reader_->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
}

CGeckoExtManager::~CGeckoExtManager() = default;

void CGeckoExtManager::SetOverlayPaths(const std::wstring& folder) {
  overlay_first_ = folder + L"chrome\\overlayinfo\\browser\\content\\overlays.rdf";
  overlay_second_ = folder + L"chrome\\overlayinfo\\navigator\\content\\overlays.rdf";
}

bool CGeckoExtManager::IsOwnChromeElement(IXmlReader* reader) {
  return AttributeHolds(reader, L"kestrinext", false);
}

bool CGeckoExtManager::IsOwnExtensionElement(IXmlReader* reader) {
  return AttributeHolds(reader, L"urn:mozilla:extension:{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}", true);
}

bool CGeckoExtManager::InstallPackage() {
  if (install_method_ == 2) return UnpackPackage(package_path_, UnpackFolderOf(package_path_));
  if (browser_path_.find(L"firefox.exe") != std::wstring::npos ||
      browser_path_.find(L"netscape.exe") != std::wstring::npos) {
    if (!FolderExists(FolderOf(browser_path_) + L"\\extensions")) return false;
  }
  wchar_t line[MAX_PATH * 3];
  const wchar_t* format = install_method_ == 1 ? L"\"%ls\" -install-global-extension \"%ls\"" : L"\"%ls\" \"%ls\"";
  swprintf(line, MAX_PATH * 3, format, browser_path_.c_str(), package_path_.c_str());
  return RunAndWait(line);
}

bool CGeckoExtManager::WriteExtensionValue(const wchar_t* key, const wchar_t* id) {
  CScopedRegKey k;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                      KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE | kBrowserView, nullptr, k.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  std::wstring folder = UnpackFolderOf(package_path_);
  return RegSetValueExW(k.Get(), id, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CGeckoExtManager::ReadExtensionFolder(const wchar_t* key, const wchar_t* id, std::wstring* folder) {
  wchar_t value[MAX_PATH];
  if (!ReadBrowserString(key, id, value)) return false;
  *folder = value;
  return true;
}

bool CGeckoExtManager::IsOwnOverlayText(IXmlReader* reader) {
  const wchar_t* value = nullptr;
  return SUCCEEDED(reader->GetValue(&value, nullptr)) && value && wcsstr(value, L"kestrinext");
}

bool CGeckoExtManager::RewriteXmlFile(const std::wstring& path, NodeTest drop_element, NodeTest drop_text) {
  if (!has_xml()) return false;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CComPtr<IStream> input;
  input.Attach(UtilityClassesNS::CFileStream::Create(handle));
  if (!input) return false;
  CComPtr<IStream> output;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &output))) return false;

  bool ok = SUCCEEDED(reader_->SetInput(input)) && SUCCEEDED(writer_->SetOutput(output));
  XmlNodeType type;
  HRESULT hr = S_OK;
  while (ok && (hr = reader_->Read(&type)) == S_OK) {
    if (type == XmlNodeType_Text && drop_text && (this->*drop_text)(reader_)) continue;
    if (type == XmlNodeType_Element && drop_element && (this->*drop_element)(reader_)) {
      // The element goes with everything inside it.
      if (!reader_->IsEmptyElement()) {
        // Counted by hand: readers differ in the depth they give an element's end.
        int open = 1;
        while (open > 0 && (hr = reader_->Read(&type)) == S_OK) {
          if (type == XmlNodeType_Element && !reader_->IsEmptyElement()) ++open;
          if (type == XmlNodeType_EndElement) --open;
        }
        if (hr != S_OK) ok = false;
      }
      continue;
    }
    if (FAILED(CopyNodeShallow(reader_, writer_, type))) ok = false;
  }
  if (hr != S_FALSE) ok = false;  // S_FALSE is the end of the input; anything else is an error
  if (ok && FAILED(writer_->Flush())) ok = false;
  reader_->SetInput(nullptr);
  writer_->SetOutput(nullptr);
  input.Release();
  if (!ok) return false;

  // The complete new content goes to a file beside the old one, which then replaces it.
  STATSTG stat = {};
  if (FAILED(output->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0x7FFFFFFF) return false;
  HGLOBAL memory = nullptr;
  if (FAILED(GetHGlobalFromStream(output, &memory))) return false;
  std::wstring fresh = path + L".new";
  {
    CScopedKernelHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!file) return false;
    DWORD size = static_cast<DWORD>(stat.cbSize.QuadPart), written = 0;
    const void* bytes = GlobalLock(memory);
    BOOL wrote = WriteFile(file.Get(), bytes, size, &written, nullptr);
    GlobalUnlock(memory);
    if (!wrote || written != size || !FlushFileBuffers(file.Get())) {
      file.Reset();
      DeleteFileW(fresh.c_str());
      return false;
    }
  }
  if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(fresh.c_str());
    return false;
  }
  return true;
}

// Firefox.

CFirefoxExtManager::CFirefoxExtManager(std::wstring package_path)
    : CGeckoExtManager(std::move(package_path)), extension_key_(kFirefoxExtensionsKey) {
  firefox3_package_path_ = FolderOf(package_path_) + L"\\Kestrin_ff3.xpi";
}

CFirefoxExtManager::CFirefoxExtManager() : extension_key_(kFirefoxExtensionsKey) {}

bool CFirefoxExtManager::IsSupportedOlder(const FoundInstall& install) {
  return (install.major == 1 && install.minor >= 5) || install.major == 2;
}

bool CFirefoxExtManager::FindFirefoxInstalls() {
  if (searched_) return !installs_.empty();
  searched_ = true;
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFirefoxKey, 0, KEY_READ | kBrowserView, key.Receive()) != ERROR_SUCCESS)
    return false;
  wchar_t version[MAX_PATH];
  DWORD type = 0, bytes = sizeof(version);
  if (RegQueryValueExW(key.Get(), L"CurrentVersion", nullptr, &type, reinterpret_cast<BYTE*>(version), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  version[MAX_PATH - 1] = L'\0';
  if (swscanf(version, L"%u", &current_major_) != 1) return false;
  for (DWORD index = 0;; ++index) {
    wchar_t name[MAX_PATH];
    DWORD length = MAX_PATH;
    LONG status = RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    FoundInstall install{std::wstring(), 0, 0};
    if (swscanf(name, L"%u.%u.", &install.major, &install.minor) < 1) continue;
    wchar_t path[MAX_PATH];
    if (!ReadBrowserString(std::wstring(kFirefoxKey) + L"\\" + name + L"\\Main", L"PathToExe", path)) continue;
    if (!FileExists(path)) continue;
    install.program = path;
    installs_.push_back(install);
    if (install.major == 1) installed_versions_ |= kFirefox1;
    if (install.major == 2) installed_versions_ |= kFirefox2;
    if (install.major == 3) installed_versions_ |= kFirefox3;
  }
  return !installs_.empty();
}

bool CFirefoxExtManager::Detect() {
  if (!FindFirefoxInstalls()) return false;
  for (const FoundInstall& install : installs_) {
    if (IsSupportedOlder(install) || install.major == 3) {
      supported_ = true;
      install_method_ = 2;
      browser_path_ = install.program;
      return true;
    }
  }
  return false;
}

bool CFirefoxExtManager::IsInstalled() {
  if (!supported_ && !Detect()) return false;
  bool older = false;
  for (const FoundInstall& install : installs_) older = older || IsSupportedOlder(install);
  if (!older) return false;
  std::wstring folder;
  return ReadExtensionFolder(extension_key_, kExtensionId, &folder) && FolderExists(folder);
}

bool CFirefoxExtManager::IsFirefox3Installed() {
  if (!supported_ && !Detect()) return false;
  if (!(installed_versions_ & kFirefox3)) return false;
  std::wstring folder;
  return ReadExtensionFolder(extension_key_, kFirefox3ExtensionId, &folder) && FolderExists(folder);
}

bool CFirefoxExtManager::IsOwnExtensionElement(IXmlReader* reader) {
  return AttributeHolds(reader, L"urn:mozilla:item:{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}", true) ||
         AttributeHolds(reader, L"urn:mozilla:item:{5BFDB6E3-E238-4B4c-920A-04CE3727BF63}", true);
}

bool CFirefoxExtManager::InstallFor(unsigned mask) {
  if (mask == 0 || mask > 7) return false;
  if (!supported_ && !Detect()) return false;
  bool ok = true;
  for (const FoundInstall& install : installs_) {
    if (IsSupportedOlder(install) && (mask & 3)) {
      ok = InstallPackage() && ok;
      ok = WriteExtensionValue(extension_key_, kExtensionId) && ok;
    } else if (install.major == 3 && (mask & 4)) {
      std::wstring saved = package_path_;
      package_path_ = firefox3_package_path_;
      ok = InstallPackage() && ok;
      ok = WriteExtensionValue(extension_key_, kFirefox3ExtensionId) && ok;
      package_path_ = saved;
    }
  }
  return ok;
}

bool CFirefoxExtManager::UninstallFor(unsigned mask) {
  if (mask == 0 || mask > 7) return false;
  if (!supported_ && !Detect()) return false;
  bool ok = true;
  for (const FoundInstall& install : installs_) {
    const wchar_t* id = nullptr;
    if ((install.major == 1 || install.major == 2) && (mask & 3)) id = kExtensionId;
    if (install.major == 3 && (mask & 4)) id = kFirefox3ExtensionId;
    if (!id) continue;
    CScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, extension_key_, 0, KEY_READ | KEY_SET_VALUE | kBrowserView,
                      key.Receive()) != ERROR_SUCCESS) {
      ok = false;
      continue;
    }
    LONG status = RegDeleteValueW(key.Get(), id);
    // Two installs of one generation share the value: the second finds it gone already.
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ok = false;
  }
  return ok;
}

// Netscape 9.

bool CNetscape9ExtManager::Detect() {
  unsigned major = 0, minor = 0;
  std::wstring program;
  if (!FindBrowserInstall(kNetscapeKey, &major, &minor, true, &program) || major != 9) return false;
  browser_path_ = program;
  install_method_ = 2;
  supported_ = true;
  return true;
}

bool CNetscape9ExtManager::IsInstalled() {
  std::wstring folder;
  return ReadExtensionFolder(kNetscapeExtensionsKey, kExtensionId, &folder) && FolderExists(folder);
}

bool CNetscape9ExtManager::Install() {
  if (!supported_ && !Detect()) return false;
  bool registered = WriteExtensionValue(kNetscapeExtensionsKey, kExtensionId);
  return InstallPackage() && registered;
}

bool CNetscape9ExtManager::Uninstall() {
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNetscapeExtensionsKey, 0,
                    KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE | kBrowserView, key.Receive()) != ERROR_SUCCESS)
    return false;
  return RegDeleteValueW(key.Get(), kExtensionId) == ERROR_SUCCESS;
}

// SeaMonkey.

bool CSeaMonkeyExtManager::Detect() {
  unsigned major = 0, minor = 0;
  std::wstring program;
  if (!FindBrowserInstall(kSeaMonkeyKey, &major, &minor, true, &program) || major != 1 || minor > 1) return false;
  browser_path_ = program;
  install_method_ = 0;
  supported_ = true;
  return true;
}

bool CSeaMonkeyExtManager::IsInstalled() {
  wchar_t version[MAX_PATH];
  if (!ReadBrowserString(kSeaMonkeyKey, L"CurrentVersion", version)) return false;
  std::wstring text(version);
  size_t blank = text.rfind(L' ');
  if (blank != std::wstring::npos) text.resize(blank);
  wchar_t components[MAX_PATH];
  if (!ReadBrowserString(L"Software\\Mozilla\\SeaMonkey " + text + L"\\Extensions", L"Components", components))
    return false;
  std::wstring path(components);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return FileExists(path + L"Kestrin.dll");
}

bool CSeaMonkeyExtManager::Install() {
  if (!supported_ && !Detect()) return false;
  return InstallPackage();
}

void CSeaMonkeyExtManager::SetOverlayPaths(const std::wstring& folder) {
  overlay_first_ = overlay_second_ = folder + L"chrome\\overlays.rdf";
}

bool CSeaMonkeyExtManager::Uninstall() {
  if (!supported_ && !Detect()) return false;
  std::wstring folder = FolderOf(browser_path_) + L"\\";
  SetOverlayPaths(folder);
  bool ok = true;
  std::wstring chrome_rdf = folder + L"chrome\\chrome.rdf";
  if (FileExists(chrome_rdf)) ok = RewriteXmlFile(chrome_rdf, &CGeckoExtManager::IsOwnChromeElement, nullptr) && ok;

  std::wstring installed = folder + L"chrome\\installed-chrome.txt";
  if (FileExists(installed)) {
    std::string bytes;
    {
      CScopedKernelHandle file(CreateFileW(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
      DWORD size = file ? GetFileSize(file.Get(), nullptr) : 0, got = 0;
      bytes.resize(size);
      if (!file || (size && !ReadFile(file.Get(), &bytes[0], size, &got, nullptr)) || got != size) ok = false;
    }
    char line[128];
    WideCharToMultiByte(CP_ACP, 0, kOwnChromeLine, -1, line, sizeof(line), nullptr, nullptr);
    size_t at = bytes.find(line);
    if (at != std::string::npos) {
      size_t end = at + strlen(line);
      if (end < bytes.size()) ++end;  // the line end that follows
      bytes.erase(at, end - at);
      std::wstring fresh = installed + L".new";
      CScopedKernelHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      DWORD written = 0;
      bool wrote = file && (bytes.empty() || WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                       &written, nullptr)) &&
                   written == bytes.size();
      file.Reset();
      if (!wrote || !MoveFileExW(fresh.c_str(), installed.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(fresh.c_str());
        ok = false;
      }
    }
  }

  for (const std::wstring* overlay : {&overlay_first_, &overlay_second_}) {
    if (overlay == &overlay_second_ && overlay_second_ == overlay_first_) break;
    if (FileExists(*overlay)) ok = RewriteXmlFile(*overlay, nullptr, &CGeckoExtManager::IsOwnOverlayText) && ok;
  }

  const wchar_t* optional[] = {L"components\\KestrinWrapper.dll", L"components\\IKestrinWrapper.xpt"};
  for (const wchar_t* name : optional) {
    if (FileExists(folder + name)) ok = RemoveFileByRename(folder + name) && ok;
  }
  const wchar_t* files[] = {L"components\\Kestrin.dll", L"components\\IKestrin.xpt", L"chrome\\kestrinext.jar"};
  for (const wchar_t* name : files) {
    if (FileExists(folder + name)) ok = RemoveFileByRename(folder + name) && ok;
  }
  return ok;
}

}  // namespace GeckoHelpersNS

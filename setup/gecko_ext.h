// Extension managers of the Gecko browsers: find the installed Firefox, SeaMonkey and
// Netscape 9, put the extension package where each looks for global extensions, register it,
// tell whether it is installed, and remove it with the chrome registrations older browsers kept.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/win/scoped_handle.h"

namespace GeckoHelpersNS {

extern const wchar_t kExtensionId[];          // Firefox 1.5 and 2, SeaMonkey, Netscape 9
extern const wchar_t kFirefox3ExtensionId[];  // Firefox 3
// Browser keys live in the 32-bit registry view (the browsers of the era are 32-bit programs).
constexpr REGSAM kBrowserView = KEY_WOW64_32KEY;

// Reads "CurrentVersion" of an HKLM browser key as major and minor; with `find_program` also
// the key's "<CurrentVersion>\Main" "PathToExe", which must name an existing file.
bool FindBrowserInstall(const wchar_t* key, unsigned* major, unsigned* minor, bool find_program,
                        std::wstring* program);

// Limits of a package: bytes of one entry, of all entries together, and the number of entries.
constexpr unsigned long long kMaxEntryBytes = 32ull << 20;
constexpr unsigned long long kMaxPackageBytes = 128ull << 20;
constexpr unsigned kMaxPackageEntries = 4096;

// Unpacks a zip package into the target folder, which is made anew (what was there is removed
// first; a link goes as a link). Refused, with false: entry names that are not a safe relative
// path (IsSafeEntryName), longer than a path or holding a NUL; entries above the limits; a
// folder or file of the way that is a link. Each entry is copied through a fixed buffer and
// must come out at its stated size and checksum.
bool UnpackPackage(const std::wstring& package, const std::wstring& target);

// True for a relative path (backslashes) that names a place inside the folder it is made in:
// no drive, root, stream or wildcard, no empty, "." or ".." segment, none ending in a dot or a
// blank, none naming a device.
bool IsSafeEntryName(const std::wstring& name);
// True for a device name, with or without an extension, in any case: CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9 (also with the superscript digits), CONIN$, CONOUT$.
bool IsReservedDeviceName(const std::wstring& segment);

// Renames the file aside and deletes it, or schedules the renamed file for deletion at restart.
bool RemoveFileByRename(const std::wstring& path);

// The package path without its extension: the folder the package is unpacked into.
std::wstring UnpackFolderOf(const std::wstring& package);

// XmlLite of the system folder (else the copy setup put into the install folder): never one
// found through the search path, where a user could have planted it.
class CXmlLite {
 public:
  // The one the managers use.
  static CXmlLite& Get();
  CXmlLite();
  ~CXmlLite();
  CXmlLite(const CXmlLite&) = delete;
  CXmlLite& operator=(const CXmlLite&) = delete;

  HRESULT CreateReader(IXmlReader** out);
  HRESULT CreateWriter(IXmlWriter** out);
  // Where the library was loaded from (empty when it could not be loaded).
  const std::wstring& LoadedFrom() const { return loaded_from_; }

 private:
  using CreateFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
  KestrinWinNS::CScopedLibrary module_;
  CreateFn create_reader_ = nullptr;
  CreateFn create_writer_ = nullptr;
  std::wstring loaded_from_;
};

class CGeckoExtManager {
 public:
  // For install and detection.
  explicit CGeckoExtManager(std::wstring package_path);
  // For removal: with an XML reader and writer.
  CGeckoExtManager();
  virtual ~CGeckoExtManager();
  CGeckoExtManager(const CGeckoExtManager&) = delete;
  CGeckoExtManager& operator=(const CGeckoExtManager&) = delete;

  virtual bool Detect() = 0;
  virtual bool IsInstalled() = 0;
  virtual bool Install() = 0;
  virtual bool Uninstall() = 0;
  virtual void SetOverlayPaths(const std::wstring& folder);
  virtual bool IsOwnChromeElement(IXmlReader* reader);
  virtual bool IsOwnExtensionElement(IXmlReader* reader);

  const std::wstring& browser_path() const { return browser_path_; }
  int install_method() const { return install_method_; }
  bool supported() const { return supported_; }
  bool has_xml() const { return reader_ && writer_; }

  // True for a text node that names the extension's chrome ("kestrinext").
  bool IsOwnOverlayText(IXmlReader* reader);

  // Rewrites an XML file without the elements (with everything inside them) for which
  // `drop_element` is true and the text nodes for which `drop_text` is true (either may be
  // null). The new content is written completely to a file beside the old one, which then
  // replaces it: malformed input or a failed write leaves the old file as it was.
  using NodeTest = bool (CGeckoExtManager::*)(IXmlReader*);
  bool RewriteXmlFile(const std::wstring& path, NodeTest drop_element, NodeTest drop_text);

 protected:
  bool InstallPackage();
  bool WriteExtensionValue(const wchar_t* key, const wchar_t* id);
  bool ReadExtensionFolder(const wchar_t* key, const wchar_t* id, std::wstring* folder);

  std::wstring browser_path_;
  int install_method_ = 0;  // 0 open with the browser, 1 global install, 2 unpack
  std::wstring package_path_;
  bool supported_ = false;
  std::wstring overlay_first_, overlay_second_;
  KestrinComNS::CComPtr<IXmlReader> reader_;
  KestrinComNS::CComPtr<IXmlWriter> writer_;
};

class CFirefoxExtManager : public CGeckoExtManager {
 public:
  struct FoundInstall {
    std::wstring program;
    unsigned major;
    unsigned minor;
  };
  // Installed-version flags.
  enum : unsigned { kFirefox1 = 1, kFirefox2 = 2, kFirefox3 = 4 };

  explicit CFirefoxExtManager(std::wstring package_path);
  CFirefoxExtManager();

  bool Detect() override;
  bool IsInstalled() override;  // the Firefox 1.5 / 2 package
  bool Install() override { return InstallFor(7); }
  bool Uninstall() override { return UninstallFor(7); }
  bool IsOwnExtensionElement(IXmlReader* reader) override;
  bool IsFirefox3Installed();
  // Mask 1 and 2: Firefox 1.5 and 2; 4: Firefox 3. 0 or above 7 is refused.
  bool InstallFor(unsigned mask);
  bool UninstallFor(unsigned mask);

  unsigned installed_versions() const { return installed_versions_; }
  unsigned current_major() const { return current_major_; }
  const std::vector<FoundInstall>& installs() const { return installs_; }

 private:
  bool FindFirefoxInstalls();
  static bool IsSupportedOlder(const FoundInstall& install);  // 1.5 and later 1.x, 2.x
  const wchar_t* extension_key_;
  unsigned current_major_ = 0;
  unsigned installed_versions_ = 0;
  std::wstring firefox3_package_path_;
  std::vector<FoundInstall> installs_;
  bool searched_ = false;
};

class CNetscape9ExtManager : public CGeckoExtManager {
 public:
  using CGeckoExtManager::CGeckoExtManager;
  bool Detect() override;
  bool IsInstalled() override;
  bool Install() override;
  bool Uninstall() override;
};

class CSeaMonkeyExtManager : public CGeckoExtManager {
 public:
  using CGeckoExtManager::CGeckoExtManager;
  bool Detect() override;
  bool IsInstalled() override;
  bool Install() override;
  bool Uninstall() override;  // removes the chrome registrations of the extension
  void SetOverlayPaths(const std::wstring& folder) override;
};

}  // namespace GeckoHelpersNS

// The extension packages the build made, opened with minizip as setup opens them: their files,
// the chrome archive inside, and what ties them to the component (the type library's
// interfaces, the element ids the component looks up).
#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <map>
#include <string>
#include <vector>

#include "gecko/kestrin_interfaces.h"
#include "tools/xpt/xpt_reader.h"

namespace {

// Every file of a zip archive by name.
std::map<std::string, std::string> Unzip(const std::string& path) {
  std::map<std::string, std::string> files;
  unzFile zip = unzOpen(path.c_str());
  if (!zip) return files;
  for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
    char name[512];
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK) break;
    std::string data(info.uncompressed_size, '\0');
    if (unzOpenCurrentFile(zip) != UNZ_OK) break;
    int read = data.empty() ? 0 : unzReadCurrentFile(zip, &data[0], static_cast<unsigned>(data.size()));
    unzCloseCurrentFile(zip);
    if (read != static_cast<int>(data.size())) break;
    files[name] = data;
  }
  unzClose(zip);
  return files;
}

std::string Temp(const std::string& name, const std::string& data) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (f) {
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
  }
  return path;
}

// A package of the build folder, as a Windows path (Wine maps the Unix root to Z:).
std::string PackagePath(const char* name) {
  std::string path = std::string("Z:") + KESTRIN_PACKAGE_DIR + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string IidBytes(const kr::nsIID& iid) {
  unsigned char b[16] = {static_cast<unsigned char>(iid.Data1 >> 24), static_cast<unsigned char>(iid.Data1 >> 16),
                         static_cast<unsigned char>(iid.Data1 >> 8),  static_cast<unsigned char>(iid.Data1),
                         static_cast<unsigned char>(iid.Data2 >> 8),  static_cast<unsigned char>(iid.Data2),
                         static_cast<unsigned char>(iid.Data3 >> 8),  static_cast<unsigned char>(iid.Data3)};
  for (int i = 0; i < 8; ++i) b[8 + i] = iid.Data4[i];
  return std::string(reinterpret_cast<char*>(b), 16);
}

std::string Utf16(const char* text) {
  std::string out;
  for (; *text; ++text) out += std::string(1, *text) + '\0';
  return out;
}

TEST(ExtensionPackage, BothPackagesHoldAConsistentExtension) {
  struct Case {
    const char* file;
    const char* extension_id;
    const char* firefox_max;
  } cases[] = {
      {"Kestrin_ff3.xpi", "{5BFDB6E3-E238-4B4c-920A-04CE3727BF63}", "3.*"},
      {"Kestrin.xpi", "{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}", "2.0.0.*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto files = Unzip(PackagePath(c.file));
    for (const char* name : {"install.rdf", "chrome.manifest", "chrome/kestrinext.jar", "components/Kestrin.dll",
                             "components/IKestrin.xpt", "components/Kestrin.xpt", "install.js"})
      ASSERT_EQ(1u, files.count(name)) << name;
    EXPECT_EQ(7u, files.size());
    const std::string& rdf = files["install.rdf"];
    EXPECT_NE(std::string::npos, rdf.find(std::string("<em:id>") + c.extension_id + "</em:id>"));
    EXPECT_NE(std::string::npos, rdf.find(std::string("<em:maxVersion>") + c.firefox_max + "<"));
    EXPECT_NE(std::string::npos, rdf.find("urn:mozilla:extension:file:kestrinext.jar"));
    EXPECT_NE(std::string::npos, files["chrome.manifest"].find("jar:chrome/kestrinext.jar!/content/"));
    // The script keeps the older package's id in both packages.
    EXPECT_EQ(files["components/IKestrin.xpt"], files["components/Kestrin.xpt"]);

    auto chrome = Unzip(Temp(std::string("kestrin-") + c.file + ".jar", files["chrome/kestrinext.jar"]));
    for (const char* name : {"content/kestrinoverlay.xul", "content/kestrinoverlayev.xul",
                             "content/kestrinoverlayev_old.xul", "content/kestrinoverlaycertdlg.xul",
                             "content/about.xul", "content/kestrinoverlay.js", "content/contents.rdf",
                             "content/kr_ext.bmp", "content/kr_about.png"})
      EXPECT_EQ(1u, chrome.count(name)) << name;
    // The EV label the component listens on is in both EV overlays.
    for (const char* overlay : {"content/kestrinoverlayev.xul", "content/kestrinoverlayev_old.xul"})
      EXPECT_NE(std::string::npos, chrome[overlay].find("id=\"KR-top-label\"")) << overlay;
    // The certificate dialog never gets web-site trust from the script.
    const std::string& script = chrome["content/kestrinoverlay.js"];
    EXPECT_EQ(std::string::npos, script.find("checked = true"));
    EXPECT_NE(std::string::npos, script.find("trust.checked = false"));

    const std::string& dll = files["components/Kestrin.dll"];
    for (const char* element : {"KR-top-label", "KR-M-top-label", "KR-Toolbar", "security-button"})
      EXPECT_NE(std::string::npos, dll.find(Utf16(element))) << element;
    for (const char* contract : {"@torvan/KestrinWrapper", "@torvan/KestrinComponent", "@torvan/CCertDownloader"})
      EXPECT_NE(std::string::npos, dll.find(contract)) << contract;
  }
}

// The type library, read back as the browser reads it, lists the component's own four interfaces
// with the identifiers the component answers to, their parents and method counts, and the two it
// only refers to; both packages carry the same one.
TEST(ExtensionPackage, TypeLibraryReadsBackAsTheComponentsInterfaces) {
  struct Expected {
    const char* name;
    const kr::nsIID* iid;
    const char* parent;  // null: only referred to
    uint16_t methods;
  } expected[] = {
      {"IKestrin", &kr::IKestrin::IID(), "nsISupports", 2},
      {"IKestrinWrapper", &kr::IKestrinWrapper::IID(), "nsISupports", 3},
      {"nsICertDownloader", &kr::nsICertDownloader::IID(), "nsISupports", 1},
      {"nsICertWaiter", &kr::nsICertWaiter::IID(), "nsISupports", 1},
      {"nsIRequest", &kr::nsIRequest::IID(), nullptr, 0},
      {"nsISupports", &kr::nsISupports::IID(), nullptr, 0},
  };
  for (const char* package : {"Kestrin_ff3.xpi", "Kestrin.xpi"}) {
    SCOPED_TRACE(package);
    auto files = Unzip(PackagePath(package));
    const std::string& data = files["components/IKestrin.xpt"];
    xpt::Library library;
    xpt::Reader reader(data);
    ASSERT_TRUE(reader.Read(&library)) << reader.error();
    EXPECT_EQ(1, library.major);
    EXPECT_EQ(2, library.minor);
    // The header, one empty annotation, 28 bytes per entry.
    EXPECT_EQ(33u + 28u * library.interfaces.size(), library.data_pool);
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), library.interfaces.size());
    for (const Expected& e : expected) {
      SCOPED_TRACE(e.name);
      const xpt::Interface* found = nullptr;
      for (const xpt::Interface& i : library.interfaces)
        if (i.name == e.name) found = &i;
      ASSERT_NE(nullptr, found);
      EXPECT_EQ(IidBytes(*e.iid), std::string(reinterpret_cast<const char*>(found->iid), 16));
      EXPECT_EQ(e.parent != nullptr, found->described);
      EXPECT_EQ(e.methods, found->method_count);
      if (e.parent) {
        ASSERT_GE(found->parent, 1);
        EXPECT_EQ(e.parent, library.interfaces[found->parent - 1].name);
      }
    }
    // Entries come in IID order, as the interface compiler writes them.
    for (size_t i = 1; i < library.interfaces.size(); ++i)
      EXPECT_LT(std::string(reinterpret_cast<const char*>(library.interfaces[i - 1].iid), 16),
                std::string(reinterpret_cast<const char*>(library.interfaces[i].iid), 16));
  }
}

// A library in the shape the older writer produced (32-byte entries, a one-based pool offset) is
// refused, never read past its end.
TEST(ExtensionPackage, TypeLibraryReaderRefusesMisplacedDirectoryAndPool) {
  auto files = Unzip(PackagePath("Kestrin_ff3.xpi"));
  std::string good = files["components/IKestrin.xpt"];
  ASSERT_GT(good.size(), 40u);
  xpt::Library library;
  {
    std::string shifted = good;  // pool one byte later
    shifted[31] = static_cast<char>(shifted[31] + 1);
    xpt::Reader reader(shifted);
    EXPECT_FALSE(reader.Read(&library));
  }
  {
    std::string padded = good;  // a fifth word in the first entry
    padded.insert(33 + 28, 4, '\0');
    uint32_t length = static_cast<uint32_t>(padded.size());
    for (int i = 0; i < 4; ++i) padded[20 + i] = static_cast<char>(length >> (24 - 8 * i));
    xpt::Reader reader(padded);
    EXPECT_FALSE(reader.Read(&library));
  }
  xpt::Reader truncated_reader(good.substr(0, good.size() - 1));
  EXPECT_FALSE(truncated_reader.Read(&library));
}

}  // namespace

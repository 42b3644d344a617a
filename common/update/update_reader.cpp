#include "common/update/update_reader.h"

#include <string.h>

#include <mutex>
#include <vector>

#include "common/utility/platform.h"

namespace UpdateUtilsNS {

namespace {

const wchar_t* const kElementNames[] = {
    L"Version", L"NotBefore", L"NotAfter", L"NumberOfRecords", L"IssuerLogoPath", L"IssuerLogo",
    L"Thumbprint",
};

std::mutex g_path_lock;
bool g_path_done = false;

UtilityClassesNS::CSystemFolders& SystemFolders() {
  static UtilityClassesNS::CSystemFolders folders;
  return folders;
}

bool ToAnsi(const WCHAR* text, UINT length, std::string* out) {
  out->clear();
  if (length == 0) return true;
  int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &(*out)[0], n, nullptr, nullptr);
  return true;
}

}  // namespace

bool GetEnvironmentText(std::string* text, const char* name) {
  if (!text) return false;
  text->clear();
  if (!name) return false;
  SetLastError(ERROR_SUCCESS);
  DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;  // set but empty
  std::vector<char> buffer(needed);
  DWORD n = GetEnvironmentVariableA(name, buffer.data(), needed);
  if (n == 0 || n >= needed) return false;
  text->assign(buffer.data(), n);
  return true;
}

bool AddInstallFolderToPath() {
  std::lock_guard<std::mutex> hold(g_path_lock);
  if (g_path_done) return true;
  std::string path;
  if (!GetEnvironmentText(&path, "PATH")) return false;
  char folder[MAX_PATH];
  if (SystemFolders().GetInstallFolder(folder, sizeof(folder))) {
    path += ";";
    path += folder;
    SetEnvironmentVariableA("PATH", path.c_str());
  }
  g_path_done = true;
  return true;
}

CUpdateFileReader::CUpdateFileReader(IStream* input) {
  if (!AddInstallFolderToPath()) return;
  KestrinComNS::CComPtr<xml::IXmlReader> reader;
  if (FAILED(xml::CreateXmlReader(&reader)) || !reader) return;
  if (FAILED(reader->SetProperty(xml::XmlReaderProperty_DtdProcessing, xml::DtdProcessing_Prohibit))) return;
  reader_ = std::move(reader);
  if (input) {
    // The document, read from where the input stands, checked, and the input put back.
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER start = {};
    STATSTG stat = {};
    if (FAILED(input->Seek(zero, STREAM_SEEK_CUR, &start)) || FAILED(input->Stat(&stat, STATFLAG_NONAME)) ||
        stat.cbSize.QuadPart < start.QuadPart || stat.cbSize.QuadPart - start.QuadPart > kMaxDocument)
      return;
    std::vector<BYTE> document(static_cast<size_t>(stat.cbSize.QuadPart - start.QuadPart));
    ULONG got = 0;
    if (!document.empty() && FAILED(input->Read(document.data(), static_cast<ULONG>(document.size()), &got)))
      return;
    LARGE_INTEGER back;
    back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
    if (FAILED(input->Seek(back, STREAM_SEEK_SET, nullptr)) || !IsReadableXml(document.data(), got)) return;
  }
  input_ = input;
  if (input_) reader_->SetInput(input_);
}

CUpdateFileReader::~CUpdateFileReader() {
  if (reader_) reader_->SetInput(nullptr);
}

HRESULT CUpdateFileReader::NextElement(int* index) {
  if (!input_) return reader_ ? E_POINTER : E_UNEXPECTED;
  if (!reader_) return E_UNEXPECTED;
  if (!index) return E_POINTER;
  for (;;) {
    xml::XmlNodeType type = xml::XmlNodeType_None;
    HRESULT hr = ReadNode(&type);
    if (hr != S_OK) {
      state_ = 0;
      return hr;
    }
    if (type != xml::XmlNodeType_Element) continue;
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (FAILED(reader_->GetLocalName(&name, &length)) || !name) continue;
    for (int i = 0; i < static_cast<int>(sizeof(kElementNames) / sizeof(kElementNames[0])); ++i) {
      if (wcslen(kElementNames[i]) == length && wcsncmp(kElementNames[i], name, length) == 0) {
        state_ = 1;
        *index = i;
        return S_OK;
      }
    }
  }
}

HRESULT CUpdateFileReader::ReadNode(xml::XmlNodeType* type) {
  if (++nodes_ > kMaxNodes) return E_FAIL;
  HRESULT hr = reader_->Read(type);
  if (hr != S_OK) return hr;
  UINT line = 0, position = 0;
  reader_->GetLineNumber(&line);
  reader_->GetLinePosition(&position);
  if (nodes_ > 1 && line == last_line_ && position == last_position_ && *type == last_type_) return E_FAIL;
  last_line_ = line;
  last_position_ = position;
  last_type_ = *type;
  return S_OK;
}

HRESULT CUpdateFileReader::ReadText(std::string* text) {
  if (!input_) return reader_ ? E_POINTER : E_UNEXPECTED;
  if (!reader_ || state_ != 1) return E_UNEXPECTED;
  if (!text) return E_POINTER;
  text->clear();
  xml::XmlNodeType type = xml::XmlNodeType_None;
  HRESULT hr = ReadNode(&type);
  if (hr == S_OK && type == xml::XmlNodeType_Text) {
    const WCHAR* value = nullptr;
    UINT length = 0;
    hr = reader_->GetValue(&value, &length);
    if (SUCCEEDED(hr) && value && !ToAnsi(value, length, text)) hr = E_FAIL;
  }
  return hr;
}

}  // namespace UpdateUtilsNS

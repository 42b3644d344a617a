// Walks the XML document of an update file with XmlLite: the seven elements the trusted list
// knows, and the text that follows an element's start.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>

#include "common/update/readable_xml.h"
#include "common/update/xml_lite.h"
#include "platform/com/com_ptr.h"

namespace UpdateUtilsNS {

// Indices that CUpdateFileReader::NextElement reports.
enum UpdateElement {
  kElementVersion = 0,
  kElementNotBefore = 1,
  kElementNotAfter = 2,
  kElementNumberOfRecords = 3,
  kElementIssuerLogoPath = 4,
  kElementIssuerLogo = 5,
  kElementThumbprint = 6,
};

// The value of an environment variable; an unset variable empties the text and gives false.
bool GetEnvironmentText(std::string* text, const char* name);

// Once per process, before the first XML reader: appends the installation folder (where setup
// puts XmlLite.dll beside the add-on) to the process's PATH. False while PATH is unset (tried
// again on the next call); once PATH could be read the step is done and later calls give true.
bool AddInstallFolderToPath();

class CUpdateFileReader {
 public:
  // Keeps a reference to `input`. Without the PATH step or XmlLite the reader stays empty.
  // Document type declarations are refused, and so is a document that IsReadableXml refuses
  // or that is longer than kMaxDocument bytes (the reader then has no input).
  explicit CUpdateFileReader(IStream* input);
  ~CUpdateFileReader();

  // Reads on to the next element whose local name is one of the seven (exact case): S_OK and
  // its index. S_FALSE at the end of the document, the reader's error code on a malformed one.
  // E_POINTER without input, E_UNEXPECTED without a reader.
  HRESULT NextElement(int* index);

  // After NextElement: reads one node; a text node gives its value in the ANSI code page,
  // anything else (CDATA, whitespace, an element, an end tag) an empty text. Returns the
  // reader's code. E_UNEXPECTED when no element was found before.
  HRESULT ReadText(std::string* text);

  bool HasReader() const { return reader_ != nullptr; }

  // Nodes read from one document at most; a longer document ends in an error.
  static const int kMaxNodes = 100000;
  static const ULONG kMaxDocument = 16u << 20;

 private:
  CUpdateFileReader(const CUpdateFileReader&) = delete;
  CUpdateFileReader& operator=(const CUpdateFileReader&) = delete;

  KestrinComNS::CComPtr<IStream> input_;
  KestrinComNS::CComPtr<xml::IXmlReader> reader_;
  int state_ = 0;
  // Every read must move on: a reader that stays on one node ends the walk.
  HRESULT ReadNode(xml::XmlNodeType* type);
  int nodes_ = 0;
  UINT last_line_ = 0, last_position_ = 0;
  xml::XmlNodeType last_type_ = xml::XmlNodeType_None;
};

}  // namespace UpdateUtilsNS

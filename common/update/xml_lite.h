// The part of XmlLite's reader interface that the update file needs, declared here because the
// toolchain has no import library for XmlLite.dll: CreateXmlReader is bound at run time.
// Declarations follow the documented interface (vtable order of IXmlReader, enumeration values);
// they live in this namespace so that they never clash with a platform header.
#pragma once

#include <windows.h>
#include <objidl.h>

namespace UpdateUtilsNS {
namespace xml {

enum XmlNodeType {
  XmlNodeType_None = 0,
  XmlNodeType_Element = 1,
  XmlNodeType_Attribute = 2,
  XmlNodeType_Text = 3,
  XmlNodeType_CDATA = 4,
  XmlNodeType_ProcessingInstruction = 7,
  XmlNodeType_Comment = 8,
  XmlNodeType_DocumentType = 10,
  XmlNodeType_Whitespace = 13,
  XmlNodeType_EndElement = 15,
  XmlNodeType_XmlDeclaration = 17,
};

enum XmlReaderProperty {
  XmlReaderProperty_MultiLanguage = 0,
  XmlReaderProperty_ConformanceLevel = 1,
  XmlReaderProperty_RandomAccess = 2,
  XmlReaderProperty_XmlResolver = 3,
  XmlReaderProperty_DtdProcessing = 4,
  XmlReaderProperty_ReadState = 5,
  XmlReaderProperty_MaxElementDepth = 6,
  XmlReaderProperty_MaxEntityExpansion = 7,
};

enum DtdProcessing {
  DtdProcessing_Prohibit = 0,
  DtdProcessing_Parse = 1,
};

// {7279FC81-709D-4095-B63D-69FE4B0D9030}
extern const IID IID_IXmlReader;

struct IXmlReader : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetInput(IUnknown* input) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperty(UINT property, LONG_PTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetProperty(UINT property, LONG_PTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Read(XmlNodeType* node_type) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNodeType(XmlNodeType* node_type) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToFirstAttribute() = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToNextAttribute() = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToAttributeByName(const WCHAR* local_name,
                                                          const WCHAR* namespace_uri) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToElement() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetQualifiedName(const WCHAR** name, UINT* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNamespaceUri(const WCHAR** uri, UINT* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLocalName(const WCHAR** name, UINT* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrefix(const WCHAR** prefix, UINT* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetValue(const WCHAR** value, UINT* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReadValueChunk(WCHAR* buffer, UINT count, UINT* read) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBaseUri(const WCHAR** uri, UINT* length) = 0;
  virtual BOOL STDMETHODCALLTYPE IsDefault() = 0;
  virtual BOOL STDMETHODCALLTYPE IsEmptyElement() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLineNumber(UINT* line) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLinePosition(UINT* position) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributeCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDepth(UINT* depth) = 0;
  virtual BOOL STDMETHODCALLTYPE IsEOF() = 0;
};

// Loads "XmlLite.dll" on the first call (through the process's DLL search path, so the PATH
// in force then decides where it is found) and creates a reader. The library stays loaded for
// the life of the process. E_NOTIMPL when the library or its entry point is missing.
HRESULT CreateXmlReader(IXmlReader** out);

}  // namespace xml
}  // namespace UpdateUtilsNS

// Identities of the add-on library's classes and type library.
#include "ie/kestrin_ie_interfaces.h"

extern "C" const CLSID CLSID_HtmlNlrEventHandler = {0x4ADF76FA, 0x005A, 0x45A9,
                                                    {0x8D, 0xE6, 0x18, 0x8F, 0x7C, 0xA1, 0x0D, 0x24}};
extern "C" const GUID LIBID_KestrinIELib = {0x70EEAAC6, 0xCD5E, 0x46F7,
                                            {0xBD, 0xA4, 0x31, 0xCE, 0xBE, 0x37, 0xAE, 0xD6}};

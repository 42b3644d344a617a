// Identities of the add-on library's classes and interfaces.
#pragma once

#include <windows.h>
#include <oaidl.h>

// {60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}: the browser helper object (coclass KestrinBho).
extern "C" const CLSID CLSID_KestrinBho;

// The helper object's dual interface; it has no members of its own: its IDispatch is the
// event sink of the browser and of the page's elements.
MIDL_INTERFACE("A6E8B9C0-0042-46D7-BF81-F2DD3B8AAA4F")
IKestrinBho : public IDispatch {};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IKestrinBho, 0xa6e8b9c0, 0x0042, 0x46d7, 0xbf, 0x81, 0xf2, 0xdd, 0x3b, 0x8a, 0xaa, 0x4f)
#endif

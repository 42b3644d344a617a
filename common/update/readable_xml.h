// The shapes of an XML document that the platform's reader cannot be given, checked before
// it sees the document. Nothing here calls the platform.
#pragma once

#include <windows.h>

#include <stddef.h>

namespace UpdateUtilsNS {

// True when the document `text` holds no character zero, has no XML declaration or one that is
// complete, holds only version, encoding and standalone, in that order, and is followed by more
// of the document, and when every processing instruction ("<?") names its target (a letter,
// "_", ":" or a character beyond ASCII comes first) and ends ("?>"). The platform's reader
// stops the whole process on the shapes refused here.
bool IsReadableXml(const BYTE* text, size_t size);

}  // namespace UpdateUtilsNS

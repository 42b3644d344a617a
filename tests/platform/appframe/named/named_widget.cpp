// A class of a static library that nothing in the test program references by its type.
#include "named_widget.h"

IMPLEMENT_DYNCREATE(CNamedWidget, CCmdTarget)
IMPLEMENT_DYNCREATE(CNamedGadget, CNamedWidget)

#pragma once

#include "platform/appframe/cmd_target.h"

class CNamedWidget : public CCmdTarget {
  DECLARE_DYNCREATE(CNamedWidget)
};

class CNamedGadget : public CNamedWidget {
  DECLARE_DYNCREATE(CNamedGadget)
};

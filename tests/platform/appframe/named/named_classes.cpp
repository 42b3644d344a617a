// The library's registration: naming the classes here links their object file.
#include "named_classes.h"

#include "named_widget.h"

void RegisterNamedClasses() {
  static const CRuntimeClass* const kClasses[] = {RUNTIME_CLASS(CNamedWidget), RUNTIME_CLASS(CNamedGadget)};
  RegisterClasses(kClasses);
}

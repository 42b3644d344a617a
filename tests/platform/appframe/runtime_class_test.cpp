// Classes found by their stored name alone, in a program that names none of their types: the
// framework's own, and a static library's after its registration.
#include <gtest/gtest.h>

#include "named/named_classes.h"
#include "platform/appframe/cmd_target.h"

namespace {

TEST(RuntimeClassByName, TheFrameworksClassesAreAlwaysFound) {
  for (const char* name : {"CMiniFrameWnd", "CMDIChildWnd", "CMDIFrameWnd", "CFrameWnd", "CStatusBar", "CDocument"}) {
    const CRuntimeClass* cls = CRuntimeClass::FromName(name);
    ASSERT_NE(nullptr, cls) << name;
    EXPECT_STREQ(name, cls->m_lpszClassName);
  }
  // Creatable ones are made by name, of the right kind.
  CObject* frame = CRuntimeClass::CreateObject(L"CMiniFrameWnd");
  ASSERT_NE(nullptr, frame);
  EXPECT_TRUE(frame->IsKindOf(CRuntimeClass::FromName("CFrameWnd")));
  delete frame;
  EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CControlBar"));   // not creatable
  EXPECT_EQ(nullptr, CRuntimeClass::FromName("CNoSuchClass"));
}

TEST(RuntimeClassByName, ALibrarysClassesAreFoundAfterItsRegistration) {
  RegisterNamedClasses();
  RegisterNamedClasses();   // twice: the list stays a list
  const CRuntimeClass* gadget = CRuntimeClass::FromName("CNamedGadget");
  ASSERT_NE(nullptr, gadget);
  EXPECT_TRUE(gadget->IsDerivedFrom(CRuntimeClass::FromName("CNamedWidget")));
  EXPECT_TRUE(gadget->IsDerivedFrom(CRuntimeClass::FromName("CCmdTarget")));
  CObject* made = CRuntimeClass::CreateObject(L"CNamedGadget");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ(gadget, made->GetRuntimeClass());
  delete made;
  EXPECT_EQ(nullptr, CRuntimeClass::FromName("CNamedNothing"));
}

}  // namespace

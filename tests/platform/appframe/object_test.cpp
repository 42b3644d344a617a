#include <gtest/gtest.h>

#include <memory>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/object.h"

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CSquare : public CShape {
  DECLARE_DYNCREATE(CSquare)
 public:
  int side = 4;
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

TEST(RuntimeClass, CreatesByNameOnlyWhatIsCreatable) {
  struct Case {
    const char* name;
    bool found;
    bool creatable;
  } cases[] = {{"CSquare", true, true}, {"CShape", true, false}, {"CObject", true, false},
               {"CCmdTarget", true, false}, {"CCircle", false, false}, {"csquare", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CRuntimeClass* cls = CRuntimeClass::FromName(c.name);
    EXPECT_EQ(c.found, cls != nullptr);
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject(c.name));
    EXPECT_EQ(c.creatable, made != nullptr);
    if (made) {
      EXPECT_EQ(cls, made->GetRuntimeClass());
    }
  }
  std::unique_ptr<CObject> wide(CRuntimeClass::CreateObject(L"CSquare"));
  ASSERT_TRUE(wide);
  EXPECT_EQ(4, static_cast<CSquare*>(wide.get())->side);
}

TEST(RuntimeClass, KindFollowsTheBaseChain) {
  CSquare square;
  EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CSquare)));
  EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(square.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
  CShape shape;
  EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CSquare)));
}

// Message maps without a window: commands, ranges, update handlers and the base class's map.
class CBaseTarget : public CCmdTarget {
 public:
  int base_commands = 0;
  void OnBaseCommand() { ++base_commands; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
  ON_COMMAND(100, OnBaseCommand)
  ON_COMMAND(101, OnBaseCommand)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
 public:
  int derived_commands = 0;
  UINT last_range_id = 0;
  int declined = 0;
  bool OnDecline(UINT) { ++declined; return false; }
  void OnOwn() { ++derived_commands; }
  void OnRange(UINT id) { last_range_id = id; }
  void OnUpdate(CCmdUI* ui) { ui->Enable(false); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
  ON_COMMAND(100, OnOwn)
  ON_COMMAND_RANGE(200, 209, OnRange)
  ON_COMMAND_EX(101, OnDecline)
  ON_UPDATE_COMMAND_UI(100, OnUpdate)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntriesComeFirstAndDecliningPassesOn) {
  CDerivedTarget target;
  EXPECT_TRUE(target.OnCmdMsg(100, CN_COMMAND, nullptr));
  EXPECT_EQ(1, target.derived_commands);
  EXPECT_EQ(0, target.base_commands);
  // 101: the derived handler declines, the base class's handler takes it.
  EXPECT_TRUE(target.OnCmdMsg(101, CN_COMMAND, nullptr));
  EXPECT_EQ(1, target.declined);
  EXPECT_EQ(1, target.base_commands);
  EXPECT_TRUE(target.OnCmdMsg(205, CN_COMMAND, nullptr));
  EXPECT_EQ(205u, target.last_range_id);
  EXPECT_FALSE(target.OnCmdMsg(210, CN_COMMAND, nullptr));
  // A control notification code is not a command.
  EXPECT_FALSE(target.OnCmdMsg(100, BN_DOUBLECLICKED, nullptr));
}

struct RecordingCmdUI : CCmdUI {
  int enabled = -1;
  void Enable(bool on) override { enabled = on ? 1 : 0; m_bEnableChanged = true; }
};

TEST(MessageMap, UpdateRequestsReachTheUpdateHandler) {
  CDerivedTarget target;
  struct Case {
    UINT id;
    bool disable_without_handler;
    int expected;
  } cases[] = {{100, false, 0},    // its update handler disables it
               {101, true, -1},    // a command handler exists: left alone
               {300, true, 0},     // no handler at all: disabled
               {300, false, -1}};
  for (const Case& c : cases) {
    RecordingCmdUI ui;
    ui.m_nID = c.id;
    ui.DoUpdate(&target, c.disable_without_handler);
    EXPECT_EQ(c.expected, ui.enabled) << c.id;
  }
}

TEST(CmdTarget, LastReleaseDeletesTheObject) {
  static int destroyed = 0;
  struct Counted : CCmdTarget {
    ~Counted() override { ++destroyed; }
  };
  Counted* object = new Counted;
  EXPECT_EQ(2, object->InternalAddRef());
  EXPECT_EQ(1, object->InternalRelease());
  EXPECT_EQ(0, destroyed);
  EXPECT_EQ(0, object->InternalRelease());
  EXPECT_EQ(1, destroyed);
}

}  // namespace

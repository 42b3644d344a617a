#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_image.h"
#include "toolkit/skin/skin_resource_file.h"
#include "toolkit/skin/skin_schema.h"
#include "toolkit/skin/skin_schema_default.h"

namespace {

SkinTestEnv g_env;

std::wstring WindowsPath(const char* unix) {
  std::wstring path = L"Z:";
  for (const char* p = unix; *p; ++p) path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
  return path;
}

std::vector<std::wstring> ReadAll(CTKSkinManagerResourceFile& file) {
  std::vector<std::wstring> lines;
  std::wstring line;
  while (file.NextIniLine(&line)) lines.push_back(line);
  return lines;
}

// Lines handed to the schema from memory.
class Lines : public CTKSkinIniSource {
 public:
  explicit Lines(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}
  BOOL NextIniLine(std::wstring* line) override {
    if (next_ >= lines_.size()) return FALSE;
    *line = lines_[next_++];
    return TRUE;
  }

 private:
  std::vector<std::wstring> lines_;
  size_t next_ = 0;
};

}  // namespace

const SkinTestEnv& TestEnv() { return g_env; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 7) return 2;
  g_env = {WindowsPath(argv[1]), WindowsPath(argv[2]), WindowsPath(argv[3]),
           WindowsPath(argv[4]), WindowsPath(argv[5]), WindowsPath(argv[6])};
  const int result = RUN_ALL_TESTS();
  ReleaseSkinManager();
  return result;
}

TEST(SkinFile, LibraryAndFolderDeliverTheSameLines) {
  CTKSkinManagerResourceFile library(nullptr), folder(nullptr);
  ASSERT_TRUE(library.OpenSkinSource(TestEnv().library, L""));
  EXPECT_EQ(library.IniName(), L"NormalBlue_ini");  // from the index's [File.NormalBlue]
  ASSERT_TRUE(folder.OpenSkinSource(TestEnv().folder, L"NORMALBLUE.INI"));
  EXPECT_TRUE(folder.IsFolderForm());
  const std::vector<std::wstring> a = ReadAll(library), b = ReadAll(folder);
  ASSERT_GT(a.size(), 20u);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[1], L"[Documentation]");
  EXPECT_FALSE(library.NextIniLine(nullptr));  // the cursor never moves back
}

TEST(SkinFile, OpenFailures) {
  CTKSkinManagerResourceFile file(nullptr);
  EXPECT_FALSE(file.OpenSkinSource(L"", L"X.INI"));
  // A folder without the INI file falls through to the library attempt, which fails.
  EXPECT_FALSE(file.OpenSkinSource(TestEnv().folder, L"NOSUCH.INI"));
  EXPECT_FALSE(file.OpenSkinSource(TestEnv().library, L"NOSUCH.INI"));
  EXPECT_FALSE(file.OpenSkinSource(TestEnv().folder + L"\\absent.tkstyles", L""));
}

TEST(SkinFile, LibraryCodeNeverRuns) {
  CTKSkinManagerResourceFile file(nullptr);
  ASSERT_TRUE(file.OpenSkinSource(TestEnv().withCode, L"NORMALBLUE.INI"));
  EXPECT_FALSE(ReadAll(file).empty());
  KestrinWinNS::CScopedKernelHandle ran(OpenEventW(SYNCHRONIZE, FALSE, L"KestrinSkinCodeRan"));
  EXPECT_EQ(ran.Get(), nullptr) << "the skin library's entry point ran";
  std::unique_ptr<CTKSkinImage> image(file.LoadSkinBitmap(L"NINE.BMP"));
  EXPECT_NE(image, nullptr);
}

TEST(SkinFile, ResourceNamesAndSchemaChoice) {
  EXPECT_EQ(CTKSkinManagerResourceFile::ResourceName(L"OFFICE2007\\SCROLL.ARROW.BMP"), L"OFFICE2007_SCROLL_ARROW_BMP");
  CTKSkinManagerResourceFile file(nullptr);
  ASSERT_TRUE(file.OpenSkinSource(TestEnv().library, L""));
  std::unique_ptr<CTKSkinManagerSchema> schema(file.MakeSchemaForSkin());
  EXPECT_EQ(schema->Name(), L"Default");  // "Vista Style" is not the Office 2007 style
  std::unique_ptr<CTKSkinImage> missing(file.LoadSkinBitmap(L"MISSING.BMP"));
  EXPECT_EQ(missing, nullptr);
}

// The library's text ends its lines with CR LF or a lone CR; a lone LF stays inside a line, and
// a last line without CR is never delivered. The folder's 8-bit text is read line by line, its
// last line included.
TEST(SkinFile, LineEndsAndALastLineWithoutOne) {
  CTKSkinManagerResourceFile library(nullptr), folder(nullptr);
  ASSERT_TRUE(library.OpenSkinSource(TestEnv().ragged, L"RAGGED.INI"));
  ASSERT_TRUE(folder.OpenSkinSource(TestEnv().raggedFolder, L"RAGGED.INI"));
  ASSERT_TRUE(folder.IsFolderForm());
  const std::vector<std::wstring> fromLibrary = ReadAll(library), fromFolder = ReadAll(folder);
  ASSERT_EQ(fromFolder.size(), 19u);
  EXPECT_EQ(fromFolder.front(), L"TextColor = 9 9 9");
  EXPECT_EQ(fromFolder.back(), L"TextColor = 7 8 9");
  // The library's lines: the same but the last, with the two around the lone LF as one.
  std::vector<std::wstring> expected(fromFolder.begin(), fromFolder.end() - 1);
  const auto joined = std::find(expected.begin(), expected.end(), L"NoSuchKey = 5");
  ASSERT_NE(joined, expected.end());
  *joined += L"\n" + *(joined + 1);
  expected.erase(joined + 1);
  EXPECT_EQ(fromLibrary, expected);
}

// A skin file with malformed lines loads in either form: each such line is passed over and the
// lines after it apply. A part whose bitmap is missing paints nothing, while one whose bitmap is
// there paints it. The library's style string names the Office 2007 schema in lower case; a
// folder has no style string and gets the default schema.
TEST(SkinFile, AnUntidySkinLoadsInBothForms) {
  constexpr COLORREF kBack = RGB(1, 2, 4), kDot = RGB(20, 200, 90);
  struct Case {
    const std::wstring* path;
    const wchar_t* schema;
    COLORREF pushButton, radioButton;
  } cases[] = {
      // The lone LF hides the push button's colour and the last line is not read: [Globals].
      {&TestEnv().ragged, L"Office2007", RGB(1, 2, 3), RGB(1, 2, 3)},
      {&TestEnv().raggedFolder, L"Default", RGB(10, 20, 30), RGB(7, 8, 9)},
  };
  CTKSkinManager* manager = GetSkinManager();
  Canvas canvas(8, 8, kBack);
  const RECT rc{0, 0, 8, 8};
  for (const Case& c : cases) {
    ASSERT_EQ(manager->LoadSkinFile(*c.path, L"RAGGED.INI"), 1) << c.schema;
    CTKSkinManagerSchema* schema = manager->Schema();
    ASSERT_NE(schema, nullptr);
    EXPECT_EQ(schema->Name(), c.schema);
    const struct {
      int part, state;
      COLORREF expected;
    } colours[] = {{1, 0, c.pushButton}, {1, 2, c.pushButton}, {2, 0, c.radioButton}, {3, 0, RGB(4, 5, 6)}};
    for (const auto& colour : colours) {
      COLORREF value = 0;
      EXPECT_EQ(schema->QueryColorValue(7, colour.part, colour.state, 3803, &value), S_OK) << c.schema;
      EXPECT_EQ(value, colour.expected) << c.schema << " part " << colour.part << " state " << colour.state;
    }
    CTKSkinManagerClass* button = manager->FindOrAddSkinClass(L"Button");
    canvas.Fill(kBack);
    EXPECT_TRUE(schema->PaintPartBackground(canvas.dc(), button, 1, 1, rc)) << c.schema;
    EXPECT_EQ(canvas.At(4, 4), kDot) << c.schema;
    canvas.Fill(kBack);
    EXPECT_FALSE(schema->PaintPartBackground(canvas.dc(), button, 1, 2, rc)) << c.schema;  // MISSING.BMP
    EXPECT_EQ(canvas.At(4, 4), kBack) << c.schema;
  }
  // The project's skin names a missing bitmap for the edit's text, in both forms alike.
  const std::pair<std::wstring, const wchar_t*> projectSkins[] = {{TestEnv().library, L""},
                                                                 {TestEnv().folder, L"NORMALBLUE.INI"}};
  for (const auto& skin : projectSkins) {
    ASSERT_EQ(manager->LoadSkinFile(skin.first, skin.second), 1);
    canvas.Fill(kBack);
    EXPECT_FALSE(manager->Schema()->PaintPartBackground(canvas.dc(), manager->FindOrAddSkinClass(L"Edit"), 1, 1, rc));
    EXPECT_EQ(canvas.At(4, 4), kBack);
  }
  manager->LoadSkinFile(L"", L"");
}

TEST(SkinSchema, SectionNames) {
  struct Case {
    const wchar_t* name;
    int cls, part, state;
  } cases[] = {
      {L"BUTTON.PUSHBUTTON(HOT)", 7, 1, 2}, {L"BUTTON.PUSHBUTTON", 7, 1, 0}, {L"GLOBALS", 1, 0, 0},
      {L"SCROLLBAR.ARROWBTN(RIGHTDISABLED)", 21, 1, 16}, {L"WINDOW . CLOSEBUTTON ( PUSHED )", 6, 18, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CTKSkinManagerSchema::ParseSectionName(c.name), CTKSkinManagerSchema::MakeKey(c.cls, c.part, c.state, 0))
        << c.name;
  for (const wchar_t* ignored : {L"BUTTON::OTHER", L"WINDOW.NOSUCHPART", L"NOSUCHCLASS", L"BUTTON.PUSHBUTTON(NOSUCH)"})
    EXPECT_EQ(CTKSkinManagerSchema::ParseSectionName(ignored), 0u) << ignored;
}

TEST(SkinSchema, ValuesAndLookupOrder) {
  CTKSkinManagerSchemaDefault schema(nullptr);
  Lines lines({L"TextColor = 9 9 9", L"[Globals]", L"TextColor = 1 2 3", L"[Button]", L"ImageFile = a.bmp ; note",
               L"[Button.PushButton]", L"SizingMargins=1,2,3,4", L"ImageCount = 4", L"ImageCount = 5",
               L"CaptionFont = Tahoma, 8, Bold", L"BgType = BorderFill", L"Valign = Sideways", L"IntList = 1,2",
               L"NoSuchKey = 1", L"[Button.PushButton(Hot)]", L"TextColor = 255 0 0", L"[Button::Other]",
               L"ImageCount = 77", L"[Documentation]", L"AlphaLevel = 255"});
  EXPECT_EQ(schema.ParseIniText(&lines), 0);
  const auto* image = schema.FindProperty(7, 1, 2, 3001);  // from [Button]
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->text, L"A.BMP");
  const auto* margins = schema.FindProperty(7, 1, 0, 3601);
  ASSERT_NE(margins, nullptr);
  EXPECT_EQ(margins->rect.left, 1);
  EXPECT_EQ(margins->rect.right, 2);
  EXPECT_EQ(margins->rect.top, 3);
  EXPECT_EQ(margins->rect.bottom, 4);
  int count = 0;
  EXPECT_EQ(schema.QueryIntValue(7, 1, 0, 2401, &count), S_OK);
  EXPECT_EQ(count, 5);  // the last of two
  COLORREF color = 0;
  EXPECT_EQ(schema.QueryColorValue(7, 1, 2, 3803, &color), S_OK);
  EXPECT_EQ(color, RGB(255, 0, 0));
  EXPECT_EQ(schema.QueryColorValue(7, 1, 1, 3803, &color), S_OK);
  EXPECT_EQ(color, RGB(1, 2, 3));  // [Globals]; the line before any section is ignored
  EXPECT_EQ(schema.QueryIntValue(7, 1, 2, 3803, &count), E_INVALIDARG);
  EXPECT_EQ(schema.QueryIntValue(9, 1, 0, 2402, &count), E_FAIL);
  LOGFONTW font{};
  EXPECT_EQ(schema.QueryFontValue(7, 1, 0, 801, &font), S_OK);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_LT(font.lfHeight, 0);
  EXPECT_STREQ(font.lfFaceName, L"TAHOMA");
  EXPECT_EQ(schema.FindProperty(7, 1, 0, 4001)->intValue, 1);
  EXPECT_EQ(schema.FindProperty(7, 1, 0, 4007)->intValue, -1);
  EXPECT_EQ(schema.FindProperty(7, 1, 0, 211), nullptr);
  EXPECT_FALSE(schema.AlphaFlag());
}

TEST(SkinSchema, OversizedFieldsAreCut) {
  struct Case {
    std::wstring value;
    std::wstring face;
    LONG weight;
  } cases[] = {
      {std::wstring(300, L'F') + L", 8, BOLD", std::wstring(LF_FACESIZE - 1, L'F'), FW_NORMAL},
      {L"ARIAL, 10, " + std::wstring(500, L'B'), L"ARIAL", FW_NORMAL},
      {L"ARIAL", L"ARIAL", FW_NORMAL},
      {L"", L"", FW_NORMAL},
  };
  for (const Case& c : cases) {
    CTKSkinManagerSchemaProperty p;
    ASSERT_TRUE(CTKSkinManagerSchema::ParseValue(SkinVocabulary::kTypeFont, 801, c.value, &p));
    EXPECT_EQ(std::wstring(p.font.lfFaceName), c.face);
    EXPECT_EQ(p.font.lfWeight, c.weight);
  }
}

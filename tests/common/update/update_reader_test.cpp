#include "common/update/update_reader.h"

#include <gtest/gtest.h>
#include <shlwapi.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

using UpdateUtilsNS::CUpdateFileReader;

namespace {

// A memory stream over the bytes, positioned at the start; the caller releases it.
IStream* MemoryStream(const std::string& bytes) {
  return SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
}

struct Walk {
  std::vector<std::pair<int, std::string>> elements;  // index and text (ReadText's S_OK only)
  HRESULT end = S_OK;
};

// Walks as the trusted list does, reading the text of every element.
Walk WalkDocument(const std::string& document) {
  Walk walk;
  IStream* stream = MemoryStream(document);
  {
    CUpdateFileReader reader(stream);
    int index = -1;
    while ((walk.end = reader.NextElement(&index)) == S_OK) {
      std::string text = "unchanged";
      HRESULT hr = reader.ReadText(&text);
      walk.elements.emplace_back(index, SUCCEEDED(hr) ? text : std::string("<failed>"));
    }
  }
  stream->Release();
  return walk;
}

TEST(UpdateFileReader, ReportsTheSevenElementsAnywhereWithTheirText) {
  Walk walk = WalkDocument(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<Update><Version>1.0.0.1</Version><NotBefore>a</NotBefore><NotAfter>b</NotAfter>"
      "<NumberOfRecords>2</NumberOfRecords><Deep><Deeper><IssuerLogoPath>x.gif</IssuerLogoPath>"
      "<IssuerLogo>R0lG\nODlh</IssuerLogo><Thumbprint>ABCDEF</Thumbprint></Deeper></Deep>"
      "<thumbprint>lower case is another element</thumbprint><Other>ignored</Other></Update>");
  EXPECT_EQ(S_FALSE, walk.end);
  std::vector<std::pair<int, std::string>> expected = {
      {0, "1.0.0.1"}, {1, "a"}, {2, "b"}, {3, "2"}, {4, "x.gif"}, {5, "R0lG\nODlh"}, {6, "ABCDEF"}};
  EXPECT_EQ(expected, walk.elements);
}

TEST(UpdateFileReader, TextIsOnlyATextNodeRightAfterTheStart) {
  Walk walk = WalkDocument(
      "<Update>"
      "<Thumbprint><![CDATA[cdata]]></Thumbprint>"
      "<Thumbprint>   </Thumbprint>"
      "<Thumbprint/><Other/>"
      "<Thumbprint><b>nested</b></Thumbprint>"
      "<Thumbprint>  padded  </Thumbprint>"
      "</Update>");
  EXPECT_EQ(S_FALSE, walk.end);
  std::vector<std::pair<int, std::string>> expected = {
      {6, ""}, {6, ""}, {6, ""}, {6, ""}, {6, "  padded  "}};
  EXPECT_EQ(expected, walk.elements);
}

TEST(UpdateFileReader, TextComesInTheAnsiCodePage) {
  // UTF-16 document: the reader detects the encoding; the text is converted for the add-ons.
  std::wstring doc = L"\xFEFF<Update><Thumbprint>Caf\x00E9</Thumbprint></Update>";
  Walk walk = WalkDocument(std::string(reinterpret_cast<const char*>(doc.data()), doc.size() * 2));
  ASSERT_EQ(1u, walk.elements.size());
  char expected[16] = {};
  WideCharToMultiByte(CP_ACP, 0, L"Caf\x00E9", -1, expected, sizeof(expected), nullptr, nullptr);
  EXPECT_EQ(std::string(expected), walk.elements[0].second);
}

TEST(UpdateFileReader, DocumentTypeDeclarationIsRefused) {
  Walk walk = WalkDocument(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE Update [<!ENTITY e \"ABCDEF\">]>\n"
      "<Update><Thumbprint>&e;</Thumbprint></Update>");
  EXPECT_TRUE(FAILED(walk.end)) << std::hex << walk.end;
  EXPECT_TRUE(walk.elements.empty());
}

// Only a complete, plain declaration and named processing instructions reach the XML reader.
TEST(UpdateFileReader, DeclarationMustBeCompleteAndPlain) {
  using namespace std::string_literals;
  const std::pair<std::string, bool> kCases[] = {
      {"<?xml version=\"1.0\"?><Update/>", true},
      {"<?xml version='1.0' encoding='utf-8' standalone='yes' ?><Update/>", true},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><Update/>", true},
      {"<Update/>", true},
      {"<?xml version=\"1.0\" encod", false},
      {"<?xml version=\"1.0", false},
      {"<?xml ", false},
      {"<?xml encoding=\"utf-8\"?><Update/>", false},
      {"<?xml version=\"1.0\" standalone='yes' encoding='utf-8'?><Update/>", false},
      {"<?xml version=\"1.0\" bogus=\"1\"?><Update/>", false},
      {"<?xml version=\"\"?><Update/>", false},
      {"<?\0ml version=\"1.0"s, false},
      {"<Update><?pi data?><? x?></Update>", false},
      {"<Update><?pi data?></Update>", true},
      {"<?xm", false},
      {"<?xml\0version=\"1.0\"?><Update/>"s, false},
      {"<Update><?pi?></Update>", true},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.second, UpdateUtilsNS::IsReadableXml(reinterpret_cast<const BYTE*>(c.first.data()), c.first.size()))
        << c.first;
  }
  // The reader gets no input for a refused declaration, and the walk ends at once.
  Walk walk = WalkDocument("<?xml version=\"1.0\" encoding=\"utf-8\"");
  EXPECT_TRUE(FAILED(walk.end));
  EXPECT_TRUE(walk.elements.empty());
}

// The document in one of the forms the reader detects: 0 UTF-8, 1 UTF-8 with its mark, 2 UTF-16
// little-endian, 3 UTF-16 big-endian (both with their mark).
std::string Encoded(const std::string& ascii, int form) {
  if (form == 0) return ascii;
  if (form == 1) return "\xEF\xBB\xBF" + ascii;
  std::string out = form == 2 ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) {
    out += form == 2 ? c : '\0';
    out += form == 2 ? '\0' : c;
  }
  return out;
}

// The platform's reader stops the whole process when a declaration is followed by the end of
// the document or by a character zero (which it takes for the end). Every such shape, in every
// encoding, is refused before the reader sees it, and the walk ends with an error; the same
// declarations followed by more of a document still reach the reader.
TEST(UpdateFileReader, ShapesThatStopTheReaderNeverReachIt) {
  using namespace std::string_literals;
  const std::string kDeclarations[] = {
      "<?xml version=\"1.0\"?>",
      "<?xml version=\"1.0\" ?>",
      "<?xml version='1.0' encoding='utf-8'?>",
      "<?xml version=\"1.0\" encoding=\"utf-16\"?>",
      "<?xml  version=\"1.0\"  encoding=\"utf-8\"  standalone=\"no\"  ?>",
  };
  const std::string kStopping[] = {""s, "\0"s, "\0\0"s, "\0<Update/>"s, " \0"s, "<Update>\0</Update>"s,
                                   "<Update/>\0"s};
  const std::string kReadable[] = {"\n", " ", "<Update/>", "<!-- note -->"};
  for (int form = 0; form < 4; ++form) {
    for (const std::string& declaration : kDeclarations) {
      for (const std::string& tail : kStopping) {
        std::string document = Encoded(declaration + tail, form);
        SCOPED_TRACE(testing::Message() << "form " << form << ": " << declaration << " + " << tail.size()
                                        << " bytes");
        EXPECT_FALSE(UpdateUtilsNS::IsReadableXml(reinterpret_cast<const BYTE*>(document.data()), document.size()));
        Walk walk = WalkDocument(document);
        EXPECT_TRUE(FAILED(walk.end)) << std::hex << walk.end;
        EXPECT_TRUE(walk.elements.empty());
      }
      for (const std::string& tail : kReadable) {
        std::string document = Encoded(declaration + tail, form);
        EXPECT_TRUE(UpdateUtilsNS::IsReadableXml(reinterpret_cast<const BYTE*>(document.data()), document.size()))
            << "form " << form << ": " << declaration << tail;
        WalkDocument(document);  // reaches the reader, and the process goes on
      }
    }
  }
  // The document the update file carries, as the walk meets it.
  Walk walk = WalkDocument("<?xml version=\"1.0\"?>\n<Update><Version>3</Version></Update>");
  EXPECT_EQ(S_FALSE, walk.end);
  ASSERT_EQ(1u, walk.elements.size());
  EXPECT_EQ(std::make_pair(0, std::string("3")), walk.elements[0]);
}

TEST(UpdateFileReader, MalformedDocumentEndsTheWalkAndKeepsWhatCameBefore) {
  Walk walk = WalkDocument("<Update><Thumbprint>one</Thumbprint><Thumbprint>two</Oops></Update>");
  EXPECT_TRUE(FAILED(walk.end)) << std::hex << walk.end;
  ASSERT_GE(walk.elements.size(), 1u);
  EXPECT_EQ(std::make_pair(6, std::string("one")), walk.elements[0]);
}

TEST(UpdateFileReader, CallsOutOfOrderOrWithoutInput) {
  IStream* stream = MemoryStream("<Update><Version>1</Version></Update>");
  {
    CUpdateFileReader reader(stream);
    ASSERT_TRUE(reader.HasReader());
    std::string text = "kept";
    EXPECT_EQ(E_UNEXPECTED, reader.ReadText(&text));  // no element found yet
    int index = -1;
    EXPECT_EQ(S_OK, reader.NextElement(&index));
    EXPECT_EQ(0, index);
    EXPECT_EQ(S_OK, reader.ReadText(&text));
    EXPECT_EQ("1", text);
    EXPECT_EQ(S_FALSE, reader.NextElement(&index));
    EXPECT_EQ(E_UNEXPECTED, reader.ReadText(&text));  // the walk has ended
  }
  stream->Release();

  CUpdateFileReader no_input(nullptr);
  int index = 0;
  std::string text;
  EXPECT_EQ(E_POINTER, no_input.NextElement(&index));
  EXPECT_EQ(E_POINTER, no_input.ReadText(&text));
}

TEST(UpdateFileReader, HoldsItsOwnReferenceToTheInput) {
  IStream* stream = MemoryStream("<Update><Version>1</Version></Update>");
  CUpdateFileReader reader(stream);
  EXPECT_GE(stream->Release(), 1u);  // the reader's reference (and XmlLite's) remain
  int index = -1;
  EXPECT_EQ(S_OK, reader.NextElement(&index));
}

}  // namespace

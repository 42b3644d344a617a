// The PATH step before the first XML reader runs once per process; this program is the process.
#include "common/update/update_reader.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "common/utility/platform.h"

using UpdateUtilsNS::CUpdateFileReader;
using UpdateUtilsNS::GetEnvironmentText;

namespace {

int CountRecords(IStream* stream) {
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  CUpdateFileReader reader(stream);
  int index = -1, count = 0;
  while (reader.NextElement(&index) == S_OK) ++count;
  return count;
}

TEST(UpdatePathStep, WithoutPathNoReaderThenTheStepRunsOnce) {
  const char doc[] = "<Update><Thumbprint>ab</Thumbprint></Update>";
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(doc), sizeof(doc) - 1);
  ASSERT_NE(nullptr, stream);

  std::string original;
  ASSERT_TRUE(GetEnvironmentText(&original, "PATH"));
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", nullptr));
  std::string text = "x";
  EXPECT_FALSE(GetEnvironmentText(&text, "PATH"));
  EXPECT_EQ("", text);

  {
    CUpdateFileReader reader(stream);
    EXPECT_FALSE(reader.HasReader());
    int index = -1;
    EXPECT_TRUE(FAILED(reader.NextElement(&index)));
  }
  EXPECT_EQ(0, CountRecords(stream));

  // With PATH back, the next reader runs the step: PATH gains the installation folder once.
  ASSERT_TRUE(SetEnvironmentVariableA("PATH", original.c_str()));
  EXPECT_EQ(1, CountRecords(stream));
  char folder[MAX_PATH];
  ASSERT_TRUE(UtilityClassesNS::CSystemFolders().GetInstallFolder(folder, sizeof(folder)));
  std::string path;
  ASSERT_TRUE(GetEnvironmentText(&path, "PATH"));
  EXPECT_EQ(original + ";" + folder, path);

  EXPECT_EQ(1, CountRecords(stream));
  ASSERT_TRUE(GetEnvironmentText(&path, "PATH"));
  EXPECT_EQ(original + ";" + folder, path);  // not appended again
  stream->Release();
}

}  // namespace

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/utility/file_stream.h"

using namespace UtilityClassesNS;

namespace {

class FileStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "kestrin-stream-" + std::to_string(GetCurrentProcessId()) + ".bin";
    stream_ = Open(path_);
    ASSERT_NE(stream_, nullptr);
  }
  void TearDown() override {
    if (stream_) stream_->Release();
    DeleteFileA(path_.c_str());
    if (!other_path_.empty()) DeleteFileA(other_path_.c_str());
  }
  static CFileStream* Open(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : CFileStream::Create(file);
  }
  ULONGLONG Position() {
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    EXPECT_EQ(stream_->Seek(zero, STREAM_SEEK_CUR, &pos), S_OK);
    return pos.QuadPart;
  }
  void SeekTo(LONGLONG where) {
    LARGE_INTEGER to;
    to.QuadPart = where;
    ASSERT_EQ(stream_->Seek(to, STREAM_SEEK_SET, nullptr), S_OK);
  }

  std::string path_, other_path_;
  CFileStream* stream_ = nullptr;
};

}  // namespace

TEST_F(FileStreamTest, InterfacesAndReferences) {
  IStream* stream = nullptr;
  ISequentialStream* sequential = nullptr;
  IUnknown* unknown = nullptr;
  ASSERT_EQ(stream_->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)), S_OK);
  ASSERT_EQ(stream_->QueryInterface(IID_ISequentialStream, reinterpret_cast<void**>(&sequential)), S_OK);
  ASSERT_EQ(stream_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(stream_->QueryInterface(IID_IPersist, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(stream->Release(), 3u);
  EXPECT_EQ(sequential->Release(), 2u);
  EXPECT_EQ(unknown->Release(), 1u);
}

TEST_F(FileStreamTest, ReadWriteSeekWithAndWithoutCounters) {
  ULONG done = 0;
  ASSERT_EQ(stream_->Write("abcdef", 6, &done), S_OK);
  EXPECT_EQ(done, 6u);
  ASSERT_EQ(stream_->Write("gh", 2, nullptr), S_OK);
  EXPECT_EQ(Position(), 8u);

  SeekTo(2);
  char buffer[16] = {};
  ASSERT_EQ(stream_->Read(buffer, 3, &done), S_OK);
  EXPECT_EQ(done, 3u);
  EXPECT_STREQ(buffer, "cde");
  ASSERT_EQ(stream_->Read(buffer, 2, nullptr), S_OK);
  EXPECT_EQ(std::string(buffer, 2), "fg");

  LARGE_INTEGER back;
  back.QuadPart = -1;
  ULARGE_INTEGER pos;
  ASSERT_EQ(stream_->Seek(back, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos.QuadPart, 7u);
  // An unknown origin fails and leaves the position.
  LARGE_INTEGER zero = {};
  EXPECT_EQ(stream_->Seek(zero, 3, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(Position(), 7u);
}

TEST_F(FileStreamTest, FailedReadReportsTheErrorAsResult) {
  HANDLE write_only = CreateFileA((path_ + ".w").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  other_path_ = path_ + ".w";
  ASSERT_NE(write_only, INVALID_HANDLE_VALUE);
  CFileStream* stream = CFileStream::Create(write_only);
  char buffer[4];
  ULONG done = 99;
  HRESULT hr = stream->Read(buffer, sizeof(buffer), &done);
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(done, 0u);
  stream->Release();
}

TEST_F(FileStreamTest, SetSizeKeepsOrClampsThePosition) {
  ASSERT_EQ(stream_->Write("0123456789", 10, nullptr), S_OK);
  SeekTo(8);
  ULARGE_INTEGER size;
  size.QuadPart = 4;
  ASSERT_EQ(stream_->SetSize(size), S_OK);
  EXPECT_EQ(Position(), 4u) << "a position past the new end moves to it";
  SeekTo(2);
  size.QuadPart = 20;
  ASSERT_EQ(stream_->SetSize(size), S_OK);
  EXPECT_EQ(Position(), 2u) << "a position inside the new size is kept";
  STATSTG stat;
  memset(&stat, 0xAB, sizeof(stat));
  ASSERT_EQ(stream_->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 20u);
  // Every other field of the record is cleared, not left as the caller's bytes.
  EXPECT_EQ(stat.pwcsName, nullptr);
  EXPECT_EQ(stat.grfMode, 0u);
  EXPECT_EQ(stat.mtime.dwLowDateTime, 0u);
  EXPECT_EQ(stream_->Stat(nullptr, 0), E_INVALIDARG);
}

TEST_F(FileStreamTest, CopyToInBoundedChunks) {
  std::string data;
  for (int i = 0; i < 200000; ++i) data += static_cast<char>('a' + i % 26);
  ASSERT_EQ(stream_->Write(data.data(), static_cast<ULONG>(data.size()), nullptr), S_OK);
  SeekTo(0);
  other_path_ = path_ + ".copy";
  CFileStream* target = Open(other_path_);
  ASSERT_NE(target, nullptr);
  // A count far larger than the file: copies what there is without allocating the count.
  ULARGE_INTEGER count, read, written;
  count.QuadPart = 0xFFFFFFFFFFull;
  ASSERT_EQ(stream_->CopyTo(target, count, &read, &written), S_OK);
  EXPECT_EQ(read.QuadPart, data.size());
  EXPECT_EQ(written.QuadPart, data.size());

  LARGE_INTEGER zero = {};
  target->Seek(zero, STREAM_SEEK_SET, nullptr);
  std::string copy(data.size(), '\0');
  ULONG done = 0;
  ASSERT_EQ(target->Read(&copy[0], static_cast<ULONG>(copy.size()), &done), S_OK);
  EXPECT_EQ(done, data.size());
  EXPECT_TRUE(copy == data);

  // A partial count stops there.
  SeekTo(0);
  count.QuadPart = 70000;
  ASSERT_EQ(stream_->CopyTo(target, count, &read, nullptr), S_OK);
  EXPECT_EQ(read.QuadPart, 70000u);
  EXPECT_EQ(Position(), 70000u);

  count.QuadPart = 0;
  EXPECT_EQ(stream_->CopyTo(target, count, nullptr, nullptr), E_INVALIDARG);
  count.QuadPart = 1;
  EXPECT_EQ(stream_->CopyTo(nullptr, count, nullptr, nullptr), E_INVALIDARG);
  target->Release();
}

TEST_F(FileStreamTest, UnsupportedOperations) {
  EXPECT_EQ(stream_->Commit(STGC_DEFAULT), E_NOTIMPL);
  EXPECT_EQ(stream_->Commit(STGC_OVERWRITE), S_OK);
  ULARGE_INTEGER a = {}, b = {};
  EXPECT_EQ(stream_->Revert(), E_NOTIMPL);
  EXPECT_EQ(stream_->LockRegion(a, b, 0), E_NOTIMPL);
  EXPECT_EQ(stream_->UnlockRegion(a, b, 0), E_NOTIMPL);
  IStream* clone = nullptr;
  EXPECT_EQ(stream_->Clone(&clone), E_NOTIMPL);
}

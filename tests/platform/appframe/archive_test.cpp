#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/appframe/archive.h"
#include "platform/appframe/file.h"

namespace {

class CNode : public CObject {
  DECLARE_SERIAL(CNode)
 public:
  int value = 0;
  CNode* next = nullptr;   // not owned
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << value;
      ar.WriteObject(next);
    } else {
      ar >> value;
      next = static_cast<CNode*>(ar.ReadObject(RUNTIME_CLASS(CNode)));
    }
  }
};
IMPLEMENT_SERIAL(CNode, CObject, 1)

class CNotStored : public CObject {
  DECLARE_DYNCREATE(CNotStored)
};
IMPLEMENT_DYNCREATE(CNotStored, CObject)

TEST(Archive, ValuesCountsAndStringsComeBackInOrder) {
  CMemFile file;
  const DWORD_PTR counts[] = {0, 1, 0xFFFE, 0xFFFF, 0x10000, 0x7FFFFFFF};
  CString long_text(L'x', 70000);
  {
    CArchive ar(&file, CArchive::store);
    ar << static_cast<BYTE>(7) << static_cast<WORD>(0xBEEF) << -5 << static_cast<DWORD>(0xDEADBEEF) << 2.5 << true;
    for (DWORD_PTR c : counts) ar.WriteCount(c);
    ar << CString(L"h\u00e9llo") << CString() << long_text;
    RECT r = {1, 2, 3, 4};
    ar << r;
  }
  // Counts below 0xFFFF take two bytes, the others six.
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  BYTE b;
  WORD w;
  int i;
  DWORD d;
  double f;
  bool flag;
  ar >> b >> w >> i >> d >> f >> flag;
  EXPECT_EQ(7, b);
  EXPECT_EQ(0xBEEF, w);
  EXPECT_EQ(-5, i);
  EXPECT_EQ(0xDEADBEEFu, d);
  EXPECT_EQ(2.5, f);
  EXPECT_TRUE(flag);
  for (DWORD_PTR c : counts) EXPECT_EQ(c, ar.ReadCount());
  CString s1, s2, s3;
  ar >> s1 >> s2 >> s3;
  EXPECT_EQ(CString(L"h\u00e9llo"), s1);
  EXPECT_TRUE(s2.IsEmpty());
  EXPECT_EQ(long_text, s3);
  RECT r;
  ar >> r;
  EXPECT_EQ(3, r.right);
  EXPECT_THROW(ar >> b, CArchiveException);
}

TEST(Archive, CountEncodingSize) {
  struct Case {
    DWORD_PTR count;
    ULONGLONG bytes;
  } cases[] = {{0, 2}, {0xFFFE, 2}, {0xFFFF, 6}, {0x12345, 6}};
  for (const Case& c : cases) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar.WriteCount(c.count);
    EXPECT_EQ(c.bytes, file.GetLength()) << c.count;
  }
}

TEST(Archive, SharedObjectsAreStoredOnceAndComeBackShared) {
  CNode a, b;
  a.value = 1;
  b.value = 2;
  a.next = &b;
  b.next = &a;   // a cycle
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar.WriteObject(&a);
    ar.WriteObject(&b);
    ar.WriteObject(nullptr);
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  std::unique_ptr<CNode> first(static_cast<CNode*>(ar.ReadObject(RUNTIME_CLASS(CNode))));
  ASSERT_TRUE(first);
  ASSERT_TRUE(first->next);
  std::unique_ptr<CNode> second(first->next);
  EXPECT_EQ(1, first->value);
  EXPECT_EQ(2, second->value);
  EXPECT_EQ(first.get(), second->next);
  EXPECT_EQ(second.get(), ar.ReadObject(RUNTIME_CLASS(CNode)));
  EXPECT_EQ(nullptr, ar.ReadObject(RUNTIME_CLASS(CNode)));
}

int CauseOf(void (*body)(CArchive&), CMemFile& file, UINT mode) {
  CArchive ar(&file, mode);
  try {
    body(ar);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return -1;
}

TEST(Archive, RefusalsCarryTheirCause) {
  // A class name nobody knows, a class of another kind, bad references and wrong directions.
  CMemFile unknown;
  {
    CArchive ar(&unknown, CArchive::store);
    ar << static_cast<WORD>(0xFFFF) << static_cast<WORD>(1) << static_cast<WORD>(6);
    ar.Write("CGhost", 6);
  }
  unknown.SeekToBegin();
  EXPECT_EQ(CArchiveException::badClass,
            CauseOf([](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CNode)); }, unknown, CArchive::load));

  CMemFile other;
  {
    CArchive ar(&other, CArchive::store);
    CNode node;
    ar.WriteObject(&node);
  }
  other.SeekToBegin();
  EXPECT_EQ(CArchiveException::badClass,
            CauseOf([](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CNotStored)); }, other, CArchive::load));

  CMemFile dangling;
  {
    CArchive ar(&dangling, CArchive::store);
    ar << static_cast<WORD>(5);
  }
  dangling.SeekToBegin();
  EXPECT_EQ(CArchiveException::badIndex,
            CauseOf([](CArchive& ar) { ar.ReadObject(nullptr); }, dangling, CArchive::load));

  CMemFile empty;
  EXPECT_EQ(CArchiveException::readOnly, CauseOf([](CArchive& ar) { ar << 1; }, empty, CArchive::load));
  EXPECT_EQ(CArchiveException::writeOnly, CauseOf([](CArchive& ar) { int i; ar >> i; }, empty, CArchive::store));
  EXPECT_EQ(CArchiveException::badClass, CauseOf([](CArchive& ar) {
              CNotStored o;
              ar.WriteObject(&o);
            }, empty, CArchive::store));
  // A string whose count promises more than the data holds.
  CMemFile short_string;
  {
    CArchive ar(&short_string, CArchive::store);
    ar.WriteCount(50000);
    ar << static_cast<WORD>('a');
  }
  short_string.SeekToBegin();
  EXPECT_EQ(CArchiveException::endOfFile, CauseOf([](CArchive& ar) { ar.ReadString(); }, short_string, CArchive::load));
}

TEST(MemFile, GrowsSeeksAndHandsOverItsMemory) {
  CMemFile file(16);
  BYTE data[40];
  for (int i = 0; i < 40; ++i) data[i] = static_cast<BYTE>(i);
  file.Write(data, 40);
  EXPECT_EQ(40u, file.GetLength());
  file.Seek(50, CFile::begin);
  file.Write(data, 1);   // the gap is zero-filled
  EXPECT_EQ(51u, file.GetLength());
  EXPECT_EQ(0, file.GetData()[45]);
  file.Seek(-12, CFile::end);
  BYTE back[4];
  EXPECT_EQ(4u, file.Read(back, 4));
  EXPECT_EQ(39, back[0]);
  EXPECT_EQ(0, back[1]);
  EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
  ULONGLONG length = file.GetLength();
  BYTE* taken = file.Detach();
  EXPECT_EQ(0u, file.GetLength());
  EXPECT_EQ(39, taken[39]);
  std::free(taken);
  EXPECT_EQ(51u, length);

  // Over a fixed buffer: readable, writable in place, never grown.
  BYTE fixed[4] = {1, 2, 3, 4};
  CMemFile over(fixed, 4);
  BYTE x = 9;
  over.Seek(3, CFile::begin);
  over.Write(&x, 1);
  EXPECT_EQ(9, fixed[3]);
  EXPECT_THROW(over.Write(&x, 1), CFileException);
}

TEST(DiskFile, OpenFailureNamesTheCause) {
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(L"Z:\\no\\such\\folder\\file.bin", CFile::modeRead, &error));
  EXPECT_EQ(CFileException::badPath, error.m_cause);
  wchar_t temp[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetTempFileNameW(temp, L"af", 0, path);
  ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeReadWrite));
  file.Write("abc", 3);
  file.SeekToBegin();
  char back[3];
  EXPECT_EQ(3u, file.Read(back, 3));
  EXPECT_EQ('c', back[2]);
  file.Close();
  DeleteFileW(path);
}

}  // namespace

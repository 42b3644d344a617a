#include <gtest/gtest.h>

#include <set>

#include "platform/appframe/collections.h"
#include "platform/appframe/string.h"

namespace {

TEST(Map, WalkVisitsEveryEntryOnceAfterRemovals) {
  CMap<UINT, UINT, int, int> map(7);   // few buckets: chains and empty buckets both occur
  for (UINT k = 0; k < 50; ++k) map[k * 3] = static_cast<int>(k);
  for (UINT k = 0; k < 50; k += 2) EXPECT_TRUE(map.RemoveKey(k * 3));
  EXPECT_FALSE(map.RemoveKey(1));
  EXPECT_EQ(25, map.GetCount());
  std::set<UINT> seen;
  UINT key;
  int value;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    EXPECT_EQ(key, static_cast<UINT>(value) * 3);
    EXPECT_TRUE(seen.insert(key).second);
  }
  EXPECT_EQ(25u, seen.size());
  EXPECT_TRUE(map.Lookup(3, value));
  EXPECT_FALSE(map.Lookup(0, value));
}

TEST(Map, TextKeysAndPointerKeys) {
  CMap<CString, const CString&, int, int> names;
  names[L"Alpha"] = 1;
  names.SetAt(L"Beta", 2);
  names[L"Alpha"] = 3;
  int v = 0;
  EXPECT_EQ(2, names.GetCount());
  EXPECT_TRUE(names.Lookup(L"Alpha", v));
  EXPECT_EQ(3, v);
  EXPECT_FALSE(names.Lookup(L"alpha", v));
  int a = 0, b = 0;
  CMap<void*, void*, int, int> pointers;
  pointers[&a] = 1;
  pointers[&b] = 2;
  EXPECT_TRUE(pointers.Lookup(&b, v));
  EXPECT_EQ(2, v);
}

TEST(List, InsertAndRemoveKeepBothEndsLinked) {
  CList<int, int> list;
  POSITION two = list.AddTail(2);
  list.AddHead(1);
  list.AddTail(4);
  list.InsertAfter(two, 3);
  list.InsertBefore(list.GetHeadPosition(), 0);
  int expect = 0;
  for (POSITION p = list.GetHeadPosition(); p;) EXPECT_EQ(expect++, list.GetNext(p));
  EXPECT_EQ(5, expect);
  list.RemoveAt(list.Find(0));
  list.RemoveAt(list.Find(4));
  EXPECT_EQ(1, list.GetHead());
  EXPECT_EQ(3, list.GetTail());
  expect = 3;
  for (POSITION p = list.GetTailPosition(); p;) EXPECT_EQ(expect--, list.GetPrev(p));
  EXPECT_EQ(2, list.GetAt(list.FindIndex(1)));
  EXPECT_EQ(nullptr, list.FindIndex(3));
}

TEST(Array, InsertRemoveAndGrow) {
  CArray<int, int> array;
  array.Add(1);
  array.Add(4);
  array.InsertAt(1, 2, 2);   // 1 2 2 4
  array.RemoveAt(2);         // 1 2 4
  array.SetAtGrow(5, 9);     // 1 2 4 0 0 9
  ASSERT_EQ(6, array.GetSize());
  int expected[] = {1, 2, 4, 0, 0, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], array[i]);
  array.RemoveAt(4, 10);
  EXPECT_EQ(4, array.GetSize());
}

TEST(String, EditsAndFormats) {
  CString s(L"  Hello World  ");
  s.Trim();
  EXPECT_EQ(CString(L"Hello World"), s);
  EXPECT_EQ(6, s.Find(L"World"));
  EXPECT_EQ(-1, s.Find(L'z'));
  EXPECT_EQ(CString(L"World"), s.Mid(6));
  EXPECT_EQ(CString(L"Hel"), s.Left(3));
  EXPECT_EQ(CString(L"ld"), s.Right(2));
  EXPECT_EQ(CString(L""), s.Mid(40));
  EXPECT_EQ(2, s.Replace(L"o", L"oo"));
  EXPECT_EQ(CString(L"Helloo Woorld"), s);
  CString f;
  f.Format(L"%d-%s", 42, L"x");
  EXPECT_EQ(CString(L"42-x"), f);
  CString big;
  big.Format(L"%s", CString(L'y', 5000).GetString());
  EXPECT_EQ(5000, big.GetLength());
  EXPECT_EQ(0, CString(L"ABC").CompareNoCase(L"abc"));
  EXPECT_EQ(CString(L"abc"), CString("abc"));
}

}  // namespace

// Collections with the interfaces the toolkit and dialogs use: a growable array, a doubly
// linked list and a hash map whose positions walk the entries. A position is an opaque
// pointer; null ends a walk.
#pragma once

#include <windows.h>

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/appframe/string.h"

typedef struct CPositionTag* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
 public:
  INT_PTR GetSize() const { return static_cast<INT_PTR>(items_.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return items_.empty(); }
  void SetSize(INT_PTR size) { items_.resize(static_cast<size_t>(size < 0 ? 0 : size)); }
  void RemoveAll() { items_.clear(); }
  INT_PTR Add(ARG_TYPE item) { items_.push_back(item); return GetSize() - 1; }
  void InsertAt(INT_PTR index, ARG_TYPE item, INT_PTR count = 1) {
    if (index > GetSize()) SetSize(index);
    items_.insert(items_.begin() + index, static_cast<size_t>(count), item);
  }
  void RemoveAt(INT_PTR index, INT_PTR count = 1) {
    if (index < 0 || index >= GetSize()) return;
    if (index + count > GetSize()) count = GetSize() - index;
    items_.erase(items_.begin() + index, items_.begin() + index + count);
  }
  void SetAtGrow(INT_PTR index, ARG_TYPE item) {
    if (index >= GetSize()) SetSize(index + 1);
    items_[static_cast<size_t>(index)] = item;
  }
  const TYPE& GetAt(INT_PTR index) const { return items_.at(static_cast<size_t>(index)); }
  TYPE& ElementAt(INT_PTR index) { return items_.at(static_cast<size_t>(index)); }
  void SetAt(INT_PTR index, ARG_TYPE item) { items_.at(static_cast<size_t>(index)) = item; }
  TYPE& operator[](INT_PTR index) { return ElementAt(index); }
  const TYPE& operator[](INT_PTR index) const { return GetAt(index); }
  TYPE* GetData() { return items_.empty() ? nullptr : items_.data(); }
  void Append(const CArray& other) { items_.insert(items_.end(), other.items_.begin(), other.items_.end()); }
  void Copy(const CArray& other) { items_ = other.items_; }

 private:
  std::vector<TYPE> items_;
};

typedef CArray<CString, const CString&> CStringArray;
typedef CArray<void*, void*> CPtrArray;
typedef CArray<UINT, UINT> CUIntArray;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
  struct Node {
    Node* next;
    Node* prev;
    TYPE data;
  };

 public:
  CList() {}
  ~CList() { RemoveAll(); }
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;

  INT_PTR GetCount() const { return count_; }
  INT_PTR GetSize() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  POSITION GetHeadPosition() const { return Pos(head_); }
  POSITION GetTailPosition() const { return Pos(tail_); }
  TYPE& GetHead() { return head_->data; }
  TYPE& GetTail() { return tail_->data; }
  TYPE& GetNext(POSITION& pos) { Node* n = NodeOf(pos); pos = Pos(n->next); return n->data; }
  TYPE& GetPrev(POSITION& pos) { Node* n = NodeOf(pos); pos = Pos(n->prev); return n->data; }
  TYPE& GetAt(POSITION pos) { return NodeOf(pos)->data; }
  void SetAt(POSITION pos, ARG_TYPE item) { NodeOf(pos)->data = item; }

  POSITION AddHead(ARG_TYPE item) { return InsertBefore(GetHeadPosition(), item); }
  POSITION AddTail(ARG_TYPE item) { return InsertAfter(GetTailPosition(), item); }
  POSITION InsertBefore(POSITION pos, ARG_TYPE item) {
    Node* at = NodeOf(pos);
    Node* n = new Node{at, at ? at->prev : tail_, item};
    if (!at) {
      // An empty list or a null position: the new node is the head.
      n->next = head_;
      n->prev = nullptr;
      if (head_) head_->prev = n; else tail_ = n;
      head_ = n;
    } else {
      if (at->prev) at->prev->next = n; else head_ = n;
      at->prev = n;
    }
    ++count_;
    return Pos(n);
  }
  POSITION InsertAfter(POSITION pos, ARG_TYPE item) {
    Node* at = NodeOf(pos);
    if (!at) {
      Node* n = new Node{nullptr, tail_, item};
      if (tail_) tail_->next = n; else head_ = n;
      tail_ = n;
      ++count_;
      return Pos(n);
    }
    Node* n = new Node{at->next, at, item};
    if (at->next) at->next->prev = n; else tail_ = n;
    at->next = n;
    ++count_;
    return Pos(n);
  }
  void RemoveAt(POSITION pos) {
    Node* n = NodeOf(pos);
    if (!n) return;
    if (n->prev) n->prev->next = n->next; else head_ = n->next;
    if (n->next) n->next->prev = n->prev; else tail_ = n->prev;
    delete n;
    --count_;
  }
  TYPE RemoveHead() { TYPE v = head_->data; RemoveAt(Pos(head_)); return v; }
  TYPE RemoveTail() { TYPE v = tail_->data; RemoveAt(Pos(tail_)); return v; }
  void RemoveAll() {
    while (head_) {
      Node* next = head_->next;
      delete head_;
      head_ = next;
    }
    tail_ = nullptr;
    count_ = 0;
  }
  POSITION Find(ARG_TYPE item, POSITION after = nullptr) const {
    for (Node* n = after ? NodeOf(after)->next : head_; n; n = n->next)
      if (n->data == item) return Pos(n);
    return nullptr;
  }
  POSITION FindIndex(INT_PTR index) const {
    if (index < 0) return nullptr;
    Node* n = head_;
    while (n && index--) n = n->next;
    return Pos(n);
  }

 private:
  static POSITION Pos(Node* n) { return reinterpret_cast<POSITION>(n); }
  static Node* NodeOf(POSITION p) { return reinterpret_cast<Node*>(p); }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  INT_PTR count_ = 0;
};

// Hash of a key: integers and pointers by value, texts by their characters.
template <class KEY>
inline UINT HashKey(const KEY& key) {
  DWORD_PTR v;
  if constexpr (std::is_pointer<KEY>::value)
    v = reinterpret_cast<DWORD_PTR>(key);
  else
    v = static_cast<DWORD_PTR>(key);
  return static_cast<UINT>(v >> 4) ^ static_cast<UINT>(v);
}
template <>
inline UINT HashKey<CString>(const CString& key) {
  UINT h = 0;
  for (const wchar_t* p = key; *p; ++p) h = (h << 5) + h + *p;
  return h;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
  struct Assoc {
    Assoc* next;
    UINT hash;
    KEY key;
    VALUE value;
  };

 public:
  explicit CMap(UINT hash_size = 17) : hash_size_(hash_size ? hash_size : 17) {}
  ~CMap() { RemoveAll(); }
  CMap(const CMap&) = delete;
  CMap& operator=(const CMap&) = delete;

  // Sets the bucket count; only while the map is empty.
  void InitHashTable(UINT hash_size) {
    if (count_ == 0 && hash_size) {
      buckets_.clear();
      hash_size_ = hash_size;
    }
  }
  UINT GetHashTableSize() const { return hash_size_; }
  INT_PTR GetCount() const { return count_; }
  INT_PTR GetSize() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  bool Lookup(ARG_KEY key, VALUE& value) const {
    const Assoc* a = Find(key);
    if (!a) return false;
    value = a->value;
    return true;
  }
  VALUE& operator[](ARG_KEY key) {
    Assoc* a = Find(key);
    if (a) return a->value;
    if (buckets_.empty()) buckets_.assign(hash_size_, nullptr);
    UINT h = HashKey<KEY>(key);
    Assoc*& head = buckets_[h % hash_size_];
    a = new Assoc{head, h, key, VALUE()};
    head = a;
    ++count_;
    return a->value;
  }
  void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
  bool RemoveKey(ARG_KEY key) {
    if (buckets_.empty()) return false;
    UINT h = HashKey<KEY>(key);
    for (Assoc** link = &buckets_[h % hash_size_]; *link; link = &(*link)->next) {
      if ((*link)->key == key) {
        Assoc* gone = *link;
        *link = gone->next;
        delete gone;
        --count_;
        return true;
      }
    }
    return false;
  }
  void RemoveAll() {
    for (Assoc*& head : buckets_) {
      while (head) {
        Assoc* next = head->next;
        delete head;
        head = next;
      }
    }
    buckets_.clear();
    count_ = 0;
  }
  POSITION GetStartPosition() const { return count_ ? Pos(FirstFrom(0)) : nullptr; }
  void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
    Assoc* a = reinterpret_cast<Assoc*>(pos);
    key = a->key;
    value = a->value;
    Assoc* next = a->next ? a->next : FirstFrom(a->hash % hash_size_ + 1);
    pos = Pos(next);
  }

 private:
  static POSITION Pos(Assoc* a) { return reinterpret_cast<POSITION>(a); }
  Assoc* FirstFrom(size_t bucket) const {
    for (size_t b = bucket; b < buckets_.size(); ++b)
      if (buckets_[b]) return buckets_[b];
    return nullptr;
  }
  Assoc* Find(ARG_KEY key) const {
    if (buckets_.empty()) return nullptr;
    UINT h = HashKey<KEY>(key);
    for (Assoc* a = buckets_[h % hash_size_]; a; a = a->next)
      if (a->key == key) return a;
    return nullptr;
  }

  std::vector<Assoc*> buckets_;
  UINT hash_size_;
  INT_PTR count_ = 0;
};

/// Serializable classes that exercise the archive the way the report records
/// do: plain records, registering containers, chains, trees and a strict schema.
#pragma once

#include <string>

#include "report/archive.h"

/// A record of plain fields and no references.
class TPlain : public CObject {
  DECLARE_SERIAL(TPlain)
 public:
  void Serialize(CArchive& ar) override;

  DWORD m_dwValue = 0;
  std::string m_strText;
  UINT m_nSchemaSeen = 0;  // what GetObjectSchema answered during the last load
};

/// An empty record; TEmptyDerived and TOther are a subclass and an unrelated class.
class TEmpty : public CObject {
  DECLARE_SERIAL(TEmpty)
};

class TEmptyDerived : public TEmpty {
  DECLARE_SERIAL(TEmptyDerived)
};

class TOther : public CObject {
  DECLARE_SERIAL(TOther)
};

/// A class whose reader accepts only its own schema (1).
class TStrict : public CObject {
  DECLARE_SERIAL(TStrict)
};

class TestService;

/// A container shaped like the service inventory: registers itself, writes a
/// count, the first element (which writes the chain) and the last element.
class TestServiceList : public CObject {
  DECLARE_SERIAL(TestServiceList)
 public:
  ~TestServiceList() override;
  void Serialize(CArchive& ar) override;
  /// Appends a new element named strName.
  TestService* Add(const std::string& strName);

  DWORD m_nCount = 0;
  TestService* m_pFirst = nullptr;
  TestService* m_pLast = nullptr;
};

/// An element of TestServiceList (schema 2): registers itself a second time,
/// holds a name, and ends its record with the reference to the next element.
class TestService : public CObject {
  DECLARE_SERIAL(TestService)
 public:
  ~TestService() override;
  void Serialize(CArchive& ar) override;

  std::string m_strName;
  TestService* m_pNext = nullptr;
  bool m_bNestedForm = false;  // write the next reference nested instead of as a tail
};

/// A chain element with a few fields whose last field links the next one.
class TLink : public CObject {
  DECLARE_SERIAL(TLink)
 public:
  ~TLink() override;
  void Serialize(CArchive& ar) override;

  DWORD m_dwValue = 0;
  TLink* m_pNext = nullptr;
  bool m_bNestedForm = false;  // write the next reference nested instead of as a tail
};

/// A record that reads its child before its own field, so nesting cannot be
/// turned into a loop: the shape a hostile file uses to nest deeply.
class TNode : public CObject {
  DECLARE_SERIAL(TNode)
 public:
  ~TNode() override;
  void Serialize(CArchive& ar) override;

  TNode* m_pChild = nullptr;
  DWORD m_dwValue = 0;
};

/// A tree node shaped like a device: its record ends with the reference to
/// its next sibling and then the one to its first child, so the sibling's
/// whole subtree comes first. Written iteratively with the split header
/// operations, or nested for comparison.
class TTreeNode : public CObject {
  DECLARE_SERIAL(TTreeNode)
 public:
  ~TTreeNode() override;
  void Serialize(CArchive& ar) override;
  /// Appends a new child with that id.
  TTreeNode* AddChild(DWORD dwId);

  DWORD m_dwId = 0;
  TTreeNode* m_pParent = nullptr;  // not owned
  TTreeNode* m_pNextSibling = nullptr;
  TTreeNode* m_pFirstChild = nullptr;
  bool m_bNestedForm = false;  // on store: nested WriteObject calls (whole tree)

 private:
  void SerializeFields(CArchive& ar);
  void StoreIteratively(CArchive& ar);
  void LoadIteratively(CArchive& ar);
};

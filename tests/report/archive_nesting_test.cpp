// Deep graphs: tail references and the split header operations give the bytes
// of nested writing on a flat stack; long chains and trees fit a 1 MiB stack;
// hostile nesting and hostile links fail cleanly.
#include <gtest/gtest.h>

#include <memory>

#include "tests/report/archive_test_support.h"
#include "tests/report/small_stack_thread.h"
#include "tests/report/test_records.h"

namespace {

constexpr size_t kSmallStack = 1 << 20;

std::unique_ptr<TLink> MakeChain(DWORD nLength, bool bNestedForm) {
  std::unique_ptr<TLink> pFirst;
  TLink** ppLink = nullptr;
  for (DWORD k = 1; k <= nLength; ++k) {
    auto* p = new TLink;
    p->m_dwValue = k;
    p->m_bNestedForm = bNestedForm;
    if (ppLink == nullptr) {
      pFirst.reset(p);
    } else {
      *ppLink = p;
    }
    ppLink = &p->m_pNext;
  }
  return pFirst;
}

DWORD CheckChain(const TLink* p) {
  DWORD n = 0;
  for (; p != nullptr; p = p->m_pNext) {
    if (p->m_dwValue != ++n) return 0;
  }
  return n;
}

TEST(ArchiveTail, ChainHasTheBytesOfNestedWriting) {
  // Reached by reference, and written directly as a top-level record.
  const Bytes byReference = Cat({ClassRecord(1, "TLink"), U32(1), U16(0x8001), U32(2), U16(0x8001),
                                 U32(3), U16(0x0000)});
  const Bytes topLevel = Cat({U32(1), ClassRecord(1, "TLink"), U32(2), U16(0x8001), U32(3), U16(0)});
  for (bool bNested : {false, true}) {
    std::unique_ptr<TLink> chain = MakeChain(3, bNested);
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { ar << chain.get(); }), byReference) << bNested;
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { chain->Serialize(ar); }), topLevel) << bNested;
  }

  LoadBytes(byReference, [](CArchive& ar) {
    std::unique_ptr<CObject> p(ar.ReadObject(RUNTIME_CLASS(TLink)));
    EXPECT_EQ(CheckChain(static_cast<TLink*>(p.get())), 3u);
  });
  TLink top;
  LoadBytes(topLevel, [&](CArchive& ar) { top.Serialize(ar); });
  EXPECT_EQ(CheckChain(&top), 3u);
}

// root(1) has children 2 and 3; 2 has child 4. Node 2's record holds node
// 3's whole record before node 4's.
TEST(ArchiveSplit, TreeHasTheBytesOfNestedWriting) {
  const Bytes expected = Cat({
      ClassRecord(3, "TTreeNode"), U32(1), U16(0), U16(0),  // root: object 2, no parent, no sibling
      U16(0x8001), U32(2), U16(2),                        // first child: object 3
      U16(0x8001), U32(3), U16(2), U16(0), U16(0),        // its sibling: object 4, no links
      U16(0x8001), U32(4), U16(3), U16(0), U16(0),        // child of node 2: object 5
  });
  for (bool bNested : {false, true}) {
    TTreeNode root;
    root.m_dwId = 1;
    root.m_bNestedForm = bNested;
    TTreeNode* p2 = root.AddChild(2);
    root.AddChild(3);
    p2->AddChild(4);
    Bytes bytes = StoreBytes([&](CArchive& ar) { ar << &root; });
    EXPECT_EQ(bytes, expected) << bNested << ": " << Hex(bytes);
  }

  LoadBytes(expected, [&](CArchive& ar) {
    std::unique_ptr<TTreeNode> p(static_cast<TTreeNode*>(ar.ReadObject(RUNTIME_CLASS(TTreeNode))));
    ASSERT_NE(p->m_pFirstChild, nullptr);
    ASSERT_NE(p->m_pFirstChild->m_pFirstChild, nullptr);
    EXPECT_EQ(p->m_pFirstChild->m_pFirstChild->m_pParent, p->m_pFirstChild);
    EXPECT_EQ(StoreBytes([&](CArchive& out) { out << p.get(); }), expected);
  });
}

// Stores the object and loads it back; the bytes of storing the loaded copy.
template <class T>
Bytes RoundTrip(const T* pObject, std::unique_ptr<T>& pCopy) {
  Bytes bytes = StoreBytes([&](CArchive& ar) { ar << pObject; });
  LoadBytes(bytes, [&](CArchive& ar) {
    pCopy.reset(static_cast<T*>(ar.ReadObject(T::GetThisClass())));
  });
  Bytes again = StoreBytes([&](CArchive& ar) { ar << pCopy.get(); });
  return again == bytes ? bytes : Bytes{};
}

TEST(ArchiveDeep, LongChainsAndTreesFitASmallStack) {
  constexpr DWORD kLength = 20000;
  DWORD nChain = 0;
  DWORD nServices = 0;
  bool bLastIsLast = false;
  size_t nSiblingBytes = 0;
  size_t nLineBytes = 0;
  RunWithStack(kSmallStack, [&] {
    std::unique_ptr<TLink> chain = MakeChain(kLength, false);
    std::unique_ptr<TLink> chainCopy;
    if (!RoundTrip(chain.get(), chainCopy).empty()) nChain = CheckChain(chainCopy.get());

    TestServiceList list;
    for (DWORD k = 0; k < kLength; ++k) list.Add(std::to_string(k));
    Bytes bytes = StoreBytes([&](CArchive& ar) { list.Serialize(ar); });
    TestServiceList back;
    LoadBytes(bytes, [&](CArchive& ar) { back.Serialize(ar); });
    for (TestService* p = back.m_pFirst; p != nullptr; p = p->m_pNext) {
      if (p->m_strName == std::to_string(nServices)) ++nServices;
      bLastIsLast = (p == back.m_pLast);
    }

    // Siblings nest through the sibling reference, a line of children
    // through the child reference.
    auto siblings = std::make_unique<TTreeNode>();
    auto line = std::make_unique<TTreeNode>();
    TTreeNode* pDeepest = line.get();
    for (DWORD k = 0; k < kLength; ++k) {
      siblings->AddChild(k);
      pDeepest = pDeepest->AddChild(k);
    }
    std::unique_ptr<TTreeNode> copy;
    nSiblingBytes = RoundTrip(siblings.get(), copy).size();
    nLineBytes = RoundTrip(line.get(), copy).size();
  });
  EXPECT_EQ(nChain, kLength);
  EXPECT_EQ(nServices, kLength);
  EXPECT_TRUE(bLastIsLast);
  // Per node: tag, id, parent, sibling and child tags, except the class record.
  EXPECT_EQ(nSiblingBytes, ClassRecord(3, "TTreeNode").size() + 10 * (kLength + 1));
  EXPECT_EQ(nLineBytes, nSiblingBytes);
}

std::unique_ptr<TNode> MakeNested(int nDepth) {
  auto pTop = std::make_unique<TNode>();
  TNode* p = pTop.get();
  for (int k = 1; k < nDepth; ++k) p = p->m_pChild = new TNode;
  return pTop;
}

// The nesting of a record whose child comes first, written by hand: nDepth
// new objects, a null, then every record's own field.
Bytes NestedBytes(int nDepth, bool bComplete) {
  Bytes bytes = ClassRecord(1, "TNode");
  for (int k = 1; k < nDepth; ++k) bytes.insert(bytes.end(), {0x01, 0x80});
  if (bComplete) {
    bytes.insert(bytes.end(), {0, 0});
    bytes.insert(bytes.end(), 4 * static_cast<size_t>(nDepth), 0);
  }
  return bytes;
}

TEST(ArchiveDeep, NestingIsBoundedInBothDirections) {
  const int kBound = CArchive::kMaxNesting;
  Bytes atBoundBytes;
  int nStoreBeyond = 0;
  int nLoadAtBound = 0;
  int nLoadBeyond = 0;
  int nLoadHostile = 0;
  RunWithStack(kSmallStack, [&] {
    std::unique_ptr<TNode> atBound = MakeNested(kBound);
    std::unique_ptr<TNode> beyond = MakeNested(kBound + 1);
    atBoundBytes = StoreBytes([&](CArchive& ar) { ar << atBound.get(); });
    nStoreBeyond = ArchiveErrorCause([&] { StoreBytes([&](CArchive& ar) { ar << beyond.get(); }); });
    auto load = [](const Bytes& bytes) {
      return ArchiveErrorCause([&] {
        LoadBytes(bytes, [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(TNode)); });
      });
    };
    nLoadAtBound = load(NestedBytes(kBound, true));
    nLoadBeyond = load(NestedBytes(kBound + 1, true));
    nLoadHostile = load(NestedBytes(1000000, false));
  });
  EXPECT_EQ(atBoundBytes, NestedBytes(kBound, true));
  EXPECT_EQ(nStoreBeyond, CArchiveException::genericException);
  EXPECT_EQ(nLoadAtBound, -1);
  EXPECT_EQ(nLoadBeyond, CArchiveException::badIndex);
  EXPECT_EQ(nLoadHostile, CArchiveException::badIndex);
}

struct HostileLinkCase {
  const char* name;
  const CRuntimeClass* pClass;
  Bytes stored;
  int cause;
};

TEST(ArchiveDeep, HostileLinksFailCleanly) {
  Bytes endless = Cat({ClassRecord(1, "TLink"), U32(0)});
  for (int k = 0; k < 1000000; ++k) endless.insert(endless.end(), {0x01, 0x80, 0, 0, 0, 0});
  const HostileLinkCase cases[] = {
      {"chain of a million without an end", RUNTIME_CLASS(TLink), endless,
       CArchiveException::endOfFile},
      {"owned child referring to its parent", RUNTIME_CLASS(TNode),
       Cat({ClassRecord(1, "TNode"), U16(2), U32(0)}), CArchiveException::badIndex},
      {"chain linking back to itself", RUNTIME_CLASS(TLink), Cat({ClassRecord(1, "TLink"), U32(0), U16(2)}),
       CArchiveException::badIndex},
      {"sibling linking back to itself", RUNTIME_CLASS(TTreeNode),
       Cat({ClassRecord(3, "TTreeNode"), U32(0), U16(0), U16(2)}), CArchiveException::badIndex},
      {"child linking back to its parent", RUNTIME_CLASS(TTreeNode),
       Cat({ClassRecord(3, "TTreeNode"), U32(0), U16(0), U16(0), U16(0x8001), U32(1), U16(2), U16(0),
            U16(2)}),
       CArchiveException::badIndex},
  };
  for (const HostileLinkCase& c : cases) {
    int cause = 0;
    RunWithStack(kSmallStack, [&] {
      cause = ArchiveErrorCause([&] {
        LoadBytes(c.stored, [&](CArchive& ar) { delete ar.ReadObject(c.pClass); });
      });
    });
    EXPECT_EQ(cause, c.cause) << c.name;
  }
}

// A record that puts a field after its tail reference.
class TAfterTail : public CObject {
  DECLARE_SERIAL(TAfterTail)
 public:
  void Serialize(CArchive& ar) override {
    DWORD dw = 0;
    TLink* pNext = nullptr;
    if (ar.IsStoring()) {
      ar.WriteTailObject(nullptr);
      ar << dw;
    } else {
      ar.ReadTailObject(pNext);
      ar >> dw;
    }
  }
};
IMPLEMENT_SERIAL(TAfterTail, CObject, VERSIONABLE_SCHEMA | 1)

TEST(ArchiveTail, AFieldAfterTheTailReferenceIsRefused) {
  TAfterTail object;
  EXPECT_EQ(ArchiveErrorCause([&] { StoreBytes([&](CArchive& ar) { ar << &object; }); }),
            CArchiveException::genericException);
  Bytes bytes = Cat({ClassRecord(1, "TAfterTail"), U16(0), U32(0)});
  EXPECT_EQ(ArchiveErrorCause([&] {
              LoadBytes(bytes, [](CArchive& ar) { delete ar.ReadObject(nullptr); });
            }),
            CArchiveException::genericException);
}

}  // namespace

// The test records. Chains and trees are deleted iteratively: the deep-graph
// tests build tens of thousands of elements on a small stack.
#include "tests/report/test_records.h"

#include <vector>

IMPLEMENT_SERIAL(TPlain, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TEmpty, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TEmptyDerived, TEmpty, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TOther, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TStrict, CObject, 1)
IMPLEMENT_SERIAL(TestServiceList, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TestService, CObject, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(TLink, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TNode, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(TTreeNode, CObject, VERSIONABLE_SCHEMA | 3)

namespace {

// Deletes a singly linked chain without recursion.
template <class T, class Next>
void DeleteChain(T* pFirst, Next next) {
  while (pFirst != nullptr) {
    T* pFollowing = next(pFirst);
    next(pFirst) = nullptr;
    delete pFirst;
    pFirst = pFollowing;
  }
}

// A link that owns its target must not point at an object read before.
template <class T>
T* OwnedTarget(const CArchive::LoadedRef& ref) {
  if (ref.pObject != nullptr && !ref.bNew) throw CArchiveException(CArchiveException::badIndex);
  return static_cast<T*>(ref.pObject);
}

}  // namespace

void TPlain::Serialize(CArchive& ar) {
  m_nSchemaSeen = ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_dwValue << m_strText;
  } else {
    ar >> m_dwValue >> m_strText;
  }
}

TestServiceList::~TestServiceList() {
  DeleteChain(m_pFirst, [](TestService* p) -> TestService*& { return p->m_pNext; });
}

TestService* TestServiceList::Add(const std::string& strName) {
  auto* pService = new TestService;
  pService->m_strName = strName;
  (m_pLast != nullptr ? m_pLast->m_pNext : m_pFirst) = pService;
  m_pLast = pService;
  ++m_nCount;
  return pService;
}

void TestServiceList::Serialize(CArchive& ar) {
  ar.MapObject(this);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_nCount << m_pFirst << m_pLast;
  } else {
    ar >> m_nCount;
    m_pFirst = static_cast<TestService*>(ar.ReadObject(RUNTIME_CLASS(TestService)));
    m_pLast = static_cast<TestService*>(ar.ReadObject(RUNTIME_CLASS(TestService)));
  }
}

TestService::~TestService() {
  DeleteChain(m_pNext, [](TestService* p) -> TestService*& { return p->m_pNext; });
}

void TestService::Serialize(CArchive& ar) {
  ar.MapObject(this);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_strName;
    if (m_bNestedForm) {
      ar.WriteObject(m_pNext);
    } else {
      ar.WriteTailObject(m_pNext);
    }
  } else {
    ar >> m_strName;
    ar.ReadTailObject(m_pNext);
  }
}

TLink::~TLink() {
  DeleteChain(m_pNext, [](TLink* p) -> TLink*& { return p->m_pNext; });
}

void TLink::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_dwValue;
    if (m_bNestedForm) {
      ar.WriteObject(m_pNext);
    } else {
      ar.WriteTailObject(m_pNext);
    }
  } else {
    ar >> m_dwValue;
    ar.ReadTailObject(m_pNext);
  }
}

TNode::~TNode() {
  DeleteChain(m_pChild, [](TNode* p) -> TNode*& { return p->m_pChild; });
}

void TNode::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_pChild << m_dwValue;
  } else {
    ar.ReadOwnedObject(m_pChild);
    ar >> m_dwValue;
  }
}

TTreeNode::~TTreeNode() {
  std::vector<TTreeNode*> owned;
  auto detach = [&owned](TTreeNode* p) {
    for (TTreeNode** link : {&p->m_pNextSibling, &p->m_pFirstChild}) {
      if (*link != nullptr) owned.push_back(*link);
      *link = nullptr;
    }
  };
  detach(this);
  while (!owned.empty()) {
    TTreeNode* p = owned.back();
    owned.pop_back();
    detach(p);
    delete p;
  }
}

TTreeNode* TTreeNode::AddChild(DWORD dwId) {
  auto* pChild = new TTreeNode;
  pChild->m_dwId = dwId;
  pChild->m_pParent = this;
  pChild->m_bNestedForm = m_bNestedForm;
  TTreeNode** ppLink = &m_pFirstChild;
  while (*ppLink != nullptr) ppLink = &(*ppLink)->m_pNextSibling;
  *ppLink = pChild;
  return pChild;
}

void TTreeNode::Serialize(CArchive& ar) {
  if (ar.IsLoading()) {
    LoadIteratively(ar);
  } else if (m_bNestedForm) {
    SerializeFields(ar);
    ar << m_pNextSibling << m_pFirstChild;
  } else {
    StoreIteratively(ar);
  }
}

void TTreeNode::SerializeFields(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_dwId << m_pParent;
  } else {
    ar >> m_dwId;
    CArchive::LoadedRef parent = ar.ReadObjectHeader(RUNTIME_CLASS(TTreeNode));
    if (parent.bNew) {
      delete parent.pObject;
      throw CArchiveException(CArchiveException::badIndex);
    }
    m_pParent = static_cast<TTreeNode*>(parent.pObject);
  }
}

// The nested form writes a node's fields, then its next sibling's whole record,
// then its first child's. Here the nodes whose first-child reference is still
// due wait on a stack, so the sibling chain is followed by a loop.
void TTreeNode::StoreIteratively(CArchive& ar) {
  std::vector<TTreeNode*> childDue;
  TTreeNode* p = this;
  for (;;) {
    p->SerializeFields(ar);
    childDue.push_back(p);
    if (ar.WriteObjectHeader(p->m_pNextSibling)) {
      p = p->m_pNextSibling;
      continue;
    }
    for (;;) {
      if (childDue.empty()) return;
      TTreeNode* pParent = childDue.back();
      childDue.pop_back();
      if (ar.WriteObjectHeader(pParent->m_pFirstChild)) {
        p = pParent->m_pFirstChild;
        break;
      }
    }
  }
}

void TTreeNode::LoadIteratively(CArchive& ar) {
  std::vector<TTreeNode*> childDue;
  TTreeNode* p = this;
  for (;;) {
    p->SerializeFields(ar);
    childDue.push_back(p);
    p->m_pNextSibling = OwnedTarget<TTreeNode>(ar.ReadObjectHeader(RUNTIME_CLASS(TTreeNode)));
    if (p->m_pNextSibling != nullptr) {
      p = p->m_pNextSibling;
      continue;
    }
    for (;;) {
      if (childDue.empty()) return;
      TTreeNode* pParent = childDue.back();
      childDue.pop_back();
      pParent->m_pFirstChild = OwnedTarget<TTreeNode>(ar.ReadObjectHeader(RUNTIME_CLASS(TTreeNode)));
      if (pParent->m_pFirstChild != nullptr) {
        p = pParent->m_pFirstChild;
        break;
      }
    }
  }
}

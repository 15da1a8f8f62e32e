// Object references: class records, index counting with registration, the
// 0x7FFF escapes, schemas, and references that name the wrong thing.
#include <gtest/gtest.h>

#include <memory>

#include "tests/report/archive_test_support.h"
#include "tests/report/test_records.h"

namespace {

TEST(ArchiveObject, TopLevelPlainRecordUsesNoIndexAndSeesNoSchema) {
  TPlain plain;
  plain.m_dwValue = 0x11223344;
  plain.m_strText = "ab";
  TEmpty empty;
  Bytes bytes = StoreBytes([&](CArchive& ar) {
    plain.Serialize(ar);
    ar << &empty << &empty;
  });
  // The counter still starts at 1 after the plain record: class 1, object 2.
  EXPECT_EQ(bytes, Cat({U32(0x11223344), {2}, Text("ab"), ClassRecord(1, "TEmpty"), U16(2)}))
      << Hex(bytes);

  TPlain back;
  LoadBytes(bytes, [&](CArchive& ar) {
    back.Serialize(ar);
    std::unique_ptr<CObject> pFirst(ar.ReadObject(RUNTIME_CLASS(TEmpty)));
    EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TEmpty)), pFirst.get());
  });
  EXPECT_EQ(back.m_dwValue, plain.m_dwValue);
  EXPECT_EQ(back.m_strText, plain.m_strText);
  EXPECT_EQ(back.m_nSchemaSeen, static_cast<UINT>(-1));
}

// The container registers itself (1); its first element brings its class (2)
// and itself (3) and registers again (4); the second element is object 5 and
// registers as 6; the reference to the last element is therefore 6.
TEST(ArchiveObject, RegistrationRenumbersLikeTheServiceInventory) {
  const Bytes expected = Cat({U32(2), ClassRecord(2, "TestService"), {1, 'a'}, U16(0x8002),
                              {1, 'b'}, U16(0x0000), U16(0x0006)});
  for (bool bNested : {false, true}) {
    TestServiceList list;
    list.Add("a")->m_bNestedForm = bNested;
    list.Add("b")->m_bNestedForm = bNested;
    Bytes bytes = StoreBytes([&](CArchive& ar) { list.Serialize(ar); });
    EXPECT_EQ(bytes, expected) << (bNested ? "nested: " : "tail: ") << Hex(bytes);
  }

  TestServiceList back;
  LoadBytes(expected, [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_NE(back.m_pFirst, nullptr);
  ASSERT_NE(back.m_pFirst->m_pNext, nullptr);
  EXPECT_EQ(back.m_nCount, 2u);
  EXPECT_EQ(back.m_pFirst->m_strName, "a");
  EXPECT_EQ(back.m_pFirst->m_pNext->m_strName, "b");
  EXPECT_EQ(back.m_pLast, back.m_pFirst->m_pNext);
}

TEST(ArchiveObject, StoredSchemaIsKeptForEveryObjectOfTheClass) {
  const Bytes bytes = Cat({ClassRecord(7, "TPlain"), U32(1), {0}, U16(0x8001), U32(2), {0}});
  LoadBytes(bytes, [](CArchive& ar) {
    for (DWORD k = 1; k <= 2; ++k) {
      std::unique_ptr<TPlain> p(static_cast<TPlain*>(ar.ReadObject(RUNTIME_CLASS(TPlain))));
      EXPECT_EQ(p->m_nSchemaSeen, 7u);
      EXPECT_EQ(p->m_dwValue, k);
    }
  });
}

TEST(ArchiveObject, ReadingTheSchemaResetsIt) {
  LoadBytes(ClassRecord(3, "TEmpty"), [](CArchive& ar) {
    EXPECT_EQ(ar.GetObjectSchema(), static_cast<UINT>(-1));
    CArchive::LoadedRef ref = ar.ReadObjectHeader(RUNTIME_CLASS(TEmpty));
    std::unique_ptr<CObject> owner(ref.pObject);
    EXPECT_TRUE(ref.bNew);
    EXPECT_EQ(ar.GetObjectSchema(), 3u);
    EXPECT_EQ(ar.GetObjectSchema(), static_cast<UINT>(-1));
  });
}

TEST(ArchiveObject, ASubclassIsAcceptedWhereItsBaseIsAsked) {
  LoadBytes(ClassRecord(1, "TEmptyDerived"), [](CArchive& ar) {
    std::unique_ptr<CObject> p(ar.ReadObject(RUNTIME_CLASS(TEmpty)));
    EXPECT_EQ(p->GetRuntimeClass(), RUNTIME_CLASS(TEmptyDerived));
  });
}

// Objects and classes share one counter. 0x7FFC empty objects take indices
// 1 (their class) to 0x7FFD; then classes and objects cross 0x7FFF.
TEST(ArchiveObject, IndicesFrom0x7FFFUseTheEscape) {
  std::vector<std::unique_ptr<CObject>> objects;
  for (int k = 0; k < 0x7FFC; ++k) objects.emplace_back(new TEmpty);
  auto pOther1 = std::make_unique<TOther>();          // class 0x7FFE, object 0x7FFF
  auto pOther2 = std::make_unique<TOther>();          // object 0x8000
  auto pDerived1 = std::make_unique<TEmptyDerived>();  // class 0x8001, object 0x8002
  auto pDerived2 = std::make_unique<TEmptyDerived>();  // object 0x8003
  const Bytes expectedEnd = Cat({
      ClassRecord(1, "TOther"), U16(0xFFFE), ClassRecord(1, "TEmptyDerived"),
      U16(0x7FFF), U32(0x80008001),                     // class 0x8001
      U16(0x7FFD),                                      // the last empty object
      U16(0x7FFF), U32(0x00007FFF),                     // pOther1
      U16(0x7FFF), U32(0x00008003),                     // pDerived2
  });
  const CObject* const kBackRefs[] = {objects.back().get(), pOther1.get(), pDerived2.get()};

  Bytes bytes = StoreBytes([&](CArchive& ar) {
    for (const auto& p : objects) ar << p.get();
    ar << pOther1.get() << pOther2.get() << pDerived1.get() << pDerived2.get();
    for (const CObject* p : kBackRefs) ar << p;
  });
  const size_t nHead = ClassRecord(1, "TEmpty").size() + 2 * (0x7FFC - 1);
  ASSERT_EQ(bytes.size(), nHead + expectedEnd.size());
  EXPECT_EQ(Bytes(bytes.begin() + nHead, bytes.end()), expectedEnd);

  LoadBytes(bytes, [&](CArchive& ar) {
    std::vector<std::unique_ptr<CObject>> read;
    for (int k = 0; k < 0x7FFC + 4; ++k) read.emplace_back(ar.ReadObject(nullptr));
    EXPECT_EQ(read[0x7FFC]->GetRuntimeClass(), RUNTIME_CLASS(TOther));
    EXPECT_EQ(read[0x7FFC + 1]->GetRuntimeClass(), RUNTIME_CLASS(TOther));
    EXPECT_EQ(read[0x7FFC + 3]->GetRuntimeClass(), RUNTIME_CLASS(TEmptyDerived));
    EXPECT_EQ(ar.ReadObject(nullptr), read[0x7FFC - 1].get());
    EXPECT_EQ(ar.ReadObject(nullptr), read[0x7FFC].get());
    EXPECT_EQ(ar.ReadObject(nullptr), read[0x7FFC + 3].get());
  });
}

struct BadReferenceCase {
  const char* name;
  Bytes stored;
  std::vector<const CRuntimeClass*> asked;  // one read per entry; the last one fails
  int cause;
};

TEST(ArchiveObject, ReferencesThatNameTheWrongThingFail) {
  const Bytes empty = ClassRecord(1, "TEmpty");  // class 1, object 2
  const CRuntimeClass* const any = nullptr;
  const BadReferenceCase cases[] = {
      {"object index naming nothing", U16(0x0005), {any}, CArchiveException::badIndex},
      {"class index naming nothing", U16(0x8005), {any}, CArchiveException::badIndex},
      {"class index 0", U16(0x8000), {any}, CArchiveException::badIndex},
      {"escaped object naming nothing", Cat({U16(0x7FFF), U32(0x10)}), {any},
       CArchiveException::badIndex},
      {"escaped class naming nothing", Cat({U16(0x7FFF), U32(0x80000010)}), {any},
       CArchiveException::badIndex},
      {"object index naming a class", Cat({empty, U16(0x0001)}), {any, any},
       CArchiveException::badIndex},
      {"class index naming an object", Cat({empty, U16(0x8002)}), {any, any},
       CArchiveException::badIndex},
      {"unknown class name", ClassRecord(1, "TMissing"), {any}, CArchiveException::badClass},
      {"overlong class name", ClassRecord(1, std::string(65, 'T')), {any},
       CArchiveException::badClass},
      {"class that cannot be created", ClassRecord(0xFFFF, "CObject"), {any},
       CArchiveException::badClass},
      {"new object of another class", ClassRecord(1, "TOther"), {RUNTIME_CLASS(TEmpty)},
       CArchiveException::badClass},
      {"known class of another class", Cat({empty, U16(0x8001)}), {any, RUNTIME_CLASS(TOther)},
       CArchiveException::badClass},
      {"back-reference of another class", Cat({empty, U16(0x0002)}), {any, RUNTIME_CLASS(TOther)},
       CArchiveException::badClass},
      {"schema the class does not accept", ClassRecord(2, "TStrict"), {any},
       CArchiveException::badSchema},
      {"class record cut short", Cat({U16(0xFFFF), U16(1), U16(6), Text("TEm")}), {any},
       CArchiveException::endOfFile},
  };
  for (const BadReferenceCase& c : cases) {
    std::vector<std::unique_ptr<CObject>> read;
    int cause = ArchiveErrorCause([&] {
      LoadBytes(c.stored, [&](CArchive& ar) {
        for (const CRuntimeClass* pClass : c.asked) read.emplace_back(ar.ReadObject(pClass));
      });
    });
    EXPECT_EQ(cause, c.cause) << c.name;
    EXPECT_EQ(read.size(), c.asked.size() - 1) << c.name;
  }
}

TEST(ArchiveObject, StrictClassLoadsWithItsOwnSchema) {
  LoadBytes(ClassRecord(1, "TStrict"), [](CArchive& ar) {
    std::unique_ptr<CObject> p(ar.ReadObject(RUNTIME_CLASS(TStrict)));
    EXPECT_NE(p, nullptr);
  });
}

TEST(ArchiveObject, AClassWithoutCreationCannotBeWritten) {
  struct Unregistered : CObject {};
  Unregistered object;
  EXPECT_EQ(ArchiveErrorCause([&] { StoreBytes([&](CArchive& ar) { ar << &object; }); }),
            CArchiveException::badClass);
}

}  // namespace

// The "Services" stream records: exact bytes, round trips, the older schema,
// long chains, and malformed input that must fail cleanly.
#include <gtest/gtest.h>

#include "tests/services/record_support.h"

namespace tov::test {
namespace {

// The class record of CSCMService: new-class tag, schema 2, name.
Bytes ServiceClassRecord() {
  return {0xFF, 0xFF, 0x02, 0x00, 0x0B, 0x00, 'C', 'S', 'C', 'M', 'S',
          'e',  'r',  'v',  'i',  'c',  'e'};
}

// Rows 1 to 14 of a service record whose only text is its name and which has
// no version record.
Bytes NamedServiceFields(char name) {
  return Cat({{0x01, static_cast<BYTE>(name)},  // service name
              {0x00},                           // display name
              {0x00},                           // description
              Zeros(28),                        // SERVICE_STATUS
              Zeros(12),                        // type, start type, error control
              {0x00, 0x00},                     // binary path, load order group
              Zeros(4),                         // tag
              {0x00, 0x00, 0x00},               // start name, dependencies, service DLL
              Zeros(4)});                       // no version record
}

TEST(ServiceRecord, TwoServicesIndexExample) {
  CSCMServiceMan man;
  AppendService(man, "A");
  AppendService(man, "B");
  // Indices: the inventory 1, class 2, first service 3 and (its own
  // registration) 4, second service 5 and 6.
  const Bytes expected = Cat({
      {0x00, 0x00},                    // machine and database name
      {0x00, 0x00, 0x00, 0x00},        // reserved
      {0x02, 0x00, 0x00, 0x00},        // count
      ServiceClassRecord(),            // first service: new class
      NamedServiceFields('A'),
      {0x02, 0x80},                    // next: object of class 2
      NamedServiceFields('B'),
      {0x00, 0x00},                    // next: null
      {0x06, 0x00},                    // last: back-reference to index 6
  });
  EXPECT_EQ(Hex(StoreRecord(man)), Hex(expected));
}

TEST(ServiceRecord, EmptyInventoryHasCountZeroAndTwoNullReferences) {
  CSCMServiceMan man;
  EXPECT_EQ(Hex(StoreRecord(man)), Hex(Cat({{0x00, 0x00}, Zeros(4), Zeros(4), U16(0), U16(0)})));
}

TEST(ServiceRecord, EveryFieldInStreamOrder) {
  CSCMServiceMan man;
  man.m_strMachineName = "mach";
  man.m_strDatabaseName = "db";
  CSCMService& s = AppendService(man, "svc");
  s.m_strDisplayName = "Display";
  s.m_strDescription = "@%SystemRoot%\\x.dll,-101";
  s.m_status = {0x10, 4, 5, 6, 7, 8, 9};
  s.m_dwServiceType = 0x20;
  s.m_dwStartType = 2;
  s.m_dwErrorControl = 1;
  s.m_strBinaryPathName = "bin";
  s.m_strLoadOrderGroup = "grp";
  s.m_dwTagId = 0x11223344;
  s.m_strServiceStartName = "LocalSystem";
  s.m_strDependencies = "a\nb";
  s.m_strServiceDll = "dll";
  s.m_pVerInfo = new CSCMFileVerInfo;
  CSCMFileVerInfo& v = *s.m_pVerInfo;
  v.m_strFileName = "f";
  v.m_strFileVersion = "fv";
  v.m_strFileDescription = "fd";
  v.m_strLegalCopyright = "lc";
  v.m_strCompanyName = "cn";
  v.m_strInternalName = "in";
  v.m_strOriginalFilename = "of";
  v.m_strProductName = "pn";
  v.m_strProductVersion = "pv";
  v.m_strComments = "co";
  v.m_strLegalTrademarks = "lt";
  v.m_strPrivateBuild = "pb";
  v.m_strSpecialBuild = "sb";

  const Bytes expected = Cat({
      Str("mach"), Str("db"), U32(0), U32(1),
      ServiceClassRecord(),  // class 2, service 3, registered again as 4
      Str("svc"), Str("Display"), Str("@%SystemRoot%\\x.dll,-101"),
      U32(0x10), U32(4), U32(5), U32(6), U32(7), U32(8), U32(9),
      U32(0x20), U32(2), U32(1), Str("bin"), Str("grp"), U32(0x11223344), Str("LocalSystem"),
      Str("a\nb"), Str("dll"),
      U32(1),  // version record present
      {0xFF, 0xFF, 0x01, 0x00, 0x0F, 0x00, 'C', 'S', 'C', 'M', 'F', 'i', 'l', 'e', 'V', 'e', 'r',
       'I', 'n', 'f', 'o'},  // class 5, record 6
      Str("f"), Str("co"), Str("in"), Str("pn"), Str("cn"), Str("lc"), Str("pv"), Str("fd"),
      Str("lt"), Str("pb"), Str("fv"), Str("of"), Str("sb"),
      U16(0),  // next: null
      U16(4),  // last: the service's own registration
  });
  EXPECT_EQ(Hex(StoreRecord(man)), Hex(expected));
}

TEST(ServiceRecord, RoundTripKeepsEveryValueAndSetsOwners) {
  CSCMServiceMan stored;
  for (const char* name : {"Dhcp", "disk", "Tcpip"}) {
    CSCMService& s = AppendService(stored, name);
    s.m_strDisplayName = std::string(name) + " display";
    s.m_status.dwCurrentState = SERVICE_RUNNING;
    s.m_dwStartType = 3;
    s.m_strDependencies = "x\ny";
  }
  stored.m_pFirst->m_pNext->m_pVerInfo = new CSCMFileVerInfo;
  stored.m_pFirst->m_pNext->m_pVerInfo->m_strFileVersion = "5.1";
  const Bytes bytes = StoreRecord(stored);

  CSCMServiceMan loaded;
  LoadRecord(bytes, loaded);
  EXPECT_EQ(loaded.m_nCount, 3u);
  const CSCMService* a = stored.m_pFirst;
  const CSCMService* b = loaded.m_pFirst;
  for (; a != nullptr && b != nullptr; a = a->m_pNext, b = b->m_pNext) {
    EXPECT_EQ(b->m_strServiceName, a->m_strServiceName);
    EXPECT_EQ(b->m_strDisplayName, a->m_strDisplayName);
    EXPECT_EQ(b->m_status.dwCurrentState, a->m_status.dwCurrentState);
    EXPECT_EQ(b->m_dwStartType, a->m_dwStartType);
    EXPECT_EQ(b->m_strDependencies, a->m_strDependencies);
    EXPECT_EQ(b->m_pVerInfo != nullptr, a->m_pVerInfo != nullptr);
    EXPECT_EQ(b->m_pOwner, &loaded) << b->m_strServiceName;
  }
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(loaded.m_pLast->m_strServiceName, "Tcpip");
  EXPECT_EQ(loaded.m_pFirst->m_pNext->m_pVerInfo->m_strFileVersion, "5.1");
  EXPECT_EQ(StoreRecord(loaded), bytes);
}

TEST(ServiceRecord, SchemaOneRecordEndsAfterDependencies) {
  // A service of schema 1: rows 1 to 12, then straight to the next reference.
  const Bytes bytes = Cat({
      {0x00, 0x00}, U32(0), U32(1),
      {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00, 'C', 'S', 'C', 'M', 'S', 'e', 'r', 'v', 'i', 'c', 'e'},
      Str("old"), Str("Old"), Str(""), Zeros(28), U32(0x10), U32(2), U32(1), Str("C:\\old.exe"),
      Str(""), U32(0), Str("LocalSystem"), Str("RpcSs"),
      U16(0),  // next: null
      U16(4),  // last
  });
  CSCMServiceMan man;
  LoadRecord(bytes, man);
  ASSERT_NE(man.m_pFirst, nullptr);
  EXPECT_EQ(man.m_pFirst->m_strServiceName, "old");
  EXPECT_EQ(man.m_pFirst->m_strDependencies, "RpcSs");
  EXPECT_EQ(man.m_pFirst->m_strServiceDll, "");
  EXPECT_EQ(man.m_pFirst->m_pVerInfo, nullptr);
  EXPECT_EQ(man.m_pFirst->m_pOwner, &man);
  EXPECT_EQ(man.m_pLast, man.m_pFirst);
}

TEST(ServiceRecord, ChainLongerThanTheNestingBoundWritesAndReads) {
  // Each service's record holds its successor's; far more services than the
  // archive lets records nest must still go through, and be deleted.
  constexpr DWORD kServices = 100000;
  CSCMServiceMan stored;
  for (DWORD i = 0; i < kServices; ++i) AppendService(stored, std::to_string(i));
  const Bytes bytes = StoreRecord(stored);

  CSCMServiceMan loaded;
  LoadRecord(bytes, loaded);
  DWORD n = 0;
  for (const CSCMService* s = loaded.m_pFirst; s != nullptr; s = s->m_pNext, ++n) {
    if (s->m_strServiceName != std::to_string(n)) FAIL() << "service " << n << " out of order";
  }
  EXPECT_EQ(n, kServices);
  EXPECT_EQ(loaded.m_pLast->m_strServiceName, std::to_string(kServices - 1));
}

TEST(ServiceRecord, EveryTruncationFailsWithAnArchiveError) {
  CSCMServiceMan stored;
  AppendService(stored, "one").m_pVerInfo = new CSCMFileVerInfo;
  AppendService(stored, "two");
  const Bytes bytes = StoreRecord(stored);
  for (size_t length = 0; length < bytes.size(); ++length) {
    Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    CSCMServiceMan man;
    EXPECT_EQ(ArchiveErrorCause([&] { LoadRecord(cut, man); }), CArchiveException::endOfFile)
        << "length " << length;
  }
}

// Inventories whose records are well-formed archives but would give an object
// two owners, none, or a chain its "last" service is not at the end of.
TEST(ServiceRecord, MalformedOwnershipIsRefused) {
  struct Case {
    const char* what;
    std::function<void(CSCMServiceMan&)> make;  // from a chain of three
    std::function<void(CSCMServiceMan&)> undo;  // before the inventory is destroyed
    int cause;
  };
  CSCMService* outside = nullptr;
  const Case cases[] = {
      {"two services share a version record",
       [](CSCMServiceMan& m) {
         m.m_pFirst->m_pVerInfo = new CSCMFileVerInfo;
         m.m_pLast->m_pVerInfo = m.m_pFirst->m_pVerInfo;
       },
       [](CSCMServiceMan& m) { m.m_pLast->m_pVerInfo = nullptr; }, CArchiveException::badIndex},
      {"the last service is not in the chain",
       [&](CSCMServiceMan& m) { m.m_pLast = outside = new CSCMService; },
       [&](CSCMServiceMan&) { delete outside; }, CArchiveException::badIndex},
      {"the last service is not the chain's end",
       [](CSCMServiceMan& m) { m.m_pLast = m.m_pFirst; }, [](CSCMServiceMan&) {},
       CArchiveException::badIndex},
  };
  for (const Case& c : cases) {
    CSCMServiceMan stored;
    for (const char* name : {"a", "b", "c"}) AppendService(stored, name);
    c.make(stored);
    const Bytes bytes = StoreRecord(stored);
    c.undo(stored);
    CSCMServiceMan loaded;
    EXPECT_EQ(ArchiveErrorCause([&] { LoadRecord(bytes, loaded); }), c.cause) << c.what;
  }
}

TEST(ServiceRecord, FirstServiceOfAnotherClassIsRefused) {
  // The first reference names index 1, the inventory itself.
  const Bytes bytes = Cat({{0x00, 0x00}, U32(0), U32(1), U16(1), U16(0)});
  CSCMServiceMan man;
  EXPECT_EQ(ArchiveErrorCause([&] { LoadRecord(bytes, man); }), CArchiveException::badClass);
}

}  // namespace
}  // namespace tov::test

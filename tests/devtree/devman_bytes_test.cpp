// The exact bytes of a small "DevMan" record: a tree with a root and one
// child, one configuration with one descriptor, and the system record.
#include <gtest/gtest.h>

#include "devtree/cm_dev_tree.h"
#include "devtree/cm_log_conf.h"
#include "sysinfo/system_info.h"
#include "tests/devtree/devman_fixture.h"
#include "tests/report/archive_test_support.h"

namespace {

// A short string: its length byte and its text.
Bytes Str(const std::string& str) { return Cat({{static_cast<BYTE>(str.size())}, Text(str)}); }

Bytes EmptyStrings(int nCount) { return Bytes(nCount, 0x00); }

// The child's record: handles, one ID, every other field empty or zero; its
// configurations are null, its tree and parent are back-references.
Bytes ChildRecord() {
  return Cat({U32(2), U32(1), U32(0), U32(0),          // handles
              Str("x"), EmptyStrings(5),               // ID .. enumerator
              U32(0), U32(0), U32(0), U32(0),          // address .. capabilities
              EmptyStrings(11), U32(0), EmptyStrings(1),  // hardware IDs .. provider, reference, class GUID
              Bytes(16, 0),                            // class GUID bytes
              EmptyStrings(12), U32(0), U32(0),        // class name .. PDO name, status, problem
              Bytes(12, 0x00),                         // six null configurations
              U16(0x0001), U16(0x0003),                // the tree, the root
              U16(0x0000), U16(0x0000)});              // no sibling, no child
}

TEST(DevManBytes, SmallTreeMatchesTheLayout) {
  CCmDevTree tree;
  BuildSmallTree(tree);

  Bytes stored = StoreBytes([&](CArchive& ar) { tree.Serialize(ar); });

  Bytes expected = Cat({
      U16(0x0400), U32(0x0000000A),  // version, global state (the tree itself is index 1)
      ClassRecord(3, "CCmDevice"),   // class 2, root 3
      U32(1), U32(0), U32(0), U32(2),
      Str("a"), Str("b"), Str("c"), Str("d"), Str("e"), Str("f"),
      U32(0x11), U32(0x12), U32(0x13), U32(0x14),
      Str("g"), Str("h"), Str("i"), Str("j"), Str("k"), Str("l"), Str("m"), Str("n"), Str("o"),
      Str("p"), Str("q"),
      U32(0x15), Str("r"),
      {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10},
      Str("s"), Str("t"), Str("u"), Str("v"), Str("w"), Str("x"), Str("y"), Str("z"),
      Str("A"), Str("B"), Str("C"), Str("D"),  // driver key, service, service path, PDO name
      U32(0x16), U32(0x17),
      U16(0), U16(0),                         // basic, filtered: none
      ClassRecord(1, "CCmLogConf"),           // class 4, allocated configuration 5
      U32(0x21), U32(2), U32(0x3000),
      ClassRecord(1, "CCmResDes"),            // class 6, descriptor 7
      U32(0x31), U32(4), U32(0), U32(3), {0xAA, 0xBB, 0xCC},
      U16(0),                                 // no next descriptor
      U16(0),                                 // no next configuration
      U16(0), U16(0), U16(0),                 // boot, forced, override: none
      U16(0x0001), U16(0x0000), U16(0x0000),  // tree, no parent, no sibling
      U16(0x8002), ChildRecord(),             // first child: class 2, object 8
      ClassRecord(1, "CSystemInfo"),          // class 9, record 10
      Str("PC"), Str("W"), U32(0), U32(0),
  });
  EXPECT_EQ(Hex(stored), Hex(expected));
}

TEST(DevManBytes, SkippedStageHoldsZerosAndTwoNullReferences) {
  CCmDevTree tree;
  Bytes stored = StoreBytes([&](CArchive& ar) { tree.Serialize(ar); });
  EXPECT_EQ(Hex(stored), Hex({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

}  // namespace

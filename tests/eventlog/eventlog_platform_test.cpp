// The Linux platform operations of the event-log domain over a machine model:
// reading logs in batches, looking up accounts, formatting messages of data
// modules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/machine/current_machine.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;

DWORD LengthAt(const std::vector<BYTE>& buffer, size_t offset) {
  DWORD length;
  std::memcpy(&length, buffer.data() + offset, sizeof length);
  return length;
}

TEST(EventLogModel, ReadsWholeRecordsBackwardsInBatches) {
  Machine m;
  m.ComputerName("PC1");
  for (uint32_t id = 1; id <= 3; ++id) m.AddEvent("app", id).Source("S").Data(std::vector<uint8_t>(100));
  ScopedMachine use(m);
  HANDLE log = OpenEventLogA(nullptr, "APP");
  ASSERT_NE(log, nullptr) << "log names ignore letter case";
  const DWORD one = static_cast<DWORD>(m.EventLogs().Find("app")->Entries()[0].Bytes(1, "PC1").size());

  std::vector<BYTE> buffer(4096);
  DWORD read = 0, needed = 0;
  EXPECT_FALSE(ReadEventLogA(log, kBackwards, 0, buffer.data(), one - 1, &read, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, one);
  EXPECT_EQ(read, 0u);

  ASSERT_TRUE(ReadEventLogA(log, kBackwards, 0, buffer.data(), 2 * one + 10, &read, &needed));
  EXPECT_EQ(read, 2 * one) << "two whole records, nothing of the third";
  EXPECT_EQ(LengthAt(buffer, 0), one);
  EXPECT_EQ(buffer[20], 3) << "newest first: event 3";
  EXPECT_EQ(buffer[one + 20], 2);
  EXPECT_EQ(buffer[8], 3) << "record number";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&buffer[58])), "PC1") << "the machine's name";

  ASSERT_TRUE(ReadEventLogA(log, kBackwards, 0, buffer.data(), 4096, &read, &needed));
  EXPECT_EQ(read, one);
  EXPECT_EQ(buffer[20], 1);
  EXPECT_FALSE(ReadEventLogA(log, kBackwards, 0, buffer.data(), 4096, &read, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_EQ(read, 0u);

  EXPECT_FALSE(ReadEventLogA(log, EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, 1, buffer.data(),
                             4096, &read, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(CloseEventLog(log));
  EXPECT_FALSE(CloseEventLog(log));
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(EventLogModel, OpenFailures) {
  Machine m;
  m.EventLogs().Log("Security").Refuse();
  m.EventLogs().Log("System");
  ScopedMachine use(m);
  struct Case {
    const char* server;
    const char* log;
    DWORD error;
  };
  for (const Case& c : {Case{nullptr, "Norvan", ERROR_FILE_NOT_FOUND},
                        Case{nullptr, "Security", ERROR_ACCESS_DENIED},
                        Case{"\\\\OTHER", "System", ERROR_INVALID_PARAMETER}}) {
    SCOPED_TRACE(c.log);
    EXPECT_EQ(OpenEventLogA(c.server, c.log), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(AccountModel, SidFromText) {
  struct Case {
    const char* text;
    std::vector<uint8_t> bytes;  // empty: not a SID
  };
  const Case cases[] = {
      {"S-1-5-18", {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}},
      {"S-1-0x123456789ABC", {1, 0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
      {"S-1-5-4294967295", {1, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"S-1-5-4294967296", {}},
      {"S-2-5-18", {}},
      {"S-1", {}},
      {"S-1-5-", {}},
      {"X-1-5-18", {}},
      {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<std::vector<uint8_t>> sid = SidFromText(c.text);
    EXPECT_EQ(sid.value_or(std::vector<uint8_t>{}), c.bytes);
  }
}

TEST(AccountModel, LookupAccountSid) {
  Machine m;
  m.Account("S-1-5-21-7-1001", "WS01", "alice");
  ScopedMachine use(m);
  std::vector<uint8_t> sid = *SidFromText("S-1-5-21-7-1001");
  char name[16], domain[16];
  DWORD cch_name = 16, cch_domain = 16;
  SID_NAME_USE use_kind;
  ASSERT_TRUE(LookupAccountSidA(nullptr, sid.data(), name, &cch_name, domain, &cch_domain, &use_kind));
  EXPECT_STREQ(name, "alice");
  EXPECT_STREQ(domain, "WS01");
  EXPECT_EQ(cch_name, 5u);
  EXPECT_EQ(cch_domain, 4u);
  EXPECT_EQ(use_kind, SidTypeUser);

  cch_name = 5;  // no room for the NUL
  cch_domain = 16;
  EXPECT_FALSE(LookupAccountSidA(nullptr, sid.data(), name, &cch_name, domain, &cch_domain, &use_kind));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cch_name, 6u);
  EXPECT_EQ(cch_domain, 5u);

  struct Case {
    const char* what;
    std::vector<uint8_t> sid;
    DWORD error;
  };
  const Case cases[] = {
      {"no such account", *SidFromText("S-1-5-21-7-1002"), ERROR_NONE_MAPPED},
      {"revision 2", {2, 0, 0, 0, 0, 0, 0, 5}, ERROR_INVALID_SID},
      {"16 subauthorities", {1, 16, 0, 0, 0, 0, 0, 5}, ERROR_INVALID_SID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = c.sid;
    bytes.resize(8 + 4 * 16);
    cch_name = cch_domain = 16;
    EXPECT_FALSE(LookupAccountSidA(nullptr, bytes.data(), name, &cch_name, domain, &cch_domain, &use_kind));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(MessageModel, FormatMessageFromADataModule) {
  Machine m;
  m.File("C:\\WINDOWS\\System32\\msgs.dll").Message(0xC0000010, "Disk %1 failed.%n");
  m.File("C:\\WINDOWS\\System32\\plain.dll");
  ScopedMachine use(m);
  HMODULE msgs = LoadLibraryExA("msgs.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HMODULE plain = LoadLibraryExA("plain.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(msgs, nullptr);
  ASSERT_NE(plain, nullptr);
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>("C:")};
  va_list* arguments = reinterpret_cast<va_list*>(args);
  constexpr DWORD kFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY;

  char* text = nullptr;
  ASSERT_EQ(FormatMessageA(kFlags, msgs, 0xC0000010, 0, reinterpret_cast<LPSTR>(&text), 0, arguments), 17u);
  EXPECT_STREQ(text, "Disk C: failed.\r\n");
  EXPECT_EQ(LocalFree(text), nullptr);

  char small[17];
  EXPECT_EQ(FormatMessageA(kFlags & ~FORMAT_MESSAGE_ALLOCATE_BUFFER, msgs, 0xC0000010, 0, small,
                           sizeof small, arguments), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  struct Case {
    const char* what;
    DWORD flags;
    HMODULE module;
    DWORD id;
    DWORD error;
  };
  const Case cases[] = {
      {"no such message", kFlags, msgs, 0x10, ERROR_MR_MID_NOT_FOUND},
      {"a file without a message table", kFlags, plain, 1, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"not a data module", kFlags, reinterpret_cast<HMODULE>(0x77), 1, ERROR_INVALID_HANDLE},
      {"a flag not known here", kFlags | FORMAT_MESSAGE_IGNORE_INSERTS, msgs, 0xC0000010,
       ERROR_INVALID_PARAMETER},
      {"no module flag", FORMAT_MESSAGE_ALLOCATE_BUFFER, msgs, 0xC0000010, ERROR_INVALID_PARAMETER},
      {"inserts without their array", FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE,
       msgs, 0xC0000010, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char* out = nullptr;
    EXPECT_EQ(FormatMessageA(c.flags, c.module, c.id, 0, reinterpret_cast<LPSTR>(&out), 0, arguments), 0u);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(out, nullptr);
  }
  FreeLibrary(msgs);
  FreeLibrary(plain);
  EXPECT_EQ(m.OpenHandles(), 0);
}

}  // namespace
}  // namespace tov::machine

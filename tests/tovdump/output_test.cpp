// What tovdump prints: the JSON document (parsed back here), the summary,
// one stream, the difference of two reports, and the decoding of texts.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devtree/cm_log_conf.h"
#include "eventlog/el_event.h"
#include "sample_report.h"
#include "services/scm_service.h"
#include "test_files.h"
#include "tools/tovdump/text_decode.h"

namespace tovdump::test {
namespace {

using nlohmann::json;

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    report = MakeSampleReport();
    ASSERT_TRUE(WriteCompoundFile(path, StoreReport(*report)));
  }
  json Json(std::vector<std::string> args) {
    args.push_back(path);
    RunResult r = RunCommand(args);
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    return json::parse(r.strOut);
  }
  std::unique_ptr<SampleReport> report;
  const std::string path = ScratchPath("output");
};

TEST_F(OutputTest, JsonHoldsEveryStreamWithDecodedBlocks) {
  json doc = Json({});
  const json& streams = doc["streams"];
  ASSERT_EQ(streams.size(), 5u);
  const json& tree = streams["DevMan"]["record"];
  EXPECT_EQ(tree["system_info"]["computer_name"], "WS01");
  EXPECT_EQ(tree["system_info"]["system_info"]["number_of_processors"], 2);
  EXPECT_EQ(tree["system_info"]["version_info"]["build_number"], 2600);
  EXPECT_EQ(tree["system_info"]["version_info"]["csd_version"], "Service Pack 3");
  const json& root = tree["devices"][0];
  EXPECT_EQ(root["device_id"], "HTREE\\ROOT\\0");
  const json& first = root["children"][0];
  EXPECT_EQ(first["friendly_name"], "Caf\u00e9 controller \u20ac");
  EXPECT_EQ(first["guid_class"], "{4D36E97D-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(root["children"][1]["problem"], 28);
  const json& res = first["log_confs"][0]["res_des"];
  ASSERT_EQ(res.size(), 4u);
  EXPECT_EQ(res[0]["data"]["kind"], "memory");
  EXPECT_EQ(res[0]["data"]["alloc_base"], 0xFEB00000u);
  EXPECT_EQ(res[1]["data"]["kind"], "io_port");
  EXPECT_EQ(res[1]["data"]["alloc_end"], 0xC01F);
  EXPECT_EQ(res[2]["data"]["channel"], 2);
  EXPECT_EQ(res[3]["data"]["irq"], 11);
  EXPECT_EQ(res[3]["data"]["hex"].get<std::string>().size(), 40u);

  const json& services = streams["Services"]["record"]["services"];
  ASSERT_EQ(services.size(), 2u);
  EXPECT_EQ(services[0]["status"]["state"], "running");
  EXPECT_EQ(services[1]["ver_info"]["file_version"], "4.2.0.17");
  EXPECT_EQ(services[0]["ver_info"], nullptr);

  const json& events = streams["EvLog_System"]["record"]["events"];
  ASSERT_EQ(events.size(), 2u);
  const json& record = events[0]["record"];
  EXPECT_EQ(record["time_generated"], "2025-12-11T03:33:20Z");
  EXPECT_EQ(record["type"], "information");
  EXPECT_EQ(record["source"], "Service Control Manager");
  EXPECT_EQ(record["computer"], "WS01");
  EXPECT_EQ(record["strings"], json::array({"Dhcp", "running"}));
  EXPECT_EQ(record["user_sid"], "S-1-5-18");
  EXPECT_EQ(record["data"], "abcd");
  EXPECT_EQ(events[1]["record"]["type"], "error");
  EXPECT_EQ(streams["EvLog_System"]["record"]["time_captured"], "2025-12-11T03:50:00Z");
  EXPECT_EQ(streams["EvLog_Norvan"]["record"]["events"], json::array());
  EXPECT_EQ(streams["EvLog_Security"]["record"]["events"][0]["record"]["type"], "audit_success");
}

TEST_F(OutputTest, OneStreamOnly) {
  json doc = Json({"--stream", "Services"});
  ASSERT_EQ(doc["streams"].size(), 1u);
  EXPECT_EQ(doc["streams"]["Services"]["record"]["count"], 2);
}

TEST_F(OutputTest, BytesThatDoNotDecodeAreKept) {
  // In UTF-8 the Windows-1252 bytes 0xE9 and 0x80 are invalid; each comes
  // out as the escaped lone surrogate that carries it (which strict parsers
  // such as nlohmann-json refuse, so the text is checked as it stands).
  RunResult r = RunCommand({"--codepage", "65001", "--stream", "DevMan", path});
  EXPECT_EQ(r.nStatus, 0);
  EXPECT_NE(r.strOut.find("\"friendly_name\": \"Caf\\udce9 controller \\udc80\""), std::string::npos);
}

TEST_F(OutputTest, SummaryGivesTheFirstFacts) {
  RunResult r = RunCommand({"--summary", path});
  EXPECT_EQ(r.nStatus, 0);
  EXPECT_EQ(r.strOut,
            "file: " + path + "\n"
            "computer: WS01 (Windows directory C:\\WINDOWS)\n"
            "os: version 5.1 build 2600 platform 2 Service Pack 3\n"
            "devices: 4, with problems: 1\n"
            "  problem 28: PCI\\VEN_8086&DEV_7010\\3&1&2 (Device 2)\n"
            "services: 2 (running 1, stopped 1)\n"
            "events System: 2 (error 1, information 1), captured 2025-12-11T03:50:00Z\n"
            "events Norvan: 0, captured 2025-12-11T03:50:00Z\n"
            "events Security: 1 (audit_success 1), captured 2025-12-11T03:50:00Z\n");
}

TEST_F(OutputTest, DiffNamesWhatWasAddedRemovedAndChanged) {
  auto later = MakeSampleReport(5);  // one more device
  later->devTree.m_pRoot->m_pFirstChild->m_pNextSibling->m_ulProblem = 10;
  CSCMService* pGone = later->services.m_pFirst;  // "Dhcp" goes
  later->services.m_pFirst = pGone->m_pNext;
  pGone->m_pNext = nullptr;
  delete pGone;
  later->services.m_nCount = 1;
  later->logs[0].m_pFirst->m_strMessage = "changed";
  const std::string laterPath = ScratchPath("later");
  ASSERT_TRUE(WriteCompoundFile(laterPath, StoreReport(*later)));

  RunResult r = RunCommand({"diff", "--json", path, laterPath});
  ASSERT_EQ(r.nStatus, 0) << r.strErr;
  json d = json::parse(r.strOut);
  EXPECT_EQ(d["devices"]["added"], json::array({"PCI\\VEN_8086&DEV_7010\\3&1&4"}));
  EXPECT_EQ(d["devices"]["removed"], json::array());
  ASSERT_EQ(d["devices"]["changed"].size(), 1u);
  EXPECT_EQ(d["devices"]["changed"][0]["fields"]["problem"], json({{"old", "28"}, {"new", "10"}}));
  EXPECT_EQ(d["services"]["removed"], json::array({"Dhcp"}));
  EXPECT_EQ(d["events System"]["changed"][0]["key"], "record 1002");
  EXPECT_EQ(d["events System"]["changed"][0]["fields"]["message"]["new"], "changed");
  EXPECT_EQ(d["events Security"]["changed"], json::array());

  RunResult text = RunCommand({"diff", path, laterPath});
  EXPECT_NE(text.strOut.find("services: 0 added, 1 removed, 0 changed\n  - Dhcp\n"), std::string::npos)
      << text.strOut;
  EXPECT_NE(text.strOut.find("      problem: 28 -> 10\n"), std::string::npos) << text.strOut;
}

TEST(TextDecodeTest, CodePages) {
  const struct {
    CodePage cp;
    std::string bytes;
    std::u32string expected;
  } cases[] = {
      {CodePage::kWindows1252, "\x80\x81\x9f\xff", U"\u20ac\u0081\u0178\u00ff"},
      {CodePage::kLatin1, "\x80\xff", U"\u0080\u00ff"},
      {CodePage::kUtf8, "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", U"a\u00e9\u20ac\U0001F600"},
      {CodePage::kUtf8, "\xc0\xaf\xed\xa0\x80\xe2\x82", U"\xdcc0\xdcaf\xdced\xdca0\xdc80\xdce2\xdc82"},
  };
  for (const auto& c : cases) {
    std::u32string got;
    DecodeText(c.cp, c.bytes, [&got](char32_t cp) { got += cp; });
    EXPECT_EQ(got, c.expected) << c.bytes;
  }
}

}  // namespace
}  // namespace tovdump::test

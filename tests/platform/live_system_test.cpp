// The live system facts: computer name, Windows directory, processor and
// version, from the captured tree and from made-up ones for the other forms.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/machine/live/live_source.h"
#include "platform/machine/machine.h"
#include "tests/platform/temp_tree.h"
#include "win32_api.h"

namespace tov::machine::live {
namespace {

TEST(LiveSystem, CapturedMachine) {
  Machine m;
  LoadLiveSystem(LiveRoot{std::string(TOV_FIXTURES_DIR) + "/live_root"}, m);
  EXPECT_EQ(m.ComputerName(), "VM");
  EXPECT_EQ(m.WindowsDirectory(), "/usr");
  EXPECT_EQ(m.AnsiCodePage(), static_cast<uint32_t>(CP_UTF8));
  const ProcessorFacts& p = m.System().Processor();
  EXPECT_EQ(p.architecture, 0);  // PROCESSOR_ARCHITECTURE_INTEL
  EXPECT_EQ(p.processor_type, 586u);
  EXPECT_EQ(p.processors, 2u);
  EXPECT_EQ(p.active_processor_mask, 3u);
  EXPECT_EQ(p.level, 26);          // cpu family
  EXPECT_EQ(p.revision, 0x0201);   // model 2, stepping 1
  EXPECT_EQ(p.page_size, static_cast<uint32_t>(sysconf(_SC_PAGESIZE)));
  const VersionFacts& v = m.System().Version();
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 18u);
  EXPECT_EQ(v.build, 44u);
  EXPECT_EQ(v.platform_id, 2u);
  EXPECT_EQ(v.csd_version, "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(v.service_pack_major, 0);
  EXPECT_EQ(v.product_type, 1);
}

TEST(LiveSystem, NamesProcessorsAndReleases) {
  struct Case {
    const char* what;
    const char* hostname;
    const char* cpuinfo;        // null: no /proc/cpuinfo
    const char* etc_release;    // null: no /etc/os-release
    const char* usr_release;    // null: no /usr/lib/os-release
    const char* computer_name;
    uint16_t architecture;
    uint32_t processors;
    uint32_t mask;
    const char* csd;
  };
  std::string x86;
  for (int i = 0; i < 40; ++i) {
    x86 += "processor\t: " + std::to_string(i) + "\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n\n";
  }
  const Case cases[] = {
      {"fully qualified, long name", "build-server-number-7.example.org\n", x86.c_str(),
       "NAME=\"Fedora Linux\"\nVERSION=\"40\"\n", nullptr, "BUILD-SERVER-NU", 0, 32, 0xFFFFFFFF,
       "Fedora Linux"},
      {"release in /usr/lib, escaped quote", "box", "processor : 0\nCPU implementer : 0x41\n",
       nullptr, "PRETTY_NAME='Arch \\'rolling\\''\n", "BOX", 0xFFFF, 1, 1, "Arch 'rolling'"},
      {"nothing readable", nullptr, nullptr, nullptr, nullptr, "", 0xFFFF, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempTree tree;
    if (c.hostname) tree.File("/proc/sys/kernel/hostname", c.hostname);
    if (c.cpuinfo) tree.File("/proc/cpuinfo", c.cpuinfo);
    if (c.etc_release) tree.File("/etc/os-release", c.etc_release);
    if (c.usr_release) tree.File("/usr/lib/os-release", c.usr_release);
    Machine m;
    LoadLiveSystem(LiveRoot{tree.Root()}, m);
    EXPECT_EQ(m.ComputerName(), c.computer_name);
    EXPECT_EQ(m.System().Processor().architecture, c.architecture);
    EXPECT_EQ(m.System().Processor().processors, c.processors);
    EXPECT_EQ(m.System().Processor().active_processor_mask, c.mask);
    EXPECT_EQ(m.System().Version().csd_version, c.csd);
    EXPECT_EQ(m.System().Version().major, 0u);  // no kernel release
  }
}

}  // namespace
}  // namespace tov::machine::live

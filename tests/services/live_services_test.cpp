// The live source's services over a captured Linux tree (tests/fixtures/
// live-services: unit files, a sysfs module and driver tree, module files,
// a dpkg database excerpt), read by the service inventory as on Windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/live/live_services_units.h"
#include "platform/machine/live/live_services_versions.h"
#include "platform/machine/live/live_source.h"
#include "platform/machine/machine.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/platform/temp_tree.h"
#include "tests/services/record_support.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::ScopedMachine;
using tov::machine::live::LiveRoot;

constexpr const char* kRoot = TOV_FIXTURES_DIR "/live-services";
constexpr const char* kModules = "/lib/modules/6.1.0-18-amd64/kernel/";
constexpr const char* kKernelTeam = "Debian Kernel Team <debian-kernel@lists.debian.org>";
constexpr const char* kKernelPackage = "linux-image-6.1.0-18-amd64";

// The inventory of the captured tree, as the collector makes it.
class LiveServices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    machine_ = new Machine();
    tov::machine::live::LoadLiveServices(LiveRoot{kRoot}, *machine_);
    man_ = new CSCMServiceMan();
    ScopedMachine use(*machine_);
    man_->Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  }
  static void TearDownTestSuite() {
    delete man_;
    delete machine_;
  }

  static const CSCMService* Find(const std::string& name) { return tov::test::FindService(*man_, name); }

  static Machine* machine_;
  static CSCMServiceMan* man_;
};
Machine* LiveServices::machine_ = nullptr;
CSCMServiceMan* LiveServices::man_ = nullptr;

TEST_F(LiveServices, EveryUnitAndDriverInTheManagersOrder) {
  // Not the template getty@.service nor the alias dbus-org.freedesktop.timesync1.
  std::vector<std::string> names;
  for (const CSCMService* s = man_->m_pFirst; s != nullptr; s = s->m_pNext) {
    names.push_back(s->m_strServiceName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{
                       "ahci", "apt-daily", "dbus", "e1000", "e2scrub_reap", "fstrim", "getty@tty1",
                       "hub", "libahci", "norvan", "overlay", "pcieport", "postgresql", "serial",
                       "systemd-journald", "systemd-networkd", "systemd-timesyncd", "usb", "usbcore"}));
  EXPECT_EQ(man_->m_nCount, names.size());
  EXPECT_EQ(machine_->OpenHandles(), 0);
}

TEST_F(LiveServices, UnitsAsWin32Services) {
  struct Case {
    const char* name;
    const char* display;
    DWORD start;
    const char* binary;
    const char* dependencies;
    const char* account;
  };
  const Case cases[] = {
      // masked: disabled, its vendor file still describes it
      {"apt-daily", "Daily apt download activities", SERVICE_DISABLED,
       "/usr/lib/apt/apt.systemd.daily update", "", "LocalSystem"},
      // static (no [Install]); a socket it requires is a group
      {"dbus", "D-Bus System Message Bus", SERVICE_DEMAND_START,
       "/usr/bin/dbus-daemon --system --address=systemd: --nofork --nopidfile "
       "--systemd-activation --syslog-only",
       "+dbus.socket", "LocalSystem"},
      {"e2scrub_reap", "Remove Stale Online ext4 Metadata Check Snapshots", SERVICE_AUTO_START,
       "/sbin/e2scrub_all -A -r", "", "root"},
      // a drop-in clears ExecStart= and sets another over a continued line
      {"fstrim", "Discard unused blocks on filesystems from /etc/fstab", SERVICE_DEMAND_START,
       "/usr/sbin/fstrim --all  --verbose", "+local-fs.target", "LocalSystem"},
      // an instance linked into a target: the template's settings with %I
      {"getty@tty1", "Getty on tty1", SERVICE_AUTO_START,
       "/sbin/agetty -o '-p -- \\\\u' --noclear - $TERM", "", "LocalSystem"},
      // a unit file linked from /opt; a bare program name found in /usr/local/sbin
      {"norvan", "Norvan security agent", SERVICE_AUTO_START,
       "/usr/local/sbin/norvand --foreground", "+network-online.target\ndbus", "norvan"},
      {"postgresql", "PostgreSQL RDBMS", SERVICE_AUTO_START, "/bin/true", "", "LocalSystem"},
      {"systemd-journald", "Journal Service", SERVICE_DEMAND_START, "/lib/systemd/systemd-journald",
       "+systemd-journald.socket", "LocalSystem"},
      // [Install] but not linked
      {"systemd-networkd", "Network Configuration", SERVICE_DISABLED,
       "/lib/systemd/systemd-networkd", "", "systemd-network"},
      // linked into sysinit.target; the "!!" prefix is not part of the path
      {"systemd-timesyncd", "Network Time Synchronization", SERVICE_AUTO_START,
       "/lib/systemd/systemd-timesyncd", "", "systemd-timesync"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CSCMService* s = Find(c.name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_strDisplayName, c.display);
    EXPECT_EQ(s->m_strDescription, c.display);
    EXPECT_EQ(s->m_dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    // No manager runs for a captured tree.
    EXPECT_EQ(s->m_status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(s->m_dwStartType, c.start);
    EXPECT_EQ(s->m_dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(s->m_strBinaryPathName, c.binary);
    EXPECT_EQ(s->m_strDependencies, c.dependencies);
    EXPECT_EQ(s->m_strServiceStartName, c.account);
  }
}

TEST_F(LiveServices, DriversAsKernelDriverServices) {
  struct Case {
    const char* name;
    DWORD type;
    DWORD start;
    DWORD controls;
    std::string binary;
    const char* dependencies;
    const char* description;
  };
  const std::string ahci = std::string(kModules) + "drivers/ata/ahci.ko";
  const std::string usbcore = std::string(kModules) + "drivers/usb/core/usbcore.ko";
  const Case cases[] = {
      // a driver of the module of its name, which needs libahci
      {"ahci", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP, ahci, "libahci",
       "AHCI SATA low-level driver"},
      // listed in modules-load.d
      {"e1000", SERVICE_KERNEL_DRIVER, SERVICE_SYSTEM_START, SERVICE_ACCEPT_STOP,
       std::string(kModules) + "drivers/net/ethernet/intel/e1000/e1000.ko", "",
       "Intel(R) PRO/1000 Network Driver"},
      // drivers of a module of another name need it and share its file
      {"hub", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP, usbcore, "usbcore", ""},
      {"usb", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP, usbcore, "usbcore", ""},
      // loaded modules that no driver stands for
      {"libahci", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP,
       std::string(kModules) + "drivers/ata/libahci.ko", "", "Common AHCI SATA low-level routines"},
      {"usbcore", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP, usbcore, "", ""},
      {"overlay", SERVICE_FILE_SYSTEM_DRIVER, SERVICE_DEMAND_START, SERVICE_ACCEPT_STOP,
       std::string(kModules) + "fs/overlayfs/overlay.ko", "", "Overlay filesystem"},
      // built in: the kernel image; fields of the built-in module 8250
      {"pcieport", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, 0, "/boot/vmlinuz-6.1.0-18-amd64", "", ""},
      {"serial", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, 0, "/boot/vmlinuz-6.1.0-18-amd64", "",
       "Generic 8250/16x50 serial driver"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CSCMService* s = Find(c.name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_status.dwServiceType, c.type);
    EXPECT_EQ(s->m_dwServiceType, c.type);
    EXPECT_EQ(s->m_status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(s->m_status.dwControlsAccepted, c.controls);
    EXPECT_EQ(s->m_dwStartType, c.start);
    EXPECT_EQ(s->m_strBinaryPathName, c.binary);
    EXPECT_EQ(s->m_strDependencies, c.dependencies);
    EXPECT_EQ(s->m_strDescription, c.description);
    EXPECT_EQ(s->m_strDisplayName, *c.description != '\0' ? c.description : c.name);
  }
}

TEST_F(LiveServices, VersionRecordsFromPackagesAndModuleFields) {
  struct Case {
    const char* service;
    std::string file;
    const char* file_version;
    const char* description;
    const char* company;
    const char* product;
    const char* product_version;
    const char* internal_name;
    const char* copyright;
    const char* comments;
  };
  const Case cases[] = {
      {"dbus", "/usr/bin/dbus-daemon", "1.14.10-1~deb12u1",
       "simple interprocess messaging system (reference message bus)",
       "Utopia Maintenance Team <pkg-utopia-maintainers@lists.alioth.debian.org>", "dbus-daemon",
       "1.14.10-1~deb12u1", "dbus-daemon", "", ""},
      // the package lists the file as /sbin/fstrim (a merged /usr)
      {"fstrim", "/usr/sbin/fstrim", "2.38.1-5+deb12u3", "miscellaneous system utilities",
       "util-linux packagers <util-linux@packages.debian.org>", "util-linux", "2.38.1-5+deb12u3",
       "fstrim", "", ""},
      {"systemd-timesyncd", "/lib/systemd/systemd-timesyncd", "252.39-1~deb12u2",
       "minimalistic service to synchronize local time with NTP servers",
       "Debian systemd Maintainers <pkg-systemd-maintainers@lists.alioth.debian.org>",
       "systemd-timesyncd", "252.39-1~deb12u2", "systemd-timesyncd", "", ""},
      // a module: its own version, description, license and author
      {"e1000", std::string(kModules) + "drivers/net/ethernet/intel/e1000/e1000.ko", "7.3.21-k8-NAPI",
       "Intel(R) PRO/1000 Network Driver", kKernelTeam, kKernelPackage, "6.1.76-1", "e1000", "GPL v2",
       "Intel Corporation, <linux.nics@intel.com>"},
      // a module without a version field: the kernel release it was built for
      {"usb", std::string(kModules) + "drivers/usb/core/usbcore.ko", "6.1.0-18-amd64",
       "Linux 6.1 for 64-bit PCs (signed)", kKernelTeam, kKernelPackage, "6.1.76-1", "usbcore", "GPL",
       ""},
      // the kernel image of the built-in drivers: its package alone
      {"serial", "/boot/vmlinuz-6.1.0-18-amd64", "6.1.76-1", "Linux 6.1 for 64-bit PCs (signed)",
       kKernelTeam, kKernelPackage, "6.1.76-1", "vmlinuz-6.1.0-18-amd64", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.service);
    const CSCMService* s = Find(c.service);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->m_pVerInfo, nullptr);
    const CSCMFileVerInfo& v = *s->m_pVerInfo;
    EXPECT_EQ(v.m_strFileName, c.file);
    EXPECT_EQ(v.m_strFileVersion, c.file_version);
    EXPECT_EQ(v.m_strFileDescription, c.description);
    EXPECT_EQ(v.m_strCompanyName, c.company);
    EXPECT_EQ(v.m_strProductName, c.product);
    EXPECT_EQ(v.m_strProductVersion, c.product_version);
    EXPECT_EQ(v.m_strInternalName, c.internal_name);
    EXPECT_EQ(v.m_strOriginalFilename, std::string(c.file.substr(c.file.rfind('/') + 1)));
    EXPECT_EQ(v.m_strLegalCopyright, c.copyright);
    EXPECT_EQ(v.m_strComments, c.comments);
  }
  // No package owns it / the program is not there / not installed at all.
  for (const char* name : {"norvan", "systemd-networkd", "apt-daily"}) {
    const CSCMService* s = Find(name);
    ASSERT_NE(s, nullptr) << name;
    EXPECT_EQ(s->m_pVerInfo, nullptr) << name;
  }
}

TEST(LiveServicesRoot, AMissingTreeGivesAnEmptyInventory) {
  Machine m;
  tov::machine::live::LoadLiveServices(LiveRoot{TOV_FIXTURES_DIR "/no-such-tree"}, m);
  CSCMServiceMan man;
  {
    ScopedMachine use(m);
    man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  }
  EXPECT_EQ(man.m_nCount, 0u);
}

TEST(LiveServicesRoot, UnitsTheManagerHasLoadedAreServicesToo) {
  // An instance started on demand takes its template's settings; a transient
  // unit has no file; a template itself is never a service.
  using tov::machine::live::UnitService;
  std::vector<UnitService> units = tov::machine::live::ReadUnitServices(
      LiveRoot{kRoot}, {"getty@tty2.service", "run-u7.service", "getty@.service"});
  auto find = [&units](const std::string& name) -> const UnitService* {
    for (const UnitService& u : units) {
      if (u.unit == name) return &u;
    }
    return nullptr;
  };
  const UnitService* tty2 = find("getty@tty2.service");
  ASSERT_NE(tty2, nullptr);
  EXPECT_EQ(tty2->description, "Getty on tty2");
  EXPECT_EQ(tty2->program, "/sbin/agetty");
  EXPECT_EQ(tty2->enablement, tov::machine::live::UnitEnablement::kDisabled);  // not linked
  const UnitService* transient = find("run-u7.service");
  ASSERT_NE(transient, nullptr);
  EXPECT_EQ(transient->program, "");
  EXPECT_EQ(transient->enablement, tov::machine::live::UnitEnablement::kStatic);
  EXPECT_EQ(find("getty@.service"), nullptr);
}

TEST(LiveServicesRoot, PackageFilesReachedThroughLinksStayInsideTheRoot) {
  // The package database and one of its file lists are absolute links, as in
  // a captured tree: both are followed inside the root, never on the host.
  tov::test::TempTree tree;
  tree.Link("/var/lib/dpkg", "/srv/dpkg")
      .Link("/srv/dpkg/info/linked.list", "/srv/lists/linked.list")
      .File("/srv/lists/linked.list", "/usr\n/usr/bin\n/usr/bin/linked\n")
      .File("/srv/dpkg/info/plain.list", "/usr/bin/plain\n")
      .File("/srv/dpkg/status",
            "Package: linked\nStatus: install ok installed\nVersion: 1.0\n\n"
            "Package: plain\nStatus: install ok installed\nVersion: 2.0\n");

  using tov::machine::live::PackageOwners;
  PackageOwners owners =
      PackageOwners::Find(LiveRoot{tree.Root()}, {"/usr/bin/linked", "/usr/bin/plain"});
  const tov::machine::live::PackageFacts* linked = owners.OwnerOf("/usr/bin/linked");
  const tov::machine::live::PackageFacts* plain = owners.OwnerOf("/usr/bin/plain");
  ASSERT_NE(linked, nullptr);
  EXPECT_EQ(linked->version, "1.0");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->version, "2.0");
}

TEST(LiveServicesRoot, TheFirstListThatNamesAFileOwnsIt) {
  // The lists are read in two halves at once (here a-b and c-d); a file named
  // by two lists still belongs to the first of them in name order.
  tov::test::TempTree tree;
  tree.File("/var/lib/dpkg/info/a.list", "/usr\n/usr/lib\n/usr/lib/w\n")
      .File("/var/lib/dpkg/info/b.list", "/usr/bin/x\n")
      .File("/var/lib/dpkg/info/c.list", "/usr/bin/x\n/usr/bin/y\n/usr/sbinq\n")
      .File("/var/lib/dpkg/info/d.list", "/usr/bin/y\n/usr/bin/z");  // no last line break
  std::string status;
  for (const char* name : {"a", "b", "c", "d"}) {
    status += std::string("Package: ") + name + "\nStatus: install ok installed\nVersion: 1.0\n\n";
  }
  tree.File("/var/lib/dpkg/status", status);

  using tov::machine::live::PackageOwners;
  PackageOwners owners = PackageOwners::Find(
      LiveRoot{tree.Root()}, {"/lib/w", "/usr/bin/x", "/usr/bin/y", "/usr/bin/z", "/usr/bin/q"});
  struct Case {
    const char* path;
    const char* owner;  // null: none
  };
  const Case cases[] = {
      {"/lib/w", "a"},       // listed under its merged-/usr name
      {"/usr/bin/x", "b"},   // in both halves
      {"/usr/bin/y", "c"},   // twice in the second half
      {"/usr/bin/z", "d"},
      {"/usr/bin/q", nullptr},  // a line of its length and last character is another file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const tov::machine::live::PackageFacts* owner = owners.OwnerOf(c.path);
    if (c.owner == nullptr) {
      EXPECT_EQ(owner, nullptr);
    } else {
      ASSERT_NE(owner, nullptr);
      EXPECT_EQ(owner->name, c.owner);
    }
  }
}

TEST(LiveVersionNumbers, FromDebianVersionTexts) {
  struct Case {
    const char* text;
    uint16_t parts[4];
  };
  const Case cases[] = {
      {"1.14.10-1~deb12u1", {1, 14, 10, 1}},
      {"1:2.38.1-5+deb12u3", {2, 38, 1, 5}},  // the epoch is left out
      {"252.39-1~deb12u2", {252, 39, 0, 1}},
      {"9.1", {9, 1, 0, 0}},                    // a native package: no revision
      {"7.3.21-k8-NAPI", {7, 3, 21, 0}},        // the revision is the part after the last '-'
      {"6.1.0-18-amd64", {6, 1, 0, 0}},      // a revision without a leading digit has no number
      {"20230210.99999", {65535, 65535, 0, 0}},  // each part at most 65535
      {"", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    tov::machine::live::VersionNumbers v = tov::machine::live::ParseVersionNumbers(c.text);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v.part[i], c.parts[i]) << c.text << " part " << i;
  }
}

}  // namespace

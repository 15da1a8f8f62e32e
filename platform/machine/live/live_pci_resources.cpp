// The allocated configuration of a PCI device in the platform's published
// resource descriptor layouts (32-bit program, packed): the memory and I/O
// port ranges of its `resource` file and its interrupts.
#include <cstdio>
#include <sstream>

#include "platform/machine/live/live_devices.h"
#include "platform/machine/live/live_files.h"

namespace tov::machine::live {

namespace {

// Flags of a range in the kernel's `resource` file.
constexpr uint64_t kIoResourceIo = 0x100;
constexpr uint64_t kIoResourceMem = 0x200;
constexpr uint64_t kIoResourcePrefetch = 0x2000;
constexpr uint64_t kIoResourceReadOnly = 0x4000;
constexpr uint64_t kIoResourceDisabled = 0x10000000;
constexpr uint64_t kIoResourceUnset = 0x20000000;
// Line 6 of the file is the expansion ROM, lines from 7 on a bridge's windows.
constexpr size_t kRomLine = 6;
constexpr size_t kFirstWindowLine = 7;

// Descriptor flags of the platform (MEM_DES, IO_DES, IRQ_DES).
constexpr uint32_t fMD_RAM = 0x1;
constexpr uint32_t fMD_32 = 0x2;
constexpr uint32_t fMD_PrefetchAllowed = 0x4;
constexpr uint32_t fMD_WINDOW_DECODE = 0x40;
constexpr uint32_t fMD_MEMORY_BAR = 0x80;
constexpr uint32_t fIOD_IO = 0x1;
constexpr uint32_t fIOD_WINDOW_DECODE = 0x80;
constexpr uint32_t fIOD_PORT_BAR = 0x100;
constexpr uint32_t fIRQD_Share = 0x1;
constexpr uint32_t fIRQD_Edge = 0x2;
// The Type field of each descriptor header is the size of its range structure:
// MEM_RANGE 36, IO_RANGE 40, IRQ_RANGE 12 bytes.
constexpr uint32_t MType_Range = 36;
constexpr uint32_t IOType_Range = 40;
constexpr uint32_t IRQType_Range = 12;

class Bytes {
 public:
  Bytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes& U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  std::vector<uint8_t> Take() { return std::move(data_); }

 private:
  std::vector<uint8_t> data_;
};

// An allocated descriptor carries its assignment in the header and no ranges
// (count 0): MEM_DES is count, type, base, end, flags, reserved (32 bytes).
std::vector<uint8_t> MemoryDescriptor(uint64_t start, uint64_t end, uint32_t flags) {
  return Bytes().U32(0).U32(MType_Range).U64(start).U64(end).U32(flags).U32(0).Take();
}

// IO_DES: count, type, base, end, flags (28 bytes).
std::vector<uint8_t> PortDescriptor(uint64_t start, uint64_t end, uint32_t flags) {
  return Bytes().U32(0).U32(IOType_Range).U64(start).U64(end).U32(flags).Take();
}

// IRQ_DES_32: count, type, flags, interrupt, affinity (20 bytes).
std::vector<uint8_t> IrqDescriptor(uint32_t irq, uint32_t flags, uint32_t affinity) {
  return Bytes().U32(0).U32(IRQType_Range).U32(flags).U32(irq).U32(affinity).Take();
}

struct Range {
  uint64_t start = 0;
  uint64_t end = 0;
  uint64_t flags = 0;
};

std::vector<Range> ReadRanges(const std::string& text) {
  std::vector<Range> ranges;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    Range r;
    unsigned long long start = 0, end = 0, flags = 0;
    if (std::sscanf(line.c_str(), "%llx %llx %llx", &start, &end, &flags) == 3) {
      r = Range{start, end, flags};
    }
    ranges.push_back(r);  // an unreadable line keeps the numbering of the rest
  }
  return ranges;
}

// The processors an interrupt may go to, as the 32-bit mask of the first 32
// (the last group of /proc/irq/N/smp_affinity); 0 when unreadable.
uint32_t Affinity(const LiveRoot& where, uint32_t irq) {
  std::string text = ReadAttribute(where, "/proc/irq/" + std::to_string(irq) + "/smp_affinity");
  size_t comma = text.find_last_of(',');
  if (comma != std::string::npos) text = text.substr(comma + 1);
  unsigned long mask = 0;
  if (std::sscanf(text.c_str(), "%lx", &mask) != 1) return 0;
  return static_cast<uint32_t>(mask);
}

}  // namespace

void AddPciResources(const LiveRoot& where, const SysfsDevice& device, DeviceNode& node) {
  LogConfig* conf = nullptr;
  auto add = [&](RESOURCEID type, std::vector<uint8_t> data) {
    if (conf == nullptr) conf = &node.LogConf(ALLOC_LOG_CONF);
    conf->Res(type, std::move(data));
  };
  std::vector<Range> ranges = ReadRanges(device.folder->Text("resource").value_or(""));
  for (size_t line = 0; line < ranges.size(); ++line) {
    const Range& r = ranges[line];
    if ((r.flags & (kIoResourceIo | kIoResourceMem)) == 0 ||
        (r.flags & (kIoResourceDisabled | kIoResourceUnset)) != 0 || r.end < r.start ||
        (r.start == 0 && r.end == 0)) {
      continue;
    }
    bool window = line >= kFirstWindowLine;
    if (r.flags & kIoResourceIo) {
      add(ResType_IO, PortDescriptor(r.start, r.end,
                                     fIOD_IO | (window ? fIOD_WINDOW_DECODE : fIOD_PORT_BAR)));
      continue;
    }
    uint32_t flags = window ? fMD_WINDOW_DECODE : fMD_MEMORY_BAR;
    if (line != kRomLine && (r.flags & kIoResourceReadOnly) == 0) flags |= fMD_RAM;
    if (r.end <= 0xFFFFFFFFu) flags |= fMD_32;
    if (r.flags & kIoResourcePrefetch) flags |= fMD_PrefetchAllowed;
    add(ResType_Mem, MemoryDescriptor(r.start, r.end, flags));
  }
  // The line interrupt (level-triggered, shared), unless it is one of the
  // message-signalled interrupts (edge-triggered, one device each), which the
  // kernel also reports as the device's interrupt while they are in use.
  std::vector<uint32_t> messages;
  if (device.folder->Has("msi_irqs")) {
    SysfsFolder msi_irqs(*device.folder, "msi_irqs");
    for (const SysfsFolder::Entry& entry : msi_irqs.Entries()) {
      unsigned irq = 0;
      char rest = 0;
      if (std::sscanf(entry.name.c_str(), "%u%c", &irq, &rest) == 1) messages.push_back(irq);
    }
  }
  uint32_t line_irq = static_cast<uint32_t>(device.folder->Number("irq", 10).value_or(0));
  bool line_is_message = false;
  for (uint32_t irq : messages) line_is_message |= irq == line_irq;
  if (line_irq != 0 && !line_is_message) {
    add(ResType_IRQ, IrqDescriptor(line_irq, fIRQD_Share, Affinity(where, line_irq)));
  }
  for (uint32_t irq : messages) {
    add(ResType_IRQ, IrqDescriptor(irq, fIRQD_Edge, Affinity(where, irq)));
  }
}

}  // namespace tov::machine::live

/// JSON forms of the byte blocks a report keeps whole, decoded by the
/// published 32-bit layouts of their structures: the processor block
/// (SYSTEM_INFO), the version block (OSVERSIONINFOEXA), a service's status
/// (SERVICE_STATUS), an event record (EVENTLOGRECORD) and the resource
/// descriptors of memory, I/O port, DMA and IRQ. Each decoder reads only
/// inside the block and decodes only what is wholly there; the raw bytes
/// are always given as well, in hex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/tovdump/json_writer.h"

namespace tovdump {

/// Values of an object: the decoded fields, then "hex".
void WriteSystemInfoBlock(JsonWriter& json, const uint8_t* pBlock, size_t nBytes);
void WriteVersionInfoBlock(JsonWriter& json, const uint8_t* pBlock, size_t nBytes);
void WriteServiceStatusBlock(JsonWriter& json, const uint8_t* pBlock, size_t nBytes);
void WriteEventRecordBlock(JsonWriter& json, const uint8_t* pRecord, size_t nBytes);
void WriteResourceBlock(JsonWriter& json, uint32_t ulResType, const uint8_t* pData, size_t nBytes);

/// The name of an event type ("error", "warning", "information",
/// "audit_success", "audit_failure", "success"), or its number.
std::string EventTypeName(uint16_t wType);
/// The name of a service state ("stopped", "running", ...), or its number.
std::string ServiceStateName(uint32_t dwState);
/// A time in seconds since 1970 as ISO 8601 UTC ("2026-12-11T04:09:19Z").
std::string FormatUtc(int64_t nSeconds);
/// A security identifier in its text form (S-1-5-18), or empty when the
/// bytes do not hold a whole one.
std::string SidText(const uint8_t* pSid, size_t nBytes);

/// Little-endian reads from a block.
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint64_t Le64(const uint8_t* p) { return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32; }

}  // namespace tovdump

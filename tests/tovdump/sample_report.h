// Reports built in memory for the reader's tests, benchmark and fuzz seeds:
// the five collected objects filled by hand (as a collection would fill
// them), their streams made by the records' own Serialize in store mode, and
// a compound file written with the platform's storage calls.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event_log.h"
#include "services/scm_service_man.h"

namespace tovdump::test {

using Stream = std::pair<std::string, std::vector<BYTE>>;

/// The five objects of a report.
struct SampleReport {
  CCmDevTree devTree;
  CSCMServiceMan services;
  CElEventLog logs[3];  // System, Norvan, Security
};

/// Fills a report: a device tree of nDevices devices (at least 4; one with
/// problem 28 and configurations holding memory, I/O, DMA and IRQ
/// descriptors), the system record, two services (one with a version
/// record), and events in the System and Security logs.
std::unique_ptr<SampleReport> MakeSampleReport(size_t nDevices = 4);

/// The bytes of an event log record: head, source, computer, insertion
/// strings, a SID of S-1-5-18, and two bytes of data.
std::vector<BYTE> MakeEventRecord(DWORD nRecord, DWORD nTime, DWORD dwEventId, WORD wType,
                                  const std::string& strSource, const std::vector<std::string>& strings);

/// The record of pObject as its stream holds it.
std::vector<BYTE> StoreObject(CObject& object);

/// The five streams of a report, in order.
std::vector<Stream> StoreReport(SampleReport& report);

/// Writes a compound file with these streams; false when it could not.
bool WriteCompoundFile(const std::string& strPath, const std::vector<Stream>& streams);

}  // namespace tovdump::test

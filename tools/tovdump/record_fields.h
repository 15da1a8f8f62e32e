/// The plain fields of the records that the reader compares and prints, as
/// (key, value) lists: one list per record kind, shared by the JSON output
/// and by the comparison of two reports, so both name a field alike.
#pragma once

#include <string>
#include <vector>

class CCmDevice;
class CSCMService;
class CElEvent;

namespace tovdump {

struct FieldValue {
  const char* pszKey;
  bool bText;            // 8-bit text of the report; else a number in decimal
  std::string strValue;
};

/// A device's own fields, without its configurations and tree links.
std::vector<FieldValue> DeviceFields(const CCmDevice& device);
/// A service's fields, without its status block and version record.
std::vector<FieldValue> ServiceFields(const CSCMService& service);
/// An event's texts (its record is compared as bytes).
std::vector<FieldValue> EventTextFields(const CElEvent& event);

}  // namespace tovdump

namespace tovdump {

/// Calls fn(const CCmDevice&) for pRoot, its siblings and all their
/// descendants in pre-order, following only the owning links (first child,
/// next sibling) with an explicit stack.
template <class Fn>
void ForEachDevice(const CCmDevice* pRoot, Fn&& fn);

}  // namespace tovdump

#include "devtree/cm_device.h"

template <class Fn>
void tovdump::ForEachDevice(const CCmDevice* pRoot, Fn&& fn) {
  std::vector<const CCmDevice*> next{pRoot};
  while (!next.empty()) {
    const CCmDevice* pDevice = next.back();
    if (pDevice == nullptr) {
      next.pop_back();
      continue;
    }
    next.back() = pDevice->m_pNextSibling;
    fn(*pDevice);
    next.push_back(pDevice->m_pFirstChild);
  }
}

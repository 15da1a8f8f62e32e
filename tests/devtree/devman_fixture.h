/// A small device tree for the record tests: a root with one child, one
/// allocated configuration with one descriptor on the root, and a system
/// record. Every root field holds a value of its own, so a field written in
/// the wrong place shows.
#pragma once

#include <vector>

#include "devtree/cm_dev_tree.h"

/// Fills an empty tree: root handle 1 (child 2), child handle 2 "x".
void BuildSmallTree(CCmDevTree& tree);

/// Appends a child device with this handle and ID under pParent.
CCmDevice* AddChild(CCmDevTree& tree, CCmDevice* pParent, DWORD dnDevInst, const char* pszId);

/// A device that counts its destructions, by address.
class CountedDevice : public CCmDevice {
 public:
  ~CountedDevice() override;
  /// Addresses of CountedDevice objects destroyed so far, in order.
  static std::vector<const void*>& Destroyed();
};

/// Filling a device object from its node in the running system, and the
/// detail step of the second pass that adds its driver file list.
#pragma once

#include "cfgmgr/cm_api.h"
#include "devtree/cm_device.h"

/// Fills the device for node dnDevInst through the binding, in a fixed order
/// of sources: neighbours, instance ID, properties, hardware, driver and
/// class keys, service, status, configurations, PCI address. A value that
/// cannot be read leaves its field as it was. FALSE when the instance ID
/// cannot be read, which ends the collection after the neighbours.
BOOL CollectDevice(CCmDevice& device, DEVINST dnDevInst, CCmApi& api);

/// Gives a collected device its driver file list, once: TRUE only when this
/// call did it. Gives up (FALSE) when another thread holds the device through
/// three tries.
BOOL CollectDriverFiles(CCmDevice& device);

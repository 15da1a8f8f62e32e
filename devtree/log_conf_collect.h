/// Collecting a device's logical configurations and their resource
/// descriptors. Only descriptors whose data could be read, and only
/// configurations that got at least one, enter the snapshot.
#pragma once

#include "cfgmgr/cm_api.h"
#include "devtree/cm_device.h"
#include "devtree/cm_log_conf.h"

/// Appends the device's configurations of ulType (0 to 5), in the platform's
/// order, to device.m_apLogConf[ulType]. Always TRUE.
BOOL CollectLogConfs(CCmDevice& device, ULONG ulType);

/// Fills a configuration from its handle with its descriptors; TRUE when it
/// got at least one. The configuration handle is left for the caller to release.
BOOL FillLogConf(CCmLogConf& logConf, ULONG ulType, LOG_CONF lcLogConf, CCmApi& api);

/// Fills a descriptor from its handle with its type and data; TRUE when the
/// data was read.
BOOL FillResDes(CCmResDes& resDes, RESOURCEID resType, BOOL bRequirements, RES_DES rdResDes,
                CCmApi& api);

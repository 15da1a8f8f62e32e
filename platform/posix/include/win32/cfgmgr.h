/// The Configuration Manager: device nodes in a tree, their registry
/// properties, status, logical configurations and resource descriptors, and
/// setup-class properties, answered from the machine model's device domain.
/// Programs reach these entry points through the "CFGMGR32.DLL" library of the
/// machine (LoadLibraryA/GetProcAddress), so a machine without the library or
/// without one entry point behaves as such a system does.
#pragma once

#include "win32/base_types.h"

typedef DWORD RETURN_TYPE;
typedef RETURN_TYPE CONFIGRET;
typedef DWORD DEVNODE, DEVINST;
typedef DEVNODE *PDEVNODE, *PDEVINST;
typedef CHAR *DEVNODEID_A, *DEVINSTID_A;
typedef DWORD_PTR LOG_CONF;
typedef LOG_CONF* PLOG_CONF;
typedef DWORD_PTR RES_DES;
typedef RES_DES* PRES_DES;
typedef ULONG RESOURCEID;
typedef RESOURCEID* PRESOURCEID;
typedef ULONG PRIORITY;
typedef PRIORITY* PPRIORITY;
typedef HANDLE HMACHINE;
typedef GUID* LPGUID;
typedef CHAR* PCHAR;

// Result codes.
#define CR_SUCCESS 0x00000000
#define CR_INVALID_POINTER 0x00000003
#define CR_INVALID_FLAG 0x00000004
#define CR_INVALID_DEVNODE 0x00000005
#define CR_INVALID_DEVINST CR_INVALID_DEVNODE
#define CR_INVALID_RES_DES 0x00000006
#define CR_INVALID_LOG_CONF 0x00000007
#define CR_INVALID_RESOURCEID 0x0000000B
#define CR_NO_SUCH_DEVNODE 0x0000000D
#define CR_NO_SUCH_DEVINST CR_NO_SUCH_DEVNODE
#define CR_NO_MORE_LOG_CONF 0x0000000E
#define CR_NO_MORE_RES_DES 0x0000000F
#define CR_FAILURE 0x00000013
#define CR_BUFFER_SMALL 0x0000001A
#define CR_INVALID_DATA 0x0000001F
#define CR_NO_SUCH_VALUE 0x00000025
#define CR_CALL_NOT_IMPLEMENTED 0x00000034
#define CR_INVALID_PROPERTY 0x00000035

// Device registry properties (CM_Get_DevNode_Registry_PropertyA).
#define CM_DRP_DEVICEDESC 0x00000001
#define CM_DRP_HARDWAREID 0x00000002
#define CM_DRP_COMPATIBLEIDS 0x00000003
#define CM_DRP_SERVICE 0x00000005
#define CM_DRP_CLASS 0x00000008
#define CM_DRP_CLASSGUID 0x00000009
#define CM_DRP_DRIVER 0x0000000A
#define CM_DRP_CONFIGFLAGS 0x0000000B
#define CM_DRP_MFG 0x0000000C
#define CM_DRP_FRIENDLYNAME 0x0000000D
#define CM_DRP_LOCATION_INFORMATION 0x0000000E
#define CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME 0x0000000F
#define CM_DRP_CAPABILITIES 0x00000010
#define CM_DRP_UI_NUMBER 0x00000011
#define CM_DRP_UPPERFILTERS 0x00000012
#define CM_DRP_LOWERFILTERS 0x00000013
#define CM_DRP_BUSTYPEGUID 0x00000014
#define CM_DRP_LEGACYBUSTYPE 0x00000015
#define CM_DRP_BUSNUMBER 0x00000016
#define CM_DRP_ENUMERATOR_NAME 0x00000017
#define CM_DRP_CHARACTERISTICS 0x0000001C
#define CM_DRP_ADDRESS 0x0000001D
#define CM_DRP_MIN 0x00000001
#define CM_DRP_MAX 0x00000025

// Setup-class registry properties (CM_Get_Class_Registry_PropertyA).
#define CM_CRP_CHARACTERISTICS 0x0000001C
#define CM_CRP_MIN 0x00000001
#define CM_CRP_MAX 0x00000025

#define CM_LOCATE_DEVNODE_NORMAL 0x00000000
#define MAX_DEVICE_ID_LEN 200

// Device node status flags (CM_Get_DevNode_Status).
#define DN_DRIVER_LOADED 0x00000002
#define DN_STARTED 0x00000008
#define DN_HAS_PROBLEM 0x00000400

// Device node problem numbers.
#define CM_PROB_FAILED_INSTALL 0x0000001C  // the drivers for this device are not installed

// Logical configuration types.
#define BASIC_LOG_CONF 0x00000000
#define FILTERED_LOG_CONF 0x00000001
#define ALLOC_LOG_CONF 0x00000002
#define BOOT_LOG_CONF 0x00000003
#define FORCED_LOG_CONF 0x00000004
#define OVERRIDE_LOG_CONF 0x00000005
#define NUM_LOG_CONF 0x00000006
#define LOG_CONF_BITS 0x00000007

// Configuration priorities.
#define LCPRI_FORCECONFIG 0x00000000
#define LCPRI_BOOTCONFIG 0x00000001
#define LCPRI_NORMAL 0x00003000
#define LCPRI_LASTSOFTCONFIG 0x00007FFF

// Resource types.
#define ResType_All 0x00000000
#define ResType_None 0x00000000
#define ResType_Mem 0x00000001
#define ResType_IO 0x00000002
#define ResType_DMA 0x00000003
#define ResType_IRQ 0x00000004
#define ResType_BusNumber 0x00000006
#define ResType_MemLarge 0x00000007
#define ResType_ClassSpecific 0x0000FFFF
#define ResType_DevicePrivate 0x00008001

/// The version word of the Configuration Manager.
WORD CM_Get_Version(void);
/// The Configuration Manager's global state flags; ulFlags must be 0.
CONFIGRET CM_Get_Global_State(PULONG pulState, ULONG ulFlags);
/// The device node of `pDeviceID` (any letter case), or the root node when it
/// is null or empty. *pdnDevInst is 0 when there is none (CR_NO_SUCH_DEVNODE).
CONFIGRET CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags);

/// Neighbours in the tree. *pdnDevInst is 0 and the result CR_NO_SUCH_DEVNODE
/// when the node has no such neighbour.
CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);

/// A registry property of a node: its type in *pulRegDataType and its bytes
/// exactly as stored. *pulLength is the buffer size on entry and the value's
/// size on return; a value larger than the buffer gives CR_BUFFER_SMALL and
/// writes nothing. CR_NO_SUCH_VALUE when the node lacks the property.
CONFIGRET CM_Get_DevNode_Registry_PropertyA(DEVINST dnDevInst, ULONG ulProperty,
                                            PULONG pulRegDataType, PVOID Buffer,
                                            PULONG pulLength, ULONG ulFlags);

/// The device instance ID with its NUL. An ID that does not fit with its NUL
/// is copied as far as it fits and gives CR_BUFFER_SMALL.
CONFIGRET CM_Get_Device_IDA(DEVINST dnDevInst, PCHAR Buffer, ULONG BufferLen, ULONG ulFlags);

/// The node's status flags and problem number.
CONFIGRET CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                ULONG ulFlags);

/// The first configuration of type `ulFlags` (BASIC_LOG_CONF ... OVERRIDE_LOG_CONF)
/// of a node, and the next of the same type after a configuration. Each
/// returned handle is released once with CM_Free_Log_Conf_Handle.
CONFIGRET CM_Get_First_Log_Conf(PLOG_CONF plcLogConf, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Next_Log_Conf(PLOG_CONF plcLogConf, LOG_CONF lcLogConf, ULONG ulFlags);
CONFIGRET CM_Free_Log_Conf_Handle(LOG_CONF lcLogConf);
CONFIGRET CM_Get_Log_Conf_Priority(LOG_CONF lcLogConf, PPRIORITY pPriority, ULONG ulFlags);

/// The first resource descriptor of a configuration (rdResDes is a
/// configuration handle) or the next one after a descriptor, of type
/// `ForResource` (ResType_All: any), with its type in *pResourceID. Each
/// returned handle is released once with CM_Free_Res_Des_Handle. As on the
/// platform, configuration and descriptor handles share one form: handing a
/// configuration handle to CM_Free_Res_Des_Handle releases the configuration.
CONFIGRET CM_Get_Next_Res_Des(PRES_DES prdResDes, RES_DES rdResDes, RESOURCEID ForResource,
                              PRESOURCEID pResourceID, ULONG ulFlags);
CONFIGRET CM_Free_Res_Des_Handle(RES_DES rdResDes);
CONFIGRET CM_Get_Res_Des_Data_Size(PULONG pulSize, RES_DES rdResDes, ULONG ulFlags);
/// The descriptor's data; CR_BUFFER_SMALL (nothing written) when it does not fit.
CONFIGRET CM_Get_Res_Des_Data(RES_DES rdResDes, PVOID Buffer, ULONG BufferLen, ULONG ulFlags);

/// A property of a setup class; only CM_CRP_CHARACTERISTICS is known (REG_DWORD).
/// Buffer and length behave as in CM_Get_DevNode_Registry_PropertyA.
CONFIGRET CM_Get_Class_Registry_PropertyA(LPGUID ClassGuid, ULONG ulProperty,
                                          PULONG pulRegDataType, PVOID Buffer,
                                          PULONG pulLength, ULONG ulFlags, HMACHINE hMachine);
/// The name of a setup class with its NUL; *pulLength is the buffer size in
/// characters on entry and the size needed on return.
CONFIGRET CM_Get_Class_NameA(LPGUID ClassGuid, PCHAR Buffer, PULONG pulLength, ULONG ulFlags);

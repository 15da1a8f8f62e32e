/// The Win32 types, constants and operations that the program uses, declared
/// for Linux and implemented over the machine model (platform/machine). Logic
/// code includes this header; on Windows the same name gives <windows.h>.
#pragma once

#include "win32/base_types.h"
#include "win32/cfgmgr.h"
#include "win32/crt.h"
#include "win32/eventlog.h"
#include "win32/files.h"
#include "win32/kernel.h"
#include "win32/library.h"
#include "win32/messages.h"
#include "win32/program_module.h"
#include "win32/registry.h"
#include "win32/security.h"
#include "win32/services.h"
#include "win32/setupapi.h"
#include "win32/storage.h"
#include "win32/strings.h"
#include "win32/sysinfo.h"
#include "win32/system.h"
#include "win32/user_interface.h"
#include "win32/version.h"

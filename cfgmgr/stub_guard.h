/// Calling an entry point that may be only an unimplemented stub. Some
/// platforms export entry points that raise an exception instead of doing
/// their work (Wine does so for part of the Configuration Manager); such an
/// entry point must count as missing, not end the process.
#pragma once

/// Runs `pfnCall(pContext)`, which calls one entry point. False when the entry
/// point turned out to be an unimplemented stub: the call was abandoned and
/// wrote nothing the caller can rely on.
bool CallEntryPoint(void (*pfnCall)(void*), void* pContext);

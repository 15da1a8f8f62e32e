/// Process-wide objects of the application, made at start-up before any
/// collection runs and only read afterwards.
#pragma once

class CCmApi;
class CReport;

/// The binding of the device-configuration libraries; null until start-up made it.
extern CCmApi* g_pCmApi;
/// The report container the collection fills and the writer writes; null
/// until start-up made it.
extern CReport* g_pReport;

#include "app/globals.h"

CCmApi* g_pCmApi = nullptr;
CReport* g_pReport = nullptr;

/// The collection run: the six stages that fill the report container, run
/// once on the progress window's worker thread.
#pragma once

#include "app/progress_sink.h"
#include "win32_api.h"

/// Runs the stages that `dwOptions` does not skip over the members of
/// g_pReport, announcing each to pSink (which may be null). Always 1.
DWORD RunCollection(DWORD dwOptions, IProgressSink* pSink);

/// The worker thread's routine; the parameter is the progress window. Runs
/// the collection with g_dwOptions and posts WM_COMMAND IDOK (IDCANCEL for a
/// zero result) to the window.
DWORD WINAPI CollectThreadProc(LPVOID pParam);

/// The device tree's progress callback: passes code and value on to the
/// IProgressSink given as user value, and returns its answer.
BOOL ForwardProgress(LONG nCode, ULONG_PTR value, void* pParam);

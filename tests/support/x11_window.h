#pragma once
#include <sys/types.h>

// Waits up to timeoutSeconds for a top-level window of process `pid` to be
// mapped, then sends it a WM_DELETE_WINDOW close request, as a window
// manager's close button does. Returns whether the request was sent.
bool SendCloseRequest(pid_t pid, double timeoutSeconds = 10.0);

#pragma once
// Host-wide state shared between the frame loop and the rest of the system.
#include <mutex>

// The only lock of the system; guards musicEnded, the only datum the audio
// thread shares with the main thread. It exists before any script code runs,
// so an end notification during start-up is safe.
extern std::mutex hostMutex;
extern bool musicEnded;

// Set by ShowProfiling; read by the frame loop.
extern bool showProfiling;

// Called on the audio thread when a stream reaches its end.
void NotifyMusicEnded();

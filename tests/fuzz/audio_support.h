#pragma once
// The audio targets' device: SDL's disk driver writing to /dev/null with no
// delay, so the device thread decodes as fast as it can instead of in real
// time (the dummy driver would pace every input to its playing time).
#include <cstdio>
#include <cstdlib>

#include "audio/mixer.h"

inline void OpenFastAudioDevice() {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  if (!AudioInit(-1, 44100)) {
    std::fprintf(stderr, "audio fuzz target: no audio device (error %d)\n", AudioErrorGetCode());
    std::exit(1);
  }
}

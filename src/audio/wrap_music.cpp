#include "audio/wrap_music.h"

#include "audio/music.h"
#include "host/script_args.h"
#include "profiler/profile_manager.h"

int w_PlayMusic(lua_State* L) {
  ScriptArgs args(L, 1);
  MusicTags tags;
  const bool tagged = PlayMusicFile(args.cstring(1), &tags);
  args.drop();
  if (!tagged) return 0;
  lua_pushlstring(L, tags.artist.data(), tags.artist.size());
  lua_pushlstring(L, tags.title.data(), tags.title.size());
  return 2;
}

int w_GetSpectrum(lua_State* L) {
  PROFILE_ZONE(analyzeZone, "SpectrumAnalyze");
  ZoneGuard guard(analyzeZone);
  const float* spectrum = RequestMusicSpectrum();
  lua_createtable(L, kSpectrumBins, 0);
  for (int i = 0; i < kSpectrumBins; ++i) {
    lua_pushnumber(L, spectrum[i]);
    lua_rawseti(L, -2, i + 1);
  }
  return 1;
}

int w_SetVolume(lua_State* L) {
  ScriptArgs args(L, 1);
  const float volume = static_cast<float>(args.number(1));
  args.drop();
  SetMusicVolume(volume);
  return 0;
}

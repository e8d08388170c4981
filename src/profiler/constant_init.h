#pragma once
// Marks a static object that must be constant-initialised: the compiler rejects
// it if it would need a dynamic initialiser, whose order could come too late.
#if defined(__clang__)
#define PROFILE_CONSTINIT [[clang::require_constant_initialization]]
#else
#define PROFILE_CONSTINIT __constinit
#endif

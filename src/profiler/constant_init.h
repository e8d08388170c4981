#pragma once
// Marks a static object that must be constant-initialised: the compiler rejects
// it if it would need a dynamic initialiser, whose order could come too late.
// clang takes the GNU spelling after "static" too, where [[...]] would name the type.
#if defined(__clang__)
#define PROFILE_CONSTINIT __attribute__((require_constant_initialization))
#else
#define PROFILE_CONSTINIT __constinit
#endif

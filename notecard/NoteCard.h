#pragma once

#if defined(VEXLO_NOTECARD_BUILD)
#define NOTECARD_API extern "C" __attribute__((visibility("default")))
#else
#define NOTECARD_API extern "C"
#endif

// A colour-matching library that lacks SDKCMGetProfileHeader: the
// printer-control library must refuse to bind it.
#include <stdint.h>

#include "platform/export.h"

#define STUB_EXPORT TZ_EXPORT

STUB_EXPORT int SDKCMCreatLUT(void) { return -1; }
STUB_EXPORT int SDKCMMatchPixelMap(uint32_t, const void*, void*) { return -1; }
STUB_EXPORT int SDKCMMatchPlaneMap(void) { return -1; }
STUB_EXPORT int SDKCMConvertColorWorldToIPB(void) { return -1; }
STUB_EXPORT int SDKCMOpenProfile(const char*, uint32_t*) { return -1; }
STUB_EXPORT int SDKCMCloseProfile(uint32_t*) { return -1; }
STUB_EXPORT uint32_t SDKCMCreateColorWorld(int, const uint32_t*, int, const uint32_t*, const uint8_t*) { return 0; }
STUB_EXPORT int SDKCMDisposeColorWorld(uint32_t) { return -1; }
STUB_EXPORT int SDKCMGetNumsOfInPixComp(uint32_t) { return 0; }
STUB_EXPORT int SDKCMGetNumsOfOutPixComp(uint32_t) { return 0; }
STUB_EXPORT int SDKCMGetPartialProfileElement(void) { return -1; }

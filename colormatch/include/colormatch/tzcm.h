/* The colour-matching library: opens ICC profiles, builds colour worlds
 * (a source profile, a destination profile, a rendering intent and five
 * 256-entry byte curves) and matches 8-bit interleaved pixel blocks through
 * them. Built on LittleCMS 2.
 *
 * Profile references and colour-world handles are small non-zero numbers
 * drawn from one counter, so a profile reference is never a valid world and
 * the other way round. Every entry point may be called from any thread.
 *
 * Curve block handed to SDKCMCreateColorWorld (5 x 256 bytes, may be null
 * for five identity curves):
 *   block 0     applied to every input channel before the ICC transform,
 *   blocks 1..3 applied to output channels 0..2 after it,
 *   block 4     applied to every output channel last. */
#ifndef TZ5170_COLORMATCH_TZCM_H
#define TZ5170_COLORMATCH_TZCM_H

#include <stdint.h>

#ifdef __cplusplus
#define TZCM_NOEXCEPT noexcept
extern "C" {
#else
#define TZCM_NOEXCEPT
#endif

typedef struct {
    int32_t width;         /* pixels per row, > 0 */
    int32_t lines;         /* rows, > 0 */
    int32_t components;    /* bytes per pixel; must match the world */
    int32_t bytes_per_row; /* >= width * components */
    void   *data;
} tzcm_pixmap;

/* Result values of the int entry points (0 = success). */
#define TZCM_OK               0
#define TZCM_E_ARGUMENT       1  /* null pointer, bad geometry, bad intent */
#define TZCM_E_UNKNOWN_HANDLE 2  /* profile reference or world handle not open */
#define TZCM_E_FILE           3  /* profile file missing, unreadable or too large */
#define TZCM_E_PROFILE        4  /* file is not a usable ICC profile */
#define TZCM_E_MISMATCH       5  /* pixel map does not fit the world */
#define TZCM_E_NO_MEMORY      6
#define TZCM_E_UNSUPPORTED    7  /* entry point present for completeness only */

#define TZCM_HEADER_SIZE     128
#define TZCM_CURVE_SIZE      256
#define TZCM_CURVE_COUNT     5

/* Profiles. OpenProfile leaves *profile untouched on failure. */
int SDKCMOpenProfile(const char *path, uint32_t *profile) TZCM_NOEXCEPT;
int SDKCMGetProfileHeader(const uint32_t *profile, uint8_t *header /* 128 */) TZCM_NOEXCEPT;
int SDKCMCloseProfile(uint32_t *profile) TZCM_NOEXCEPT; /* sets *profile to 0 */

/* Colour worlds. intent 0..3 (perceptual, relative colorimetric, saturation,
 * absolute colorimetric); reserved must be 0; tables is 5 x 256 bytes or
 * null. The world keeps no reference to the profiles or the tables.
 * Returns the world handle, 0 on failure. */
uint32_t SDKCMCreateColorWorld(int intent, const uint32_t *src, int reserved,
                               const uint32_t *dst, const uint8_t *tables) TZCM_NOEXCEPT;
int SDKCMDisposeColorWorld(uint32_t world) TZCM_NOEXCEPT;
int SDKCMGetNumsOfInPixComp(uint32_t world) TZCM_NOEXCEPT;  /* 0 = unknown world */
int SDKCMGetNumsOfOutPixComp(uint32_t world) TZCM_NOEXCEPT; /* 0 = unknown world */

/* Converts src into dst, 8-bit interleaved. src and dst may describe the same
 * memory (same data pointer) when dst has no more components per pixel and
 * no larger row stride than src; other overlaps are refused. */
int SDKCMMatchPixelMap(uint32_t world, const tzcm_pixmap *src, tzcm_pixmap *dst) TZCM_NOEXCEPT;

/* Present for callers that resolve them; each returns TZCM_E_UNSUPPORTED. */
int SDKCMCreatLUT(void) TZCM_NOEXCEPT;
int SDKCMMatchPlaneMap(void) TZCM_NOEXCEPT;
int SDKCMConvertColorWorldToIPB(void) TZCM_NOEXCEPT;
int SDKCMGetPartialProfileElement(void) TZCM_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif

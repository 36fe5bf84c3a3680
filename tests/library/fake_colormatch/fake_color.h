// A colour-matching library for tests. A profile's colour space is the start
// of its file name: "rgb..." is RGB, "cmyk..." is CMYK; "missing..." does not
// open, and "noworld..." opens as RGB but no colour world is made from it.
// Every call is logged. A world "matches" a byte x of channel c as
// block[1 + c][255 - x], with the table block it was made with. Besides the
// SDKCM entry points it exports the FakeColor_ functions below to the test.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Forgets the log and every profile and world.
void FakeColor_Reset(void);
// The calls since the reset, one line each: "open NAME", "header P",
// "close P", "create INTENT P P", "dispose W", "match W WIDTH LINES".
const char* FakeColor_Log(void);
// The 1280-byte table block of the last world made (zeros before any).
const uint8_t* FakeColor_TableBlock(void);

#ifdef __cplusplus
}
#endif

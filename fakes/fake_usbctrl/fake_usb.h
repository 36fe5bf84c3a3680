// A USB control library for tests: each printer is a message socket pair
// whose far end the test holds, so that it sees every byte the library sends
// and scripts every answer. Besides the SDKUsb_ entry points it exports the
// FakeUsb_ functions below to the test.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Forgets all printers (closing what is still open).
void FakeUsb_Reset(void);
// Adds a printer; its device number is its position among the attached ones.
// Returns its printer number for the calls below.
int FakeUsb_AddPrinter(const char* serial /* 8 */, uint16_t vendor_id, uint16_t product_id);
// The printer's end of its connection (reads what the host wrote, writes answers).
int FakeUsb_PrinterSocket(int printer);
// The printer leaves the bus: its connection ends, it is no longer listed.
void FakeUsb_Unplug(int printer);
// How many times SDKUsb_ClosePipe was called with this handle.
int FakeUsb_ClosePipeCalls(intptr_t pipe);
// Pipe handles handed out for a printer (-1 when none yet).
intptr_t FakeUsb_WritePipe(int printer);
intptr_t FakeUsb_ReadPipe(int printer);
// How many devices are open now.
int FakeUsb_OpenDevices(void);

#ifdef __cplusplus
}
#endif

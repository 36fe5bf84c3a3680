/* The USB control library: finds the printers, opens them and hands out one
 * pipe handle per direction. A pipe handle is a file descriptor: pipe 0
 * writes to the printer, pipe 1 reads from it, one read returns one whole
 * transfer. */
#ifndef TZ5170_SDKUSB_H
#define TZ5170_SDKUSB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int      SDKUsb_Open(uint16_t device_number);                  /* handle 0..127, or -1 */
int      SDKUsb_OpenEx(uint16_t device_number, uint32_t flags);
int      SDKUsb_Close(int device_handle);                      /* 1 = ok */
int      SDKUsb_GetDeviceHandle(uint16_t device_number);       /* handle if open here, else -1 */
int      SDKUsb_GetDeviceName(int device_handle, char *name /* 260 */);              /* 1 = ok */
int      SDKUsb_GetDeviceIDString(int device_handle, uint8_t *buffer /* 260 */, uint32_t *size); /* 1 = ok */
intptr_t SDKUsb_GetPipeHandle(int device_handle, int reserved, uint8_t pipe_number, int reserved2); /* -1 = none */
int      SDKUsb_ClosePipe(intptr_t pipe);                      /* 1 = ok */
int      SDKUsb_AbortPipe(intptr_t pipe);
int      SDKUsb_ResetPipe(intptr_t pipe);
int      SDKUsb_CheckDeviceName(uint16_t device_number);       /* handle if already open here, else -1 */
int      SDKUsb_CheckDevice(int device_handle);                /* non-zero while attached */
int      SDKUsb_ResetDevice(int device_handle);

#ifdef __cplusplus
}
#endif

#endif

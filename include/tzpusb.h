/* TARVO 5170 printer-control library (libTZ5170upgrade.so).
 *
 * Every calling thread works on its own context: open the library from the
 * thread (tzpusb_open), select a printer, use it, close. Most calls return
 * 1 for success and 0 for failure and store a result code (TZP_*) through
 * their last argument, which may be NULL unless noted. Codes 2600..2605 are
 * all communication failures. Usable from C and C++. */
#ifndef TZPUSB_H
#define TZPUSB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
enum {
    TZP_OK = 0,                     /* success; printer ready */
    TZP_NO_MEMORY = 1000,           /* memory cannot be allocated */
    TZP_NO_USB_LIBRARY = 1002,      /* libTZ5170UsbCtrl.so missing or incomplete */
    TZP_NO_COLOR_LIBRARY = 1003,    /* libTZ5170ColorMatch.so missing or incomplete */
    TZP_NO_PRINTER = 1004,          /* no printer could be opened at the first enumeration */
    TZP_FILE_ERROR = 1005,          /* a file or colour profile cannot be read */
    TZP_BAD_PARAMETER = 1006,       /* a parameter is out of range or was rejected */
    TZP_NOT_FOUND = 1008,           /* no printer with that index or serial */
    TZP_PRINTER_IN_USE = 1500,      /* another thread or process holds the printer */
    TZP_NO_CONTEXT = 1501,          /* the calling thread has not opened the library */
    TZP_THREADS_ATTACHED = 1502,    /* release refused: a thread is still attached */
    TZP_NOT_RECOGNISED = 2000,      /* no printer selected, or it is gone */
    TZP_BUSY = 2100,                /* job buffer full */
    TZP_MAIN_INITIALISING = 2101,
    TZP_RIBBON_INITIALISING = 2102,
    TZP_LOADING_PAPER = 2103,
    TZP_THERMAL_PROTECTION = 2104,
    TZP_PANEL_IN_USE = 2105,
    TZP_SELF_DIAGNOSIS = 2106,
    TZP_DOWNLOADING = 2107,
    TZP_STATE_LETTER_A = 2200,      /* 2200..2212: state letters a..m (2200 + letter - 'a') */
    TZP_STATE_RIBBON_TAKE_UP = 2202, /* letter c: the ink ribbon is being taken up */
    TZP_STATE_PANEL_OPERATED = 2204, /* letter e: the operation panel is in use */
    TZP_STATE_POWER_ON = 2205,      /* letter f: initialising after power-on */
    TZP_STATE_LETTER_M = 2212,      /* the last state letter, m */
    TZP_NO_STATE_LETTER = 2300,
    TZP_NO_PAPER_INFO = 2301,
    TZP_NO_PAPER = 2305,
    TZP_NO_RIBBON = 2306,
    TZP_COVER_OPEN = 2309,
    TZP_GROUP6_ERROR = 2400,        /* 2400 + n: group 6, second detail byte n */
    TZP_NO_SECURITY_CARD = 2401,    /* group 6, second detail 1 */
    TZP_CARD_NOT_SUPPORTED = 2402,  /* group 6, second detail 2 */
    TZP_CARD_EMPTY = 2403,          /* group 6, second detail 3: no print count left on the card */
    TZP_UNDEFINED_ERROR = 2504,
    TZP_USB_ERROR = 2600,           /* 2600..2605: communication failures */
    TZP_REJECTED = 2601,            /* error answer 0x01: the printer refused the parameters */
    TZP_USB_ERROR_ANSWER_2 = 2602,  /* error answers 0x02..0x05 (0x02: command not known), */
    TZP_USB_ERROR_ANSWER_3 = 2603,  /* which this library reports as 2600 */
    TZP_USB_ERROR_ANSWER_4 = 2604,
    TZP_USB_ERROR_ANSWER_5 = 2605,
    TZP_USB_ERROR_LAST = 2605,      /* the last communication failure */
    TZP_GROUP5_ERROR = 3000,        /* 3000 + n: group 5, detail byte n */
    TZP_MOT_SYNTAX = 3001,
    TZP_MOT_CHECKSUM = 3002,
    TZP_MOT_ADDRESS = 3003,
    TZP_NO_DOWNLOAD_MODE = 3200,
    TZP_GROUP1_ERROR = 4000,        /* 4000 + n: group 1, detail byte n */
    TZP_GROUP2_ERROR = 4100,        /* 4100 + n: group 2 */
    TZP_GROUP3_ERROR = 4200,        /* 4200 + n: group 3 */
    TZP_GROUP4_ERROR = 4300,        /* 4300 + n: group 4 */
    TZP_DIAGNOSIS_RUNNING = 8000
};

/* Printer-information tags (tzpusb_getPrinterInfo / tzpusb_setPrinterInfo). */
enum {
    PINFTAG_MEDIA = 0,        /* media information (13 bytes); write: print area */
    PINFTAG_USBID = 2,        /* USB identity (54 bytes) */
    PINFTAG_ENGID = 3,        /* count byte and seven 38-byte firmware entries (267 bytes) */
    PINFTAG_STATUS = 4,       /* status payload bytes 0..27 */
    PINFTAG_ERRCODE = 7,      /* error group and detail (2 bytes) */
    PINFTAG_JOBS = 16,        /* the two job records (18 bytes) */
    PINFTAG_SETTING20 = 20,   /* write: print setting sent with each page */
    PINFTAG_SERIAL = 26,      /* serial recorded at enumeration (8 bytes); write: store a serial */
    PINFTAG_SETTING30 = 30,   /* status payload byte 64; write: print setting sent with each page */
    PINFTAG_ERRLOG = 50,      /* error log (61 bytes) */
    PINFTAG_STATUS60 = 60,    /* status payload bytes 60..63 and two zeros */
    PINFTAG_LAMINATE_STRING1 = 80, /* write: laminate string slots 1..12 are tags 80..91 */
    PINFTAG_PARAMETER_FIRST = 200, /* parameters: tags 200..217 (4 bytes) */
    PINFTAG_PARAMETER_LAST = 217,
    PINFTAG_OPERATION_BUTTON = 301, /* write: 0 or 1 */
    PINFTAG_PRINTER_SERIAL = 999    /* the serial as the printer reports it (8 bytes) */
};

int      tzpusb_MakeThread(int slot_count);
int      tzpusb_open(uint16_t *result);
void     tzpusb_close(void);
int      tzpusb_ReleaseThread(uint16_t *result);
uint16_t tzpusb_listupPrinter(uint8_t *indexes /*128*/);
uint16_t tzpusb_listupPrinterSN(char *serials /*1024*/);
uint8_t  tzpusb_selectPrinter(int index, uint16_t *result);
char    *tzpusb_selectPrinterSN(const char *serial /*8 or NULL*/, uint16_t *result);
int      tzpusb_getPrinterInfo(int tag, void *buffer, uint32_t *size);
int      tzpusb_imageformat(int format, int channels, int bits_per_channel, int width, int height,
                            int offset_x, int offset_y, uint16_t *result);
void     tzpusb_setmtf(const int32_t *kernel /*9 or NULL*/);
void     tzpusb_makeGamma(int gamma_x100, uint8_t *t1, uint8_t *t2, uint8_t *t3);
int      tzpusb_setIcctable(const char *src_profile, const char *dst_profile, int intent,
                            const uint8_t *t1, const uint8_t *t2, const uint8_t *t3,
                            const uint8_t *t4, const uint8_t *t5, const uint8_t *t6, uint16_t *result);
int      tzpusb_copies(int copies, uint16_t *result);
int      tzpusb_status(uint16_t *result);
int      tzpusb_statusAll(const uint8_t *indexes, uint16_t *codes);
int      tzpusb_startpage(uint16_t *print_id, uint16_t *result);
int      tzpusb_endpage(uint16_t *result);
int      tzpusb_WakeUpStandby(int mode, uint16_t *result);
int      tzpusb_write(const void *data, uint32_t *size, uint16_t *result);
int      tzpusb_setPrinterInfo(int tag, const void *data, const uint32_t *size, uint16_t *result);
int      tzpusb_getGamma(const char *path, uint8_t *t1, uint8_t *t2, uint8_t *t3, uint16_t *result);
int      tzpusb_getMtf(const char *path, int32_t *kernel /*9*/, uint16_t *result);
int      tzpusb_cancelCopies(int print_id, uint16_t *result);
int      tzpusb_setPrinterToneCurve(int type, int kind, const void *data /*1536*/, uint16_t *result);
int      tzpusb_getPrinterToneCurve(int type, int kind, uint16_t *values, uint16_t *result);
int      tzpusb_blinkLED(uint16_t *result);
int      tzpusb_resetPrinter(uint16_t *result);
int      tzpusb_setCutList(const void *cut_list /*73 or NULL*/, uint16_t *result);
int      tzpusb_setLaminatePattern(int kind, const void *data, uint16_t *result);
int      tzpusb_AttachThreadCount(uint16_t *attached, uint16_t *slots);
int      tzpusb_getPrintIDStatus(int print_id, void *status /*8*/, uint16_t *result);
int      tzpusb_updateFirmware(int file_type, const char *path, uint16_t *result);
int      tzpusb_resetErrHistory(uint16_t *result);
int      tzpusb_setDiagnostic(int mode, int arg1, int arg2, uint16_t *result);
int      tzpusb_getDiagnostic(void *buffer, uint32_t *size, uint16_t *result);
int      tzpusb_openDownload(int mode, uint16_t *result);
int      tzpusb_startDlMode(int kind, int restart, uint32_t length, uint16_t *result);
int      tzpusb_endDlMode(uint16_t *result);
int      tzpusb_continue(const void *image, uint32_t *length, uint16_t *result);
void    *tzpusb_newMotFile(const char *path, uint32_t *size, uint32_t *sum,
                           uint32_t *start, uint32_t *end, uint16_t *result);
void     tzpusb_disposMotFile(void *image);
int      tzpusb_setParameter(int number, int32_t value, uint16_t *result);
int      tzpusb_getParameter(int number, void *buffer /*4*/, uint16_t *result);
int      tzpusb_SendCommand(const void *command, uint32_t length, void *answer /*>=512*/,
                            uint32_t *answer_length, uint16_t *result);
int      tzpusb_SendRawData(const void *data, const uint32_t *length, uint16_t *result);
int      tzpusb_command_diagnostic(int mode, int arg1, int arg2, void *buffer, uint16_t *result);
int      tzpusb_GetModelName(uint16_t *result);
int      tzpusb_universal_command(const void *payload, int length, void *answer /*>=255*/,
                                  uint8_t *answer_length, uint16_t *result);
int      tzpusb_update_laminate(int target, const char *path, uint16_t *result);
int      tzpusb_undefine_command(uint16_t *result);

#ifdef __cplusplus
}
#endif

#endif /* TZPUSB_H */

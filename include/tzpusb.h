/**
 * @mainpage The TARVO 5170 printer-control library
 *
 * libTZ5170upgrade.so and its header tzpusb.h: 51 functions, their result codes and the
 * printer-information tags. Plain C, usable from C and C++. The same reference is in the man
 * page tzpusb(3).
 *
 * The functions are grouped as the library is: @ref api_library, @ref api_discovery,
 * @ref api_status, @ref api_info, @ref api_job, @ref api_image,
 * @ref api_correction, @ref api_maintenance and @ref api_download. The codes they
 * report are listed under @ref api_codes, the tags under @ref api_tags.
 *
 * @par Threads and contexts
 * Every thread that calls the library works on a context of its own, which holds the printer
 * that thread has selected, its print job and its download. A thread gets its context by
 * calling tzpusb_open() (or tzpusb_openDownload()) itself, and gives it back with
 * tzpusb_close(). There is one context slot to begin with: call tzpusb_MakeThread() first
 * when several threads (at most 100) will use the library at once. tzpusb_selectPrinter() and
 * tzpusb_selectPrinterSN() also give the calling thread a free slot. A thread that ends
 * without tzpusb_close() gives its slot back all the same.
 * A call from a thread that has no context fails with #TZP_NO_CONTEXT (1501): the function
 * stores 1501 through its result pointer and returns 0 (NULL when it returns a pointer, 255
 * for tzpusb_selectPrinter()). The few functions that behave otherwise say so.
 *
 * @par Return values and result codes
 * Unless its comment says otherwise, a function returns 1 for success and 0 for failure and
 * stores a result code (#TZP_OK, 0, for success) through its last argument, @p result. Every
 * @p result may be NULL: the function then works the same and stores no code.
 *
 * @par The printer lock
 * Several threads and processes may share one printer. Each printer has one lock, shared by
 * every process, that lets one operation at a time talk to it. A function that
 * <b>holds the printer</b> waits for that lock at most 500 ms and then keeps it until it
 * returns (tzpusb_startpage() keeps it until tzpusb_endpage()). It fails, before sending
 * anything, with #TZP_PRINTER_IN_USE (1500) when another thread or process holds the printer
 * beyond those 500 ms (and once after a holder ended without giving it back), with
 * #TZP_NOT_RECOGNISED (2000) when the context has no printer selected or the printer is gone,
 * and with #TZP_UNDEFINED_ERROR (2504) when the wait fails otherwise. The lock is re-entrant:
 * the thread that holds it may call other functions on the same printer, as the writes of an
 * open page do. A function that <b>does not hold the printer</b> talks to it without the
 * lock: keep other threads and processes off that printer while it runs. Functions that
 * talk to no printer say so.
 *
 * @par Time limits
 * Each transfer to or from the printer gives up after 60 s (the environment variable
 * TZ5170_IO_TIMEOUT_MS sets another limit, 1 to 600000 ms); a transfer that gives up is a
 * communication failure. The command after it first waits up to 1 s for the late answer and
 * throws it away.
 *
 * @par Communication failures
 * Codes 2600 to 2605 (#TZP_USB_ERROR to #TZP_USB_ERROR_LAST) are all communication
 * failures: treat them alike. The library reports a failed or timed-out transfer, a damaged
 * or missing answer and an error answer with error byte 0x02 to 0x05 as #TZP_USB_ERROR. It
 * reports the printer's refusal of a command's parameters (error byte 0x01) as
 * #TZP_REJECTED, as #TZP_BAD_PARAMETER or as #TZP_USB_ERROR; each function says which.
 *
 * @par The printer's state in a code
 * A function that reads an answer of the printer fails with the state the printer reports in
 * it: busy (#TZP_BUSY), initialising or occupied (2101 to 2107), no paper (#TZP_NO_PAPER), no
 * ink ribbon (#TZP_NO_RIBBON), cover open (#TZP_COVER_OPEN), a printer error of group 1 to 6
 * (#TZP_GROUP1_ERROR + n to #TZP_GROUP4_ERROR + n, #TZP_GROUP5_ERROR + n,
 * #TZP_GROUP6_ERROR + n) or #TZP_UNDEFINED_ERROR for a state the library does not know.
 * "Printer states" in a list of codes below stands for all of these.
 */

/**
 * @file tzpusb.h
 * @brief The TARVO 5170 printer-control library (libTZ5170upgrade.so): functions, result codes,
 * printer-information tags.
 */
#ifndef TZPUSB_H
#define TZPUSB_H

#include <stdint.h>

/**
 * @brief The calling convention of every function of the library.
 *
 * On Windows the functions use the stdcall convention (the called function removes its
 * arguments), as TZ5170upgrade.dll exports them, undecorated, on x86 and x64 alike; elsewhere
 * the macro is empty. Use it for function pointers to the library's functions, for example
 * `int (TZPUSB_API *open)(uint16_t *result)`.
 */
#if defined(_WIN32)
#define TZPUSB_API __stdcall
#else
#define TZPUSB_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup api_codes Result codes
 * @brief The codes the functions store through their result pointers.
 *
 * 0 is success. Codes 2101 to 2107, 2200 to 2212, 2305 to 2309 and those of the printer-error
 * groups are the printer's state as it reports it. A printer error carries a group and a
 * detail byte n (1 to 255), which the library adds to its group's base; the printer defines
 * what the details mean, and the ranges of large details run into each other (4000 + 150 is
 * 4100 + 50), so read the group and detail with #PINFTAG_ERRCODE when it matters.
 * @{
 */

/** Result codes. Values never change; names may be added. */
enum {
    TZP_OK = 0,                      /**< Success; the printer is ready. */
    TZP_NO_MEMORY = 1000,            /**< Memory cannot be allocated, or a file is too large to be held in memory. */
    TZP_NO_USB_LIBRARY = 1002,       /**< libTZ5170UsbCtrl.so cannot be loaded or lacks an entry point. */
    TZP_NO_COLOR_LIBRARY = 1003,     /**< libTZ5170ColorMatch.so cannot be loaded or lacks an entry point. */
    TZP_NO_PRINTER = 1004,           /**< No printer could be opened when the library was first opened. */
    TZP_FILE_ERROR = 1005,           /**< A file or colour profile cannot be opened or read, or is not what it must be. */
    TZP_BAD_PARAMETER = 1006,        /**< An argument is out of range, a pointer that is needed is NULL, or the printer refused the parameters. */
    TZP_NOT_FOUND = 1008,            /**< No printer with that index or serial. */
    TZP_PRINTER_IN_USE = 1500,       /**< Another thread or process held the printer for more than 500 ms, or ended holding it. */
    TZP_NO_CONTEXT = 1501,           /**< The calling thread has no context: it has not opened the library, or no slot was free. */
    TZP_THREADS_ATTACHED = 1502,     /**< Release refused: a thread still has a context. */
    TZP_NOT_RECOGNISED = 2000,       /**< No printer selected, the selected printer is gone, or it is not the supported model. */
    TZP_BUSY = 2100,                 /**< Busy: the printer holds two jobs (its job buffer is full). */
    TZP_MAIN_INITIALISING = 2101,    /**< The main processor is initialising (state '1'). */
    TZP_RIBBON_INITIALISING = 2102,  /**< The ink ribbon is being initialised (state '2'). */
    TZP_LOADING_PAPER = 2103,        /**< Paper is being loaded (state '3'). */
    TZP_THERMAL_PROTECTION = 2104,   /**< Thermal protection is active (state '4'). */
    TZP_PANEL_IN_USE = 2105,         /**< The operation panel is in use (state '5'). */
    TZP_SELF_DIAGNOSIS = 2106,       /**< Self-diagnosis is running (state '6'). */
    TZP_DOWNLOADING = 2107,          /**< A firmware download or rewrite is running (state '7'). */
    TZP_STATE_LETTER_A = 2200,       /**< State letter a. Letters a to m are 2200 to 2212 (2200 + letter - 'a'), reported beside a successful answer. */
    TZP_STATE_RIBBON_TAKE_UP = 2202, /**< State letter c: the ink ribbon is being taken up. */
    TZP_STATE_PANEL_OPERATED = 2204, /**< State letter e: the operation panel is in use. */
    TZP_STATE_POWER_ON = 2205,       /**< State letter f: initialising after power-on. */
    TZP_STATE_LETTER_M = 2212,       /**< State letter m, the last; tzpusb_getPrintIDStatus() also reports it for a finished job. */
    TZP_NO_STATE_LETTER = 2300,      /**< The printer answered without a state letter; for a job: not in the printer. */
    TZP_NO_PAPER_INFO = 2301,        /**< The media cannot be read, or the print area does not suit it. */
    TZP_NO_PAPER = 2305,             /**< No paper (group 6, detail 6, 7 or 8). */
    TZP_NO_RIBBON = 2306,            /**< No ink ribbon (group 6, detail 3 or 5). */
    TZP_COVER_OPEN = 2309,           /**< The cover is open (group 6, detail 1 or 2). */
    TZP_GROUP6_ERROR = 2400,         /**< Base of printer errors of group 6: 2400 + the second detail byte n (1 to 255). */
    TZP_NO_SECURITY_CARD = 2401,     /**< Group 6, second detail 1: no security card. */
    TZP_CARD_NOT_SUPPORTED = 2402,   /**< Group 6, second detail 2: the card is not supported. */
    TZP_CARD_EMPTY = 2403,           /**< Group 6, second detail 3: no print count left on the card. */
    TZP_UNDEFINED_ERROR = 2504,      /**< A state or answer the library does not know, or an unexpected failure inside the library. */
    TZP_USB_ERROR = 2600,            /**< Communication failure: a transfer failed or timed out, an answer was damaged or missing. */
    TZP_REJECTED = 2601,             /**< Communication failure: the printer refused the command's parameters (error answer 0x01). */
    TZP_USB_ERROR_2 = 2602,          /**< A further communication failure; the library never stores it, callers treat it as #TZP_USB_ERROR. */
    TZP_USB_ERROR_3 = 2603,          /**< As #TZP_USB_ERROR_2. */
    TZP_USB_ERROR_4 = 2604,          /**< As #TZP_USB_ERROR_2. */
    TZP_USB_ERROR_5 = 2605,          /**< As #TZP_USB_ERROR_2. */
    TZP_USB_ERROR_LAST = 2605,       /**< The last communication failure: 2600 to 2605 are all communication failures. */
    TZP_GROUP5_ERROR = 3000,         /**< Base of printer errors of group 5: 3000 + the detail byte n (1 to 255). */
    TZP_MOT_SYNTAX = 3001,           /**< MOT file: syntax error. */
    TZP_MOT_CHECKSUM = 3002,         /**< MOT file: a record's checksum is wrong. */
    TZP_MOT_ADDRESS = 3003,          /**< MOT file: a record outside the address range, or no data at all. */
    TZP_NO_DOWNLOAD_MODE = 3200,     /**< The printer did not take the download announcement. */
    TZP_GROUP1_ERROR = 4000,         /**< Base of printer errors of group 1: 4000 + the detail byte n. */
    TZP_GROUP2_ERROR = 4100,         /**< Base of printer errors of group 2: 4100 + n. */
    TZP_GROUP3_ERROR = 4200,         /**< Base of printer errors of group 3: 4200 + n. */
    TZP_GROUP4_ERROR = 4300,         /**< Base of printer errors of group 4: 4300 + n. */
    TZP_DIAGNOSIS_RUNNING = 8000     /**< The self-diagnosis result cannot be read (the diagnosis may still run). */
};

/** @} */

/**
 * @defgroup api_tags Printer-information tags
 * @brief The tags of tzpusb_getPrinterInfo() and tzpusb_setPrinterInfo().
 *
 * Sizes are those of the records tzpusb_getPrinterInfo() delivers; multi-byte values in them
 * are little-endian, as the printer sends them, and texts are not NUL-terminated. Tags 20,
 * 80 to 91 and 301 can only be written; tags 2, 3, 4, 7, 16, 50, 60 and 999 only read.
 * @{
 */

/** Printer-information tags. */
enum {
    PINFTAG_MEDIA = 0,        /**< Read: media information, 13 bytes (largest print width at bytes 4-5, height at 6-7). Write: the print area. */
    PINFTAG_USBID = 2,        /**< USB vendor and product ID and the model's name, 54 bytes. */
    PINFTAG_ENGID = 3,        /**< Firmware: a count byte (7) and seven 38-byte entries (name, type, date, version major and minor, a 16-bit value), 267 bytes. */
    PINFTAG_STATUS = 4,       /**< Status payload bytes 0 to 27, 28 bytes. */
    PINFTAG_ERRCODE = 7,      /**< Error group and detail of a printer in error, else two zeros, 2 bytes. */
    PINFTAG_JOBS = 16,        /**< The printer's two job records, 9 bytes each: job number, printer index, three 16-bit values, job state, 18 bytes. */
    PINFTAG_SETTING20 = 20,   /**< Write only: a print setting sent with each page (low byte); 2 again whenever a printer is selected by index. */
    PINFTAG_SERIAL = 26,      /**< Read: the serial found at enumeration, 8 bytes. Write: store an 8-byte serial in the printer. */
    PINFTAG_SETTING30 = 30,   /**< Read: status payload byte 64, 1 byte. Write: a print setting sent with each page (low byte). */
    PINFTAG_ERRLOG = 50,      /**< The printer's error log, 61 bytes. */
    PINFTAG_STATUS60 = 60,    /**< Status payload bytes 60 to 63 and two zeros, 6 bytes. */
    PINFTAG_LAMINATE_STRING1 = 80, /**< Write only: laminate string slot 1; slots 1 to 12 are tags 80 to 91. */
    PINFTAG_PARAMETER_FIRST = 200, /**< The first parameter tag: tags 200 to 217 read and write 18 printer parameters, 4 bytes. */
    PINFTAG_PARAMETER_LAST = 217,  /**< The last parameter tag. */
    PINFTAG_OPERATION_BUTTON = 301, /**< Write only: the operation button setting, 0 or 1. */
    PINFTAG_PRINTER_SERIAL = 999    /**< The serial as the printer reports it now, 8 bytes. */
};

/** @} */

/**
 * @defgroup api_library Library and threads
 * @brief Opening and closing the library, thread slots and their contexts.
 *
 * These functions need no context of their own, take no printer and send nothing to a printer
 * (apart from the first open of a process, which finds the printers). They take the library's
 * process-wide lock, which open and close calls of other threads also take.
 * @{
 */

/**
 * @brief Widens the context slots so that @p slot_count threads can use the library at once.
 *
 * Creates and initialises a context for every new slot (loading the outside libraries and,
 * at the first time in the process, finding the printers). Slots never shrink; call it
 * before the threads open the library. Needs no context.
 *
 * @param slot_count the number of slots, counted by its low 16 bits: at least the current
 *        count (1 to begin with), at most 100. The current count succeeds and changes nothing.
 * @return 1 on success; 0 when @p slot_count is below the current count or above 100
 *         (nothing changes), or when a new context cannot be created or initialised (the
 *         slots stay widened). There is no result code.
 */
int      TZPUSB_API tzpusb_MakeThread(int slot_count);

/**
 * @brief Opens the library for the calling thread.
 *
 * Initialises the context of every slot: loads libTZ5170UsbCtrl.so and libTZ5170ColorMatch.so
 * (from the library's own folder, or the loader's search path), and at the first open of the
 * process finds the printers and selects the first one (index 0) in every context. Then it
 * gives the calling thread a slot and starts the background monitor that notices printers
 * that go away (every 200 ms a gone printer is deselected, and its operations give
 * #TZP_NOT_RECOGNISED). Opening again finds everything in place and gives 0.
 * When an initialisation fails, all contexts are released (if no thread has one), so that a
 * later open starts afresh, the search for printers included.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_NO_MEMORY
 * - #TZP_NO_USB_LIBRARY, #TZP_NO_COLOR_LIBRARY
 * - #TZP_NO_PRINTER: no printer was found at the first open; the library cannot be opened
 *   without one.
 * - #TZP_NO_CONTEXT: no slot was free for this thread (the contexts stay open; see
 *   tzpusb_MakeThread()).
 */
int      TZPUSB_API tzpusb_open(uint16_t *result);

/**
 * @brief Opens the library for the calling thread, for firmware download.
 *
 * As tzpusb_open(), but the colour-matching library is not loaded, and the context gets the
 * state that tzpusb_newMotFile(), tzpusb_startDlMode(), tzpusb_continue() and
 * tzpusb_endDlMode() need. A context opened both ways can do both.
 *
 * @param mode taken and not used.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure: the codes of tzpusb_open() but #TZP_NO_COLOR_LIBRARY.
 */
int      TZPUSB_API tzpusb_openDownload(int mode, uint16_t *result);

/**
 * @brief Closes the library for the calling thread: gives its slot back.
 *
 * When no thread has a slot any more, it also stops the monitor (waiting for it at most
 * 60 s) and releases every context: a page still open is given up, the printers are closed
 * and the two outside libraries unloaded. The next tzpusb_open() then starts afresh.
 */
void     TZPUSB_API tzpusb_close(void);

/**
 * @brief Releases every context, when no thread has a slot.
 *
 * Does what the last tzpusb_close() does, except stopping the monitor (which then idles).
 * It waits 50 ms first. Needs no context.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 with #TZP_OK when everything was released; 0 with #TZP_THREADS_ATTACHED when a
 *         thread still has a slot (nothing changes).
 */
int      TZPUSB_API tzpusb_ReleaseThread(uint16_t *result);

/**
 * @brief Counts the threads that have a slot.
 *
 * @param[out] attached the number of threads that hold a slot; may be NULL.
 * @param[out] slots the number of slots (see tzpusb_MakeThread()); may be NULL.
 * @return 1. Needs no context; there is no result code.
 */
int      TZPUSB_API tzpusb_AttachThreadCount(uint16_t *attached, uint16_t *slots);

/** @} */

/**
 * @defgroup api_discovery Discovery and selection
 * @brief Finding the printers and choosing the one a context talks to.
 *
 * A printer is known by its index (0 to 127, its place in the library's table of printers,
 * the same for every thread of the process) and by its 8-character serial. Each context has
 * one selected printer, which every other function works on. These functions take the
 * library's lock but not the printer lock.
 * @{
 */

/**
 * @brief Finds the printers again and lists their indexes.
 *
 * Looks through the devices of the USB control library (with the context of slot 0, whichever
 * thread calls), opens the supported printers that are new and lists every printer found.
 * Printers that have gone leave the table first. A printer another process holds is listed
 * too, after a wait of up to 500 ms for a newly opened one. Selections are kept; the context of
 * slot 0 selects its printer again, which sets its #PINFTAG_SETTING20 back to 2. Needs no
 * context of its own, but the library must be open.
 *
 * @param[out] indexes 128 bytes: the printers' indexes in the order found, then 0xFF. NULL:
 *        nothing is done.
 * @return the number of printers listed; 0 when @p indexes is NULL, the library is not open or
 *         no printer was found. There is no result code.
 */
uint16_t TZPUSB_API tzpusb_listupPrinter(uint8_t *indexes /*128*/);

/**
 * @brief Finds the printers again and lists their serials.
 *
 * As tzpusb_listupPrinter(), listing serials instead of indexes.
 *
 * @param[out] serials 1024 bytes: 8 characters per printer found (not NUL-terminated), in the
 *        order found, then 0xFF bytes. NULL: nothing is done.
 * @return the number of serials listed; 0 when @p serials is NULL, the library is not open, no
 *         printer was found or 128 were found. There is no result code.
 */
uint16_t TZPUSB_API tzpusb_listupPrinterSN(char *serials /*1024*/);

/**
 * @brief Selects a printer by its index for the calling thread's context.
 *
 * Gives the calling thread a free slot first when it has none. Selecting by index also sets
 * the print setting of #PINFTAG_SETTING20 back to 2. Nothing is sent to the printer.
 *
 * @param index the printer's index (its low 8 bits count), as tzpusb_listupPrinter() lists
 *        it; 255 confirms the current selection.
 * @param[out] result the code; may be NULL.
 * @return the index selected, or 255 when nothing was selected.
 * - #TZP_OK
 * - #TZP_NOT_FOUND: no printer with that index (or it is gone); the selection is unchanged.
 * - #TZP_NO_CONTEXT: the thread has no context and no slot is free.
 */
uint8_t  TZPUSB_API tzpusb_selectPrinter(int index, uint16_t *result);

/**
 * @brief Selects a printer by its serial for the calling thread's context.
 *
 * Gives the calling thread a free slot first when it has none. The serial is compared byte
 * for byte; it needs no terminator. Unlike tzpusb_selectPrinter() it leaves the setting of
 * #PINFTAG_SETTING20 alone. Nothing is sent to the printer.
 *
 * @param serial 8 characters; NULL keeps the selection and refreshes the serial returned.
 * @param[out] result the code; may be NULL.
 * @return the context's selected serial, 8 characters not NUL-terminated, kept in the
 *         context until its next tzpusb_selectPrinterSN() or the release of the contexts;
 *         NULL only when the thread has no context. Look at the code to know whether a
 *         printer is selected:
 * - #TZP_OK: that printer is selected (with NULL: the current printer is still there).
 * - #TZP_NOT_FOUND: no such printer; the selection and the serial returned are unchanged.
 * - #TZP_NO_CONTEXT: the thread has no context and no slot is free.
 */
char    *TZPUSB_API tzpusb_selectPrinterSN(const char *serial /*8 or NULL*/, uint16_t *result);

/** @} */

/**
 * @defgroup api_status Status and device actions
 * @brief The selected printer's state, the state of several printers, wake-up, LED, reset.
 * @{
 */

/**
 * @brief Asks the selected printer's state.
 *
 * Holds the printer for one status inquiry and its answer.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 with #TZP_OK when the printer can take a job (a state letter it reports is not
 *         passed on); 0 otherwise, with:
 * - #TZP_BUSY: it holds two jobs already.
 * - printer states (2101 to 2107, #TZP_NO_PAPER, #TZP_NO_RIBBON, #TZP_COVER_OPEN, printer
 *   errors, #TZP_UNDEFINED_ERROR).
 * - #TZP_USB_ERROR: communication failures, #TZP_REJECTED included.
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR: the printer could not be
 *   held.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_status(uint16_t *result);

/**
 * @brief Asks the state of several printers.
 *
 * For each index of the list, in order, points the context at that printer and asks its
 * state as tzpusb_status() does, holding each printer for its own inquiry. Afterwards the
 * context's selection is restored; when it had none, it stays on the last printer asked.
 * Do not call it while this thread has a page open.
 *
 * @param indexes printer indexes, ended by 0xFF, at most 128 read. NULL: nothing is done.
 * @param[out] codes one code per listed index, as tzpusb_status() stores it, or
 *        #TZP_NOT_RECOGNISED for an index with no printer. NULL: nothing is done. Without a
 *        context every listed entry gets #TZP_NO_CONTEXT.
 * @return 1 when at least one printer gave #TZP_OK, else 0 (also for an empty list). There is
 *         no result pointer.
 */
int      TZPUSB_API tzpusb_statusAll(const uint8_t *indexes, uint16_t *codes);

/**
 * @brief Wakes the selected printer from stand-by.
 *
 * Holds the printer; sends the wake-up command with @p mode and reads its acknowledgement.
 *
 * @param mode passed to the printer as one byte (its low 8 bits); the printer defines it.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - printer states; #TZP_USB_ERROR (#TZP_REJECTED included)
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_WakeUpStandby(int mode, uint16_t *result);

/**
 * @brief Flashes the selected printer's LED, to show which printer is which.
 *
 * Holds the printer; asks its state first. When it does not answer, nothing is sent; in any
 * other state (busy or in error included) the LED command is sent and acknowledged.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR: the printer did not answer the status inquiry (nothing was sent), or a
 *   communication failure (#TZP_REJECTED included).
 * - printer states of the acknowledgement.
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_blinkLED(uint16_t *result);

/**
 * @brief Resets (restarts) the selected printer.
 *
 * As tzpusb_blinkLED(), with the reset command: a busy printer is reset too.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure: the codes of tzpusb_blinkLED().
 */
int      TZPUSB_API tzpusb_resetPrinter(uint16_t *result);

/** @} */

/**
 * @defgroup api_info Printer information
 * @brief Reading and writing the selected printer's information by tag (see @ref api_tags).
 * @{
 */

/**
 * @brief Reads one record of printer information.
 *
 * Holds the printer. It first asks the printer's state: a printer that does not answer
 * fails the read; any other state (busy or in error included) lets it go on. Then it sends
 * the tag's inquiry (tags 2 and 26 send none) and delivers the record.
 * Record sizes: 0: 13, 2: 54, 3: 267, 4: 28, 7: 2, 16: 18, 26: 8, 30: 1, 50: 61, 60: 6,
 * 200 to 217: 4, 999: 8. Any other tag fails. #PINFTAG_ENGID fails while the operation
 * panel is in use.
 *
 * @param tag a #PINFTAG_MEDIA ... tag; its low 16 bits count.
 * @param[out] buffer the record, cut to the capacity when that is smaller; NULL asks for the
 *        record's size only (after the state check).
 * @param[in,out] size in: the capacity of @p buffer; out: the bytes delivered (the record size
 *        when @p buffer is NULL), 0 when the read failed. NULL: the call fails.
 * @return 1 on success, 0 on failure. There is no result pointer: after a failure @p size is
 *         0, except when the printer could not be held, the thread has no context or @p size
 *         is NULL, which leave it alone. tzpusb_status() tells why.
 */
int      TZPUSB_API tzpusb_getPrinterInfo(int tag, void *buffer, uint32_t *size);

/**
 * @brief Writes one tag: a setting of the next pages, or a value sent to the printer.
 *
 * Holds the printer for every tag, also those that send nothing (so it fails with
 * #TZP_NOT_RECOGNISED when no printer is selected). The tags:
 * - #PINFTAG_MEDIA: the print area of the next pages, needed before tzpusb_imageformat() and
 *   tzpusb_startpage(). A record of at least 10 bytes: width at bytes 1-2, height at 3-4 (host
 *   byte order); both even and within the largest print size of the loaded media, which is
 *   read from the printer. Every call first forgets the area set before.
 * - #PINFTAG_SETTING20, #PINFTAG_SETTING30: the first 16-bit value of @p data (host order),
 *   sent (low byte) with each page.
 * - #PINFTAG_SERIAL: writes the 8 bytes of @p data as the printer's serial; @p size must be 8.
 * - #PINFTAG_LAMINATE_STRING1 + k - 1 (tags 80 to 91): laminate string slot k, sent with each
 *   page start. Record: value A at bytes 0-1, value B at 2-3 (host order), value C at 4,
 *   value D at 5, the text length at 6, the text from byte 7 (at most 20 characters taken).
 * - #PINFTAG_PARAMETER_FIRST to #PINFTAG_PARAMETER_LAST: sets the tag's printer parameter to
 *   the value read from @p data with the tag's width: 16-bit unsigned for tags 200 to 203,
 *   207 to 209 and 215 to 217, 8-bit signed for 204 to 206, 32-bit for 210 to 214.
 * - #PINFTAG_OPERATION_BUTTON: the first 16-bit value of @p data, 0 or 1.
 *
 * @param tag the tag; its low 16 bits count.
 * @param data the record; NULL fails with #TZP_BAD_PARAMETER.
 * @param size the record's length; read for tags 0 and 26 only (NULL fails there), may be
 *        NULL for the others.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: a tag that cannot be written, NULL @p data, a print-area record
 *   shorter than 10 bytes, a serial not 8 bytes long, a button value above 1.
 * - #TZP_NO_PAPER_INFO: the media cannot be read, or the print area does not suit it.
 * - for the tags that send a command (26, 200 to 217, 301), the acknowledgement's code as it
 *   came: #TZP_REJECTED (not turned into #TZP_BAD_PARAMETER), #TZP_USB_ERROR, printer states.
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setPrinterInfo(int tag, const void *data, const uint32_t *size, uint16_t *result);

/** @} */

/**
 * @defgroup api_job Print job and pages
 * @brief Describing the image, opening a page, sending its pixels, following and cancelling jobs.
 *
 * One page: set the print area (tzpusb_setPrinterInfo() with #PINFTAG_MEDIA), optionally the
 * settings of tags 20, 30 and 80 to 91, tzpusb_copies(), tzpusb_setCutList() and the colour
 * settings (@ref api_image, @ref api_correction); then tzpusb_imageformat(),
 * tzpusb_startpage(), tzpusb_write() until every line is sent, tzpusb_endpage(). The settings
 * stay for the following pages, except the copies, which go back to 1 after each page.
 * A page's print ID is the printer's index in the high byte and a job number 1 to 255 in the
 * low byte.
 * @{
 */

/**
 * @brief Describes the image of the next pages.
 *
 * Only stores the description in the context: takes no printer, sends nothing. Each argument
 * counts by its low 16 bits.
 *
 * @param format 3: each pixel's bytes in the printer's channel order; 4: the first and third
 *        byte of each pixel swapped (the library swaps them back).
 * @param channels bytes per pixel: 3.
 * @param bits_per_channel 8.
 * @param width pixels per line, 1 to 4096; @p width + @p offset_x must not exceed the print
 *        area's width.
 * @param height lines, 1 to 4096; @p height + @p offset_y must not exceed the print area's
 *        height.
 * @param offset_x the image's position in the print area, from the left.
 * @param offset_y the image's position in the print area, from the top.
 * @param[out] result the code; may be NULL.
 * @return 1 with #TZP_OK; 0 with #TZP_BAD_PARAMETER (also when no print area was set). When
 *         only the check against the print area fails, the format and channels (and, when the
 *         height fails, the width and @p offset_x) are stored all the same.
 */
int      TZPUSB_API tzpusb_imageformat(int format, int channels, int bits_per_channel, int width, int height,
                            int offset_x, int offset_y, uint16_t *result);

/**
 * @brief Sets the number of copies of the next page.
 *
 * Only stores it (its low 16 bits, unchecked): takes no printer, sends nothing. It goes back
 * to 1 at each tzpusb_endpage().
 *
 * @param copies the number of copies.
 * @param[out] result #TZP_OK (or #TZP_NO_CONTEXT); may be NULL.
 * @return 1 (0 without a context).
 */
int      TZPUSB_API tzpusb_copies(int copies, uint16_t *result);

/**
 * @brief Sets the cut list of the next pages and sends it to the printer at once.
 *
 * Holds the printer.
 *
 * @param cut_list 73 bytes: a count (1 to 254) at byte 0, then 36 cut values of 16 bits in host
 *        byte order, all taken whatever the count; the printer defines them. NULL sends "no cut
 *        list". A count of 0 fails and sends nothing (the stored list is cleared).
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: a count of 0, or the printer refused the list (#TZP_REJECTED).
 * - #TZP_USB_ERROR, printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setCutList(const void *cut_list /*73 or NULL*/, uint16_t *result);

/**
 * @brief Opens a page on the selected printer.
 *
 * Holds the printer and, on success, keeps holding it until tzpusb_endpage() (or the next
 * tzpusb_startpage(), or tzpusb_close()), so that the page's writes reach the printer
 * undisturbed; other threads and processes get #TZP_PRINTER_IN_USE meanwhile. A page this
 * context never ended is given up first.
 * It checks the image format, asks the printer's state, checks that a print area is set,
 * reads the printer's two job records and gives the page a print ID, checks that a job
 * position is free, sends the twelve laminate strings and the print command (copies, image
 * size, print area, offsets, the settings of tags 20 and 30). The colour settings in force now
 * (channel tables, colour transform, sharpening kernel) apply to the whole page.
 *
 * @param[out] print_id the page's print ID; 0 first. After a failure it may hold an ID given
 *        before the failure: do not use it. NULL fails with #TZP_BAD_PARAMETER.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure (the printer is then let go).
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: no accepted image format, no print area, NULL @p print_id, or the
 *   printer refused a parameter (#TZP_REJECTED).
 * - #TZP_BUSY: the printer holds two jobs; try again when one is done.
 * - the state of a printer that is not ready (as tzpusb_status() gives it).
 * - #TZP_USB_ERROR
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_startpage(uint16_t *print_id, uint16_t *result);

/**
 * @brief Sends pixel data of the open page.
 *
 * Lines are @p width x 3 bytes, top line first. A count that is a whole number of lines is
 * converted as the page start chose (input tables, channel order, then sharpening, colour
 * matching or output tables); any other count is passed on unconverted, an incomplete line
 * being held until later writes complete it. So write whole lines to have them converted.
 * The bytes go to the printer in blocks of 4096. Call it from the thread that started the
 * page; it uses that page's hold on the printer and takes none of its own.
 *
 * @param data the pixel bytes. NULL: nothing happens, success.
 * @param[in,out] size in: the bytes offered; out: the bytes taken, 0 after a failure.
 *        NULL or 0: nothing happens, success.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_NOT_RECOGNISED: no printer selected (@p size left alone).
 * - #TZP_BAD_PARAMETER: no page open, or no image format; nothing sent.
 * - #TZP_USB_ERROR: a block did not go out; the page stays open, end it with tzpusb_endpage().
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_write(const void *data, uint32_t *size, uint16_t *result);

/**
 * @brief Closes the page: lets the printer go and sets the copies back to 1.
 *
 * Sends nothing: the printer prints the page once it has all its bytes. Without an open page
 * it only sets the copies back.
 *
 * @param[out] result #TZP_OK (or #TZP_NO_CONTEXT); may be NULL.
 * @return 1 (0 without a context).
 */
int      TZPUSB_API tzpusb_endpage(uint16_t *result);

/**
 * @brief Cancels the remaining copies of a job in the printer.
 *
 * Holds the printer; reads its job records, then cancels.
 *
 * @param print_id the job's print ID (its low 16 bits count); 0xFFFF cancels both jobs in the
 *        printer. A print ID of the selected printer whose job is not in the printer (any
 *        more) succeeds and sends nothing.
 * @param[out] result the code; may be NULL.
 * @return 1 on success (for 0xFFFF: when at least one of the two cancels was acknowledged),
 *         0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: the print ID of another printer, or the printer refused the cancel
 *   (#TZP_REJECTED).
 * - #TZP_USB_ERROR: the job records could not be read, or a communication failure.
 * - printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_cancelCopies(int print_id, uint16_t *result);

/**
 * @brief Reports the state of a job, or of the printer as a whole.
 *
 * Holds the printer; reads its job records, then asks about the job. Fills @p status (8 bytes,
 * host byte order): three 16-bit values of the job as the printer reports them (bytes 0-5)
 * and a 16-bit status code (bytes 6-7):
 * - print ID 0, the printer as a whole: its state letter (#TZP_STATE_LETTER_A to
 *   #TZP_STATE_LETTER_M), #TZP_NO_STATE_LETTER, or #TZP_USB_ERROR when it gives an error
 *   answer. The call returns 1 in all three cases, with the same code in @p result (0 with
 *   #TZP_USB_ERROR when the inquiry itself fails).
 * - a print ID of the selected printer: #TZP_NO_STATE_LETTER when the job is not in the
 *   printer or was cancelled, #TZP_STATE_LETTER_M when it is finished, 0 while it is being
 *   received or waits, the printer's state letter (or #TZP_NO_STATE_LETTER) while it prints.
 *   @p result is #TZP_OK.
 *
 * @param print_id the job's print ID (its low 16 bits count), or 0.
 * @param[out] status 8 bytes, zeroed first, filled on success; NULL: nothing is delivered.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK, or the printer's code for print ID 0 (see above)
 * - #TZP_BAD_PARAMETER: the print ID of another printer.
 * - #TZP_USB_ERROR: the job records or the job's state could not be read.
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_getPrintIDStatus(int print_id, void *status /*8*/, uint16_t *result);

/** @} */

/**
 * @defgroup api_image Image conversion and colour matching
 * @brief How the pixels of the next pages are converted on their way to the printer.
 *
 * tzpusb_write() applies, to whole lines: the input tables (1 to 3), the channel order of
 * format 4, then one of: sharpening with the kernel (after which the colour transform or the
 * output tables are applied), the colour transform (built from two ICC profiles, with the
 * output tables handed to it), or the output tables (4 to 6). What applies is chosen at
 * tzpusb_startpage() for the whole page. Both functions only store settings in the context:
 * they take no printer and send nothing.
 * @{
 */

/**
 * @brief Sets the sharpening kernel of the next pages.
 *
 * Nine coefficients in hundredths, row by row: k0 k1 k2 for the line above (left, same, right
 * pixel), k3 k4 k5 for the line itself, k6 k7 k8 for the line below; each output value is the
 * sum divided by 100, limited to 0 to 255. The edges see white. Sharpening is on for any kernel
 * but the identity (0, 0, 0, 0, 100, 0, 0, 0, 0). It takes effect at the next
 * tzpusb_startpage(). Without a context nothing happens; there is no result code.
 *
 * @param kernel nine coefficients; NULL sets the identity, turning sharpening off.
 */
void     TZPUSB_API tzpusb_setmtf(const int32_t *kernel /*9 or NULL*/);

/**
 * @brief Installs the six channel tables and, from two ICC profiles, the colour transform.
 *
 * First every table goes back to the identity, then each table given is copied in, and the
 * colour transform in force is dropped. With two profile paths a new transform is built by
 * libTZ5170ColorMatch.so for the image's channel count (3: both profiles RGB). It takes
 * effect at the next tzpusb_startpage().
 *
 * @param src_profile the source ICC profile's path (at most 259 characters); NULL: none.
 * @param dst_profile the destination (printer) ICC profile's path; NULL: none. Both NULL:
 *        tables only, no colour matching.
 * @param intent the rendering intent, 0 to 3 (perceptual, relative colorimetric, saturation,
 *        absolute colorimetric); any other value is used as 0. Its low 16 bits count.
 * @param t1 input table of output channel 0 (256 bytes), applied first; NULL: identity.
 * @param t2 input table of channel 1; NULL: identity.
 * @param t3 input table of channel 2; NULL: identity.
 * @param t4 output table of channel 0, applied last (or handed to the transform); NULL:
 *        identity.
 * @param t5 output table of channel 1; NULL: identity.
 * @param t6 output table of channel 2; NULL: identity.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure; after a failure there is no colour transform, and the
 *         tables stay installed.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: only one path, a path longer than 259 characters, or a profile whose
 *   colour space does not suit the channel count.
 * - #TZP_FILE_ERROR: a profile cannot be opened.
 * - #TZP_NO_COLOR_LIBRARY: the context has no colour-matching library (opened with
 *   tzpusb_openDownload() only).
 * - #TZP_NO_MEMORY: no transform came back.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setIcctable(const char *src_profile, const char *dst_profile, int intent,
                            const uint8_t *t1, const uint8_t *t2, const uint8_t *t3,
                            const uint8_t *t4, const uint8_t *t5, const uint8_t *t6, uint16_t *result);

/** @} */

/**
 * @defgroup api_correction Correction data
 * @brief Gamma tables, the sharpening kernel's file, the printer's tone curves and laminate
 * pattern.
 *
 * The gamma and kernel-file functions only compute or read data for the caller (install them
 * with tzpusb_setIcctable() and tzpusb_setmtf()): they take no printer and send nothing, but
 * need a context. The tone-curve and laminate-pattern functions change the printer's own
 * memory and hold the printer for the whole transfer.
 * @{
 */

/**
 * @brief Computes a gamma table.
 *
 * Entry i is 255 x (i^g / 255^g) with g = @p gamma_x100 / 100, truncated and limited to
 * 0 to 255: 100 gives the identity, 220 a gamma of 2.2, 0 all 255. Without a context nothing
 * happens; there is no result code.
 *
 * @param gamma_x100 the gamma times 100; its low 16 bits count.
 * @param[out] t1 256 bytes, or NULL to skip it.
 * @param[out] t2 256 bytes, or NULL to skip it.
 * @param[out] t3 256 bytes, or NULL to skip it.
 */
void     TZPUSB_API tzpusb_makeGamma(int gamma_x100, uint8_t *t1, uint8_t *t2, uint8_t *t3);

/**
 * @brief Reads three gamma tables from a file.
 *
 * The file holds three tables of 256 bytes back to back, with no header; bytes after the 768th
 * are ignored.
 *
 * @param path the file's path.
 * @param[out] t1 the first table, 256 bytes.
 * @param[out] t2 the second table, 256 bytes.
 * @param[out] t3 the third table, 256 bytes.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: a table is NULL.
 * - #TZP_FILE_ERROR: @p path is NULL, the file cannot be opened, or it is shorter than 768
 *   bytes (the tables read before stay filled).
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_getGamma(const char *path, uint8_t *t1, uint8_t *t2, uint8_t *t3, uint16_t *result);

/**
 * @brief Reads a sharpening kernel from a text file, without installing it.
 *
 * The file holds nine signed decimal numbers, k0 to k8 (see tzpusb_setmtf()), separated by
 * any other characters; a number is an optional sign and digits.
 *
 * @param path the file's path; NULL gives the identity kernel.
 * @param[out] kernel nine coefficients.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: @p kernel is NULL.
 * - #TZP_FILE_ERROR: the file cannot be read, holds fewer than nine numbers, or a number does
 *   not fit 32 bits or 255 characters.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_getMtf(const char *path, int32_t *kernel /*9*/, uint16_t *result);

/**
 * @brief Downloads one of the printer's tone curves, or resets them to the factory's.
 *
 * Holds the printer for the whole transfer. A curve is 768 16-bit values.
 *
 * @param type 1 or 2: download the curve of this type; 0: reset the curves of @p kind. Its low
 *        16 bits count.
 * @param kind the curve kind, 1 to 4; its low 16 bits count.
 * @param data for a download, 1536 bytes sent as they are: the values most significant byte
 *        first (tzpusb_getPrinterToneCurve() gives them in host order). Ignored for a reset.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: @p type or @p kind out of range, or NULL @p data for a download;
 *   nothing sent.
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setPrinterToneCurve(int type, int kind, const void *data /*1536*/, uint16_t *result);

/**
 * @brief Reads one of the printer's tone curves.
 *
 * Holds the printer.
 *
 * @param type 1 or 2.
 * @param kind 1 to 4.
 * @param[out] values room for 768 values (1536 bytes): the curve in host byte order, as many
 *        values as the printer sends.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR with 1: a data packet's count disagreed with its size; the values are as
 *   they came.
 * - #TZP_BAD_PARAMETER: @p type or @p kind out of range, NULL @p values (nothing sent), or the
 *   printer announced more than 1536 bytes (the first 1536 are delivered).
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_getPrinterToneCurve(int type, int kind, uint16_t *values, uint16_t *result);

/**
 * @brief Downloads the printer's laminate pattern, or resets it to the factory's.
 *
 * Holds the printer for the whole transfer (about 9 MB).
 *
 * @param kind 0: download @p data; 2: reset. Its low 16 bits count.
 * @param data for a download, 9166080 bytes (2464 x 3720), sent as they are. Ignored for a
 *        reset.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: another @p kind, or NULL @p data for a download; nothing sent.
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setLaminatePattern(int kind, const void *data, uint16_t *result);

/** @} */

/**
 * @defgroup api_maintenance Maintenance
 * @brief Parameters, self-diagnosis, the error log, raw and general commands, the model check
 * and the laminate update.
 *
 * The printer defines the parameter numbers, diagnosis modes and update targets; the library
 * passes them on. The raw and general commands and tzpusb_command_diagnostic() do not hold the
 * printer: they report a printer that is not selected or gone as #TZP_USB_ERROR (not
 * #TZP_NOT_RECOGNISED), and nothing keeps another thread or process from talking to the same
 * printer meanwhile.
 * @{
 */

/**
 * @brief Sets one of the printer's parameters.
 *
 * Holds the printer.
 *
 * @param number the parameter number; its low 8 bits count.
 * @param value the value, sent as 32 bits.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: the printer refused the number or value (#TZP_REJECTED).
 * - #TZP_USB_ERROR, printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_setParameter(int number, int32_t value, uint16_t *result);

/**
 * @brief Reads one of the printer's parameters.
 *
 * Holds the printer.
 *
 * @param number the parameter number; its low 8 bits count.
 * @param[out] buffer 4 bytes: the value, little-endian as the printer sends it (missing bytes
 *        zero); written only on success. NULL fails with #TZP_BAD_PARAMETER, nothing sent.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure: the codes of tzpusb_setParameter().
 */
int      TZPUSB_API tzpusb_getParameter(int number, void *buffer /*4*/, uint16_t *result);

/**
 * @brief Starts a self-diagnosis of the printer.
 *
 * Holds the printer while it sends the command and reads the acknowledgement; the diagnosis
 * then runs in the printer (tzpusb_status() gives #TZP_SELF_DIAGNOSIS meanwhile). Read the
 * result with tzpusb_getDiagnostic().
 *
 * @param mode the diagnosis mode (low 8 bits); mode 1, every diagnosis, is always sent with
 *        arguments 0 and 0.
 * @param arg1 the first argument (low 8 bits).
 * @param arg2 the second argument (low 8 bits).
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure: the codes of tzpusb_setParameter().
 */
int      TZPUSB_API tzpusb_setDiagnostic(int mode, int arg1, int arg2, uint16_t *result);

/**
 * @brief Reads the result of the last self-diagnosis.
 *
 * Holds the printer.
 *
 * @param[out] buffer the result bytes (the answer from its second byte on; bytes the printer
 *        did not send are zero), or all zeros when the answer cannot be read. NULL: success,
 *        nothing sent, @p size left alone.
 * @param[in,out] size in: the capacity of @p buffer; out: the bytes delivered, at most 37.
 *        NULL (with a buffer) fails with #TZP_BAD_PARAMETER.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_DIAGNOSIS_RUNNING: the printer gave no result (the diagnosis may still run).
 * - #TZP_USB_ERROR (#TZP_REJECTED included)
 * - #TZP_BAD_PARAMETER, #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR,
 *   #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_getDiagnostic(void *buffer, uint32_t *size, uint16_t *result);

/**
 * @brief Clears the printer's error log (read with #PINFTAG_ERRLOG).
 *
 * Holds the printer.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_resetErrHistory(uint16_t *result);

/**
 * @brief Sends a self-diagnosis command as given and hands back the printer's whole answer.
 *
 * Does not hold the printer. Unlike tzpusb_setDiagnostic(), mode 1 is not special.
 *
 * @param mode the diagnosis mode (low 8 bits).
 * @param arg1 the first argument (low 8 bits).
 * @param arg2 the second argument (low 8 bits).
 * @param[out] buffer the answer's payload, up to 290 bytes; NULL: the answer is dropped.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure; the codes as they came:
 * - #TZP_OK
 * - #TZP_REJECTED (not turned into #TZP_BAD_PARAMETER), printer states
 * - #TZP_USB_ERROR: also when no printer is selected.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_command_diagnostic(int mode, int arg1, int arg2, void *buffer, uint16_t *result);

/**
 * @brief Sends bytes to the printer as data, without reading an answer.
 *
 * Writes them in pieces of at most 4096 bytes. The printer must have been told beforehand how
 * many to expect (for example by an update command sent with tzpusb_SendCommand()). Does not
 * hold the printer.
 *
 * @param data the bytes; NULL fails with #TZP_USB_ERROR.
 * @param length the number of bytes. NULL fails with #TZP_BAD_PARAMETER. 0: nothing is sent,
 *        the call returns 0 and stores no code at all.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR: a piece was not taken whole, or no printer is selected.
 * - #TZP_BAD_PARAMETER, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_SendRawData(const void *data, const uint32_t *length, uint16_t *result);

/**
 * @brief Sends a command built by the caller and hands back the printer's answer, undecoded.
 *
 * Writes the @p length bytes in one write, then reads one answer of up to 512 bytes: the whole
 * answer frame, header included (byte 0 is 1 for a normal answer, 2 for an error answer).
 * An error answer is not a failure here: decode it yourself. Does not hold the printer.
 *
 * @param command the whole command packet.
 * @param length its length in bytes.
 * @param[out] answer at least 512 bytes. NULL fails with #TZP_BAD_PARAMETER, nothing sent.
 * @param[out] answer_length the answer's length. NULL fails with #TZP_BAD_PARAMETER.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR: the command did not go out whole (NULL @p command included), no answer
 *   came, or no printer is selected.
 * - #TZP_BAD_PARAMETER, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_SendCommand(const void *command, uint32_t length, void *answer /*>=512*/,
                            uint32_t *answer_length, uint16_t *result);

/**
 * @brief Sends the caller's bytes in the printer's general-purpose (universal) command.
 *
 * Reads the answer and hands back its payload. Does not hold the printer.
 *
 * @param payload the bytes; may be NULL when @p length is 0.
 * @param length the payload's length, at most 250; only its low 8 bits count (256 is 0).
 * @param[out] answer at least 255 bytes: the answer's payload (cut to 255 bytes). NULL fails
 *        with #TZP_BAD_PARAMETER, nothing sent.
 * @param[out] answer_length the payload's length. NULL fails with #TZP_BAD_PARAMETER.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure; the codes as they came:
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: a length above 250, NULL pointers; nothing sent.
 * - #TZP_REJECTED (not turned into #TZP_BAD_PARAMETER), printer states
 * - #TZP_USB_ERROR: also when no printer is selected.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_universal_command(const void *payload, int length, void *answer /*>=255*/,
                                  uint8_t *answer_length, uint16_t *result);

/**
 * @brief Sends the model-name packet and reads the answer as a status inquiry.
 *
 * Sends the fixed 16-byte packet 03 00 'T' 'Z' 'P' 'F' and ten zeros. Does not hold the
 * printer.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure; the codes of tzpusb_status(), but as they came:
 *         #TZP_REJECTED is passed on, and #TZP_USB_ERROR also means no printer is selected.
 */
int      TZPUSB_API tzpusb_undefine_command(uint16_t *result);

/**
 * @brief Tells whether the selected printer is the supported model.
 *
 * Looks at the USB identity found at enumeration (vendor 0f3c, product 5a17); sends nothing,
 * holds nothing.
 *
 * @param[out] result #TZP_OK either way (#TZP_NO_CONTEXT without a context); may be NULL.
 * @return 1 when the selected printer is the supported model; 0 when it is not, when no
 *         printer is selected or the selected one was replaced, or without a context.
 */
int      TZPUSB_API tzpusb_GetModelName(uint16_t *result);

/**
 * @brief Sends a laminate pattern file to the printer.
 *
 * Holds the printer from the update command that announces the file's size to the last byte
 * of the file, sent in pieces of at most 4096 bytes.
 *
 * @param target the update target the printer stores the pattern under (low 8 bits; the
 *        printer's laminate pattern is 16).
 * @param path the file, at most 256 MiB.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure. An empty file is announced with 0 bytes and then gives
 *         0 with #TZP_OK, as there is nothing to send.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: @p path is NULL.
 * - #TZP_FILE_ERROR: the file cannot be opened or read.
 * - #TZP_NO_MEMORY: the file is larger than 256 MiB, or no memory for it.
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_update_laminate(int target, const char *path, uint16_t *result);

/** @} */

/**
 * @defgroup api_download Firmware download
 * @brief MOT files, download mode and the one-call firmware update.
 *
 * Two ways to rewrite a part of the printer's firmware. Download mode, for an image held in
 * memory: open with tzpusb_openDownload(), select the printer, tzpusb_startDlMode(),
 * tzpusb_continue() until every byte is sent, tzpusb_endDlMode(), tzpusb_close(); a MOT file
 * loaded with tzpusb_newMotFile() is sent the same way. The download-mode functions do not
 * hold the printer. The one-call update, tzpusb_updateFirmware(), checks a firmware file and
 * sends it, holding the printer. Either way the printer then rewrites its memory, reporting
 * #TZP_DOWNLOADING to tzpusb_status() until it is done.
 * @{
 */

/**
 * @brief Loads a Motorola S-record (MOT) file into a new memory image.
 *
 * The image covers the file's lowest to highest data address; gaps read 0xFF, and where
 * records overlap the later one wins. Nothing is sent; needs a context opened with
 * tzpusb_openDownload(), but no printer.
 *
 * @param path the file's path.
 * @param[out] size the image's size in bytes; 0 after a failure. May be NULL.
 * @param[out] sum the sum of all image bytes, 0xFF fill included, modulo 2^32; 0 after a
 *        failure. May be NULL.
 * @param[out] start the address of the image's first byte; left alone after a failure. May be
 *        NULL.
 * @param[out] end the address of its last byte; left alone after a failure. May be NULL.
 * @param[out] result the code; may be NULL.
 * @return the image, which belongs to the caller: free it with tzpusb_disposMotFile(). NULL on
 *         failure.
 * - #TZP_OK
 * - #TZP_FILE_ERROR: @p path is NULL, the file cannot be opened or read, or it ends inside a
 *   record.
 * - #TZP_MOT_SYNTAX, #TZP_MOT_CHECKSUM
 * - #TZP_MOT_ADDRESS: the file holds no data record.
 * - #TZP_NO_MEMORY: the data spans more than 256 MiB, or no memory.
 * - #TZP_BAD_PARAMETER: the context was not opened with tzpusb_openDownload().
 * - #TZP_NO_CONTEXT
 */
void    *TZPUSB_API tzpusb_newMotFile(const char *path, uint32_t *size, uint32_t *sum,
                           uint32_t *start, uint32_t *end, uint16_t *result);

/**
 * @brief Frees an image made by tzpusb_newMotFile().
 *
 * Works from any thread, with or without a context; there is no result code.
 *
 * @param image the image; NULL is ignored.
 */
void     TZPUSB_API tzpusb_disposMotFile(void *image);

/**
 * @brief Announces a download: which part of the firmware and how many bytes.
 *
 * Sends the announcement and reads its acknowledgement, then waits 300 ms for the printer.
 * Every call, successful or not, starts the count of bytes sent by tzpusb_continue() afresh.
 * Needs a context opened with tzpusb_openDownload() and the supported printer selected.
 * Does not hold the printer.
 *
 * @param kind 0 DSP firmware, 1 MAIN firmware, 2 TABLE data, 6 USB controller firmware.
 * @param restart for kinds 0 to 2, a restart request passed to the printer (its low 8 bits);
 *        ignored for kind 6.
 * @param length the number of bytes that will follow; for kind 6 its low 16 bits count.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: another @p kind, or a context not opened for download; nothing sent.
 * - #TZP_NOT_RECOGNISED: no printer selected, or not the supported model; nothing sent.
 * - #TZP_NO_DOWNLOAD_MODE: the announcement or its acknowledgement failed, whatever the cause.
 * - #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_startDlMode(int kind, int restart, uint32_t length, uint16_t *result);

/**
 * @brief Ends a download.
 *
 * Sends nothing: it checks, as tzpusb_startDlMode() does, that the context was opened for
 * download and the supported printer is selected.
 *
 * @param[out] result the code; may be NULL.
 * @return 1 with #TZP_OK; 0 with #TZP_BAD_PARAMETER, #TZP_NOT_RECOGNISED or #TZP_NO_CONTEXT.
 */
int      TZPUSB_API tzpusb_endDlMode(uint16_t *result);

/**
 * @brief Sends the next bytes of the image announced with tzpusb_startDlMode().
 *
 * Sends @p *length bytes from @p image plus the bytes already sent since the announcement, in
 * pieces of at most 4096, reading no answer: pass the start of the whole image every time.
 * The library does not check the count against the announced length. Does not hold the
 * printer.
 *
 * @param image the start of the whole image. NULL fails with #TZP_BAD_PARAMETER (unless
 *        @p length is 0).
 * @param[in,out] length in: the bytes to send now (0: success, nothing sent); out: the bytes
 *        this call sent. NULL fails with #TZP_BAD_PARAMETER.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_USB_ERROR: a piece did not go out whole; @p length tells how much did. Start again
 *   with tzpusb_startDlMode().
 * - #TZP_BAD_PARAMETER, #TZP_NOT_RECOGNISED (as tzpusb_startDlMode()), #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_continue(const void *image, uint32_t *length, uint16_t *result);

/**
 * @brief Checks a firmware file and sends it to the selected printer, in one call.
 *
 * Holds the printer from before the announcement to the last byte. Works on a context opened
 * either way. The file must hold the model identifier "TZP-K2207-5": a USB file is exactly
 * 49152 bytes, starts with 0xC2 and has the identifier at 49098 (its last 64 bytes are sent
 * first); a MAIN or TABLE file is at least 21 bytes with the identifier at 10; a DSP file at
 * least 61339 bytes with the identifier at 61328. It does not wait for the rewrite.
 *
 * @param file_type 1 USB, 2 MAIN, 3 DSP, 4 TABLE.
 * @param path the file's path.
 * @param[out] result the code; may be NULL.
 * @return 1 on success, 0 on failure.
 * - #TZP_OK
 * - #TZP_BAD_PARAMETER: another @p file_type, or NULL @p path; nothing sent.
 * - #TZP_FILE_ERROR: the file cannot be read, or fails its size, first-byte or identifier
 *   check; nothing sent.
 * - #TZP_NO_MEMORY: the file cannot be held in memory (more than 256 MiB).
 * - #TZP_USB_ERROR (#TZP_REJECTED included), printer states of the acknowledgement
 * - #TZP_PRINTER_IN_USE, #TZP_NOT_RECOGNISED, #TZP_UNDEFINED_ERROR, #TZP_NO_CONTEXT
 */
int      TZPUSB_API tzpusb_updateFirmware(int file_type, const char *path, uint16_t *result);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* TZPUSB_H */

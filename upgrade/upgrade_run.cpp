#include "upgrade_run.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "library_session.h"
#include "messages.h"
#include "output.h"
#include "part_check.h"
#include "part_download.h"
#include "post_upgrade.h"
#include "printer_versions.h"
#include "program_clock.h"
#include "rewrite_wait.h"
#include "tzpusb.h"

namespace tz::upgrade {
namespace {

constexpr size_t kSerialSize = 8;
constexpr size_t kMaxPrinters = 128;
constexpr int64_t kRestartMs = 50000;
constexpr char kDashes[] = "----------------------------------------\n";

// 0 not handled, 1 no file configured, 2 downloaded in this run.
enum class PartState { NotHandled, NoFile, Downloaded };

// What the run prints about one part.
struct PartTexts {
    const char* no_file;
    const char* version_error;   // with the reader's error number
    const char* printer_version;
    const char* binary_version;
    const char* downloading;     // with the path
    const char* finished;
    const char* skip;            // with the path
};

constexpr PartTexts kUsbTexts = {
    "No usb downloadFile...\n",
    "Cannot get the verision from USB binary file. (%d)\n",
    "Printer(Usb) Version = %02X.%02X \n",
    "Binary(Usb) Version = %02X.%02X \n",
    "Downloading USB file... [%s]\n",
    "Finished.                                                     \n",
    "Skip USB downloading... [%s]\n",
};
constexpr PartTexts kMainNewTexts = {
    "No main downloadFile (New PCB)...\n",
    "Cannot get the verision from MAIN(New PCB) binary file. (%d)\n",
    "Printer(Main NEW) Version = %02X.%02X \n",
    "Binary(Main NEW) Version = %02X.%02X \n",
    "Downloading MAIN file (New PCB)... [%s]\n",
    "Finished.                                                  \n",
    "Skip MAIN downloading (New PCB)... [%s]\n",
};
constexpr PartTexts kMainOldTexts = {
    "No main downloadFile (Old PCB)...\n",
    "Cannot get the verision from MAIN(Old PCB) binary file. (%d)\n",
    "Printer(Main OLD) Version = %02X.%02X \n",
    "Binary(Main OLD) Version = %02X.%02X \n",
    "Downloading MAIN file (Old PCB)... [%s]\n",
    "Finished.                                                  \n",
    "Skip MAIN downloading (Old PCB)... [%s]\n",
};
constexpr PartTexts kMainNew2Texts = {
    "No main downloadFile (New PCB2)...\n",
    "Cannot get the verision from MAIN(New PCB2) binary file. (%d)\n",
    "Printer(Main NEW2) Version = %02X.%02X \n",
    "Binary(Main NEW2) Version = %02X.%02X \n",
    "Downloading MAIN file (New PCB2)... [%s]\n",
    "Finished.                                                  \n",
    "Skip MAIN downloading (New PCB2)... [%s]\n",
};
constexpr PartTexts kDspTexts = {
    "No dsp downloadFile...\n",
    "Cannot get the verision from DSP binary file. (%d)\n",
    "Printer(Dsp) Version = %02X.%02X \n",
    "Binary(Dsp) Version = %02X.%02X \n",
    "Downloading DSP file... [%s]\n",
    "Finished.                                                 \n",
    "Skip DSP downloading... [%s]\n",
};
constexpr PartTexts kTableTexts = {
    "No Table downloadFile...\n",
    "Cannot get the verision from TABLE binary file. (%d)\n",
    "Printer(Table) Version = %02X.%02X \n",
    "Binary(Table) Version = %02X.%02X \n",
    "Downloading TABLE file... [%s]\n",
    "Finished.                                                   \n",
    "Skip Table downloading... [%s]\n",
};

// One printer, from its announcement to its post-upgrade steps. Every step
// returns false when the run must end.
class PrinterUpgrade {
public:
    PrinterUpgrade(const UpgradeConfig& config, std::string serial, int number, bool last)
        : config_(config), serial_(std::move(serial)), number_(number), last_(last) {}

    bool run() {
        if (!announce() || !read_versions_before() || !usb_part()) return false;
        if (!board_check() || !main_part() || !dsp_part() || !table_part() || !restart()) return false;
        if (std::all_of(states_.begin(), states_.end(), [](PartState s) { return s == PartState::Downloaded; })) {
            say("Completed firmware upgrade.\n");
            report_completion(config_, serial_);
        }
        return finish();
    }

private:
    enum Part { kUsb, kMain, kDsp, kTable };

    bool announce() {
        LibrarySession session;
        if (session.open_and_select(serial_) != SessionStart::Ready) return false;
        say("\nNo%d.  Printer S/N = [%.8s] \n\n", number_, serial_.c_str());
        return true;
    }

    bool read_versions_before() {
        LibrarySession session;
        int result = read_printer_versions(session, serial_, before_);
        if (result != 0) {
            say("Cannot get the F/W verision from printer. (%d)\n", result);
            return false;
        }
        return true;
    }

    // The common course of a part: no file, a file whose version cannot be
    // read, a download, or a skip. `downloaded` tells whether it went out.
    bool handle_part(Part part, const PartFile& file, FirmwareFile kind, VersionPair installed, const PartTexts& texts,
                     const std::function<bool()>& download, bool& downloaded) {
        downloaded = false;
        if (!file.named()) {
            say("%s", texts.no_file);
            states_[part] = PartState::NoFile;
            return true;
        }
        FileVersion version = read_file_version(kind, file.path);
        if (version.error != 0) {
            say(texts.version_error, version.error);
            return false;
        }
        say("%s", kDashes);
        say(texts.printer_version, installed.major, installed.minor);
        say(texts.binary_version, version.version.major, version.version.minor);
        say("%s", kDashes);
        if (!(installed < version.version) && !config_.forced()) {
            say(texts.skip, file.path.c_str());
            return true;
        }
        say(texts.downloading, file.path.c_str());
        if (!download()) return false;
        say("%s", texts.finished);
        states_[part] = PartState::Downloaded;
        sent_[part] = version.version;
        downloaded = true;
        return true;
    }

    bool usb_part() {
        bool downloaded = false;
        if (!handle_part(kUsb, config_.usb, FirmwareFile::Usb, before_.usb, kUsbTexts,
                         [&] { return download_usb(config_.usb, serial_); }, downloaded))
            return false;
        if (downloaded) {
            restart_ = true;
            // The controller restarts and comes back on the bus.
            count_down(config_.time.usb_wait_ms, "Waiting for the printer to finish rewriting firmware.  ");
            say("\n\n");
        }
        return true;
    }

    // Also where a USB part sent in this run is seen installed, once the
    // controller is back.
    bool board_check() {
        LibrarySession session;
        if (session.open_and_select(serial_) != SessionStart::Ready) return false;
        EngineRecord record{};
        if (!read_engine_record(record)) {
            session.close();
            say("\n");
            say("Error:Can't get the printer firmware information...\n");
            return false;
        }
        pcb_ = pcb_type_of(record);
        if (states_[kUsb] == PartState::Downloaded) {
            const SentPart usb = sent_part(kUsb);
            const VersionPair found = entry_at(record, usb.entry_offset).version;
            if (found != usb.version) {
                print_not_installed(usb, found);
                return false;
            }
        }
        return true;
    }

    SentPart sent_part(Part part) const {
        static constexpr const char* kNames[] = {"USB", "MAIN", "DSP", "TABLE"};
        static constexpr size_t kOffsets[] = {kUsbEntryOffset, kMainEntryOffset, kDspEntryOffset, kTableEntryOffset};
        return {kNames[part], kOffsets[part], sent_[part]};
    }

    // The rewrite wait after a downloaded part; false when it failed or the
    // printer did not install the part.
    bool wait_after(Part part, Classifier classifier) {
        if (wait_for_rewrite(serial_, classifier, config_.time.rewrite_limit_ms, sent_part(part)) != 0) return false;
        say("\n\n");
        return true;
    }

    bool main_part() {
        const PartFile* file = nullptr;
        const PartTexts* texts = nullptr;
        switch (pcb_) {
            case PcbType::NewPcb: file = &config_.main_new; texts = &kMainNewTexts; break;
            case PcbType::OldPcb: file = &config_.main_old; texts = &kMainOldTexts; break;
            case PcbType::NewPcb2: file = &config_.main_new2; texts = &kMainNew2Texts; break;
            case PcbType::Unknown:
                say("\n");
                say("Can't download MAIN file.\n");
                say("Can't get the  MAIN BOOT firmware version ...\n");
                return true;
        }
        bool downloaded = false;
        if (!handle_part(kMain, *file, FirmwareFile::Main, before_.main, *texts,
                         [&] { return download_main(*file, pcb_, serial_); }, downloaded))
            return false;
        if (!downloaded) return true;
        restart_ = file->reset != 0;
        return wait_after(kMain, Classifier::A);
    }

    bool dsp_part() {
        bool downloaded = false;
        if (!handle_part(kDsp, config_.dsp, FirmwareFile::Dsp, before_.dsp, kDspTexts,
                         [&] { return download_dsp(config_.dsp, serial_); }, downloaded))
            return false;
        if (!downloaded) return true;
        restart_ = config_.dsp.reset != 0;
        return wait_after(kDsp, Classifier::A);
    }

    bool table_part() {
        bool downloaded = false;
        if (!handle_part(kTable, config_.table, FirmwareFile::Table, before_.table, kTableTexts,
                         [&] { return download_table(config_.table, serial_); }, downloaded))
            return false;
        if (!downloaded) return true;
        restart_ = config_.table.reset != 0;
        // Before its tone curves are reset the printer must be fully idle.
        return wait_after(kTable, config_.tone_curve_reset == 0 ? Classifier::B : Classifier::A);
    }

    bool restart() {
        if (!restart_) return true;
        LibrarySession session;
        if (session.open_and_select(serial_) != SessionStart::Ready) return false;
        uint16_t code = 0;
        if (tzpusb_resetPrinter(&code) != 1) {
            say("\ntzpusb_resetPrinter (%d)\n", code);
            return false;
        }
        say("\n\n");
        say("Restart the Printer.\n");
        count_down(kRestartMs, "Waiting for the printer to restart.  ");
        return true;
    }

    bool finish() {
        say("\n");
        LibrarySession session;
        PrinterVersions after;
        int result = read_printer_versions(session, serial_, after);
        if (result != 0) {
            say("Cannot get the Updated F/W verision from printer. (%d)\n", result);
            return false;
        }
        if (!apply_density_settings(session, before_.main, after.main, config_.time.ready_limit_ms)) return false;
        VersionPair threshold = config_.laminate_threshold();
        print_hand_off_versions(threshold, before_.main, after.main);
        if (hand_off_wanted(threshold, before_.main, after.main, states_[kMain] == PartState::Downloaded))
            return hand_off_laminate(serial_, !last_);
        return true;
    }

    const UpgradeConfig& config_;
    std::string serial_;
    int number_;
    bool last_;
    std::array<PartState, 4> states_{};
    std::array<VersionPair, 4> sent_{};  // the version of each part's file, once sent
    PcbType pcb_ = PcbType::Unknown;
    bool restart_ = false;
    PrinterVersions before_;
};

// The serial numbers of the connected printers; false when the library
// could not be opened.
bool list_printers(std::vector<std::string>& serials) {
    LibrarySession session;
    uint16_t code = 0;
    if (!session.open(code)) {
        print_result_error(code);
        return false;
    }
    std::array<char, kSerialSize * kMaxPrinters> area{};
    size_t count = tzpusb_listupPrinterSN(area.data());
    say("\nStart download.(Number of printers connected = %d)\n", static_cast<int>(count));
    say("\nDetected %d printer(s)\n", static_cast<int>(count));
    say("Start downloading...\n");
    count = std::min(count, kMaxPrinters);
    for (size_t i = 0; i < count; ++i) serials.emplace_back(area.data() + i * kSerialSize, kSerialSize);
    return true;
}

}  // namespace

void run_upgrade(const UpgradeConfig& config) {
    std::vector<std::string> serials;
    if (list_printers(serials)) {
        for (size_t i = 0; i < serials.size(); ++i) {
            PrinterUpgrade printer(config, serials[i], static_cast<int>(i) + 1, i + 1 == serials.size());
            if (!printer.run()) break;
        }
    }
    program_clock().sleep_ms(config.time.disp_wait_ms);
}

}  // namespace tz::upgrade

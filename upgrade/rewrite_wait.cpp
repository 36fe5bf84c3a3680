#include "rewrite_wait.h"

#include "library_session.h"
#include "messages.h"
#include "output.h"
#include "program_clock.h"
#include "tzpusb.h"

namespace tz::upgrade {
namespace {

// Ranges of codes that count as one.
int fold(int code, Classifier classifier) {
    if (code >= 3000 && code <= 3099) return 3000;
    if (code >= 4000 && code <= 4099) return 4000;
    if (code >= 4100 && code <= 4199) return 4100;
    if (code >= 4200 && code <= 4299) return 4200;
    if (code >= 4300 && code <= 4399) return 4300;
    if (classifier == Classifier::A) {
        if (code >= 8000 && code <= 8299) return 8000;
        if (code >= 8500 && code <= 8599) return 8500;
    }
    return code;
}

// Between looks at a printer that says it is ready but has not begun the
// rewrite: its data may still be on the way to it.
constexpr int64_t kRecheckMs = 200;

uint16_t read_status() {
    uint16_t code = 0;
    tzpusb_status(&code);
    return code;
}

// Busy with the rewrite, or restarting after it.
bool shows_rewrite(uint16_t code) { return code == TZP_DOWNLOADING || code == TZP_MAIN_INITIALISING; }

}  // namespace

StatusClass classify_status(int code, Classifier classifier) {
    switch (fold(code, classifier)) {
        case 0:
        case 2305:
        case 2306:
        case 2309:
        case 2310:
        case 3000:
        case 4000:
        case 4100:
        case 4200:
        case 4300:
            return StatusClass::Finished;
        case 2102:
        case 2103:
        case 8000:
        case 8500:
            return classifier == Classifier::A ? StatusClass::Finished : StatusClass::Waiting;
        case 2000:
        case 2504:
        case 2600:
            return StatusClass::Failed;
        default:
            return StatusClass::Waiting;
    }
}

int wait_for_rewrite(const std::string& serial, Classifier classifier, int64_t limit_ms, const SentPart& part) {
    LibrarySession session;
    if (session.open_and_select(serial) != SessionStart::Ready) {
        say("Cannot wait for the printer to rewrite the %s firmware.\n", part.name);
        return -1;
    }
    const ProgramClock& clock = program_clock();
    const int64_t start = clock.now_ms();
    bool rewrite_seen = false;
    Installed installed = Installed::Unknown;
    VersionPair found;
    for (;;) {
        say("Waiting for the printer to finish rewriting firmware.                     \r");
        uint16_t code = read_status();
        rewrite_seen = rewrite_seen || shows_rewrite(code);
        if (classify_status(code, classifier) == StatusClass::Finished) {
            // "Ready" means finished only once the printer has the part, or
            // was seen at work on it.
            installed = check_installed(part, found);
            if (installed == Installed::Yes) {
                session.leave_open();
                return 0;
            }
            if (rewrite_seen && installed == Installed::OtherVersion) {
                print_not_installed(part, found);
                return -1;
            }
            clock.sleep_ms(kRecheckMs);
        } else {
            code = read_status();
            rewrite_seen = rewrite_seen || shows_rewrite(code);
            if (classify_status(code, classifier) == StatusClass::Failed) {
                print_result_error(code);
                say("Lost the printer while waiting for it to rewrite the %s firmware.\n", part.name);
                return -1;
            }
        }
        if (clock.now_ms() - start > limit_ms) {
            if (installed == Installed::OtherVersion)
                print_not_installed(part, found);
            else
                say("The printer did not finish rewriting the %s firmware within %d sec.\n", part.name,
                    static_cast<int>(limit_ms / 1000));
            return -1;
        }
    }
}

}  // namespace tz::upgrade

#include "rewrite_wait.h"

#include "library_session.h"
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

StatusClass read_and_classify(Classifier classifier) {
    uint16_t code = 0;
    tzpusb_status(&code);
    return classify_status(code, classifier);
}

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

int wait_for_rewrite(const std::string& serial, Classifier classifier, int64_t limit_ms) {
    LibrarySession session;
    if (session.open_and_select(serial) != SessionStart::Ready) return -1;
    const ProgramClock& clock = program_clock();
    int64_t start = clock.now_ms();
    for (;;) {
        say("Waiting for the printer to finish rewriting firmware.                     \r");
        if (read_and_classify(classifier) == StatusClass::Finished) {
            session.leave_open();
            return 0;
        }
        if (read_and_classify(classifier) == StatusClass::Failed) return -1;
        if (clock.now_ms() - start > limit_ms) return -1;
    }
}

}  // namespace tz::upgrade

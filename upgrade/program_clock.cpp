#include "program_clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "output.h"
#include "platform/process.h"

namespace tz::upgrade {
namespace {

constexpr char kScaleVariable[] = "TZ5170_UPGRADE_TIME_SCALE";
constexpr int64_t kCountdownStepMs = 500;

int64_t steady_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

double scale_from_environment() {
    const char* text = std::getenv(kScaleVariable);
    if (text == nullptr || *text == '\0') return 1.0;
    double scale = 1.0;
    if (parse_time_scale(text, scale)) return scale;
    std::fprintf(stderr, "%s=\"%s\" is not a time factor above 0; using 1\n", kScaleVariable, text);
    return 1.0;
}

}  // namespace

ProgramClock::ProgramClock(double scale) : scale_(scale), start_us_(steady_us()) {}

int64_t ProgramClock::now_ms() const {
    return static_cast<int64_t>(static_cast<double>(steady_us() - start_us_) / 1000.0 / scale_);
}

void ProgramClock::sleep_ms(int64_t milliseconds) const {
    if (milliseconds <= 0) return;
    double real = std::ceil(static_cast<double>(milliseconds) * scale_);
    // A wait of the program never lasts longer than a day, whatever it was told.
    real = std::fmin(real, 86'400'000.0);
    platform::sleep_ms(static_cast<uint32_t>(real));
}

bool parse_time_scale(const std::string& text, double& scale) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(value) || value <= 0.0) return false;
    scale = value;
    return true;
}

const ProgramClock& program_clock() {
    static const ProgramClock clock(scale_from_environment());
    return clock;
}

void count_down(int64_t total_ms, const char* waiting_text) {
    const ProgramClock& clock = program_clock();
    int64_t start = clock.now_ms();
    int64_t elapsed = 0;
    int64_t remaining = 0;
    do {
        elapsed = clock.now_ms() - start;
        remaining = (total_ms - elapsed) / 1000;
        say("%s", waiting_text);
        say("Remaining %d sec.  \r", static_cast<int>(remaining));
        clock.sleep_ms(kCountdownStepMs);
    } while (elapsed <= total_ms && remaining > 0);
}

}  // namespace tz::upgrade

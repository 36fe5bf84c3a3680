// The program's sense of time. Every wait and countdown of the upgrade
// program goes through here, so that one factor (TZ5170_UPGRADE_TIME_SCALE,
// default 1) makes them all shorter for tests and demonstrations. The
// program still reasons in its own milliseconds: a 50,000 ms countdown prints
// the same lines at any factor, only faster.
#pragma once

#include <cstdint>
#include <string>

namespace tz::upgrade {

class ProgramClock {
public:
    explicit ProgramClock(double scale);

    // Program milliseconds since the clock was made.
    int64_t now_ms() const;
    // Sleeps the given program milliseconds (nothing for 0 or less).
    void sleep_ms(int64_t milliseconds) const;
    double scale() const { return scale_; }

private:
    double scale_;
    int64_t start_us_;
};

// The factor named by `text`: a finite number above 0, else nothing.
bool parse_time_scale(const std::string& text, double& scale);

// The program's clock, its factor read once from the environment; a value
// that is no factor is named once on stderr and 1 is used.
const ProgramClock& program_clock();

// Counts down `total_ms` program milliseconds: every 500 ms it prints
// `waiting_text` and "Remaining %d sec.  \r" with the whole seconds left,
// until the time has passed or no whole second is left.
void count_down(int64_t total_ms, const char* waiting_text);

}  // namespace tz::upgrade

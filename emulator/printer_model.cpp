#include "emulator/printer_model.h"

#include <chrono>
#include <cstdio>

#include "engine.h"

namespace tz::emulator {
namespace {

void write_pages(const std::vector<PrintedCopy>& pages) {
    for (const PrintedCopy& page : pages) {
        std::string error;
        if (!write_page_png(page, &error) || !write_page_json(page, &error))
            std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    }
}

}  // namespace

int64_t SteadyClock::now_ns() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PrinterModel::PrinterModel(ModelOptions options, PrinterState state)
    : engine_(std::make_unique<Engine>(std::move(options), std::move(state))) {}

PrinterModel::PrinterModel(Identity identity, PrinterState state, std::string state_file, double time_scale)
    : PrinterModel(ModelOptions{identity, std::move(state_file), time_scale, "", nullptr}, std::move(state)) {}

PrinterModel::~PrinterModel() = default;

std::string PrinterModel::serial() const {
    std::lock_guard guard(lock_);
    return engine_->state.serial;
}

link::Hello PrinterModel::hello() const {
    std::lock_guard guard(lock_);
    return engine_->hello();
}

SessionId PrinterModel::open_session() {
    std::lock_guard guard(lock_);
    return engine_->open_session();
}

void PrinterModel::close_session(SessionId session) {
    std::lock_guard guard(lock_);
    engine_->close_session(session);
}

std::vector<Bytes> PrinterModel::on_transfer(SessionId session, const uint8_t* data, size_t size) {
    std::vector<Bytes> answers;
    std::vector<PrintedCopy> pages;
    {
        std::lock_guard guard(lock_);
        if (engine_->faults.hanging) return {};
        answers = engine_->on_transfer(session, data, size);
        pages = engine_->take_printed();
    }
    write_pages(pages);
    return answers;
}

void PrinterModel::tick() {
    std::vector<PrintedCopy> pages;
    {
        std::lock_guard guard(lock_);
        engine_->advance();
        pages = engine_->take_printed();
    }
    write_pages(pages);
}

bool PrinterModel::on_bus() const {
    std::lock_guard guard(lock_);
    return engine_->machine.on_bus();
}

bool PrinterModel::save_state() const {
    std::lock_guard guard(lock_);
    return emulator::save_state(engine_->options.state_file, engine_->state);
}

PrinterState PrinterModel::state() const {
    std::lock_guard guard(lock_);
    return engine_->state;
}

ModelInfo PrinterModel::info() const {
    std::lock_guard guard(lock_);
    return engine_->info();
}

std::string PrinterModel::last_refusal() const {
    std::lock_guard guard(lock_);
    return engine_->last_refusal;
}

std::shared_ptr<const InstalledFirmware> PrinterModel::installed_firmware(FirmwarePart part) const {
    std::lock_guard guard(lock_);
    return engine_->installed[static_cast<size_t>(part)];
}

void PrinterModel::set_hanging(bool hanging) {
    std::lock_guard guard(lock_);
    engine_->faults.hanging = hanging;
}

bool PrinterModel::hanging() const {
    std::lock_guard guard(lock_);
    return engine_->faults.hanging;
}

void PrinterModel::inject_error(std::array<uint8_t, 4> bytes) {
    std::lock_guard guard(lock_);
    engine_->faults.error = bytes;
}

void PrinterModel::clear_injected_error() {
    std::lock_guard guard(lock_);
    engine_->faults.error.reset();
}

void PrinterModel::override_state(uint8_t state_byte) {
    std::lock_guard guard(lock_);
    engine_->faults.state = state_byte;
}

void PrinterModel::clear_state_override() {
    std::lock_guard guard(lock_);
    engine_->faults.state.reset();
}

void PrinterModel::set_condition(Condition condition) {
    std::lock_guard guard(lock_);
    engine_->advance();
    engine_->set_condition(condition);
}

void PrinterModel::clear_condition() {
    std::lock_guard guard(lock_);
    engine_->advance();
    engine_->clear_condition();
}

void PrinterModel::set_answer_delay(uint32_t milliseconds) {
    std::lock_guard guard(lock_);
    engine_->faults.delay_ms = milliseconds;
}

uint32_t PrinterModel::answer_delay_ms() const {
    std::lock_guard guard(lock_);
    return engine_->faults.delay_ms;
}

void PrinterModel::corrupt_next_frame() {
    std::lock_guard guard(lock_);
    engine_->faults.corrupt_next = true;
}

void PrinterModel::truncate_next_frame() {
    std::lock_guard guard(lock_);
    engine_->faults.truncate_next = true;
}

void PrinterModel::fill_job_positions() {
    std::lock_guard guard(lock_);
    engine_->advance();
    engine_->machine.hold_free_positions();
}

void PrinterModel::free_held_positions() {
    std::lock_guard guard(lock_);
    engine_->advance();
    engine_->machine.release_held_positions(engine_->now());
}

bool PrinterModel::set_media(uint16_t width, uint16_t height) {
    if (width == 0 || height == 0) return false;
    std::lock_guard guard(lock_);
    engine_->settings.media_width = width;
    engine_->settings.media_height = height;
    return true;
}

void PrinterModel::clear_faults() {
    std::lock_guard guard(lock_);
    engine_->faults = Faults{};
    engine_->advance();
    engine_->machine.release_held_positions(engine_->now());
}

}  // namespace tz::emulator

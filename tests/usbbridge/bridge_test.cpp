// The bridge service against printers on a umockdev test bed: the model of
// the virtual printer answers behind scripted usbfs ioctls, the bridge runs as
// its own process, and the printer-control library talks to it as to any
// printer in the bridge folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "emulator/printer_model.h"
#include "identity.h"
#include "link/hello.h"
#include "mock_usb_printer.h"
#include "platform/local_socket.h"
#include "png_file.h"
#include "temp_folder.h"
#include "tzpusb.h"
#include "usbctrl/sdkusb.h"

namespace {

namespace fs = std::filesystem;
namespace link = tz::link;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using tz::test::Child;
using tz::test::MockUsbPrinter;
using tz::test::TempFolder;

constexpr int kIoTimeoutMs = 600;

// The bus of this process's printers. A printer's device name, and with it the
// library's cross-process lock of the printer, comes from its bus, port and
// serial: test programs running side by side must not share them.
const int kBus = 1 + ::getpid() % 250;
const std::string kBusText = std::to_string(kBus);

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

std::optional<link::Hello> hello_of(const std::string& socket_path) {
    tz::platform::LocalSocket s = tz::platform::LocalSocket::connect(socket_path, tz::platform::SocketKind::Message);
    uint8_t buffer[link::kHelloWithInstanceSize + 1];
    tz::platform::IoResult got = s.receive(buffer, sizeof buffer, 2000);
    if (got.status != tz::platform::IoStatus::Ok) return std::nullopt;
    return link::decode_hello(buffer, got.bytes);
}

uint16_t status_code() {
    uint16_t code = 0xFFFF;
    tzpusb_status(&code);
    return code;
}

uint16_t select_serial(const char* serial) {
    uint16_t code = 0xFFFF;
    tzpusb_selectPrinterSN(serial, &code);
    return code;
}

size_t entries_in(const char* folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

// MAIN firmware: identifier at 10, version as four hex characters at 26.
Bytes main_image(const char* version) {
    Bytes image(4096);
    uint32_t seed = 1;
    for (uint8_t& b : image) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    std::memcpy(image.data() + 10, "TZP-K2207-5", 11);
    std::memcpy(image.data() + 26, version, 4);
    return image;
}

// The library opened by the calling thread, closed again however the test ends.
class OpenLibrary {
public:
    OpenLibrary() { ok_ = tzpusb_open(&code_) == 1; }
    ~OpenLibrary() {
        if (ok_) tzpusb_close();
    }
    bool ok() const { return ok_; }
    uint16_t code() const { return code_; }

private:
    bool ok_ = false;
    uint16_t code_ = 0xFFFF;
};

class BridgeOnMockBus : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ5170_IO_TIMEOUT_MS", std::to_string(kIoTimeoutMs).c_str(), 1);
        ::setenv("TZ5170_USB_DIR", sockets_.path().c_str(), 1);
        ::unsetenv("TZ5170_EMULATOR");
        testbed_ = umockdev_testbed_new();
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
    }
    void TearDown() override {
        library_.reset();
        stop_bridge();
        printers_.clear();
        models_.clear();
        g_object_unref(testbed_);
    }

    tz::emulator::PrinterModel& add_model(const std::string& serial) {
        tz::emulator::PrinterState state;
        state.serial = serial;
        tz::emulator::ModelOptions options;
        options.time_scale = 0.001;
        options.output_folder = pages_.path();
        models_.push_back(std::make_unique<tz::emulator::PrinterModel>(options, state));
        return *models_.back();
    }
    MockUsbPrinter& plug(int port, int device_number, const std::string& serial) {
        printers_.push_back(std::make_unique<MockUsbPrinter>(testbed_, kBus, port, device_number, add_model(serial)));
        return *printers_.back();
    }
    void start_bridge() {
        bridge_ = std::make_unique<Child>(TZ_BRIDGE_PROGRAM,
                                          std::vector<std::string>{"--dir", sockets_.path(), "--debug",
                                                                   "--transfer-timeout", "1500"},
                                          logs_);
        ASSERT_TRUE(bridge_->started());
    }
    int stop_bridge() {
        if (!bridge_) return -1;
        bridge_->signal(SIGTERM);
        const int status = bridge_->wait(10s);
        if (::testing::Test::HasFailure()) std::fprintf(stderr, "bridge log:\n%s", bridge_->err().c_str());
        bridge_.reset();
        return status;
    }
    std::string socket_of(const std::string& serial) const { return sockets_.file(serial + ".sock"); }
    bool served(const std::string& serial) const { return eventually([&] { return fs::exists(socket_of(serial)); }); }

    // Printer TZ000101 plugged in and served.
    MockUsbPrinter& serve() {
        MockUsbPrinter& printer = plug(2, 2, "TZ000101");
        start_bridge();
        EXPECT_TRUE(served("TZ000101")) << bridge_->err();
        return printer;
    }
    // The library open in this process with TZ000101 selected.
    void open_library() {
        library_.emplace();
        EXPECT_TRUE(library_->ok()) << library_->code();
        EXPECT_EQ(select_serial("TZ000101"), TZP_OK);
    }
    MockUsbPrinter& serve_and_open() {
        MockUsbPrinter& printer = serve();
        open_library();
        return printer;
    }

    // A format-3 page of width x height streamed to the selected printer; it
    // comes out as sent.
    void print_page(MockUsbPrinter& printer, uint16_t width, uint16_t height) {
        uint16_t code = 0xFFFF;
        Bytes area = {0, uint8_t(width & 0xFF), uint8_t(width >> 8), uint8_t(height & 0xFF), uint8_t(height >> 8),
                      0, 0, 0, 0, 0};
        uint32_t size = static_cast<uint32_t>(area.size());
        ASSERT_EQ(tzpusb_setPrinterInfo(0, area.data(), &size, &code), 1) << code;
        Bytes image(size_t{width} * height * 3);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + i / 1531);
        ASSERT_EQ(tzpusb_imageformat(3, 3, 8, width, height, 0, 0, &code), 1) << code;
        uint16_t id = 0;
        ASSERT_EQ(tzpusb_startpage(&id, &code), 1) << code;
        uint32_t count = static_cast<uint32_t>(image.size());
        ASSERT_EQ(tzpusb_write(image.data(), &count, &code), 1) << code;
        EXPECT_EQ(count, image.size());
        ASSERT_EQ(tzpusb_endpage(&code), 1) << code;
        Bytes printed;
        uint32_t w = 0, h = 0;
        EXPECT_TRUE(eventually([&] {
            printer.tick();
            for (const auto& entry : fs::directory_iterator(pages_.path()))
                if (entry.path().extension() == ".png") printed = tz::test::read_png(entry.path().string(), w, h);
            return !printed.empty();
        }));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_TRUE(printed == image);
    }

    // A MAIN firmware file, and its bytes.
    std::string firmware_file(Bytes& bytes) {
        const std::string path = pages_.file("main.bin");
        bytes = main_image("0612");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    TempFolder sockets_, pages_, logs_;
    UMockdevTestbed* testbed_ = nullptr;
    std::vector<std::unique_ptr<tz::emulator::PrinterModel>> models_;
    std::vector<std::unique_ptr<MockUsbPrinter>> printers_;
    std::unique_ptr<Child> bridge_;
    std::optional<OpenLibrary> library_;
};

// A printer there at the start and one plugged in later are both served, each
// named by its bus, port and serial; the kernel driver goes while the bridge
// holds a printer and comes back after it.
TEST_F(BridgeOnMockBus, ServesPrintersThereAtStartAndPluggedInLater) {
    MockUsbPrinter& first = plug(2, 2, "TZ000101");
    start_bridge();
    ASSERT_TRUE(served("TZ000101")) << bridge_->err();
    MockUsbPrinter& second = plug(3, 3, "TZ000102");
    second.announce();
    ASSERT_TRUE(served("TZ000102")) << bridge_->err();

    std::optional<link::Hello> hello = hello_of(socket_of("TZ000101"));
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->vendor_id, 0x0F3C);
    EXPECT_EQ(hello->product_id, 0x5A17);
    EXPECT_EQ(std::string(hello->serial.data(), 8), "TZ000101");
    EXPECT_EQ(hello->instance, "TZUSB-" + kBusText + "-2-TZ000101");
    const std::string id(reinterpret_cast<const char*>(hello->id_string.data()));
    EXPECT_EQ(id.substr(0, 69), "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer;");
    EXPECT_EQ(id.substr(107, 12), "SN:TZ000101;");
    hello = hello_of(socket_of("TZ000102"));
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->instance, "TZUSB-" + kBusText + "-3-TZ000102");
    EXPECT_EQ(fs::status(socket_of("TZ000102")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);

    EXPECT_TRUE(first.counts().claimed);
    EXPECT_FALSE(first.counts().driver_bound);
    EXPECT_EQ(stop_bridge(), 0);
    EXPECT_EQ(entries_in(sockets_.path().c_str()), 0u);
    for (MockUsbPrinter* p : {&first, &second}) {
        EXPECT_FALSE(p->counts().claimed);
        EXPECT_TRUE(p->counts().driver_bound);
        EXPECT_EQ(p->counts().driver_reattached, 1u);
    }
}

// Through the printer-control library: status, a page of more than 1 MiB that
// comes out as sent, and a firmware download; whole-packet OUT transfers end
// with a zero-length packet, none is longer than 4096 bytes. The client
// process keeps no descriptor and no thread after closing.
TEST_F(BridgeOnMockBus, StatusPageAndDownloadThroughTheLibrary) {
    MockUsbPrinter& printer = serve();
    const size_t fds_before = entries_in("/proc/self/fd"), threads_before = entries_in("/proc/self/task");
    open_library();
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(status_code(), TZP_OK);
    print_page(printer, 512, 684);  // 1,050,624 bytes

    uint16_t code = 0xFFFF;
    Bytes file;
    ASSERT_EQ(tzpusb_updateFirmware(2, firmware_file(file).c_str(), &code), 1) << code;
    EXPECT_EQ(code, TZP_OK);
    EXPECT_TRUE(eventually([] { return status_code() == TZP_OK; }, 20s));
    std::shared_ptr<const tz::emulator::InstalledFirmware> installed =
        models_[0]->installed_firmware(tz::emulator::FirmwarePart::Main);
    ASSERT_TRUE(installed);
    EXPECT_TRUE(installed->image == file);
    library_.reset();
    EXPECT_TRUE(eventually([&] { return entries_in("/proc/self/task") == threads_before; }, 3s));
    EXPECT_EQ(entries_in("/proc/self/fd"), fds_before);

    const MockUsbPrinter::Counts counts = printer.counts();
    EXPECT_GT(counts.whole_packet_out_urbs, 256u);
    EXPECT_EQ(counts.whole_packet_out_without_zlp, 0u);
    EXPECT_EQ(counts.largest_out_urb, 4096u);
}

// Two processes use the printer through the bridge at once: both list it,
// another polls its status while this one streams a page and downloads
// firmware, and every answer reaches the process that asked.
TEST_F(BridgeOnMockBus, TwoProcessesEachGetTheirOwnAnswers) {
    MockUsbPrinter& printer = serve();
    Child poller("/proc/self/exe", {"--poll-status", "TZ000101", "3000"}, logs_);
    open_library();
    ASSERT_FALSE(HasFailure());
    char serials[1024] = {};
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 1);
    EXPECT_EQ(std::string(serials, 8), "TZ000101");
    print_page(printer, 256, 96);

    uint16_t code = 0xFFFF;
    Bytes file;
    const std::string firmware = firmware_file(file);
    int downloads = 0;
    const auto end = std::chrono::steady_clock::now() + 2500ms;
    while (std::chrono::steady_clock::now() < end) {
        ASSERT_EQ(tzpusb_updateFirmware(2, firmware.c_str(), &code), 1) << code;
        ASSERT_EQ(code, TZP_OK);
        ++downloads;
        ASSERT_TRUE(eventually([] { return status_code() == TZP_OK; }, 20s));
    }
    library_.reset();
    ASSERT_EQ(poller.wait(20s), 0) << poller.err() << poller.out();
    EXPECT_GT(downloads, 1);
    // Only the answers a status poll can have: no frame of the page or the download.
    EXPECT_NE(poller.out().find(" other=0\n"), std::string::npos) << poller.out();
    EXPECT_EQ(poller.out().find("answers=0 "), std::string::npos) << poller.out();
}

// A transfer the printer never completes: the library's own time limit ends
// the call; the bridge's ends the transfer, and the printer answers again.
// Unplugged during a transfer: the socket goes at once, the open device is no
// longer attached, and the call reports the printer gone.
TEST_F(BridgeOnMockBus, HungTransferAndUnplugDuringATransfer) {
    MockUsbPrinter& printer = serve_and_open();
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(status_code(), TZP_OK);

    printer.set_hanging(true);
    const auto started = std::chrono::steady_clock::now();
    const uint16_t hung = status_code();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(hung == TZP_USB_ERROR || hung == TZP_NOT_RECOGNISED) << hung;
    EXPECT_LT(took, 5s);
    printer.set_hanging(false);
    EXPECT_TRUE(eventually([] { return status_code() == TZP_OK; }, 10s));

    const int device = SDKUsb_Open(0);
    ASSERT_GE(device, 0);
    EXPECT_NE(SDKUsb_CheckDevice(device), 0);
    printer.set_hanging(true);
    std::future<void> unplugging = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(200ms);
        printer.unplug();
    });
    const uint16_t gone = status_code();  // in flight when the printer goes
    unplugging.get();
    EXPECT_TRUE(gone == TZP_USB_ERROR || gone == TZP_NOT_RECOGNISED) << gone;
    EXPECT_TRUE(eventually([&] { return !fs::exists(socket_of("TZ000101")); }, 2s));
    EXPECT_TRUE(eventually([&] { return SDKUsb_CheckDevice(device) == 0; }, 2s));
    char serials[1024] = {};
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 0);
    SDKUsb_Close(device);
    library_.reset();
    EXPECT_EQ(stop_bridge(), 0);
}

// SIGTERM while transfers are in flight: the bridge cancels them, gives the
// printer back and removes its socket, and exits 0.
TEST_F(BridgeOnMockBus, EndsCleanlyOnSigtermWithTransfersInFlight) {
    MockUsbPrinter& printer = serve_and_open();
    ASSERT_FALSE(HasFailure());
    printer.set_hanging(true);
    std::future<std::chrono::steady_clock::duration> stopping = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(200ms);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(stop_bridge(), 0);
        return std::chrono::steady_clock::now() - started;
    });
    const uint16_t during = status_code();  // in flight when the bridge is told to end
    EXPECT_TRUE(during == TZP_USB_ERROR || during == TZP_NOT_RECOGNISED) << during;
    EXPECT_LT(stopping.get(), 4s);
    library_.reset();
    EXPECT_FALSE(fs::exists(socket_of("TZ000101")));
    EXPECT_FALSE(printer.counts().claimed);
    EXPECT_EQ(printer.counts().discarded, 3u);  // the IN queue and the hung OUT transfer
    EXPECT_TRUE(printer.counts().driver_bound);
}

// The ID string keeps the serial at bytes 110..117 whatever the printer's own
// device ID is; malformed device IDs are not used.
TEST(BridgeIdentity, IdStringAndDeviceIdAnswers) {
    namespace ub = tz::usbbridge;
    const std::string long_id = "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer with a much "
                                "longer description than usual;CID:TZ-5170-XL;";
    const auto id = ub::make_id_string(long_id, "TZ000101");
    const std::string text(reinterpret_cast<const char*>(id.data()));
    EXPECT_EQ(text.substr(0, 40), "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;");
    EXPECT_EQ(text.substr(40, 67), std::string(67, ' '));  // the DES field did not fit before the serial
    EXPECT_EQ(text.substr(107, 12), "SN:TZ000101;");
    EXPECT_EQ(text.substr(119, 20), "DES:TARVO 5170 Photo");
    EXPECT_EQ(id[259], 0);

    const uint8_t ok[] = {0, 7, 'M', 'F', 'G', ':', 'X'};
    EXPECT_EQ(ub::parse_device_id(ok, sizeof ok), "MFG:X");
    const uint8_t too_long[] = {0, 200, 'M', 'F', 'G'};
    EXPECT_EQ(ub::parse_device_id(too_long, sizeof too_long), std::nullopt);
    const uint8_t empty[] = {0, 2};
    EXPECT_EQ(ub::parse_device_id(empty, sizeof empty), std::nullopt);
    EXPECT_EQ(ub::parse_device_id(ok, 1), std::nullopt);

    EXPECT_EQ(ub::checked_serial("TZ000101"), "TZ000101");
    EXPECT_EQ(ub::checked_serial("TZ00010"), std::nullopt);
    EXPECT_EQ(ub::checked_serial("../../x1"), std::nullopt);
    EXPECT_EQ(ub::make_instance(3, {1, 4, 2}, "TZ000101"), "TZUSB-3-1.4.2-TZ000101");
}

// The second process of the two-process test: lists the printers, then polls
// the status of one for a while and counts the kinds of answer.
int poll_status(const char* serial, int milliseconds) {
    uint16_t code = 0xFFFF;
    if (tzpusb_open(&code) != 1) return 3;
    char serials[1024] = {};
    if (tzpusb_listupPrinterSN(serials) != 1 || std::strncmp(serials, serial, 8) != 0) return 5;
    if (select_serial(serial) != TZP_OK) return 4;
    size_t answers = 0, other = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        const uint16_t status = status_code();
        ++answers;
        // Ready, its job buffer full, rewriting, restarting, or another
        // process holds the printer.
        if (status != TZP_OK && status != TZP_BUSY && status != TZP_DOWNLOADING && status != TZP_MAIN_INITIALISING &&
            status != TZP_PRINTER_IN_USE) {
            ++other;
            std::printf("code %u\n", status);
        }
        // A pause between polls, as kiosk software makes: a loop that takes
        // the printer back at once would keep the other process waiting.
        std::this_thread::sleep_for(5ms);
    }
    tzpusb_close();
    std::printf("answers=%zu other=%zu\n", answers, other);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The test bed needs umockdev's preload library in this process and its children.
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "libumockdev-preload") == nullptr) {
        std::string value = std::string("libumockdev-preload.so.0") + (preload ? std::string(":") + preload : "");
        ::setenv("LD_PRELOAD", value.c_str(), 1);
        // A sanitizer's run-time library would otherwise insist on being loaded first.
        const char* asan = std::getenv("ASAN_OPTIONS");
        ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
        ::execv("/proc/self/exe", argv);
        std::perror("re-running under libumockdev-preload");
        return 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "--poll-status") == 0) return poll_status(argv[2], std::atoi(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "messages.h"

#include <algorithm>
#include <array>
#include <utility>

#include "output.h"

namespace tz::upgrade {
namespace {

constexpr std::array<std::pair<int, const char*>, 40> kTexts = {{
    {1000, "Memory Full"},
    {1002, "Cannot load SDKUsbCtrl.DLL"},
    {1003, "Cannot load SDKColorMatch.DLL"},
    {1004, "Cannot open the USB port"},
    {1005, "Cannot access the specified profile"},
    {1006, "Parameter error"},
    {1008, "Printer with selected number is not found"},
    {1010, "Cannot load SDKTankAPI.DLL"},
    {1011, "Cannot load Thermal Compensation parameter definition file"},
    {1500, "Printer is used by another process"},
    {1501, "Cannot generate new thread"},
    {1502, "Printer is used by another thread"},
    {2000, "The printer cannot be recognized"},
    {2100, "The printer is busy"},
    {2202, "The ink ribbon is being taken up"},
    {2204, "The operator panel is being used"},
    {2205, "The printer is initializing at the power-on time"},
    {2301, "The specified paper information is not available to the currently selected printer"},
    {2305, "No Paper"},
    {2306, "No Ink Ribbon"},
    {2307, "Paper Jam"},
    {2309, "Cover Open"},
    {2401, "No security cards"},
    {2402, "Not correspond cards"},
    {2403, "No remaining print count in the card"},
    {2500, "Serviceman Call"},
    {2504, "Undefined error"},
    {2600, "USB communication error"},
    {3001, "MOT file syntax error"},
    {3002, "Check sum error in MOT file"},
    {3003, "MOT file which can not use address range(size)"},
    {3105, "Flash writing error1"},
    {3106, "Flash writing error2"},
    {3107, "Flash writing error3"},
    {3200, "Failed to transferring to download start mode"},
    {3201, "Flash download mode error"},
    {3202, "Flash erasing error"},
    {3203, "MOT data error(address is incorrect)"},
    {5000, "MOT data error(address is incorrect)"},
    {8000, "Executing self-diagnostic test"},
}};

}  // namespace

const char* result_text(int code) {
    auto found = std::find_if(kTexts.begin(), kTexts.end(), [code](const auto& entry) { return entry.first == code; });
    return found != kTexts.end() ? found->second : "Unknown error";
}

void print_result_error(uint16_t code) { say("Error: %s(%d)\n", result_text(code), code); }

}  // namespace tz::upgrade

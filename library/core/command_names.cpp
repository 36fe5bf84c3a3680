#include "command_names.h"

namespace tz::lib {
namespace {

struct Named {
    uint8_t opcode;
    uint8_t command_class;
    const char* name;
};

constexpr Named kCommands[] = {
    {0x01, 0x40, "Print Command"},
    {0x02, 0x40, "Cancel Print Job Command"},
    {0x03, 0x40, "Flash LED Command"},
    {0x04, 0x40, "Reset Command"},
    {0x05, 0x40, "Read Tone Curve Command"},
    {0x06, 0x40, "Operation Button Command"},
    {0x07, 0x40, "Set Parameter Command"},
    {0x08, 0x40, "Set Laminate String Command"},
    {0x09, 0x40, "Set Cut List Command"},
    {0x0A, 0x40, "Wake-up Stand-by Command"},
    {0x01, 0x00, "Get Status Command"},
    {0x02, 0x00, "Get Media Information Command"},
    {0x03, 0x00, "Get Model Name Command"},
    {0x04, 0x00, "Get Error Log Command"},
    {0x05, 0x00, "Get Parameter Command"},
    {0x06, 0x00, "Get Serial No. Command"},
    {0x07, 0x00, "Get Printer ID Status Command"},
    {0x01, 0xC0, "Self-diagnosis execution Command"},
    {0x02, 0xC0, "Batch Self-diagnosis Result acquisition Command"},
    {0x03, 0xC0, "Get Firmware Information Command"},
    {0x04, 0xC0, "Update Command"},
    {0x05, 0xC0, "Get EEPROM Maintenance Command"},
    {0x06, 0xC0, "Set EEPROM Maintenance Command"},
    {0x08, 0xC0, "Reset Error Log Command"},
    {0x09, 0xC0, "Get Serial No. Command"},  // the serial write
    {0xFF, 0xC0, "Universal Command"},
    {0x01, 0x80, "USB firmware download command"},
    {0x02, 0x80, "Maintenance Permission Command"},
};

}  // namespace

const char* command_name(uint8_t opcode, uint8_t command_class) {
    for (const Named& c : kCommands)
        if (c.opcode == opcode && c.command_class == command_class) return c.name;
    return nullptr;
}

}  // namespace tz::lib

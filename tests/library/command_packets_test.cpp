// Command packets, byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "core/command_packets.h"

namespace {

namespace packets = tz::lib::packets;
using Bytes = std::vector<uint8_t>;

Bytes bytes_of(const packets::Packet& packet) { return Bytes(packet.data(), packet.data() + packet.size); }

TEST(CommandPackets, FixedLayoutsAsThePrinterExpectsThem) {
    EXPECT_EQ(bytes_of(packets::flash_led()), (Bytes{0x03, 0x40, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::set_parameter(17, 1000)), (Bytes{0x07, 0x40, 0x05, 0x00, 0x11, 0xE8, 0x03, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::set_parameter(0x81, 0xFFFFFFFF)),
              (Bytes{0x07, 0x40, 0x05, 0x00, 0x81, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bytes_of(packets::get_status()), (Bytes{0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::get_media_information()), (Bytes{0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::get_error_log()), (Bytes{0x04, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::get_parameter(0x42)), (Bytes{0x05, 0x00, 0x01, 0x00, 0x42}));
    EXPECT_EQ(bytes_of(packets::get_serial()), (Bytes{0x06, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::get_print_id_status(0x17)), (Bytes{0x07, 0x00, 0x01, 0x00, 0x17}));
    EXPECT_EQ(bytes_of(packets::cancel_print_job(0xFF)), (Bytes{0x02, 0x40, 0x01, 0x00, 0xFF}));
    EXPECT_EQ(bytes_of(packets::reset(3, 0)), (Bytes{0x04, 0x40, 0x02, 0x00, 0x03, 0x00}));
    EXPECT_EQ(bytes_of(packets::read_tone_curve(1, 2)), (Bytes{0x05, 0x40, 0x02, 0x00, 0x01, 0x02}));
    EXPECT_EQ(bytes_of(packets::operation_button(1)), (Bytes{0x06, 0x40, 0x01, 0x00, 0x01}));
    EXPECT_EQ(bytes_of(packets::wake_up_standby(0x5A)), (Bytes{0x0A, 0x40, 0x01, 0x00, 0x5A}));
    EXPECT_EQ(bytes_of(packets::self_diagnosis(1, 2, 3)), (Bytes{0x01, 0xC0, 0x03, 0x00, 0x01, 0x02, 0x03}));
    EXPECT_EQ(bytes_of(packets::batch_diagnosis_result()), (Bytes{0x02, 0xC0, 0x00, 0x00}));
    EXPECT_EQ(bytes_of(packets::get_firmware_information(7)), (Bytes{0x03, 0xC0, 0x01, 0x00, 0x07}));
    EXPECT_EQ(bytes_of(packets::reset_error_log()), (Bytes{0x08, 0xC0, 0x00, 0x00}));
    const uint8_t serial[8] = {'A', 'B', 'C', 'D', '1', '2', '3', '4'};
    EXPECT_EQ(bytes_of(packets::set_serial(serial)),
              (Bytes{0x09, 0xC0, 0x08, 0x00, 'A', 'B', 'C', 'D', '1', '2', '3', '4'}));
    EXPECT_EQ(bytes_of(packets::usb_firmware_download(1, 0x4000, 0xC000)),
              (Bytes{0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}));
}

TEST(CommandPackets, UpdateCommandCarriesRestartAndByteCount) {
    EXPECT_EQ(bytes_of(packets::update(16, 0, 0, 9166080)),
              (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0x00, 0xDD, 0x8B, 0x00}));
    // The download announcement sends only the restart byte, then three zeros.
    EXPECT_EQ(bytes_of(packets::update_with_restart_byte(1, 0, 0x01, 0x12345678)),
              (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x01, 0x00, 0x01, 0, 0, 0, 0x78, 0x56, 0x34, 0x12}));
}

TEST(CommandPackets, GetModelNameIsSixteenBytesWithoutALengthField) {
    Bytes expected = {0x03, 0x00, 0x54, 0x5A, 0x50, 0x46};
    expected.resize(16, 0x00);
    EXPECT_EQ(bytes_of(packets::get_model_name()), expected);
}

TEST(CommandPackets, PrintCommandAlwaysCarries18BytesWithByte16Zero) {
    packets::PrintCommandFields fields;
    fields.job_number = 5;
    fields.copies = 0x0102;
    fields.image_width = 1844;
    fields.image_height = 1240;
    fields.area_width = 1844;
    fields.area_height = 1248;
    fields.offset_x = 0;
    fields.offset_y = 4;
    fields.setting20 = 0xAB;
    fields.setting30 = 0xCD;
    Bytes packet = bytes_of(packets::print(fields));
    ASSERT_EQ(packet.size(), 22u);
    EXPECT_EQ(packet, (Bytes{0x01, 0x40, 0x12, 0x00, 0x05, 0x02, 0x01, 0x34, 0x07, 0xD8, 0x04, 0x34, 0x07, 0xE0,
                             0x04, 0x00, 0x00, 0x04, 0x00, 0xAB, 0x00, 0xCD}));
    EXPECT_EQ(packet[4 + 16], 0);
}

TEST(CommandPackets, UniversalCommandLengthRule) {
    std::vector<uint8_t> payload(300, 0x5A);
    auto full = packets::universal(payload.data(), 250);
    ASSERT_TRUE(full);
    Bytes sent = bytes_of(*full);
    ASSERT_EQ(sent.size(), 254u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 4), (Bytes{0xFF, 0xC0, 0xFA, 0x00}));
    EXPECT_FALSE(packets::universal(payload.data(), 251));
    EXPECT_FALSE(packets::universal(payload.data(), 255));
    auto wrapped = packets::universal(payload.data(), 260);  // only the low 8 bits count: 4
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(bytes_of(*wrapped), (Bytes{0xFF, 0xC0, 0x04, 0x00, 0x5A, 0x5A, 0x5A, 0x5A}));
    auto empty = packets::universal(nullptr, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(bytes_of(*empty), (Bytes{0xFF, 0xC0, 0x00, 0x00}));
    EXPECT_FALSE(packets::universal(nullptr, 3));
}

TEST(CommandPackets, LaminateStringAndCutListSendEveryField) {
    packets::LaminateStringFields fields;
    fields.slot = 3;
    fields.value_a = 0x0201;
    fields.value_b = 0x0403;
    fields.value_c = 5;
    fields.value_d = 6;
    fields.text_length = 25;  // more than the 20 bytes of text
    for (int i = 0; i < 20; ++i) fields.text[i] = static_cast<uint8_t>('a' + i);
    Bytes packet = bytes_of(packets::set_laminate_string(fields));
    ASSERT_EQ(packet.size(), 32u);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 11), (Bytes{0x08, 0x40, 0x1C, 0x00, 3, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(packet[11], 20);
    EXPECT_EQ(packet[12], 'a');
    EXPECT_EQ(packet[31], 't');

    packets::CutListFields cuts;
    cuts.count = 2;
    cuts.cuts[0] = 0x0100;
    cuts.cuts[35] = 0xBEEF;
    Bytes list = bytes_of(packets::set_cut_list(cuts));
    ASSERT_EQ(list.size(), 77u);
    EXPECT_EQ(Bytes(list.begin(), list.begin() + 7), (Bytes{0x09, 0x40, 0x49, 0x00, 0x02, 0x00, 0x01}));
    EXPECT_EQ(list[75], 0xEF);
    EXPECT_EQ(list[76], 0xBE);
}

}  // namespace

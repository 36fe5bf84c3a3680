// Parameters, diagnosis, the error log, raw commands, the model check and the
// laminate update, byte for byte against a scripted printer behind the test
// USB library.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "one_scripted_printer.h"
#include "temp_folder.h"

namespace {

using tz::test::answer_with;
using tz::test::Bytes;
using tz::test::error_answer;
using tz::test::normal_answer;
using Frames = std::vector<Bytes>;

const Bytes kAck = normal_answer(0, 0);
const Bytes kRejected = error_answer(0x01);  // the printer refuses the parameters: 2601

Bytes counting(size_t count, uint8_t first = 0) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

Bytes head(const Bytes& bytes, size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

Bytes with(Bytes first, const Bytes& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

class Maintenance : public tz::test::OneScriptedPrinter {
protected:
    void answer(const Bytes& frame) { script_->answer(frame); }
    Frames received() { return script_->received(); }

    uint16_t code = 0xFFFF;
};

TEST_F(Maintenance, ParametersGoOutLittleEndianAndARefusalLeavesTheBufferAlone) {
    answer(kAck);
    EXPECT_EQ(tzpusb_setParameter(142, -10, &code), 1);
    EXPECT_EQ(code, 0);
    answer(answer_with({0x0A, 0x0B, 0x0C, 0x0D}));
    Bytes buffer(6, 0xEE);
    EXPECT_EQ(tzpusb_getParameter(0x8F, buffer.data(), &code), 1);
    EXPECT_EQ(buffer, (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0xEE, 0xEE}));
    EXPECT_EQ(received(), (Frames{{0x07, 0x40, 0x05, 0x00, 0x8E, 0xF6, 0xFF, 0xFF, 0xFF}, {0x05, 0x00, 0x01, 0x00, 0x8F}}));

    answer(kRejected);
    buffer.assign(6, 0xEE);
    EXPECT_EQ(tzpusb_getParameter(0x8F, buffer.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(buffer, Bytes(6, 0xEE));
    // A short answer is padded with zeros, a long one cut to four bytes.
    answer(answer_with({0x01, 0x02}));
    EXPECT_EQ(tzpusb_getParameter(0x11, buffer.data(), &code), 1);
    EXPECT_EQ(buffer, (Bytes{0x01, 0x02, 0x00, 0x00, 0xEE, 0xEE}));
    answer(answer_with(counting(9, 1)));
    EXPECT_EQ(tzpusb_getParameter(0x11, buffer.data(), &code), 1);
    EXPECT_EQ(buffer, (Bytes{0x01, 0x02, 0x03, 0x04, 0xEE, 0xEE}));
}

TEST_F(Maintenance, RejectedParametersBecome1006OnlyWhereThatRuleApplies) {
    uint8_t buffer[512], length = 0;
    uint32_t size = 4;
    const uint8_t payload[] = {0x00};
    const std::vector<std::pair<std::function<int()>, uint16_t>> cases = {
        {[&] { return tzpusb_setParameter(0x11, 1, &code); }, 1006},
        {[&] { return tzpusb_setDiagnostic(2, 0, 0, &code); }, 1006},
        {[&] { return tzpusb_command_diagnostic(2, 0, 0, buffer, &code); }, 2601},
        {[&] { return tzpusb_universal_command(payload, 1, buffer, &length, &code); }, 2601},
        {[&] { return tzpusb_undefine_command(&code); }, 2601},
        {[&] { return tzpusb_resetErrHistory(&code); }, 2600},
        {[&] { return tzpusb_getDiagnostic(buffer, &size, &code); }, 2600},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        answer(kRejected);
        EXPECT_EQ(cases[i].first(), 0) << i;
        EXPECT_EQ(code, cases[i].second) << i;
    }
}

TEST_F(Maintenance, BatchDiagnosisDeliversAtMost37BytesFromPayloadByteOne) {
    const Bytes result = counting(41, 0x40);  // 0x40 is byte 0, not delivered
    Bytes buffer(100, 0xEE);
    uint32_t size = 100;
    answer(answer_with(result));
    EXPECT_EQ(tzpusb_getDiagnostic(buffer.data(), &size, &code), 1);
    EXPECT_EQ(size, 37u);
    EXPECT_EQ(head(buffer, 38), with(Bytes(result.begin() + 1, result.begin() + 38), {0xEE}));
    answer(answer_with(result));
    size = 4;
    buffer.assign(100, 0xEE);
    EXPECT_EQ(tzpusb_getDiagnostic(buffer.data(), &size, &code), 1);
    EXPECT_EQ(head(buffer, 5), (Bytes{0x41, 0x42, 0x43, 0x44, 0xEE}));
    // What the printer did not send is zero.
    answer(answer_with({0x28, 0x01, 0x01}));
    buffer.assign(100, 0xEE);
    EXPECT_EQ(tzpusb_getDiagnostic(buffer.data(), &size, &code), 1);
    EXPECT_EQ(head(buffer, 5), (Bytes{0x01, 0x01, 0x00, 0x00, 0xEE}));
    // Refused while the diagnosis runs: zeros and 8000.
    answer(error_answer(0x36));
    buffer.assign(100, 0xEE);
    EXPECT_EQ(tzpusb_getDiagnostic(buffer.data(), &size, &code), 0);
    EXPECT_EQ(code, 8000);
    EXPECT_EQ(head(buffer, 5), (Bytes{0, 0, 0, 0, 0xEE}));
    EXPECT_EQ(received(), Frames(4, {0x02, 0xC0, 0x00, 0x00}));

    // A null buffer asks nothing, but only when the printer can be taken.
    size = 100;
    EXPECT_EQ(tzpusb_getDiagnostic(nullptr, &size, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(received().size(), 4u);
    tz::test::my_context().selection.clear();
    EXPECT_EQ(tzpusb_getDiagnostic(nullptr, &size, &code), 0);
    EXPECT_EQ(code, 2000);
}

TEST_F(Maintenance, DiagnosisModeOneDropsItsArgumentsOnlyInSetDiagnostic) {
    answer(kAck);
    const Bytes long_payload = counting(290);  // the largest frame a read takes
    answer(answer_with(long_payload));
    EXPECT_EQ(tzpusb_setDiagnostic(1, 5, 6, &code), 1);
    Bytes buffer(600, 0xEE);
    EXPECT_EQ(tzpusb_command_diagnostic(1, 5, 6, buffer.data(), &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(head(buffer, 291), with(long_payload, {0xEE}));  // the whole payload, no more
    EXPECT_EQ(received(), (Frames{{0x01, 0xC0, 0x03, 0x00, 0x01, 0x00, 0x00}, {0x01, 0xC0, 0x03, 0x00, 0x01, 0x05, 0x06}}));
}

TEST_F(Maintenance, RawDataCommandsAndTheModelNamePacket) {
    const Bytes data = counting(10000);
    const uint32_t length = 10000, none = 0;
    EXPECT_EQ(tzpusb_SendRawData(data.data(), &length, &code), 1);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(tz::test::eventually([&] { return received().size() == 3; }));
    EXPECT_EQ(received(), (Frames{head(data, 4096), Bytes(data.begin() + 4096, data.begin() + 8192),
                                  Bytes(data.begin() + 8192, data.end())}));
    code = 0x1234;
    EXPECT_EQ(tzpusb_SendRawData(data.data(), &none, &code), 0);
    EXPECT_EQ(code, 0x1234);

    // A caller's command gets the whole answer frame back, header included.
    const Bytes frame = answer_with({0xAB, 0xCD});
    answer(frame);
    Bytes answer_bytes(512, 0xEE);
    uint32_t answer_length = 0;
    EXPECT_EQ(tzpusb_SendCommand(data.data(), 5, answer_bytes.data(), &answer_length, &code), 1);
    EXPECT_EQ(head(answer_bytes, answer_length), frame);
    EXPECT_EQ(tzpusb_SendCommand(data.data(), 5, answer_bytes.data(), &answer_length, &code), 0);  // no answer
    EXPECT_EQ(code, 2600);

    answer(normal_answer());
    EXPECT_EQ(tzpusb_undefine_command(&code), 1);
    EXPECT_EQ(received().back(), (Bytes{0x03, 0x00, 'T', 'Z', 'P', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(tzpusb_GetModelName(&code), 1);
    tz::test::my_context().selection.clear();
    code = 0xFFFF;
    EXPECT_EQ(tzpusb_GetModelName(&code), 0);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(received().size(), 6u);
}

TEST_F(Maintenance, UniversalCommandTakesAtMost250BytesAndHandsBackAtMost255) {
    const Bytes payload = counting(251), long_answer = counting(280, 7);
    Bytes answer_bytes(300, 0xEE);
    uint8_t length = 0;
    answer(answer_with(long_answer));
    EXPECT_EQ(tzpusb_universal_command(payload.data(), 250, answer_bytes.data(), &length, &code), 1);
    EXPECT_EQ(length, 255);
    EXPECT_EQ(head(answer_bytes, 256), with(head(long_answer, 255), {0xEE}));
    EXPECT_EQ(received(), (Frames{with({0xFF, 0xC0, 250, 0x00}, head(payload, 250))}));  // 254 bytes
    EXPECT_EQ(tzpusb_universal_command(payload.data(), 251, answer_bytes.data(), &length, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(received().size(), 1u);
}

TEST_F(Maintenance, LaminateUpdate) {
    tz::test::TempFolder folder;
    const std::string empty = folder.path() + "/empty.bin", pattern = folder.path() + "/pattern.bin";
    std::ofstream(empty, std::ios::binary).flush();
    const Bytes content = counting(5000);
    std::ofstream(pattern, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), content.size());

    for (const std::string& path : {folder.path() + "/missing.bin", folder.path()}) {  // a folder is no file
        EXPECT_EQ(tzpusb_update_laminate(16, path.c_str(), &code), 0);
        EXPECT_EQ(code, 1005);
    }
    EXPECT_EQ(tzpusb_update_laminate(16, nullptr, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_TRUE(received().empty());

    // An empty file is announced; no data piece follows, so the call gives 0 with 0.
    answer(kAck);
    EXPECT_EQ(tzpusb_update_laminate(16, empty.c_str(), &code), 0);
    EXPECT_EQ(code, 0);
    answer(kAck);
    EXPECT_EQ(tzpusb_update_laminate(0x1A5, pattern.c_str(), &code), 1);  // 8 bits of the target
    ASSERT_TRUE(tz::test::eventually([&] { return received().size() == 4; }));
    EXPECT_EQ(received(), (Frames{{0x04, 0xC0, 0x0A, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},
                                  {0x04, 0xC0, 0x0A, 0x00, 0xA5, 0x00, 0, 0, 0, 0, 0x88, 0x13, 0, 0},
                                  head(content, 4096), Bytes(content.begin() + 4096, content.end())}));
    answer(kRejected);  // refused: no data, the code folded
    EXPECT_EQ(tzpusb_update_laminate(16, pattern.c_str(), &code), 0);
    EXPECT_EQ(code, 2600);
    EXPECT_EQ(received().size(), 5u);
}

}  // namespace

#include "mot_records.h"

#include <cstring>
#include <new>

#include "byte_sum.h"
#include "hex_text.h"

namespace tz::lib {
namespace {

// The fields of one record, read from characters already in the reader's
// block: nothing can run out.
class BufferedFields {
public:
    explicit BufferedFields(const uint8_t* text) : text_(text) {}
    ResultCode byte(uint8_t& value) {
        value = hex_byte(text_[0], text_[1]);
        text_ += 2;
        return TZP_OK;
    }
    ResultCode bytes(size_t count, uint8_t* out, uint32_t& sum) {
        sum += decode_hex_bytes(text_, count, out);
        text_ += 2 * count;
        return TZP_OK;
    }

private:
    const uint8_t* text_;
};

// The same, one character at a time from the reader, refilling its block.
class ReadFields {
public:
    explicit ReadFields(MotReader& reader) : reader_(reader) {}
    ResultCode byte(uint8_t& value) {
        uint8_t high = 0, low = 0;
        if (!reader_.next(high) || !reader_.next(low)) return TZP_FILE_ERROR;
        value = hex_byte(high, low);
        return TZP_OK;
    }
    ResultCode bytes(size_t count, uint8_t* out, uint32_t& sum) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t value = 0;
            if (ResultCode code = byte(value)) return code;
            if (out != nullptr) out[i] = value;
            sum += value;
        }
        return TZP_OK;
    }

private:
    MotReader& reader_;
};

constexpr bool checksum_matches(uint32_t sum, uint8_t checksum) {
    return static_cast<uint8_t>(~sum) == checksum;
}

class RecordParser {
public:
    RecordParser(MotReader& reader, MotLoadRequest& request) : reader_(reader), request_(request) {}

    ResultCode parse() {
        uint64_t file_size = 0;
        if (!reader_.size_and_rewind(file_size)) return TZP_FILE_ERROR;
        while (reader_.consumed() < file_size) {
            // Everything up to the next upper-case S is skipped, never beyond the file's size.
            if (!reader_.ensure_buffered()) return TZP_FILE_ERROR;
            const size_t span = static_cast<size_t>(
                std::min<uint64_t>(reader_.buffered(), file_size - reader_.consumed()));
            const uint8_t* text = reader_.buffered_data();
            const auto* mark = static_cast<const uint8_t*>(std::memchr(text, 'S', span));
            if (mark == nullptr) {
                reader_.skip_buffered(span);
                continue;
            }
            reader_.skip_buffered(static_cast<size_t>(mark - text) + 1);
            uint8_t type = 0;
            if (!reader_.next(type)) return TZP_FILE_ERROR;
            if (type < '0' || type > '9') return TZP_MOT_SYNTAX;
            if (ResultCode code = record(type - '0')) return code;
        }
        return TZP_OK;
    }

private:
    ResultCode record(int type) {
        switch (type) {
        case 0: return with_fields(2, &RecordParser::header_record<BufferedFields>, &RecordParser::header_record<ReadFields>);
        case 1: return with_fields(2, &RecordParser::data_record<BufferedFields>, &RecordParser::data_record<ReadFields>);
        case 2: return with_fields(3, &RecordParser::data_record<BufferedFields>, &RecordParser::data_record<ReadFields>);
        case 3: return with_fields(4, &RecordParser::data_record<BufferedFields>, &RecordParser::data_record<ReadFields>);
        case 5: return count_record();
        case 7: return end_record(4, "05");
        case 8: return end_record(3, "04");
        case 9: return end_record(2, "03");
        default: return TZP_MOT_SYNTAX;  // S4, S6
        }
    }

    template <typename Fields>
    using Body = ResultCode (RecordParser::*)(Fields&, int address_bytes, uint8_t count);

    // Reads the count, checks it against the type's minimum, then reads the
    // rest of the record from the block when it is all there, else
    // character by character.
    ResultCode with_fields(int address_bytes, Body<BufferedFields> buffered, Body<ReadFields> read) {
        ReadFields slow(reader_);
        uint8_t count = 0;
        if (ResultCode code = slow.byte(count)) return code;
        if (count < address_bytes + 1) return TZP_MOT_SYNTAX;
        const size_t rest = 2 * static_cast<size_t>(count);
        if (reader_.buffered() >= rest) {
            BufferedFields fast(reader_.buffered_data());
            ResultCode code = (this->*buffered)(fast, address_bytes, count);
            reader_.skip_buffered(rest);
            return code;
        }
        return (this->*read)(slow, address_bytes, count);
    }

    template <typename Fields>
    ResultCode address(Fields& fields, int address_bytes, uint32_t& value, uint32_t& sum) {
        value = 0;
        for (int i = 0; i < address_bytes; ++i) {
            uint8_t b = 0;
            if (ResultCode code = fields.byte(b)) return code;
            value = value << 8 | b;
            sum += b;
        }
        return TZP_OK;
    }

    template <typename Fields>
    ResultCode checksum(Fields& fields, uint32_t sum) {
        uint8_t expected = 0;
        if (ResultCode code = fields.byte(expected)) return code;
        return checksum_matches(sum, expected) ? TZP_OK : TZP_MOT_CHECKSUM;
    }

    template <typename Fields>
    ResultCode header_record(Fields& fields, int address_bytes, uint8_t count) {
        uint32_t sum = count, ignored = 0;
        if (ResultCode code = address(fields, address_bytes, ignored, sum)) return code;
        uint8_t text[255];
        const size_t length = count - address_bytes - 1u;
        if (ResultCode code = fields.bytes(length, text, sum)) return code;
        if (ResultCode code = checksum(fields, sum)) return code;
        request_.header_length = std::min(length, kMotHeaderLimit);
        std::memcpy(request_.header.data(), text, request_.header_length);
        return TZP_OK;
    }

    template <typename Fields>
    ResultCode data_record(Fields& fields, int address_bytes, uint8_t count) {
        uint32_t sum = count, start = 0;
        if (ResultCode code = address(fields, address_bytes, start, sum)) return code;
        const uint32_t length = count - address_bytes - 1u;
        const bool building = !request_.scan_only;
        uint8_t* out = nullptr;
        // A record without data bytes stores nothing and does not widen the image.
        if (length > 0) {
            const uint64_t last = uint64_t{start} + length - 1;
            if (last > 0xFFFFFFFFu) return TZP_MOT_ADDRESS;  // the addresses would wrap
            if (building && (start < request_.window_base || last > request_.window_end)) return TZP_MOT_ADDRESS;
            if (start < request_.lowest) request_.lowest = start;
            if (last > request_.highest) request_.highest = static_cast<uint32_t>(last);
            request_.has_data = true;
            if (building) out = request_.image.get() + (start - request_.window_base);
        }
        if (ResultCode code = fields.bytes(length, out, sum)) return code;
        return checksum(fields, sum);
    }

    // S5: the count, then that many characters unchecked.
    ResultCode count_record() {
        ReadFields fields(reader_);
        uint8_t count = 0;
        if (ResultCode code = fields.byte(count)) return code;
        for (uint8_t i = 0; i < count; ++i) {
            uint8_t ignored = 0;
            if (!reader_.next(ignored)) return TZP_FILE_ERROR;
        }
        return TZP_OK;
    }

    // S7, S8, S9: the count must be exactly this text; the address is checked, not used.
    ResultCode end_record(int address_bytes, const char* count_text) {
        uint8_t high = 0, low = 0;
        if (!reader_.next(high) || !reader_.next(low)) return TZP_FILE_ERROR;
        if (high != static_cast<uint8_t>(count_text[0]) || low != static_cast<uint8_t>(count_text[1]))
            return TZP_MOT_SYNTAX;
        ReadFields fields(reader_);
        uint32_t sum = hex_byte(high, low), ignored = 0;
        if (ResultCode code = address(fields, address_bytes, ignored, sum)) return code;
        return checksum(fields, sum);
    }

    MotReader& reader_;
    MotLoadRequest& request_;
};

}  // namespace

ResultCode load_pass(MotReader& reader, MotLoadRequest& request) {
    request.lowest = 0xFFFFFFFF;
    request.highest = 0;
    request.has_data = false;
    request.image.reset();
    request.image_size = 0;
    request.image_sum = 0;
    request.header_length = 0;
    if (!request.scan_only) {
        if (request.window_end < request.window_base) return TZP_MOT_ADDRESS;
        const uint64_t size = uint64_t{request.window_end} - request.window_base + 1;
        if (size > 0xFFFFFFFFu) return TZP_NO_MEMORY;
        request.image.reset(new (std::nothrow) uint8_t[size]);
        if (!request.image) return TZP_NO_MEMORY;
        std::memset(request.image.get(), request.fill_byte, size);
        request.image_size = static_cast<uint32_t>(size);
    }
    ResultCode code = reader.open(request.file_name, request.read_block_size);
    if (code == TZP_OK) code = RecordParser(reader, request).parse();
    reader.close();
    if (code != TZP_OK) {
        request.image.reset();
        request.image_size = 0;
        return code;
    }
    if (request.image) request.image_sum = byte_sum(request.image.get(), request.image_size);
    return TZP_OK;
}

}  // namespace tz::lib

#include "mot_loader.h"

#include "download_session.h"
#include "mot_records.h"

namespace tz::lib {

bool load_mot(MotReader& reader, const char* path, uint32_t block_size, MotImage& image, ResultCode& code) {
    MotLoadRequest measure;
    measure.file_name = path;
    measure.read_block_size = block_size;
    measure.scan_only = true;
    code = load_pass(reader, measure);
    if (code != TZP_OK) return false;
    if (!measure.has_data) {
        code = TZP_MOT_ADDRESS;
        return false;
    }
    if (uint64_t{measure.highest} - measure.lowest + 1 > kMotImageLimit) {
        code = TZP_NO_MEMORY;
        return false;
    }

    MotLoadRequest build;
    build.file_name = path;
    build.read_block_size = block_size;
    build.window_base = measure.lowest;
    build.window_end = measure.highest;
    build.scan_only = false;
    code = load_pass(reader, build);
    if (code != TZP_OK) return false;

    image.size = build.image_size;
    image.sum = build.image_sum;
    image.start = build.window_base;
    image.end = build.window_end;
    image.bytes = build.image.release();
    return true;
}

bool load_mot_file(DownloadSession& session, const char* path, MotImage& image, ResultCode& code) {
    if (!session.mot_reader) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    return load_mot(*session.mot_reader, path, kMotReadBlockSize, image, code);
}

void dispose_mot_image(void* bytes) { delete[] static_cast<uint8_t*>(bytes); }

}  // namespace tz::lib

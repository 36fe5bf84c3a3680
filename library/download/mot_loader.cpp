#include "mot_loader.h"

#include "download_session.h"
#include "mot_records.h"

namespace tz::lib {

ResultCode load_mot(MotReader& reader, const char* path, uint32_t block_size, MotImage& image) {
    MotLoadRequest measure;
    measure.file_name = path;
    measure.read_block_size = block_size;
    measure.scan_only = true;
    if (ResultCode code = load_pass(reader, measure); code != TZP_OK) return code;
    if (!measure.has_data) return TZP_MOT_ADDRESS;
    if (uint64_t{measure.highest} - measure.lowest + 1 > kMotImageLimit) return TZP_NO_MEMORY;

    MotLoadRequest build;
    build.file_name = path;
    build.read_block_size = block_size;
    build.window_base = measure.lowest;
    build.window_end = measure.highest;
    build.scan_only = false;
    if (ResultCode code = load_pass(reader, build); code != TZP_OK) return code;

    image.size = build.image_size;
    image.sum = build.image_sum;
    image.start = build.window_base;
    image.end = build.window_end;
    image.bytes = build.image.release();
    return TZP_OK;
}

ResultCode load_mot_file(DownloadSession& session, const char* path, MotImage& image) {
    if (!session.mot_reader) return TZP_BAD_PARAMETER;
    return load_mot(*session.mot_reader, path, kMotReadBlockSize, image);
}

void dispose_mot_image(void* bytes) { delete[] static_cast<uint8_t*>(bytes); }

}  // namespace tz::lib

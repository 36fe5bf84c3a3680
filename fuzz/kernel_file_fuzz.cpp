// Fuzzes the reader of sharpening-kernel files with the input as a file: it
// either fails with a file error or fills all nine coefficients, and a kernel
// it reads is taken by the sharpening set-up without fault.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "correction/mtf_file.h"
#include "image/mtf_kernel.h"
#include "image/sharpen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tz5170-kernel-fuzz-" + std::to_string(std::random_device()())))
            .string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    int32_t coefficients[tz::lib::MtfKernel::kSize + 1];
    coefficients[tz::lib::MtfKernel::kSize] = 0x5A5A5A5A;  // must stay untouched
    const tz::lib::ResultCode code = tz::lib::read_kernel_file(path.c_str(), coefficients);
    const bool ok = code == TZP_OK;
    if (!ok && code != TZP_FILE_ERROR) __builtin_trap();
    if (coefficients[tz::lib::MtfKernel::kSize] != 0x5A5A5A5A) __builtin_trap();
    if (ok) {
        tz::lib::MtfKernel kernel;
        tz::lib::set_kernel(kernel, coefficients);
        tz::lib::make_sharpen_plan(kernel);
    }
    return 0;
}

#include "cm_test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tzcm_test {
namespace {

struct Transform {
    cmsHTRANSFORM h;
    ~Transform() {
        if (h) cmsDeleteTransform(h);
    }
};
struct Profile {
    cmsHPROFILE h;
    ~Profile() {
        if (h) cmsCloseProfile(h);
    }
};

struct LabRgb {
    cmsHTRANSFORM rgb_to_lab;
    cmsHTRANSFORM lab_to_rgb;
    unsigned black_divisor;
};

cmsInt32Number cmyk_to_lab(const cmsUInt16Number in[], cmsUInt16Number out[], void *cargo) {
    cmsUInt16Number rgb[3];
    for (int i = 0; i < 3; ++i) {
        rgb[i] = static_cast<cmsUInt16Number>((65535u - in[i]) * (65535u - in[3]) / 65535u);
    }
    cmsDoTransform(static_cast<LabRgb *>(cargo)->rgb_to_lab, rgb, out, 1);
    return TRUE;
}

cmsInt32Number lab_to_cmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void *cargo) {
    cmsUInt16Number rgb[3];
    cmsDoTransform(static_cast<LabRgb *>(cargo)->lab_to_rgb, in, rgb, 1);
    const unsigned c = 65535u - rgb[0], m = 65535u - rgb[1], y = 65535u - rgb[2];
    // Half black for BToA0, full black for BToA1.
    const unsigned k = std::min({c, m, y}) / static_cast<LabRgb *>(cargo)->black_divisor;
    out[0] = static_cast<cmsUInt16Number>(c - k);
    out[1] = static_cast<cmsUInt16Number>(m - k);
    out[2] = static_cast<cmsUInt16Number>(y - k);
    out[3] = static_cast<cmsUInt16Number>(k);
    return TRUE;
}

// A-curves, CLUT, B-curves: the lutAtoB / lutBtoA layout LittleCMS can save.
cmsPipeline *clut_pipeline(int in, int out, int grid, cmsSAMPLER16 sampler, void *cargo) {
    cmsPipeline *lut = cmsPipelineAlloc(nullptr, in, out);
    cmsStage *clut = cmsStageAllocCLut16bit(nullptr, grid, in, out, nullptr);
    cmsStageSampleCLut16bit(clut, sampler, cargo, 0);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, in, nullptr));
    cmsPipelineInsertStage(lut, cmsAT_END, clut);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, out, nullptr));
    return lut;
}

cmsHPROFILE make_cmyk() {
    Profile srgb{cmsCreate_sRGBProfile()};
    Profile lab{cmsCreateLab4Profile(nullptr)};
    Transform to_lab{cmsCreateTransform(srgb.h, TYPE_RGB_16, lab.h, TYPE_Lab_16,
                                        INTENT_RELATIVE_COLORIMETRIC, 0)};
    Transform to_rgb{cmsCreateTransform(lab.h, TYPE_Lab_16, srgb.h, TYPE_RGB_16,
                                        INTENT_RELATIVE_COLORIMETRIC, 0)};
    LabRgb cargo{to_lab.h, to_rgb.h, 2};
    LabRgb full_black{to_lab.h, to_rgb.h, 1};

    cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(h, 4.3);
    cmsSetDeviceClass(h, cmsSigOutputClass);
    cmsSetColorSpace(h, cmsSigCmykData);
    cmsSetPCS(h, cmsSigLabData);
    cmsPipeline *a2b = clut_pipeline(4, 3, 9, cmyk_to_lab, &cargo);
    cmsPipeline *b2a0 = clut_pipeline(3, 4, 17, lab_to_cmyk, &cargo);
    cmsPipeline *b2a1 = clut_pipeline(3, 4, 17, lab_to_cmyk, &full_black);
    cmsWriteTag(h, cmsSigAToB0Tag, a2b);
    cmsWriteTag(h, cmsSigBToA0Tag, b2a0);
    cmsWriteTag(h, cmsSigBToA1Tag, b2a1);
    // A paper white below D50, so that absolute colorimetric differs.
    const cmsCIEXYZ paper = {0.90, 0.93, 0.72};
    cmsWriteTag(h, cmsSigMediaWhitePointTag, &paper);
    cmsPipelineFree(a2b);
    cmsPipelineFree(b2a0);
    cmsPipelineFree(b2a1);
    return h;
}

cmsHPROFILE make_profile(Kind kind) {
    switch (kind) {
    case Kind::Srgb:
        return cmsCreate_sRGBProfile();
    case Kind::Gamma18Rgb: {
        cmsCIExyYTRIPLE primaries = {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0},
                                     {0.0366, 0.0001, 1.0}};
        cmsToneCurve *gamma = cmsBuildGamma(nullptr, 1.8);
        cmsToneCurve *curves[3] = {gamma, gamma, gamma};
        cmsHPROFILE h = cmsCreateRGBProfile(cmsD50_xyY(), &primaries, curves);
        cmsFreeToneCurve(gamma);
        return h;
    }
    case Kind::Cmyk:
        return make_cmyk();
    case Kind::Gray: {
        cmsToneCurve *gamma = cmsBuildGamma(nullptr, 2.2);
        cmsHPROFILE h = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
        cmsFreeToneCurve(gamma);
        return h;
    }
    case Kind::Lab:
        return cmsCreateLab4Profile(nullptr);
    }
    return nullptr;
}

const char *name_of(Kind kind) {
    switch (kind) {
    case Kind::Srgb: return "srgb.icc";
    case Kind::Gamma18Rgb: return "gamma18.icc";
    case Kind::Cmyk: return "cmyk.icc";
    case Kind::Gray: return "gray.icc";
    case Kind::Lab: return "lab.icc";
    }
    return "unknown.icc";
}

} // namespace

TempFolder::TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("tzcm-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::write(const std::string &name, const std::vector<std::uint8_t> &bytes) const {
    const std::string path = file(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

cmsUInt32Number format_of(Kind kind) {
    switch (kind) {
    case Kind::Srgb:
    case Kind::Gamma18Rgb: return TYPE_RGB_8;
    case Kind::Cmyk: return TYPE_CMYK_8;
    case Kind::Gray: return TYPE_GRAY_8;
    case Kind::Lab: return TYPE_Lab_8;
    }
    return 0;
}

int channels_of(Kind kind) { return static_cast<int>(T_CHANNELS(format_of(kind))); }

std::string save_profile(const TempFolder &folder, Kind kind) {
    Profile p{make_profile(kind)};
    const std::string path = folder.file(name_of(kind));
    if (p.h == nullptr || !cmsSaveProfileToFile(p.h, path.c_str())) {
        throw std::runtime_error("cannot save test profile " + path);
    }
    return path;
}

std::vector<std::uint8_t> read_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> reference_match(const std::string &src_path, Kind src,
                                          const std::string &dst_path, Kind dst, int intent,
                                          const std::uint8_t *tables,
                                          const std::vector<std::uint8_t> &pixels) {
    const int in = channels_of(src), out = channels_of(dst);
    const std::size_t count = pixels.size() / in;
    std::vector<std::uint8_t> input = pixels;
    if (tables) {
        for (auto &v : input) v = tables[v];
    }
    Profile s{cmsOpenProfileFromFile(src_path.c_str(), "r")};
    Profile d{cmsOpenProfileFromFile(dst_path.c_str(), "r")};
    Transform t{cmsCreateTransform(s.h, format_of(src), d.h, format_of(dst),
                                   static_cast<cmsUInt32Number>(intent), 0)};
    if (t.h == nullptr) throw std::runtime_error("reference transform failed");
    std::vector<std::uint8_t> result(count * out);
    cmsDoTransform(t.h, input.data(), result.data(), static_cast<cmsUInt32Number>(count));
    if (tables) {
        for (std::size_t i = 0; i < result.size(); ++i) {
            const int c = static_cast<int>(i % out);
            std::uint8_t v = result[i];
            if (c < 3) v = tables[(1 + c) * 256 + v];
            result[i] = tables[4 * 256 + v];
        }
    }
    return result;
}

std::vector<std::uint8_t> shaped_tables() {
    std::vector<std::uint8_t> t(5 * 256);
    for (int i = 0; i < 256; ++i) {
        t[i] = static_cast<std::uint8_t>(255 - i);
        t[256 + i] = static_cast<std::uint8_t>(i * i / 255);
        t[512 + i] = static_cast<std::uint8_t>(i < 128 ? 2 * i : 255);
        t[768 + i] = static_cast<std::uint8_t>(i / 2 + 64);
        t[1024 + i] = static_cast<std::uint8_t>((i / 64) * 85);
    }
    return t;
}

std::vector<std::uint8_t> test_pixels(int channels, int random_count, unsigned seed) {
    std::vector<std::uint8_t> px;
    for (int c = 0; c <= channels; ++c) { // c == channels: all channels together
        for (int level = 0; level < 256; ++level) {
            for (int k = 0; k < channels; ++k) {
                px.push_back(c == channels || c == k ? static_cast<std::uint8_t>(level) : 0);
            }
        }
    }
    std::mt19937 rng(seed);
    for (int i = 0; i < random_count * channels; ++i) {
        px.push_back(static_cast<std::uint8_t>(rng()));
    }
    return px;
}

std::string TestProfiles::path(Kind kind) const { return folder.file(name_of(kind)); }

TestProfiles::TestProfiles() {
    for (Kind k : {Kind::Srgb, Kind::Gamma18Rgb, Kind::Cmyk, Kind::Gray, Kind::Lab}) {
        save_profile(folder, k);
    }
}

const TestProfiles &test_profiles() {
    static const TestProfiles profiles;
    return profiles;
}

OpenedProfile::OpenedProfile(Kind kind) : OpenedProfile(test_profiles().path(kind)) {}
OpenedProfile::OpenedProfile(const std::string &path) { result = SDKCMOpenProfile(path.c_str(), &id); }
OpenedProfile::~OpenedProfile() {
    if (id != 0) SDKCMCloseProfile(&id);
}

World::World(Kind src, Kind dst, int intent, const std::uint8_t *tables) {
    OpenedProfile s(src), d(dst);
    id = SDKCMCreateColorWorld(intent, &s.id, 0, &d.id, tables);
}
World::~World() {
    if (id != 0) SDKCMDisposeColorWorld(id);
}

} // namespace tzcm_test

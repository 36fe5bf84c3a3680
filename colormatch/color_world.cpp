#include "color_world.h"

#include <array>

namespace tzcm {
namespace {

constexpr int kMaxChannels = 15; // what an 8-bit LittleCMS format can carry

using Curve = std::array<std::uint8_t, kCurveSize>;

// 8-bit interleaved format for a colour space, 0 if LittleCMS has none.
cmsUInt32Number eight_bit_format(cmsColorSpaceSignature space, int &channels) {
    const int pixel_type = _cmsLCMScolorSpace(space);
    const int n = cmsChannelsOfColorSpace(space);
    if (pixel_type <= 0 || n <= 0 || n > kMaxChannels) {
        return 0;
    }
    channels = n;
    return COLORSPACE_SH(pixel_type) | CHANNELS_SH(n) | BYTES_SH(1);
}

// The colour space a profile hands on to the next one in a chain: the data
// colour space of a device profile, the connection space of a device link or
// abstract profile.
cmsColorSpaceSignature output_space(cmsHPROFILE profile) {
    const cmsProfileClassSignature cls = cmsGetDeviceClass(profile);
    if (cls == cmsSigLinkClass || cls == cmsSigAbstractClass) {
        return cmsGetPCS(profile);
    }
    return cmsGetColorSpace(profile);
}

// The generic n-channel colour space ('1CLR'..'FCLR') for curve links, which
// act on bytes whatever the channels mean.
cmsColorSpaceSignature generic_space(int channels) {
    const std::uint32_t digit = channels < 10 ? '0' + channels : 'A' + (channels - 10);
    return static_cast<cmsColorSpaceSignature>((digit << 24) | 0x434C52u); // "nCLR"
}

bool is_identity(const Curve &curve) {
    for (int i = 0; i < kCurveSize; ++i) {
        if (curve[i] != i) {
            return false;
        }
    }
    return true;
}

ToneCurvePtr make_tone_curve(cmsContext ctx, const Curve &curve) {
    cmsUInt16Number nodes[kCurveSize];
    for (int i = 0; i < kCurveSize; ++i) {
        nodes[i] = static_cast<cmsUInt16Number>(curve[i] * 257); // 8 -> 16 bit, exact
    }
    return ToneCurvePtr(cmsBuildTabulatedToneCurve16(ctx, kCurveSize, nodes));
}

// An 8-bit transform applying curves[c] to channel c. Unoptimised, because
// LittleCMS's optimiser resamples joined curves and would blur sharp steps.
TransformPtr make_curve_transform(cmsContext ctx, const Curve *curves, int channels) {
    ToneCurvePtr owned[kMaxChannels];
    cmsToneCurve *raw[kMaxChannels] = {};
    for (int c = 0; c < channels; ++c) {
        owned[c] = make_tone_curve(ctx, curves[c]);
        if (!owned[c]) {
            return nullptr;
        }
        raw[c] = owned[c].get();
    }
    ProfilePtr link(cmsCreateLinearizationDeviceLinkTHR(ctx, generic_space(channels), raw));
    if (!link) {
        return nullptr;
    }
    const cmsUInt32Number format = CHANNELS_SH(channels) | BYTES_SH(1);
    return TransformPtr(cmsCreateTransformTHR(ctx, link.get(), format, nullptr, format,
                                              INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE));
}

} // namespace

std::shared_ptr<ColorWorld> build_color_world(int intent, cmsHPROFILE src, cmsHPROFILE dst,
                                              const std::uint8_t *curves) noexcept {
    if (intent < INTENT_PERCEPTUAL || intent > INTENT_ABSOLUTE_COLORIMETRIC || src == nullptr ||
        dst == nullptr) {
        return nullptr;
    }
    cmsContext ctx = lcms_context();
    if (ctx == nullptr) {
        return nullptr;
    }
    try {
        auto world = std::make_shared<ColorWorld>();
        const cmsUInt32Number in_format = eight_bit_format(cmsGetColorSpace(src), world->in_channels);
        const cmsUInt32Number out_format = eight_bit_format(output_space(dst), world->out_channels);
        if (in_format == 0 || out_format == 0) {
            return nullptr;
        }
        world->icc.reset(cmsCreateTransformTHR(ctx, src, in_format, dst, out_format,
                                               static_cast<cmsUInt32Number>(intent), 0));
        if (!world->icc) {
            return nullptr;
        }

        Curve block[kCurveCount];
        for (int b = 0; b < kCurveCount; ++b) {
            for (int i = 0; i < kCurveSize; ++i) {
                block[b][i] = curves ? curves[b * kCurveSize + i] : static_cast<std::uint8_t>(i);
            }
        }

        if (!is_identity(block[0])) {
            Curve input[kMaxChannels];
            for (int c = 0; c < world->in_channels; ++c) {
                input[c] = block[0];
            }
            world->input_curves = make_curve_transform(ctx, input, world->in_channels);
            if (!world->input_curves) {
                return nullptr;
            }
        }

        Curve output[kMaxChannels];
        bool all_identity = true;
        for (int c = 0; c < world->out_channels; ++c) {
            for (int i = 0; i < kCurveSize; ++i) {
                const std::uint8_t first = c < 3 ? block[1 + c][i] : static_cast<std::uint8_t>(i);
                output[c][i] = block[4][first];
            }
            all_identity = all_identity && is_identity(output[c]);
        }
        if (!all_identity) {
            world->output_curves = make_curve_transform(ctx, output, world->out_channels);
            if (!world->output_curves) {
                return nullptr;
            }
        }
        return world;
    } catch (...) {
        return nullptr;
    }
}

} // namespace tzcm

// chart: writes the test chart as a JPEG or PNG file, for printing.
#include <memory>
#include <stdexcept>

#include "photo_loader.h"
#include "test_chart.h"
#include "tool.h"

namespace tz::ctl {

namespace {

struct ChartArgs {
    std::string output;
    std::string size = "2400x1600";
};

void run_chart(const Tool& tool, const ChartArgs& args) {
    if (!is_chart_file_name(args.output))
        throw UsageError("-o " + args.output + ": the file name must end in .jpg, .jpeg or .png");
    const Size size = parse_size(args.size, kChartSmallestSide, kChartLargestSide, "--size");
    VipsRuntime vips;
    RgbImage chart = make_test_chart(size.width, size.height);
    try {
        save_rgb_image(chart, args.output);
    } catch (const std::runtime_error& e) {
        throw Failure(std::string("cannot write the chart: ") + e.what(), 1005);
    }
    tool.emit({{"file", args.output}, {"width", size.width}, {"height", size.height}},
              args.output + ": test chart " + std::to_string(size.width) + " x " + std::to_string(size.height));
}

void register_chart(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<ChartArgs>();
    CLI::App* sub = app.add_subcommand("chart", "write the test chart to a JPEG or PNG file (no printer needed)");
    sub->add_option("-o,--output", args->output, "the file to write; .jpg/.jpeg or .png")->required();
    sub->add_option("--size", args->size, "width x height in pixels, e.g. 2400x1600 (default)");
    sub->callback([&tool, args] { tool.action = [&tool, args] { run_chart(tool, *args); }; });
}

const CommandRegistration chart_registration(96, register_chart);

}  // namespace

}  // namespace tz::ctl

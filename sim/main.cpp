#include <cstdio>
#include <span>
#include <string>

#include "sim/sim_options.h"
#include "sim/sim_server.h"

int main(int argc, char** argv) {
    constexpr int kUsageError = 2;
    tovrel::sim::SimOptions options;
    std::string error;
    const std::span<const char* const> args(const_cast<const char* const*>(argv) + 1,
                                            static_cast<std::size_t>(argc - 1));
    if (!tovrel::sim::ParseOptions(args, options, error)) {
        std::fprintf(stderr, "pellicon-sim: %s\n", error.c_str());
        return kUsageError;
    }
    if (options.showHelp) {
        std::fputs(tovrel::sim::UsageText().c_str(), stdout);
        return 0;
    }
    tovrel::sim::SimServer server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "pellicon-sim: %s\n", error.c_str());
        return 1;
    }
    return server.Serve();
}

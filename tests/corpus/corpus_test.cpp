// Real programs through real tools: each C program here compiled by SDCC, packed as SDCC
// writes it and as srec_cat rewrites it, downloaded by tovrel into a fresh simulated device
// page by page (Kaz 8QA) and record by record (Kaz 8QB). The device's code flash must hold
// exactly what SDCC's makebin makes of the program.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "testbed/processes.h"
#include "testbed/sim_files.h"
#include "testbed/temp_dir.h"

namespace tovrel::testing {
namespace {

using namespace testbed;

constexpr std::size_t kCodeSize = 63488;

struct Program {
    const char* name;
    std::vector<std::string> options;  // SDCC's
};

// How a program's file is written: srec_cat's output options, none for SDCC's own file.
struct Packing {
    const char* name;
    std::vector<std::string> options;
    bool lowerCase = false;
};

const Packing kPackings[] = {
    {"sdcc", {}},
    // An extended linear address first, a start address last, 32-byte records.
    {"srec32", {"-execution-start-address=0", "-o", "-", "-intel", "-obs=32"}},
    {"srec255CrLf", {"-o", "-", "-intel", "-obs=255", "-crlf"}},
    {"srec16LowerCase", {"-o", "-", "-intel", "-obs=16"}, true},
};

const char* const kDevices[] = {"Kaz 8QA    205", "Kaz 8QB    205"};

class Corpus : public ::testing::TestWithParam<Program> {
  protected:
    // Runs a tool, which must succeed; its standard output.
    std::string Tool(std::vector<std::string> words) {
        const ProgramRun run = RunProgram(words, OwnEnvironment());
        EXPECT_EQ(run.status, 0) << words[0] << ": " << run.err;
        return run.out;
    }
    // The file of a packing, written into the folder.
    std::string Packed(const Packing& packing, const std::string& ihx) {
        std::string text = m_dir.Read(ihx);
        if (!packing.options.empty()) {
            std::vector<std::string> words{TOVREL_SREC_CAT, m_dir.Path(ihx), "-intel"};
            words.insert(words.end(), packing.options.begin(), packing.options.end());
            text = Tool(words);
        }
        for (char& c : text) {
            if (packing.lowerCase)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return m_dir.Write(std::string(packing.name) + ".hex", text);
    }
    // The code flash of a fresh device after tovrel downloaded the file into it.
    Bytes Downloaded(const std::string& file, const char* device) {
        const std::string state = m_dir.Path(std::to_string(++m_runs) + ".state");
        SimProcess sim(ProgramFolder() + "/pellicon-sim", {"--id", device, "--state", state});
        EXPECT_TRUE(sim.Started()) << sim.Error();
        const ProgramRun run = RunProgram({ProgramFolder() + "/tovrel", file},
                                          {{"TOVREL_COM1", sim.Path()},
                                           {"HOME", m_dir.Path()},
                                           {"XDG_CONFIG_HOME", m_dir.Path("config")}});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const std::optional<SimState> flash = ReadSimState(state);
        return flash ? flash->code : Bytes();
    }

    TempDir m_dir;
    int m_runs = 0;
};

TEST_P(Corpus, FlashHoldsWhatMakebinMakes) {
    const Program& program = GetParam();
    const std::string ihx = std::string(program.name) + ".ihx";
    std::vector<std::string> sdcc{TOVREL_SDCC, "-mmcs51"};
    sdcc.insert(sdcc.end(), program.options.begin(), program.options.end());
    sdcc.insert(sdcc.end(),
                {std::string(TOVREL_CORPUS "/") + program.name + ".c", "-o", m_dir.Path(ihx)});
    Tool(sdcc);
    Tool({TOVREL_MAKEBIN, "-s", std::to_string(kCodeSize), m_dir.Path(ihx), m_dir.Path("bin")});
    const std::string image = m_dir.Read("bin");
    ASSERT_EQ(image.size(), kCodeSize);
    for (const Packing& packing : kPackings) {
        const std::string file = Packed(packing, ihx);
        for (const char* device : kDevices) {
            const Bytes flash = Downloaded(file, device);
            EXPECT_TRUE(std::string(flash.begin(), flash.end()) == image)
                << packing.name << " into " << device;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus,
                         ::testing::Values(Program{"tables", {}},
                                           Program{"top", {"--code-loc", "0xF600"}},
                                           Program{"gaps", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing

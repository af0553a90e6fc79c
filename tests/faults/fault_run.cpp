#include "tests/faults/fault_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <iterator>

#include "adapters/qt_serial_port.h"

namespace tovrel::testing {

std::string& TovrelUnderTest() {
    static std::string path = TOVREL_BUILT_PATH;
    return path;
}

bool PortFree(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    close(fd);
    std::string flat = path;
    std::replace(flat.begin(), flat.end(), '/', '_');
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp"}) {
        for (const std::string& name : {"LCK.." + flat, "LCK.." + flat.substr(1)}) {
            if (std::filesystem::exists(std::filesystem::path(folder) / name)) return false;
        }
    }
    return true;
}

std::string ExampleHex() {
    std::ifstream in(std::string(TOVREL_EXAMPLES) + "/blinky.hex", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ExampleData() {
    std::ifstream in(std::string(TOVREL_EXAMPLES) + "/dataflash.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? lineEnd : std::string(1, c);
    }
    return out;
}

std::string WithMixedLineEnds(const std::string& text) {
    const std::string plain = WithLineEnds(text, "\n");
    std::string out;
    int line = 0;
    for (char c : plain) {
        if (c != '\n') {
            out += c;
        } else {
            out += (line++ % 2 == 0) ? "\r\n" : "\n";
        }
    }
    return out;
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Garbage() {
    std::string bytes;
    for (unsigned i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 167 + 13) & 0xFF);
    return bytes;
}

std::string HtmlPage() {
    return "<!DOCTYPE html>\r\n<html><head><title>blinky.hex</title></head>\r\n"
           "<body><pre>:03000000020033C8</pre></body></html>\r\n";
}

std::string HexRecord(unsigned address, const std::vector<unsigned>& bytes) {
    unsigned sum = static_cast<unsigned>(bytes.size()) + (address >> 8) + (address & 0xFF);
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X00", static_cast<unsigned>(bytes.size()), address);
    std::string record = text;
    for (unsigned byte : bytes) {
        std::snprintf(text, sizeof text, "%02X", byte);
        record += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return record + text;
}

namespace {

class FaultSuite : public ::testing::TestWithParam<FaultCase> {
  protected:
    void TearDown() override { TovrelUnderTest() = TOVREL_BUILT_PATH; }

    // The program's own folder copied with the case's profile files, when it has any.
    void PrepareProgram(const FaultCase& row) {
        if (row.programFiles.empty()) return;
        const std::filesystem::path folder = m_dir.File("program");
        std::filesystem::create_directories(folder / "Configuration");
        std::filesystem::copy(std::filesystem::path(TOVREL_SOURCE) / "Configuration",
                              folder / "Configuration",
                              std::filesystem::copy_options::overwrite_existing);
        for (const CaseFile& file : row.programFiles) WriteCaseFile(folder.string(), file);
        std::filesystem::copy_file(TOVREL_BUILT_PATH, folder / "tovrel");
        TovrelUnderTest() = (folder / "tovrel").string();
    }

    // As root, which may open anything, the program is run as the user nobody instead, who
    // may read the case's folder but not the device.
    bool RunAsNobody() {
        if (geteuid() != 0) return true;
        if (!std::filesystem::exists(kSetpriv)) return false;
        std::filesystem::permissions(m_dir.Path(), std::filesystem::perms::all);
        TovrelUnderTest() = kSetpriv;
        m_prefix = {"--reuid=65534", "--regid=65534", "--clear-groups", TOVREL_BUILT_PATH};
        return true;
    }

    std::string PortPath(const FaultCase& row, const SimProcess& sim) {
        if (row.port == Port::Missing || row.port == Port::OnCom2) return m_dir.File("no-such-tty");
        if (row.port == Port::NoPermission) chmod(sim.Path().c_str(), 0);
        return sim.Path();
    }

    static constexpr const char* kSetpriv = "/usr/bin/setpriv";
    TempDir m_dir;
    Words m_prefix;  // words before the program's own (the program itself, run as nobody)
};

// Whole lines, "{dir}" standing for the case's folder.
void ExpectLinesInOrder(const std::string& out, const Words& lines, const std::string& dir) {
    std::size_t from = 0;
    for (const std::string& text : lines) {
        const std::string line = "\n" + Replaced(text, dir) + "\n";
        const std::size_t at = out.find(line, from);
        ASSERT_NE(at, std::string::npos) << "missing in order: [" << line << "]\n" << out;
        from = at + line.size() - 1;
    }
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

int Received(const std::string& trace, const std::string& kind) {
    int count = 0;
    for (const TraceEntry& entry : ReadTrace(trace)) {
        count += entry.direction == TraceEntry::Direction::Rx && entry.kind == kind;
    }
    return count;
}

void ExpectNothingAfter(const std::vector<TraceEntry>& trace, const NothingAfter& rule) {
    if (rule.forbidden.empty()) return;
    int seen = 0;
    std::size_t i = 0;
    for (; i < trace.size() && seen < rule.n; ++i) {
        if (trace[i].direction == TraceEntry::Direction::Rx &&
            (trace[i].kind == rule.kind || Hex(trace[i].bytes).starts_with(rule.kind))) {
            ++seen;
        }
    }
    ASSERT_EQ(seen, rule.n) << "the device never received " << rule.kind << " #" << rule.n;
    for (; i < trace.size(); ++i) {
        const TraceEntry& entry = trace[i];
        if (entry.direction != TraceEntry::Direction::Rx) continue;
        EXPECT_EQ(rule.forbidden.find(entry.kind), std::string::npos)
            << entry.kind << " sent after " << rule.kind << " #" << rule.n;
    }
}

TEST_P(FaultSuite, EndsAsTheUserIsToldAndLeavesThePortFree) {
    const FaultCase& row = GetParam();
    if (row.port == Port::NoPermission && !RunAsNobody()) {
        GTEST_SKIP() << "running as root without setpriv: the permission check on the device "
                        "is bypassed";
    }
    RunOptions options;
    for (const CaseFile& file : row.files) {
        if (file.name == "-") {
            options.input = file.contents();
        } else {
            WriteCaseFile(m_dir.Path(), file);
        }
    }
    for (const CaseFile& file : row.configFiles) WriteCaseFile(m_dir.File("config"), file);
    for (const std::string& folder : row.configFolders) {
        std::filesystem::create_directories(m_dir.File("config/" + folder));
    }
    PrepareProgram(row);
    Words simArguments = row.simArguments;
    simArguments.insert(simArguments.end(), {"--trace", m_dir.File("trace")});
    SimProcess sim(simArguments);
    ASSERT_TRUE(sim.Started()) << sim.Error();
    QtSerialPort holder;  // another program that has the line open
    if (row.port == Port::Held) {
        ASSERT_FALSE(holder.Open(sim.Path(), 9600));
    }
    Words words = m_prefix;
    for (const std::string& word : row.words) words.push_back(Replaced(word, m_dir.Path()));
    std::map<std::string, std::string> env{{"TOVREL_COM1", PortPath(row, sim)},
                                           {"TOVREL_COM2", sim.Path()}};
    if (!row.outside.noHome) {
        env.insert({{"HOME", m_dir.Path()}, {"XDG_CONFIG_HOME", m_dir.File("config")}});
    }
    options.brokenOutput = row.outside.signal == SIGPIPE;
    if (row.outside.signal != 0 && !options.brokenOutput) {
        options.whileRunning = [&, signalled = false](pid_t pid) mutable {
            if (!signalled && Received(m_dir.File("trace"), row.outside.kind) >= row.outside.n) {
                signalled = kill(pid, row.outside.signal) == 0;
            }
        };
    }
    const ProgramRun run = RunTovrel(words, env, options);
    holder.Close();
    if (row.port == Port::NoPermission) chmod(sim.Path().c_str(), S_IRUSR | S_IWUSR);
    // TOVREL_FAULTS_SHOW=1 prints what each run showed, for writing a new row.
    if (std::getenv("TOVREL_FAULTS_SHOW") != nullptr) {
        std::cout << "status " << run.status << "\n--out\n" << run.out << "--err\n" << run.err;
    }
    EXPECT_EQ(run.status, row.status) << run.out << run.err;
    ExpectLinesInOrder(run.out, row.outLines, m_dir.Path());
    if (row.errParts.empty()) {
        EXPECT_EQ(run.err, "");
    }
    for (const std::string& text : row.errParts) {
        const std::string part = Replaced(text, m_dir.Path(), sim.Path());
        EXPECT_NE(run.err.find(part), std::string::npos) << "[" << part << "]\n" << run.err;
    }
    if (!sim.WaitForExit(0)) {
        EXPECT_TRUE(PortFree(sim.Path()));
    }
    sim.Stop();
    ExpectNothingAfter(ReadTrace(m_dir.File("trace")), row.nothingAfter);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultSuite, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "adapters/qt_serial_port.h"
#include "testbed/processes.h"
#include "testbed/sim_files.h"
#include "testbed/temp_dir.h"
#include "testbed/wine_prefix.h"
#include "tests/faults/fault_case.h"

namespace tovrel::testing {
namespace {

using namespace testbed;
namespace fs = std::filesystem;

constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr std::size_t kCodeSize = 63488, kDataSize = 2560;
constexpr int kRunLimitMs = 60000;
constexpr const char* kSetpriv = "/usr/bin/setpriv";
constexpr const char* kPrlimit = "/usr/bin/prlimit";
constexpr auto kSignalGap = std::chrono::milliseconds(300);

// "{dir}" stands for the case's folder, "{tty}" for the device's terminal.
std::string Replaced(std::string word, const std::string& dir, const std::string& tty = "") {
    for (const auto& [mark, text] : {std::pair{"{dir}", dir}, std::pair{"{tty}", tty}}) {
        for (std::size_t at; (at = word.find(mark)) != std::string::npos;)
            word.replace(at, 5, text);
    }
    return word;
}

// Words apart by blanks; with start ("--"), only a blank before start parts two words.
Words Split(const std::string& text, const std::string& start = "") {
    Words words;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find(" " + start, at), text.size());
        words.push_back(text.substr(at, end - at));
    }
    return words;
}

// The flash a download file gives, read apart from the program's own reading: its data
// records on erased flash, a later record over an earlier one.
Bytes CodeImage(const std::string& text) {
    Bytes image(kCodeSize, 0xFF);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kBom)) line.erase(0, 3);
        if (line.size() < 11 || line[0] != ':' || line.substr(7, 2) != "00") continue;
        const Bytes record = BytesFromHex(line.substr(1));
        const std::size_t address = record[1] * 256u + record[2];
        for (std::size_t i = 0; i < record[0] && 4 + i < record.size(); ++i) {
            if (address + i < kCodeSize) image[address + i] = record[4 + i];
        }
    }
    return image;
}

// The data flash a data-flash file gives: "page,b0,b1,b2,b3" at offset 4 * page.
Bytes DataImage(std::string text) {
    Bytes image(kDataSize, 0xFF);
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kBom)) line.erase(0, 3);
        std::istringstream fields(line);
        std::size_t page = 0;
        unsigned b[4];
        if (!(fields >> page >> std::hex >> b[0] >> b[1] >> b[2] >> b[3]) ||
            page >= kDataSize / 4) {
            continue;
        }
        std::copy(b, b + 4, image.begin() + static_cast<long>(4 * page));
    }
    return image;
}

// The device's memory in a few words (see kCodeFile); a missing state file is a device that
// was never written.
std::string DescribeState(const std::optional<SimState>& saved,
                          const std::map<std::string, std::string>& files) {
    const auto file = [&files](const std::string& name) {
        return files.contains(name) ? files.at(name) : std::string();
    };
    const SimState state = saved.value_or(SimState{Bytes(kCodeSize, 0xFF), Bytes(kDataSize, 0xFF)});
    const auto what = [](const Bytes& memory, const Bytes& image) {
        if (std::all_of(memory.begin(), memory.end(), [](std::uint8_t b) { return b == 0xFF; })) {
            return "erased";
        }
        return memory == image ? "file" : "other";
    };
    char text[96];
    std::snprintf(text, sizeof text, "code %s, data %s, security %02X, bootload %02X",
                  what(state.code, CodeImage(file("app.hex") + file("-"))),
                  what(state.data, DataImage(file("data.txt"))), state.security, state.bootload);
    return text;
}

// A bench run's times and seconds, which no two runs share: "{time}" and "{s}".
std::string Normalized(const std::string& text) {
    static const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    static const std::regex seconds(R"((, |,|"seconds": )\d+\.\d( s$|$|\}$))",
                                    std::regex::multiline);
    return std::regex_replace(std::regex_replace(text, time, "{time}"), seconds, "$1{s}$2");
}

// Whole lines in this order; from the log's blank first line on, every line.
void ExpectOut(const std::string& out, const Words& lines, const std::string& dir,
               const std::string& tty = "") {
    std::string all;
    for (const std::string& line : lines) all += Replaced(line, dir, tty) + "\n";
    if (!lines.empty() && lines[0].empty()) {
        EXPECT_EQ(out, all);
        return;
    }
    const std::string text = "\n" + out;
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::string whole = "\n" + Replaced(line, dir, tty) + "\n";
        from = text.find(whole, from);
        ASSERT_NE(from, std::string::npos) << "missing in order: [" << whole << "]\n" << out;
        from += whole.size() - 1;
    }
}

int Count(const std::vector<TraceEntry>& trace, const std::string& kind) {
    return static_cast<int>(std::count_if(trace.begin(), trace.end(), [&](const TraceEntry& e) {
        return e.received && (e.kind == kind || Hex(e.bytes).starts_with(kind));
    }));
}

void ExpectReceived(const std::vector<TraceEntry>& trace, const Received& rule) {
    std::size_t i = 0;
    for (int seen = 0; seen < rule.n; ++i) {
        ASSERT_LT(i, trace.size()) << "the device never received " << rule.kind << " #" << rule.n;
        seen += Count({trace[i]}, rule.kind);
    }
    for (; i < trace.size(); ++i) {
        EXPECT_TRUE(!trace[i].received || rule.forbidden.find(trace[i].kind) == std::string::npos)
            << trace[i].kind << " sent after " << rule.kind << " #" << rule.n;
    }
}

// Whether a process that is not tovrel can open the line now, and no lock file names it.
bool PortFree(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    close(fd);
    std::string flat = path;
    std::replace(flat.begin(), flat.end(), '/', '_');
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp"}) {
        for (const std::string& name : {"LCK.." + flat, "LCK.." + flat.substr(1)}) {
            if (fs::exists(fs::path(folder) / name)) return false;
        }
    }
    return true;
}

class FaultSuite : public ::testing::TestWithParam<FaultCase> {
  protected:
    // The program's own folder copied beside the case's profile files, when it has any.
    void PrepareProgram(const FaultCase& row) {
        if (std::none_of(row.files.begin(), row.files.end(),
                         [](const CaseFile& f) { return f.name.starts_with("program/"); })) {
            return;
        }
        const fs::path folder = m_dir.Path("program");
        fs::create_directories(folder / "Configuration");
        fs::copy(fs::path(TOVREL_SOURCE) / "Configuration", folder / "Configuration");
        fs::copy_file(m_program, folder / "tovrel");
        m_program = (folder / "tovrel").string();
    }

    // The case's files; returns what goes to standard input.
    std::string WriteFiles(const FaultCase& row) {
        for (const CaseFile& file : row.files) {
            if (file.made == CaseFile::Made::Link) {
                fs::create_symlink(file.contents(), m_dir.Path(file.name));
            } else if (file.made == CaseFile::Made::Fifo) {
                mkfifo(m_dir.Path(file.name).c_str(), 0600);
            } else if (file.name.ends_with('/')) {
                fs::create_directories(m_dir.Path(file.name));
            } else if ((m_written[file.name] = file.contents()), file.name != "-") {
                m_dir.Write(file.name, m_written[file.name]);
            }
        }
        return m_written["-"];
    }

    // As root, which may open anything, the program is run as the user nobody instead, who
    // may read the case's folder but not the device.
    bool RunAsNobody() {
        if (geteuid() != 0) return true;
        if (!fs::exists(kSetpriv)) return false;
        fs::permissions(m_dir.Path(), fs::perms::all);
        m_prefix = {"--reuid=65534", "--regid=65534", "--clear-groups", m_program};
        m_program = kSetpriv;
        return true;
    }

    // The file-size limit of the row, set by prlimit before the program starts.
    void LimitFileSize(long bytes) {
        if (bytes == 0) return;
        m_prefix = {"--fsize=" + std::to_string(bytes), m_program};
        m_program = kPrlimit;
    }

    std::string PortPath(const FaultCase& row, const SimProcess& sim) {
        if (row.port == Port::Missing || row.port == Port::OnCom2) return m_dir.Path("no-such-tty");
        if (row.port == Port::NoPermission) chmod(sim.Path().c_str(), 0);
        return sim.Path();
    }

    // The program's words and environment: leading NAME=value words set a variable.
    Words Command(const std::string& line, Environment& env) {
        Words words{m_program};
        words.insert(words.end(), m_prefix.begin(), m_prefix.end());
        for (const std::string& word : Split(line)) {
            const std::size_t equals = word.find('=');
            if (words.size() > 1 + m_prefix.size() || equals == std::string::npos) {
                words.push_back(Replaced(word, m_dir.Path()));
            } else if (equals + 1 == word.size()) {
                env.erase(word.substr(0, equals));
            } else {
                env[word.substr(0, equals)] = Replaced(word.substr(equals + 1), m_dir.Path());
            }
        }
        return words;
    }

    // COMn reaches device: through TOVREL_COMn, or under wine through the prefix's link.
    void Connect(Environment& env, int com, const std::string& device) {
        if (m_wine != nullptr) {
            m_wine->Link(com, device);
        } else {
            env["TOVREL_COM" + std::to_string(com)] = device;
        }
    }

    ProgramRun Run(const Words& words, const Environment& env, const RunOptions& options) {
        return m_wine != nullptr ? m_wine->Run(words, env, options)
                                 : RunProgram(words, env, options);
    }

    void RunRow(const FaultCase& row);

    TempDir m_dir;
    WinePrefix* m_wine = nullptr;  // the Windows slice's, which runs tovrel.exe under wine
    std::string m_program = ProgramFolder() + "/tovrel";
    Words m_prefix;  // words before the program's own (the program itself, run as nobody)
    std::map<std::string, std::string> m_written;  // the case's files by name, as written
};

// The Windows program under wine, the devices its COM ports through the prefix's links.
class WineFaultSuite : public FaultSuite {
  protected:
    void SetUp() override {
        if (WineProgram().empty()) {
            GTEST_SKIP() << "TOVREL_WINE_PROGRAM does not name a tovrel.exe to run under wine "
                            "(./setup.sh windows sets it)";
        }
        if (!GetParam().notUnderWine.empty()) GTEST_SKIP() << GetParam().notUnderWine;
        std::string error;
        m_wine = SuiteWine(error);
        ASSERT_NE(m_wine, nullptr) << error;
        m_program = FoundOnPath("wine");
        m_prefix = {WineProgram()};
    }
};

TEST_P(FaultSuite, EndsAsTheUserIsToldAndLeavesThePortFree) { RunRow(GetParam()); }
TEST_P(WineFaultSuite, EndsAsTheUserIsToldAndLeavesThePortFree) { RunRow(GetParam()); }

void FaultSuite::RunRow(const FaultCase& row) {
    if (row.port == Port::NoPermission && !RunAsNobody()) {
        GTEST_SKIP() << "running as root without setpriv: the permission check on the device "
                        "is bypassed";
    }
    PrepareProgram(row);
    LimitFileSize(row.fileSizeLimit);
    RunOptions options{.input = WriteFiles(row),
                       .brokenOutput = row.interrupt.signal == SIGPIPE,
                       .killAfterMs = kRunLimitMs};
    const std::string trace = m_dir.Path("trace"), dir = m_dir.Path();
    Words simWords = Split(row.sim, "--");
    simWords.insert(simWords.end(), {"--trace", trace, "--state", m_dir.Path("state")});
    SimProcess sim(ProgramFolder() + "/pellicon-sim", simWords);
    ASSERT_TRUE(sim.Started()) << sim.Error();
    QtSerialPort holder;  // another program that has the line open
    if (row.port == Port::Held) {
        ASSERT_FALSE(holder.Open(sim.Path(), 9600));
    }
    Environment env = OwnEnvironment({"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"});
    env.insert({{"HOME", dir}, {"XDG_CONFIG_HOME", m_dir.Path("config")}});
    Connect(env, 1, PortPath(row, sim));
    Connect(env, 2, sim.Path());
    if (row.interrupt.signal != 0 && !options.brokenOutput) {
        options.whileRunning = [&, sent = 0,
                                last = std::chrono::steady_clock::time_point()](pid_t pid) mutable {
            const auto now = std::chrono::steady_clock::now();
            if (sent == row.interrupt.times || (sent > 0 && now - last < kSignalGap)) return;
            if (sent > 0 || Count(ReadTrace(trace), row.interrupt.kind) >= row.interrupt.n) {
                sent += kill(pid, row.interrupt.signal) == 0 ? 1 : 0;
                last = now;
            }
        };
    }
    std::vector<std::unique_ptr<SimProcess>> more;
    for (const std::string& options : row.moreSims) {
        more.push_back(
            std::make_unique<SimProcess>(ProgramFolder() + "/pellicon-sim", Split(options, "--")));
        Connect(env, 2 + static_cast<int>(more.size()), more.back()->Path());
    }
    Environment secondEnv = env;
    ProgramRun second;
    std::thread beside;
    if (row.second.alongside) {
        beside = std::thread([&] {
            second =
                Run(Command(row.second.words, secondEnv), secondEnv, {.killAfterMs = kRunLimitMs});
        });
    }
    const ProgramRun run = Run(Command(row.words, env), env, options);
    if (beside.joinable()) beside.join();
    if (!row.second.words.empty() && !row.second.alongside) {
        second = Run(Command(row.second.words, secondEnv), secondEnv, {.killAfterMs = kRunLimitMs});
    }
    holder.Close();
    if (row.port == Port::NoPermission) chmod(sim.Path().c_str(), S_IRUSR | S_IWUSR);
    // TOVREL_FAULTS_SHOW=1 prints what each run showed, for writing a new row.
    if (std::getenv("TOVREL_FAULTS_SHOW") != nullptr) {
        std::cout << "status " << run.status << "\n--out\n"
                  << run.out << "--err\n"
                  << run.err << "--second " << second.status << "\n"
                  << second.out << second.err;
    }
    if (!row.second.words.empty()) {
        EXPECT_EQ(second.status, 0) << second.out << second.err;
    }
    EXPECT_EQ(run.status, row.status) << run.out << run.err;
    ExpectOut(Normalized(run.out), row.out, dir, sim.Path());
    ExpectOut(Normalized(second.out), row.second.out, dir);
    if (!row.fileAfter.first.empty()) {
        std::istringstream text(Normalized(m_dir.Read(row.fileAfter.first)));
        Words lines, expected;
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        for (const std::string& line : row.fileAfter.second)
            expected.push_back(Replaced(line, dir));
        std::sort(lines.begin(), lines.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(lines, expected);
    }
    EXPECT_EQ(run.err, Replaced(row.err, dir, sim.Path()));
    if (!sim.WaitForExit(0)) {
        EXPECT_TRUE(PortFree(sim.Path()));
    }
    sim.Stop();
    ExpectReceived(ReadTrace(trace), row.received);
    if (!row.state.empty()) {
        EXPECT_EQ(DescribeState(ReadSimState(m_dir.Path("state")), m_written), row.state);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultSuite, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Wine, WineFaultSuite, ::testing::ValuesIn(WineCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

std::string WineProgram() {
    const char* exe = std::getenv("TOVREL_WINE_PROGRAM");
    return exe == nullptr || *exe == '\0' ? "" : fs::absolute(exe).string();
}

testbed::WinePrefix* SuiteWine(std::string& error) {
    static const auto wine = std::make_unique<testbed::WinePrefix>();
    error = wine->Error();
    return wine->Started() ? wine.get() : nullptr;
}
}  // namespace tovrel::testing

#include "bench/bench_replay.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace tovrel::bench {
namespace {

constexpr int kAnswerTimeoutMs = 2000;
// The only rates the traced runs use: the boot loader's and the fast one.
constexpr long kBootRate = 9600;
constexpr long kFastRate = 115200;

struct Exchange {
    std::vector<std::uint8_t> message;
    long baud = 0;
    std::size_t answerBytes = 0;
};

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<Exchange> ReadExchanges(const std::string& path) {
    std::ifstream in(path);
    std::vector<Exchange> exchanges;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fields(text);
        double seconds = 0;
        std::string direction, hex, kind;
        long baud = 0;
        if (!(fields >> seconds >> direction >> hex >> kind >> baud)) continue;
        if (direction == "RX") {
            exchanges.push_back(Exchange{FromHex(hex), baud, 0});
        } else if (!exchanges.empty()) {
            exchanges.back().answerBytes += hex.size() / 2;
        }
    }
    return exchanges;
}

bool SetSpeed(int fd, long baud) {
    const speed_t speed = baud == kBootRate ? B9600 : baud == kFastRate ? B115200 : B0;
    termios line{};
    if (speed == B0 || tcgetattr(fd, &line) != 0) return false;
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    return tcsetattr(fd, TCSANOW, &line) == 0;
}

bool ReadAnswer(int fd, std::size_t count) {
    std::vector<std::uint8_t> buffer(count);
    std::size_t got = 0;
    while (got < count) {
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, kAnswerTimeoutMs) <= 0) return false;
        const ssize_t n = read(fd, buffer.data() + got, count - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool ReplayTrace(const std::string& tracePath, const std::string& port, std::string& error) {
    const std::vector<Exchange> exchanges = ReadExchanges(tracePath);
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + port;
        return false;
    }
    long rate = 0;
    bool ok = true;
    for (std::size_t i = 0; ok && i < exchanges.size(); ++i) {
        const Exchange& exchange = exchanges[i];
        if (exchange.baud != rate && !SetSpeed(fd, exchange.baud)) {
            error = "cannot set " + std::to_string(exchange.baud) + " baud";
            ok = false;
            break;
        }
        rate = exchange.baud;
        ok = write(fd, exchange.message.data(), exchange.message.size()) ==
                 static_cast<ssize_t>(exchange.message.size()) &&
             ReadAnswer(fd, exchange.answerBytes);
        if (!ok) error = "no answer to message " + std::to_string(i + 1);
    }
    close(fd);
    return ok;
}

}  // namespace tovrel::bench

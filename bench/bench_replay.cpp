#include "bench/bench_replay.h"

#include <vector>

#include "testbed/raw_line.h"

namespace tovrel::bench {
namespace {

constexpr int kAnswerTimeoutMs = 2000;

struct Exchange {
    testbed::Bytes message;
    long baud = 0;
    std::size_t answerBytes = 0;
};

std::vector<Exchange> ReadExchanges(const std::string& path) {
    std::vector<Exchange> exchanges;
    for (const testbed::TraceEntry& entry : testbed::ReadTrace(path)) {
        if (entry.received) {
            exchanges.push_back(Exchange{entry.bytes, entry.baud, 0});
        } else if (!exchanges.empty()) {
            exchanges.back().answerBytes += entry.bytes.size();
        }
    }
    return exchanges;
}

}  // namespace

bool ReplayTrace(const std::string& tracePath, const std::string& port, std::string& error) {
    const std::vector<Exchange> exchanges = ReadExchanges(tracePath);
    testbed::RawLine line(port);
    if (!line.IsOpen()) {
        error = "cannot open " + port;
        return false;
    }
    long rate = 0;
    for (std::size_t i = 0; i < exchanges.size(); ++i) {
        const Exchange& exchange = exchanges[i];
        if (exchange.baud != rate && !line.SetSpeed(exchange.baud)) {
            error = "cannot set " + std::to_string(exchange.baud) + " baud";
            return false;
        }
        rate = exchange.baud;
        if (!line.Write(exchange.message) ||
            line.Read(exchange.answerBytes, kAnswerTimeoutMs).size() != exchange.answerBytes) {
            error = "no answer to message " + std::to_string(i + 1);
            return false;
        }
    }
    return true;
}

}  // namespace tovrel::bench

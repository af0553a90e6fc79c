#include "station/console_output.h"

#include <vector>

namespace tovrel {

std::vector<std::string> MessageLines(const std::string& text, const std::string& details) {
    std::vector<std::string> lines(1);
    const std::string all = details.empty() ? text : text + "\n" + details;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == '\r' || all[i] == '\n') {
            if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += all[i];
        }
    }
    return lines;
}

// One call, one flush: a whole line (or a message's lines) at a time.
void TextOutput::Write(std::ostream& stream, const std::string& text) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    stream << text << std::flush;
}

void TextOutput::Line(const std::string& port, const std::string& line) {
    Write(m_out, Prefix(port) + line + "\n");
}

void TextOutput::Message(const std::string& port, const std::string& text, const std::string& title,
                         const std::string& details) {
    std::string block;
    for (const std::string& line : MessageLines(title + ": " + text, details)) {
        block += Prefix(port) + line + "\n";
    }
    Write(m_err, block);
}

void TextOutput::Note(const std::string& port, const std::string& text) {
    Write(m_err, Prefix(port) + text + "\n");
}

void TextOutput::Summary(const BoardResult& result) {
    if (m_summaries) Write(m_out, SummaryLine(result) + "\n");
}

void TextOutput::Total(const BenchTotals& totals) {
    if (m_summaries) Write(m_out, TotalLine(totals) + "\n");
}

void JsonOutput::Write(std::ostream& stream, const std::string& text) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    stream << text << "\n" << std::flush;
}

void JsonOutput::Line(const std::string& port, const std::string& line) {
    Write(m_out, JsonStatusLine(port, line));
}

void JsonOutput::Message(const std::string& port, const std::string& text, const std::string& title,
                         const std::string& details) {
    const std::vector<std::string> lines = MessageLines(text, details);
    std::string joined = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i) joined += "\n" + lines[i];
    Write(m_out, JsonMessage(port, joined, title));
}

void JsonOutput::Note(const std::string& port, const std::string& text) {
    Write(m_err, port + ": " + text);
}

void JsonOutput::Progress(const std::string& port, int percent) {
    if (percent >= 0) Write(m_out, JsonProgress(port, percent));
}

void JsonOutput::Summary(const BoardResult& result) { Write(m_out, JsonResult(result)); }

void JsonOutput::Total(const BenchTotals& totals) { Write(m_out, JsonTotal(totals)); }

}  // namespace tovrel

#include "cli/TerminalProgress.h"

#include "cli/Console.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr size_t kBarWidth = 20;
constexpr char kEraseLine[] = "\r\033[K";

size_t terminalWidth()
{
    const int columns = platform::consoleColumns();
    return columns > 0 ? static_cast<size_t>(columns) : 80;
}

// The last `width` bytes of `text`, led by "..." when cut, never starting
// inside a UTF-8 sequence.
std::string tail(const std::string& text, size_t width)
{
    if (text.size() <= width)
        return text;
    if (width <= 3)
        return std::string(width, '.');
    size_t start = text.size() - (width - 3);
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start;
    return "..." + text.substr(start);
}

} // namespace

void TerminalProgress::setCaption(const std::string& text)
{
    // The job prints its trace lines after the caption; keep them off the
    // bar's line until its file loop begins.
    clear();
    m_caption = text;
    m_file.clear();
    m_lower = m_upper = m_position = 0;
    m_showing = false;
}

void TerminalProgress::setUpperLine(const std::string& text)
{
    m_file = text;
    draw(false);
}

void TerminalProgress::setRange(uint32_t lower, uint32_t upper)
{
    m_lower = lower;
    m_upper = upper;
    m_showing = true;
    draw(true);
}

void TerminalProgress::setPosition(uint32_t position)
{
    m_position = position;
    draw(false);
}

void TerminalProgress::clear()
{
    if (!m_drawn)
        return;
    erase();
    std::fflush(m_out);
    m_drawn = false;
}

void TerminalProgress::erase()
{
    if (m_escapes) {
        std::fputs(kEraseLine, m_out);
        return;
    }
    std::fputc('\r', m_out);
    if (m_drawn && m_drawnWidth > 0) {
        const std::string blanks(m_drawnWidth, ' ');
        std::fwrite(blanks.data(), 1, blanks.size(), m_out);
        std::fputc('\r', m_out);
    }
}

void TerminalProgress::draw(bool force)
{
    if (!m_showing)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_drawn && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;

    const uint64_t span = m_upper > m_lower ? m_upper - m_lower : 0;
    const uint64_t done = std::clamp<uint64_t>(m_position > m_lower ? m_position - m_lower : 0, 0, span);
    const size_t filled = span ? static_cast<size_t>(done * kBarWidth / span) : 0;
    const unsigned percent = span ? static_cast<unsigned>(done * 100 / span) : 0;
    char figures[16];
    std::snprintf(figures, sizeof figures, "] %3u%% ", percent);

    std::string line = m_caption + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + figures;
    // One column stays free: writing the last one wraps on some terminals.
    const size_t width = terminalWidth() - 1;
    if (line.size() < width)
        line += tail(PrintableName(m_file), width - line.size());
    else
        line = tail(line, width);

    std::fflush(stdout); // trace lines written so far come before the bar
    if (m_escapes) {
        std::fputs(kEraseLine, m_out);
    } else {
        // Overwritten in place: blanks cover what a longer line left.
        std::fputc('\r', m_out);
        if (m_drawn && m_drawnWidth > line.size())
            line.append(m_drawnWidth - line.size(), ' ');
    }
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
    m_drawnWidth = line.size();
    m_drawn = true;
}

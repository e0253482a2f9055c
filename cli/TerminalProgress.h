#pragma once
// The pack progress on a terminal: one line on standard error with the
// caption, a bar and the file being packed, redrawn in place at most ten
// times a second. Where the console understands escape sequences the line is
// erased with one; elsewhere (an older Windows console) it is overwritten
// after a carriage return and padded with blanks.

#include "pack/PackControls.h"

#include <chrono>
#include <cstdio>
#include <string>

class TerminalProgress : public PackControls {
public:
    explicit TerminalProgress(bool escapes, std::FILE* out = stderr) : m_escapes(escapes), m_out(out) {}

    void setCaption(const std::string& text) override;
    void setUpperLine(const std::string& text) override;
    void setLowerLine(const std::string&) override {}
    void setRange(uint32_t lower, uint32_t upper) override;
    void setPosition(uint32_t position) override;

    // Erases the line, so that other text can be printed on a clean line.
    void clear();

private:
    void draw(bool force);
    // Returns to the start of the line, erasing what was drawn on it.
    void erase();

    std::string m_caption;
    std::string m_file;
    uint32_t m_lower = 0;
    uint32_t m_upper = 0;
    uint32_t m_position = 0;
    bool m_showing = false;  // the bar is shown from the job's file loop on
    bool m_escapes;
    std::FILE* m_out;
    size_t m_drawnWidth = 0; // columns of the line on the screen
    bool m_drawn = false;    // a line is on the screen
    std::chrono::steady_clock::time_point m_lastDraw;
};

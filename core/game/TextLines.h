#pragma once
// Reads text files the way the quick launch's files are read: a line at a
// time, at most a fixed number of characters per read, with a CR LF pair and
// a lone LF each counting as one line-end character.

#include <cstddef>
#include <istream>
#include <string>

// Characters one read takes at most, the line end included.
constexpr size_t kMaxLineRead = 255;

struct TextLine {
    std::string text;     // the characters read, without the line end
    bool lineEnd = false; // the read stopped at a line end

    // Characters read, the line end counted as one.
    size_t length() const { return text.size() + (lineEnd ? 1 : 0); }
};

class TextLineReader {
public:
    // `in` should be opened in binary mode: CR LF is handled here.
    explicit TextLineReader(std::istream& in, size_t maxRead = kMaxLineRead);

    // Reads the next line or, for a line longer than the read limit, its next
    // piece. Returns false at the end of the file when nothing was read.
    bool Next(TextLine& line);

private:
    std::istream& m_in;
    size_t m_maxRead;
};

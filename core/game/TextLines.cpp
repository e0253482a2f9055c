#include "game/TextLines.h"

TextLineReader::TextLineReader(std::istream& in, size_t maxRead)
    : m_in(in)
    , m_maxRead(maxRead)
{
}

bool TextLineReader::Next(TextLine& line)
{
    line.text.clear();
    line.lineEnd = false;
    bool readAny = false;
    // The line end counts against the limit too, so a line of exactly
    // m_maxRead characters leaves its line end for the next read.
    while (line.text.size() < m_maxRead) {
        const int c = m_in.get();
        if (c == std::char_traits<char>::eof())
            break;
        readAny = true;
        if (c == '\n') {
            line.lineEnd = true;
            break;
        }
        if (c == '\r' && m_in.peek() == '\n') {
            m_in.get();
            line.lineEnd = true;
            break;
        }
        line.text.push_back(static_cast<char>(c));
    }
    return readAny;
}

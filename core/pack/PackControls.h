#pragma once
// The progress display as the pack job and the batch see it: a caption, two
// status lines and a bar. The window applies each call on its UI thread before
// it returns; the command line draws them on a terminal; tests record them.

#include <cstdint>
#include <string>

class PackControls {
public:
    virtual ~PackControls() = default;
    virtual void setCaption(const std::string& text) = 0;
    virtual void setUpperLine(const std::string& text) = 0; // file being packed, phases
    virtual void setLowerLine(const std::string& text) = 0; // packing mode
    virtual void setRange(uint32_t lower, uint32_t upper) = 0;
    virtual void setPosition(uint32_t position) = 0;
};

// Ignores everything; for callers that show no progress.
class NullPackControls : public PackControls {
public:
    void setCaption(const std::string&) override {}
    void setUpperLine(const std::string&) override {}
    void setLowerLine(const std::string&) override {}
    void setRange(uint32_t, uint32_t) override {}
    void setPosition(uint32_t) override {}
};

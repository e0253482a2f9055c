#pragma once
// The text of the Help box.
extern const char* const kHelpText;

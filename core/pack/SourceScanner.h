#pragma once
// Collects every file below a source folder into the current packer's name
// pool, depth first: the files of a folder before its subfolders, in listing
// order. Each name is the source path, "/", and the path below it with "/"
// separators (../data/sub/b.txt); each file's size is added to the packer's
// total source bytes.
//
// What the walk leaves out is counted as a skip of the packer (LeaveOut):
// a folder path over 509 characters, a file path over 511, a listed name over
// 259, and a folder that cannot be listed, each with a line naming it and the
// reason. A folder already on the current walk path (reached again through a
// symbolic link) is not entered twice; its files are packed once. Folders
// whose names begin with ".." are passed over; those beginning with a single
// "." are walked.

#include <string>

// Precondition: the current packer is set and holds a new, empty name pool.
// A source folder that does not exist adds nothing, silently. g_cancelPack is
// looked at before each subfolder: returns false when it cut the walk short.
bool scanSourceTree(const char* path);

// The file pass over one folder; `pattern` is the folder path followed by
// "/*" (or "*" after a trailing "/").
void scanDirectoryFiles(const char* pattern);

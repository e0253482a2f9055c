#pragma once
// Small helpers for the paths and names of a mod: separators, components,
// ASCII case, and whether a path is a folder. Every name a mod brings is
// compared in ASCII only: the game itself knows no other case folding.

#include <string>
#include <vector>

// The ASCII case fold: a letter's other case, every other byte as it is.
char upperAscii(char c);
char lowerAscii(char c);

// ASCII-only case-insensitive comparison of whole strings.
bool equalsNoCase(const std::string& a, const std::string& b);
// True when `text` begins with `start`, ASCII case ignored.
bool startsWithNoCase(const std::string& text, const std::string& start);

// `path` with every "\" written as "/".
std::string forwardSlashes(std::string path);
// `path` as the start of the paths below it: "/" separators and one final
// "/" ("dir" and "dir\\" give "dir/"); "" stays "", the current folder.
std::string folderPrefix(std::string path);
// `path` cut at its last separator ("/", and "\" where the system takes it
// for one): the folder before it, "" for a bare name and "/" for a name in
// the root, and the name after it.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
// The components of `path` between separators ("/" or "\"), in order, empty
// ones included: "/a//b" gives "", "a", "", "b"; "" gives one empty one.
std::vector<std::string> splitPath(const std::string& path);

// The two case-folded orders, which differ for the characters between the
// upper- and the lower-case letters ("_" among them):
// - listing order, in which directory listings come and files are packed:
//   ASCII letters folded to upper case, so "_x" comes after "Z"; names that
//   differ only in case by their unfolded bytes.
// - name order, in which the drop-downs sort: folded to lower case, so "_x"
//   comes before "a"; names that differ only in case are equal.
bool listingOrderLess(const std::string& a, const std::string& b);
bool nameOrderLess(const std::string& a, const std::string& b);

// The letters and digits a temporary file's random name part is made of,
// and `count` of them drawn at random (a new draw on every call, any thread).
inline constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
std::string randomLetters(size_t count);

// Sorts in name order; names equal in it keep their order.
void SortNoCase(std::vector<std::string>& names);

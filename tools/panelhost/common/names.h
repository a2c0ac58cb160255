// Names and paths as the aircraft check compares them: letter case folded,
// blanks trimmed, files told from folders.
#pragma once

#include <string>

// A blank: space, tab or a line end.
bool IsBlank(char c);
// Without blanks at either end.
std::string Trimmed(const std::string& text);
bool SameName(const std::string& a, const std::string& b);  // ignoring letter case
std::string Folded(std::string name);                       // in lower case, for sets of names
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
// Edits (insert, delete, replace, swap two neighbours) that turn A into B,
// or LIMIT + 1 when more than LIMIT are needed or a name is longer than 260
// characters. Letter case counts: compare Folded names to ignore it.
size_t EditDistance(const std::string& a, const std::string& b, size_t limit);

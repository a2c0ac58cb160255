// Paths as the tools take them apart.
#pragma once

#include <string>

// The folder part of PATH: everything before its last '\' or '/'; "" when it
// has neither, as the module takes its own folder from its file name.
std::string FolderOf(const std::string& path);

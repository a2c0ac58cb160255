// Running panelhost.exe as a child process, for the tests of its command line.
#pragma once

#include <string>

// Runs panelhost.exe from beside the test program; its exit status, with
// everything it printed in `output`.
int RunPanelhost(const std::string& arguments, std::string* output);
// The same with INPUT sent down a pipe into its standard input, then closed.
int RunPanelhostWithInput(const std::string& arguments, const std::string& input, std::string* output);
// The same as RunPanelhost for another program, given by its full path.
int RunProgram(const std::string& program, const std::string& arguments, std::string* output);

// The line of `output` that holds `part`, or "".
std::string LineWith(const std::string& output, const std::string& part);

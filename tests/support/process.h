#pragma once

#include <string>
#include <vector>

namespace test_support {

struct process_result {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell) and collects its exit code and both streams.
process_result run_process(const std::string& program, const std::vector<std::string>& args);

// The full path of a program found on PATH, or "" when there is none.
std::string find_program(const std::string& name);

}  // namespace test_support

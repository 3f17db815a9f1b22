#pragma once

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/report.h"

namespace cli {

enum exit_code { exit_ok = 0, exit_usage = 1, exit_input = 2 };

// A wrong command line: exit code 1.
struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// An input that cannot be read or a result that cannot be written: exit code 2.
struct input_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct option {
    const char* name;  // with its dashes, "--json"
    bool takes_value;
};

class arguments {
public:
    // Throws usage_error for an unknown option or one missing its value.
    arguments(const std::vector<std::string>& args, std::initializer_list<option> known);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The last value given for the option, or fallback.
    std::string get(const std::string& name, const std::string& fallback = {}) const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> all(const std::string& name) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::vector<std::string>> values_;
};

// Prints a report as one JSON object or as text lines.
void print_report(const value& report, bool json);

struct command {
    const char* name;
    const char* usage;    // one line: arguments and options
    const char* summary;  // what it does
    int (*run)(const std::vector<std::string>& args);
};

int run_info(const std::vector<std::string>& args);
int run_render(const std::vector<std::string>& args);
int run_snap(const std::vector<std::string>& args);
int run_decode_rre(const std::vector<std::string>& args);
int run_convert_image(const std::vector<std::string>& args);
int run_regrid(const std::vector<std::string>& args);
int run_compose(const std::vector<std::string>& args);
int run_geojson(const std::vector<std::string>& args);
int run_export_rre(const std::vector<std::string>& args);

}  // namespace cli

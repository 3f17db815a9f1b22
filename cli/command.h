#pragma once

// What every command of plotwright-cli is made of: its table entry (name, synopsis, options
// with their defaults, the function that runs it), the parsed command line it runs on, and
// the two kinds of failure it may end in. main.cpp holds the table and does everything
// around a run: --help, --version, parsing and refusing options, --code-page, exit codes and
// the messages of failures.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/report.h"

namespace platform {
class CException;
}

namespace cli {

enum exit_code { exit_ok = 0, exit_usage = 1, exit_input = 2 };

// A wrong command line: exit code 1, the message followed by the command's synopsis.
struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// An input that cannot be read or a result that cannot be written: exit code 2.
struct input_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "cannot VERB PATH: CAUSE", the one form of a file failure; no cause, no colon.
input_error cannot(const std::string& verb, const std::string& path, const std::string& cause = {});
// The cause of a failed system call, as the system words it (strerror).
std::string os_cause(int error);
// The cause a file exception carries: the system's wording of its error when it has one.
std::string cause_of(const platform::CException& e);
// Why a file cannot be opened for reading, for a reader that only answered that it could not:
// the system's reason, or `otherwise` when the file opens after all.
std::string open_cause(const std::string& path, const std::string& otherwise);

struct option {
    const char* name;   // with its dashes: "--size"
    const char* value;  // what its value looks like ("WxH"), or nullptr for a flag
    const char* help;   // what it does, with its default
    bool repeatable = false;
};

// Every command that reads or writes the system's 8-bit text (layer and field names) takes it.
extern const option code_page_option;

// A command line parsed against a command's options. An option the command does not take, or
// one missing its value, is a usage_error; of an option given twice the last value counts,
// unless it is repeatable.
class arguments {
public:
    arguments(const std::vector<std::string>& args, const std::vector<option>& known);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The value given for the option, or fallback.
    std::string get(const std::string& name, const std::string& fallback = {}) const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> all(const std::string& name) const;
    // For options that apply to some inputs only: a usage_error naming the first option given
    // that is not among those taken, and why ("for .shp files").
    void take_only(std::initializer_list<std::string_view> taken, const std::string& why) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::vector<std::string>> values_;
};

struct command {
    const char* name;
    const char* synopsis;  // its arguments: "INPUT.shp... -o OUT"
    const char* summary;   // what it does
    std::vector<option> options;
    int (*run)(const arguments& args);
};

int run_info(const arguments& args);
int run_render(const arguments& args);
int run_snap(const arguments& args);
int run_decode_rre(const arguments& args);
int run_convert_image(const arguments& args);
int run_regrid(const arguments& args);
int run_compose(const arguments& args);
int run_geojson(const arguments& args);
int run_export_rre(const arguments& args);

}  // namespace cli

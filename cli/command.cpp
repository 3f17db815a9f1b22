#include "cli/command.h"

#include <cstdio>

namespace cli {

arguments::arguments(const std::vector<std::string>& args, std::initializer_list<option> known) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-' || a == "--") {
            positional_.push_back(a);
            continue;
        }
        std::string name = a, inline_value;
        bool has_inline = false;
        if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
            name = a.substr(0, eq);
            inline_value = a.substr(eq + 1);
            has_inline = true;
        }
        const option* match = nullptr;
        for (const option& o : known)
            if (name == o.name) match = &o;
        if (!match) throw usage_error("unknown option " + name);
        if (!match->takes_value) {
            if (has_inline) throw usage_error("option " + name + " takes no value");
            values_[name].emplace_back();
            continue;
        }
        if (has_inline) {
            values_[name].push_back(inline_value);
        } else {
            if (i + 1 >= args.size()) throw usage_error("option " + name + " needs a value");
            values_[name].push_back(args[++i]);
        }
    }
}

std::string arguments::get(const std::string& name, const std::string& fallback) const {
    auto it = values_.find(name);
    return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> arguments::all(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::vector<std::string>{} : it->second;
}

void print_report(const value& report, bool json) {
    std::string text = json ? to_json(report) : to_text(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace cli

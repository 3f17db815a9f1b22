#include "cli/command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"
#include "platform/file.h"

namespace cli {

const option code_page_option{"--code-page", "NAME",
                              "the system's 8-bit character set of layer and field names, a converter "
                              "name such as CP1251, CP1252, CP932, KOI8-R, ISO-8859-5 (default: the "
                              "settings' CodePage, else CP1252)"};

input_error cannot(const std::string& verb, const std::string& path, const std::string& cause) {
    return input_error("cannot " + verb + " " + path + (cause.empty() ? "" : ": " + cause));
}

std::string os_cause(int error) { return std::strerror(error); }

std::string cause_of(const platform::CException& e) { return platform::reason_of(e); }

std::string open_cause(const std::string& path, const std::string& otherwise) {
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return os_cause(EISDIR);
    platform::CFile file;
    platform::CFileException error;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &error)) return cause_of(error);
    return otherwise;
}

arguments::arguments(const std::vector<std::string>& args, const std::vector<option>& known) {
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
        if (!match) throw usage_error("this command takes no option " + name);
        if (!match->value) {
            if (has_inline) throw usage_error("option " + name + " takes no value");
            values_[name].emplace_back();
            continue;
        }
        if (has_inline) {
            values_[name].push_back(inline_value);
        } else {
            if (i + 1 >= args.size()) throw usage_error("option " + name + " needs a value (" + match->value + ")");
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

void arguments::take_only(std::initializer_list<std::string_view> taken, const std::string& why) const {
    for (const auto& [name, values] : values_) {
        bool found = false;
        for (std::string_view t : taken) found |= name == t;
        if (!found) throw usage_error("option " + name + " does not apply " + why);
    }
}

}  // namespace cli

#pragma once

#include <QJsonObject>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace cli_test {

test_support::process_result run_cli(const std::vector<std::string>& args);
// Runs the command, expects exit code 0 and one JSON object on standard output.
QJsonObject run_json(const std::vector<std::string>& args);

}  // namespace cli_test

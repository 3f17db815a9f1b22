#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

namespace cli_test {

test_support::process_result run_cli(const std::vector<std::string>& args) {
    return test_support::run_process(PLOTWRIGHT_CLI, args);
}

QJsonObject run_json(const std::vector<std::string>& args) {
    auto result = run_cli(args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    QJsonParseError error;
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out;
    EXPECT_TRUE(doc.isObject()) << result.out;
    return doc.object();
}

}  // namespace cli_test

#include "tests/support/settings_sandbox.h"

#include <QSettings>
#include <QString>
#include <cstdlib>

namespace test_support {

settings_sandbox::settings_sandbox() {
    const QString dir = QString::fromStdString(dir_.path());
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, dir + "/user");
        QSettings::setPath(format, QSettings::SystemScope, dir + "/system");
    }
    // Programs started from the test find their settings through the environment.
    ::setenv("XDG_CONFIG_HOME", (dir_.path() + "/user").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (dir_.path() + "/system").c_str(), 1);
}

}  // namespace test_support

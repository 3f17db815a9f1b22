#include "platform/settings.h"

#include <QSettings>
#include <QString>

namespace platform::settings {
namespace {

const QString organisation = QStringLiteral("Tarvel technology");
const QString application = QStringLiteral("Orvella");

// A QSettings per call: they share their parsed files within the process, so a fresh one
// sees what another has just written, and nothing is held between calls.
std::string read(const char* key) {
    QSettings s(organisation, application);
    return s.value(QLatin1String(key)).toString().toStdString();
}

void write(const char* key, const std::string& text) {
    QSettings s(organisation, application);
    s.setValue(QLatin1String(key), QString::fromStdString(text));
    s.sync();
}

}  // namespace

std::string path_icons() { return read("PathIcons"); }
void set_path_icons(const std::string& folder) { write("PathIcons", folder); }

std::string code_page() { return read("CodePage"); }
void set_code_page(const std::string& name) { write("CodePage", name); }

}  // namespace platform::settings

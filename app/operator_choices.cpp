#include "app/operator_choices.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace app {

namespace {

// The dialogs open where the operator last chose a file.
QString last_folder() { return QSettings().value(QStringLiteral("Files/LastFolder")).toString(); }

QString remembered(const QString& path) {
    if (!path.isEmpty()) QSettings().setValue(QStringLiteral("Files/LastFolder"), QFileInfo(path).absolutePath());
    return path;
}

operator_choices standard_dialogs() {
    operator_choices c;
    c.open_file = [](QWidget* parent, const QString& filter) {
        return remembered(QFileDialog::getOpenFileName(parent, QString(), last_folder(), filter));
    };
    c.open_files = [](QWidget* parent, const QString& filter) {
        const QStringList paths = QFileDialog::getOpenFileNames(parent, QString(), last_folder(), filter);
        if (!paths.isEmpty()) remembered(paths.front());
        return paths;
    };
    c.save_file = [](QWidget* parent, const QString& filter, const QString& suffix) {
        QFileDialog dialog(parent, QString(), last_folder(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffix);
        return remembered(dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString());
    };
    c.color = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    };
    return c;
}

}  // namespace

operator_choices& choices() {
    static operator_choices c = standard_dialogs();
    return c;
}

}  // namespace app

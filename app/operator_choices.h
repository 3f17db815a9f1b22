#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace app {

// The choices the operator makes in the platform's standard dialogs: files and colours.
// One process-wide set; tests put answers of their own in place of the dialogs.
struct operator_choices {
    // A file to read, through a dialog with the filter (Qt's syntax); empty when cancelled.
    std::function<QString(QWidget* parent, const QString& filter)> open_file;
    // Files to read, several chosen at once; empty when cancelled.
    std::function<QStringList(QWidget* parent, const QString& filter)> open_files;
    // A file to write, with the default suffix and the question before overwriting.
    std::function<QString(QWidget* parent, const QString& filter, const QString& suffix)> save_file;
    // A colour, the given one preset; none when cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> color;
};

operator_choices& choices();

}  // namespace app

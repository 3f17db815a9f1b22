#pragma once

#include <QDialog>
#include <array>

#include "platform/ui_service.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace app {

// "Set point" over the model's coordinates dialog: the fields show its texts, the hemisphere
// buttons toggle it, and OK hands the typed texts back and stays open on a refused field.
class coords_dialog_widget : public QDialog {
    Q_OBJECT
public:
    coords_dialog_widget(platform::coords_dialog& dialog, QWidget* parent);

    QLineEdit* field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }
    QPushButton* latitude_button() const { return m_latitude; }
    QPushButton* longitude_button() const { return m_longitude; }
    QCheckBox* dont_use() const { return m_dontUse; }

    void accept() override;

private:
    platform::coords_dialog& m_dialog;
    std::array<QLineEdit*, platform::coords_dialog::field_count> m_fields{};
    QPushButton* m_latitude;
    QPushButton* m_longitude;
    QCheckBox* m_dontUse;
};

}  // namespace app

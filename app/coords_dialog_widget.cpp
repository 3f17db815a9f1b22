#include "app/coords_dialog_widget.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

namespace {

QString text_of(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

coords_dialog_widget::coords_dialog_widget(platform::coords_dialog& dialog, QWidget* parent)
    : QDialog(parent),
      m_dialog(dialog),
      m_latitude(new QPushButton(this)),
      m_longitude(new QPushButton(this)),
      m_dontUse(new QCheckBox(QStringLiteral("Don't use"), this)) {
    using F = platform::coords_dialog::field;
    setWindowTitle(text_of(dialog.GetCaption()));
    for (int i = 0; i < platform::coords_dialog::field_count; ++i) {
        auto* edit = new QLineEdit(text_of(dialog.GetText(i)), this);
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(i == F::latitude_minutes || i == F::longitude_minutes ? 110 : 70);
        m_fields[static_cast<std::size_t>(i)] = edit;
    }
    m_latitude->setText(text_of(dialog.GetLatitudeHemisphere()));
    m_longitude->setText(text_of(dialog.GetLongitudeHemisphere()));
    for (QPushButton* b : {m_latitude, m_longitude}) {
        b->setAutoDefault(false);
        b->setFixedWidth(36);
    }
    connect(m_latitude, &QPushButton::clicked, this, [this] {
        m_dialog.ToggleLatitudeHemisphere();
        m_latitude->setText(text_of(m_dialog.GetLatitudeHemisphere()));
    });
    connect(m_longitude, &QPushButton::clicked, this, [this] {
        m_dialog.ToggleLongitudeHemisphere();
        m_longitude->setText(text_of(m_dialog.GetLongitudeHemisphere()));
    });
    m_dontUse->setChecked(dialog.GetDontUse());

    auto* grid = new QGridLayout(this);
    auto row = [&](int r, const QString& label, int degrees, int minutes, QPushButton* hemisphere) {
        grid->addWidget(new QLabel(label, this), r, 0);
        grid->addWidget(field(degrees), r, 1);
        grid->addWidget(new QLabel(QStringLiteral("°"), this), r, 2);
        grid->addWidget(field(minutes), r, 3);
        grid->addWidget(new QLabel(QStringLiteral("'"), this), r, 4);
        grid->addWidget(hemisphere, r, 5);
    };
    row(0, QStringLiteral("Latitude"), F::latitude_degrees, F::latitude_minutes, m_latitude);
    row(1, QStringLiteral("Longitude"), F::longitude_degrees, F::longitude_minutes, m_longitude);
    grid->addWidget(new QLabel(QStringLiteral("Number"), this), 2, 0);
    grid->addWidget(field(F::number), 2, 1);
    grid->addWidget(m_dontUse, 3, 0, 1, 6);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 4, 0, 1, 6);
    QWidget* order[] = {field(F::latitude_degrees), field(F::latitude_minutes), m_latitude,
                        field(F::longitude_degrees), field(F::longitude_minutes), m_longitude,
                        field(F::number), m_dontUse};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    field(F::latitude_degrees)->setFocus();
    field(F::latitude_degrees)->selectAll();
}

void coords_dialog_widget::accept() {
    for (int i = 0; i < platform::coords_dialog::field_count; ++i) m_dialog.SetText(i, field(i)->text().toStdString());
    m_dialog.SetDontUse(m_dontUse->isChecked());
    if (m_dialog.OnOK()) {
        QDialog::accept();
        return;
    }
    const int bad = m_dialog.GetBadField();
    if (bad >= 0 && bad < platform::coords_dialog::field_count) {
        field(bad)->setFocus();
        field(bad)->selectAll();
    }
}

}  // namespace app

// The model's dialogs as windows: what the operator types and clicks reaches the model's
// dialog logic, and what it holds comes back into the windows.

#include <gmock/gmock.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/attribute_list_dlg.h"
#include "app/coords_dialog_widget.h"
#include "app/icon_chooser.h"
#include "app/points_list_widget.h"
#include "georef/coords_dlg.h"
#include "georef/dlg_points_list.h"
#include "georef/foot_hold.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/app/app_fixture.h"

namespace app_test {
namespace {

using F = platform::coords_dialog::field;

void type(QLineEdit* edit, const char* text) {
    edit->clear();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

TEST(Dialogs, CoordinatesTypedAreAppliedAndABadFieldKeepsTheDialogOpen) {
    test_support::recording_ui ui;
    georef::CFootHold footholds;
    const int index = footholds.Add({10, 20});
    footholds.SetGround(index, georef::CPt(-37.5, 55.25, 0.0));
    georef::CCoordsDlg logic(footholds, index);
    app::coords_dialog_widget dialog(logic, nullptr);
    EXPECT_EQ(dialog.field(F::latitude_degrees)->text(), QStringLiteral("55"));
    EXPECT_EQ(dialog.longitude_button()->text(), QStringLiteral("W"));

    type(dialog.field(F::latitude_minutes), "75");  // beyond 60
    dialog.show();
    QTest::mouseClick(dialog.latitude_button(), Qt::LeftButton);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible()) << "refused";
    EXPECT_EQ(ui.messages().size(), 1u);

    type(dialog.field(F::latitude_minutes), "30");
    QTest::mouseClick(dialog.longitude_button(), Qt::LeftButton);
    dialog.dont_use()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(footholds.GetGround(index)->y, -55.5) << "S, 55 degrees 30 minutes";
    EXPECT_DOUBLE_EQ(footholds.GetGround(index)->x, 37.5);
    EXPECT_FALSE(footholds.IsUsed(index));
}

TEST(Dialogs, FootholdListButtonsShowTheRowsAfresh) {
    test_support::recording_ui ui;
    georef::CFootHold footholds;
    for (int i = 0; i < 3; ++i) footholds.Add({10 * i, 5});
    georef::CDlgPointsList logic(footholds, nullptr);
    app::points_list_widget dialog(logic, nullptr);
    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("S 0 0.000'"));
    EXPECT_GE(table->columnWidth(2), table->fontMetrics().horizontalAdvance(QStringLiteral("N 55 44.400'")))
        << "a coordinate fits its column";

    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, table->visualItemRect(table->item(1, 0)).center());
    QTest::mouseClick(dialog.button(QStringLiteral("&Delete")), Qt::LeftButton);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("3"));

    ui.answer_coords([](platform::coords_dialog& d) {
        d.SetText(F::number, "7");
        return d.OnOK() ? platform::IDOK : platform::IDCANCEL;
    });
    QTest::mouseClick(dialog.button(QStringLiteral("&Edit")), Qt::LeftButton);
    EXPECT_EQ(ui.coords_dialogs().size(), 1u);
    QTest::mouseClick(dialog.button(QStringLiteral("Del All")), Qt::LeftButton);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(footholds.GetCount(), 0);
}

TEST_F(MainFrame, AttributeCellsClickedAreKeptOnlyByOK) {
    add("towns.shp");
    model::CSFLayer* towns = frame->composed_map()->GetLayer(0);
    const auto click = [](app::CAttributeListDlg& d, int row, int column) {
        QTableWidget* t = d.list();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, t->visualItemRect(t->item(row, column)).center());
    };
    for (const bool ok : {false, true}) {
        app::CAttributeListDlg dialog(frame->composed_map(), frame.get());
        QTimer::singleShot(0, &dialog, [&] {
            ASSERT_EQ(dialog.list()->rowCount(), 2);
            click(dialog, 0, 2);  // NAME drawn
            click(dialog, 1, 1);  // POP no longer saved
            ok ? dialog.accept() : dialog.reject();
        });
        dialog.DoModal();
        EXPECT_EQ(towns->m_aFieldLabel, (std::vector<std::uint8_t>{ok, 0}));
        EXPECT_EQ(towns->m_aFieldShown, (std::vector<std::uint8_t>{1, !ok}));
    }
}

TEST(Dialogs, IconChooserAnswersThePositionChosen) {
    const std::vector<std::uint16_t> pixels(16 * 16, 0xF800);
    const std::vector<platform::icon_choice> icons{{"icons 0", 16, 16, pixels.data()}, {"icons 1", 16, 16, pixels.data()}};
    app::icon_chooser chooser(icons, nullptr);
    ASSERT_EQ(chooser.list()->count(), 2);
    EXPECT_EQ(chooser.list()->item(1)->text(), QStringLiteral("icons 1"));
    chooser.accept();
    EXPECT_EQ(chooser.chosen(), -1) << "nothing selected";
    chooser.list()->setCurrentRow(1);
    chooser.accept();
    EXPECT_EQ(chooser.chosen(), 1);
}

}  // namespace
}  // namespace app_test

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "georef/coords_dlg.h"
#include "georef/dlg_points_list.h"
#include "georef/foot_hold.h"
#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "tests/georef/kernel_fixture.h"

using georef::CCoordsDlg;
using georef::CDlgPointsList;
using georef::CFootHold;
using georef::CPt;
using georef::snap_defect;
using platform::coords_dialog;
using platform::CPoint;
using Rows = std::vector<std::vector<std::string>>;

using FootHoldDialogs = KernelTest;

TEST_F(FootHoldDialogs, CoordinatesOpenInDegreesAndMinutesAndComeBack) {
    struct row {
        double lon, lat;
        std::vector<std::string> texts;  // lat deg, lat min, lon deg, lon min, number
        const char *ns, *ew;
    };
    const row rows[] = {
        {37.62, 55.75, {"55", "45", "37", "37.2", "1"}, "N", "E"},
        {-0.25, -0.5, {"0", "30", "0", "15", "1"}, "S", "W"},
        {0.0, 0.0, {"0", "0", "0", "0", "1"}, "N", "E"},
        {-179.999, 89.9875, {"89", "59.25", "179", "59.94", "1"}, "N", "W"},
    };
    for (const row& r : rows) {
        CFootHold list;
        list.Add(CPoint{3, 4});
        list.SetGround(0, CPt(r.lon, r.lat, 0.0));
        list.SetUnused(0);
        CCoordsDlg dlg(list, 0);
        EXPECT_EQ(dlg.GetCaption(), "Set point");
        for (int f = 0; f < coords_dialog::field_count; ++f) {
            // Minutes are shown to 15 digits: compare them as numbers.
            if (f == coords_dialog::latitude_minutes || f == coords_dialog::longitude_minutes)
                EXPECT_NEAR(std::stod(dlg.GetText(f)), std::stod(r.texts[f]), 1e-9) << r.lat << " " << f;
            else
                EXPECT_EQ(dlg.GetText(f), r.texts[f]) << r.lat << " " << f;
        }
        EXPECT_EQ(dlg.GetLatitudeHemisphere(), r.ns);
        EXPECT_EQ(dlg.GetLongitudeHemisphere(), r.ew);
        EXPECT_TRUE(dlg.GetDontUse());
        // OK on what it opened with gives the same place back.
        dlg.SetDontUse(false);
        ASSERT_TRUE(dlg.OnOK());
        EXPECT_NEAR(list.GetGround(0)->x, r.lon, 1e-12);
        EXPECT_NEAR(list.GetGround(0)->y, r.lat, 1e-12);
        EXPECT_TRUE(list.IsUsed(0));
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(FootHoldDialogs, OkAppliesNumberGroundAndUseOrRefusesAField) {
    CFootHold list;
    list.Add(CPoint{3, 4});
    CCoordsDlg dlg(list, 0);
    dlg.SetText(coords_dialog::latitude_degrees, " 12 ");
    dlg.SetText(coords_dialog::latitude_minutes, "+30");
    dlg.SetText(coords_dialog::longitude_degrees, "180");
    dlg.SetText(coords_dialog::longitude_minutes, "6e0");
    dlg.SetText(coords_dialog::number, "1000");
    dlg.ToggleLatitudeHemisphere();
    dlg.ToggleLongitudeHemisphere();
    dlg.ToggleLongitudeHemisphere();
    dlg.SetDontUse(true);
    ASSERT_TRUE(dlg.OnOK());
    EXPECT_DOUBLE_EQ(list.GetGround(0)->x, 180.1);
    EXPECT_EQ(list.GetGround(0)->y, -12.5);
    const CPt applied = *list.GetGround(0);
    EXPECT_EQ(list.GetNumber(0), 1000);
    EXPECT_EQ(list.GetUsedCount(), 0);
    EXPECT_EQ(dlg.GetBadField(), -1);

    // Each bad entry keeps the dialog open on its field and changes nothing.
    const struct {
        int field;
        const char* text;
        const char* message;
    } bad[] = {
        {coords_dialog::latitude_degrees, "91", "Please enter an integer between 0 and 90."},
        {coords_dialog::latitude_degrees, "-1", "Please enter an integer between 0 and 90."},
        {coords_dialog::latitude_degrees, "12.5", "Please enter an integer between 0 and 90."},
        {coords_dialog::latitude_minutes, "60.001", "Please enter a number between 0 and 60."},
        {coords_dialog::latitude_minutes, "1,5", "Please enter a number between 0 and 60."},
        {coords_dialog::latitude_minutes, "nan", "Please enter a number between 0 and 60."},
        {coords_dialog::longitude_degrees, "181", "Please enter an integer between 0 and 180."},
        {coords_dialog::longitude_degrees, "", "Please enter an integer between 0 and 180."},
        {coords_dialog::longitude_minutes, "-0.5", "Please enter a number between 0 and 60."},
        {coords_dialog::number, "1001", "Please enter an integer between 0 and 1000."},
        {coords_dialog::number, "99999999999", "Please enter an integer between 0 and 1000."},
    };
    for (const auto& b : bad) {
        CCoordsDlg again(list, 0);
        again.SetText(b.field, b.text);
        ui.clear();
        EXPECT_FALSE(again.OnOK()) << b.text;
        EXPECT_EQ(again.GetBadField(), b.field) << b.text;
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, b.message);
        EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONEXCLAMATION);
        EXPECT_EQ(*list.GetGround(0), applied);
        EXPECT_EQ(list.GetNumber(0), 1000);
    }
}

TEST_F(FootHoldDialogs, PointsListRowsAndButtons) {
    CFootHold list;
    list.Add(CPoint{0, 0});
    list.Add(CPoint{100, 0});
    list.Add(CPoint{0, 100});
    list.SetGround(0, CPt(37.62, 55.75, 0.0));
    list.SetGround(1, CPt(-0.5, 0.0, 0.0));
    list.SetGround(2, CPt(0.0, -12.999999, 0.0));
    list.SetUnused(1);
    list.SetNumber(2, 17);

    CDlgPointsList dlg(list, nullptr);
    EXPECT_EQ(dlg.GetCaption(), "Points list");
    const std::vector<std::tuple<std::string, int, int>> columns = {
        {"Number", 55, platform::LVCFMT_RIGHT},       {"Used", 35, platform::LVCFMT_CENTER},
        {"Latitude,  M", 80, platform::LVCFMT_RIGHT}, {"Longitude, M", 80, platform::LVCFMT_RIGHT},
        {"dx", 80, platform::LVCFMT_RIGHT},           {"dy", 80, platform::LVCFMT_RIGHT}};
    ASSERT_EQ(dlg.GetColumns().size(), columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        EXPECT_EQ(dlg.GetColumns()[c].title, std::get<0>(columns[c]));
        EXPECT_EQ(dlg.GetColumns()[c].width, std::get<1>(columns[c]));
        EXPECT_EQ(dlg.GetColumns()[c].format, std::get<2>(columns[c]));
    }
    // No transformation: the residual columns stay empty. Exactly 0 is south and west.
    EXPECT_EQ(test_support::recording_ui::rows_of(dlg),
              (Rows{{"1", "+", "N 55 45.000'", "E 37 37.200'", "", ""},
                    {"2", "-", "S 0 0.000'", "W 0 30.000'", "", ""},
                    {"17", "+", "S 12 60.000'", "W 0 0.000'", "", ""}}));

    // With one: ground minus where it puts the plane position.
    georef::CTrRSS tr;
    tr.SetParameters(0.0, 0.01, -0.01, 37.0, 55.0);
    CDlgPointsList withResiduals(list, &tr);
    EXPECT_EQ(withResiduals.GetText(0, 4), "0.620");
    EXPECT_EQ(withResiduals.GetText(0, 5), "0.750");
    EXPECT_EQ(withResiduals.GetText(1, 4), "-38.500");
    EXPECT_EQ(withResiduals.GetText(2, 5), "-67.000");

    // Before any click the first row is the selected one; Edit opens it, Delete removes it.
    EXPECT_EQ(dlg.GetSelectedRow(), 0);
    ui.answer_coords([](coords_dialog& c) {
        c.SetText(coords_dialog::number, "5");
        return c.OnOK() ? platform::IDOK : platform::IDCANCEL;
    });
    dlg.OnEdit();
    ASSERT_EQ(ui.coords_dialogs().size(), 1u);
    EXPECT_EQ(ui.coords_dialogs()[0].texts[coords_dialog::latitude_degrees], "55");
    EXPECT_EQ(dlg.GetText(0, 0), "5");
    dlg.OnClickRow(2);
    dlg.OnClickRow(7);  // no such row: the selection stays
    EXPECT_EQ(dlg.GetSelectedRow(), 2);
    dlg.OnDelete();
    EXPECT_EQ(dlg.GetRowCount(), 2);
    EXPECT_EQ(list.GetNumber(1), 2);
    // The selected row is gone: nothing is selected, and Delete and Edit do nothing.
    EXPECT_EQ(dlg.GetSelectedRow(), -1);
    dlg.OnDelete();
    dlg.OnEdit();
    EXPECT_EQ(dlg.GetRowCount(), 2);
    EXPECT_EQ(ui.coords_dialogs().size(), 1u);
    dlg.OnDeleteAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetUsedCount(), 0);
}

TEST_F(FootHoldDialogs, AClickAddsAFootholdUnlessCancelled) {
    CFootHold list;
    list.Add(CPoint{40, 40});
    list.SetGround(0, CPt(10.0, 20.0, 0.0));
    // Cancelled on the very place of an older foothold: the new one goes, the older stays.
    EXPECT_EQ(georef::AddFootHold(list, CPoint{40, 40}), -1);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(*list.GetGround(0), CPt(10.0, 20.0, 0.0));
    EXPECT_EQ(ui.coords_dialogs().size(), 1u);
    EXPECT_EQ(ui.coords_dialogs()[0].texts[coords_dialog::number], "2");

    ui.answer_coords([](coords_dialog& c) {
        c.SetText(coords_dialog::latitude_degrees, "55");
        return c.OnOK() ? platform::IDOK : platform::IDCANCEL;
    });
    EXPECT_EQ(georef::AddFootHold(list, CPoint{41, 40}), 1);
    EXPECT_EQ(list.GetGround(1)->y, 55.0);
    EXPECT_EQ(list.GetNumber(1), 3);

    while (list.Add(CPoint{0, 0}) >= 0) {
    }
    EXPECT_EQ(georef::AddFootHold(list, CPoint{1, 1}), -1);
    EXPECT_EQ(ui.coords_dialogs().size(), 2u);
}

TEST_F(FootHoldDialogs, PairsThatDoNotDetermineTheTransformation) {
    const struct {
        std::vector<CPt> plane, ground;
        snap_defect defect;
    } cases[] = {
        {{CPt(0, 0), CPt(1, 0)}, {CPt(0, 0), CPt(1, 0)}, snap_defect::too_few_pairs},
        {{CPt(5, 5), CPt(5, 5), CPt(5, 5)}, {CPt(1, 1), CPt(2, 1), CPt(1, 2)}, snap_defect::few_plane_points},
        {{CPt(5, 5), CPt(9, 5), CPt(5, 5), CPt(9, 5)}, {CPt(1, 1), CPt(2, 1), CPt(1, 2), CPt(3, 3)},
         snap_defect::few_plane_points},
        {{CPt(0, 0), CPt(100, 100), CPt(200, 200)}, {CPt(1, 1), CPt(2, 1), CPt(1, 2)}, snap_defect::plane_on_one_line},
        {{CPt(0, 0), CPt(100, 0), CPt(0, 100)},
         {CPt(37.0, 55.0, 0.0), CPt(37.01, 54.99, 0.0), CPt(37.02, 54.98, 0.0)},
         snap_defect::ground_on_one_line},
        {{CPt(0, 0), CPt(100, 0), CPt(0, 100)}, {CPt(7, 7), CPt(7, 7), CPt(8, 7)}, snap_defect::few_ground_points},
        {{CPt(0, 0), CPt(100, 0), CPt(0, 100)}, {CPt(7, 7), CPt(std::nan(""), 7.0, 0.0), CPt(8, 7)}, snap_defect::not_a_number},
        // A thin triangle is still a triangle.
        {{CPt(0, 0), CPt(4000, 0), CPt(2000, 1)}, {CPt(1, 1), CPt(2, 1), CPt(1.5, 1.001, 0.0)}, snap_defect::none},
    };
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.plane.size());
        EXPECT_EQ(georef::find_snap_defect(c.plane.data(), c.ground.data(), n), c.defect) << n;
        ui.clear();
        georef::CTrRSS tr;
        EXPECT_EQ(georef::SnapFit(tr, c.plane.data(), c.ground.data(), n), c.defect == snap_defect::none);
        EXPECT_EQ(tr.IsValid(), c.defect == snap_defect::none);
        if (c.defect == snap_defect::none) continue;
        // Said last, after whatever the kernel had to say.
        ASSERT_FALSE(ui.messages().empty());
        EXPECT_EQ(ui.messages().back().text, georef::explain(c.defect));
        EXPECT_EQ(ui.messages().back().icon, c.defect == snap_defect::too_few_pairs ? 0u : platform::MB_ICONEXCLAMATION);
    }
}

TEST_F(FootHoldDialogs, SnappingUsesTheUsedFootholdsAndSaysSo) {
    CFootHold list;
    const CPoint pixels[] = {{0, 0}, {1000, 0}, {0, 800}, {1000, 800}, {500, 400}, {20, 700}, {900, 100}};
    // Turned a quarter: x runs south, y runs west.
    georef::CTrRSS truth;
    truth.SetParameters(std::numbers::pi / 2, 1e-4, -1e-4, 30.0, 60.0);
    for (CPoint p : pixels) list.SetGround(list.Add(p), truth.Forward(CPt(p.x, p.y)));
    for (int i = 2; i < 7; ++i) list.SetUnused(i);

    georef::CTrRSS tr;
    EXPECT_FALSE(georef::SnapFootHolds(list, tr));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "No enough foothold points.\r\nAt least 3 points are need to snap the map");
    EXPECT_EQ(ui.messages()[0].icon, 0u);
    EXPECT_FALSE(tr.IsValid());

    list.SetUsed(4);
    ui.clear();
    bool sawItFitted = false;
    EXPECT_TRUE(georef::SnapFootHolds(list, tr, [&](const georef::CTrRSS& fitted) {
        sawItFitted = fitted.IsValid() && (ui.messages().empty() || ui.messages().back().caption == "ISML Message");
    }));
    // The steps from the identity may pass a rank-deficient Jacobian on the way; the kernel
    // says so, and then the snap is reported.
    ASSERT_FALSE(ui.messages().empty());
    for (std::size_t i = 0; i + 1 < ui.messages().size(); ++i) EXPECT_EQ(ui.messages()[i].caption, "ISML Message");
    EXPECT_EQ(ui.messages().back().text, "The map was snaped.");
    EXPECT_EQ(ui.messages().back().caption, "Plotwright");
    EXPECT_EQ(ui.messages().back().icon, platform::MB_ICONINFORMATION);
    for (int i = 0; i < 7; ++i) {
        const CPt p = list.GetPlane(i), want = truth.Forward(p), got = tr.Forward(p);
        EXPECT_NEAR(got.x, want.x, 1e-9);
        EXPECT_NEAR(got.y, want.y, 1e-9);
    }
}

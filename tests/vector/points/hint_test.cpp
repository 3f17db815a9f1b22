// The hover hint: its lines, its window's size and place, and when a moving mouse ends it.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "georef/transform.h"
#include "platform/ui_service.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/points/points_support.h"
#include "vector/hint_atr.h"

using namespace model;

namespace {

// A point layer of one map with two points far apart and fields AREA (real 12) and NAME
// (text "abc"), drawn through the map's view projection.
class PointHint : public ::testing::Test {
protected:
    test_support::recording_ui ui;
    CSFMap map;
    CSFLayerPoint* layer = nullptr;

    void SetUp() override {
        auto owned = std::make_unique<CSFLayerPoint>();
        layer = owned.get();
        layer->m_pShapes.resize(2);
        layer->m_nShapes = 2;
        layer->m_pShapes[0].m_pt = {37.0, 55.0};
        layer->m_pShapes[1].m_pt = {38.0, 56.0};
        layer->m_rcBounds = {37.0, 55.0, 38.0, 56.0};
        layer->m_bAttributes = 1;
        layer->m_aFieldNames = {"AREA", "NAME"};
        layer->m_aFieldKinds = {2, 3};
        layer->m_aFieldShown = {1, 1};
        layer->m_aFieldLabel = {0, 0};
        for (CSFPoint& p : layer->m_pShapes) {
            p.SetAttributeCount(2);
            p.SetAttribute(0, _attrValue::from_double(12));
            p.SetAttribute(1, _attrValue::from_text(u"abc"));
        }
        layer->m_pTransform = map.get_transform();
        map.AddLayer(std::move(owned));
        map.RecomputeBounds();
        map.SetViewport(800, 600);
        map.ZoomToExtent();
    }

    // A mouse point inside the 16 x 16 box right of and below point i.
    platform::CPoint over(std::size_t i, int dx = 5, int dy = 5) {
        const platform::CPoint at = map.get_transform()->GeoToScreen(layer->m_pShapes[i].m_pt.X, layer->m_pShapes[i].m_pt.Y);
        return {at.x + dx, at.y + dy};
    }
};

// Builds a locale whose decimal separator is a comma, for this process only.
bool comma_locale(const std::string& dir) {
    const std::string localedef = test_support::find_program("localedef");
    if (localedef.empty()) return false;
    test_support::run_process(localedef, {"-i", "de_DE", "-f", "UTF-8", dir + "/de_DE.UTF-8"});
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

}  // namespace

TEST_F(PointHint, LinesNameEachShownFieldFollowedByItsValue) {
    EXPECT_EQ(layer->hint_lines(layer->m_pShapes[0]), (std::vector<std::u16string>{u"AREA   12.000000", u"NAME   abc"}));

    // Logicals as integers; a shown field of no kind is an empty line; hidden fields none.
    layer->m_aFieldNames = {"ALIVE", "BORN", "AREA", "NAME"};
    layer->m_aFieldKinds = {1, 0, 2, 3};
    layer->m_aFieldShown = {1, 1, 0, 1};
    CSFPoint p;
    p.SetAttributeCount(4);
    p.SetAttribute(0, _attrValue::from_int(-1));
    p.SetAttribute(2, _attrValue::from_double(3));
    p.SetAttribute(3, _attrValue::from_text(u"Жужа"));
    EXPECT_EQ(layer->hint_lines(p), (std::vector<std::u16string>{u"ALIVE   -1", u"", u"NAME   Жужа"}));
}

TEST_F(PointHint, NumbersKeepTheirPointWhateverTheUsersLocale) {
    test_support::temp_dir dir;
    if (!comma_locale(dir.path())) GTEST_SKIP() << "no locale with a decimal comma can be made here";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 12.0);
    const std::string in_locale = probe;
    CSFPoint p;
    p.SetAttributeCount(2);
    p.SetAttribute(0, _attrValue::from_double(-1234.5));
    p.SetAttribute(1, _attrValue::from_text(u""));
    const auto lines = layer->hint_lines(p);
    const std::u16string label = _attrValue::from_double(0.25).label_text();
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    ASSERT_EQ(in_locale, "12,000000");
    EXPECT_EQ(lines[0], u"AREA   -1234.500000");
    EXPECT_EQ(label, u"0.25");
}

TEST(HintWindow, ThreeLinesOfTwelveCharactersMakeA106By66WindowBelowThePoint) {
    CHintAtr hint;
    hint.set_lines({u"AREA   12.00", u"NAME   abc", u"X"});
    hint.ShowAt(300, 200);
    EXPECT_EQ(hint.get_longest(), 12);
    EXPECT_EQ(hint.get_window_rect(), (platform::CRect{300, 220, 406, 286}));
    EXPECT_EQ(hint.get_anchor(), (platform::CPoint{300, 200}));

    // The pop-up fills itself with the tooltip colour and writes a line every 20 pixels.
    test_support::recording_dc dc;
    hint.paint(dc);
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{"FillSolidRect 0 0 106 66 " + std::to_string(CHintAtr::kBackground),
                                                    "TextOut 10 3 AREA   12.00", "TextOut 10 23 NAME   abc",
                                                    "TextOut 10 43 X"}));
    EXPECT_EQ(dc.GetBkColor(), CHintAtr::kBackground);
}

TEST_F(PointHint, HintOfThePointUnderTheMouseIsShownAtTheMouse) {
    const platform::CPoint mouse = over(1);
    layer->ShowHint({}, mouse, 0);
    ASSERT_EQ(ui.hints().size(), 1u);
    EXPECT_EQ(ui.hints()[0].lines, (std::vector<std::u16string>{u"AREA   12.000000", u"NAME   abc"}));
    EXPECT_EQ(ui.hints()[0].rect, (platform::CRect{mouse.x, mouse.y + 20, mouse.x + 16 * 8 + 10, mouse.y + 20 + 46}));
    EXPECT_EQ(layer->m_pHint, nullptr);

    // The mouse on the point's own corner hits nothing; neither does a layer without cells
    // asked to search its cells.
    layer->ShowHint({}, over(1, 0, 5), 0);
    layer->ShowHint({}, mouse, 1);
    EXPECT_EQ(ui.hints().size(), 1u);

    ASSERT_EQ(layer->Regrid(10, 10), 0);
    layer->ShowHint({}, over(0), 1);
    EXPECT_EQ(ui.hints().size(), 2u);
}

TEST_F(PointHint, MovesOfLessThan10PixelsKeepTheHintAndLongerOnesEndIt) {
    const platform::CPoint anchor = over(0, 3, 3);
    std::vector<std::size_t> shown_during;
    ui.while_hint_shown([&](std::size_t hint) {
        if (hint != 0) return;
        // The hover timer goes on ticking while the first hint is up.
        for (auto [dx, dy] : {std::pair{9, 9}, {-9, 9}, {9, -9}, {-9, -9}, {0, 0}}) {
            layer->ShowHint({}, {anchor.x + dx, anchor.y + dy}, 0);
            EXPECT_FALSE(ui.hints()[0].ended) << dx << "," << dy;
            EXPECT_NE(layer->m_pHint, nullptr);
        }
        shown_during.push_back(ui.hints().size());
        // Ten pixels to the right, still over the point: the hint ends and a new one opens.
        layer->ShowHint({}, {anchor.x + 10, anchor.y}, 0);
    });
    layer->ShowHint({}, anchor, 0);
    EXPECT_EQ(shown_during, (std::vector<std::size_t>{1}));
    ASSERT_EQ(ui.hints().size(), 2u);
    EXPECT_TRUE(ui.hints()[0].ended);
    EXPECT_EQ(ui.hints()[1].rect.left, anchor.x + 10);
    EXPECT_EQ(layer->m_pHint, nullptr);

    // Ten pixels up, away from any point: the hint ends and none follows.
    ui.while_hint_shown([&](std::size_t hint) {
        if (hint == 2) layer->ShowHint({}, {anchor.x, anchor.y - 10}, 0);
    });
    layer->ShowHint({}, anchor, 0);
    ASSERT_EQ(ui.hints().size(), 3u);
    EXPECT_TRUE(ui.hints()[2].ended);
    EXPECT_EQ(layer->m_pHint, nullptr);
}

TEST(HintWindow, EndedBeforeItIsShownItDoesNotOpen) {
    test_support::recording_ui ui;
    CHintAtr hint;
    hint.set_lines({u"a"});
    hint.EndDialog(platform::IDOK);
    EXPECT_EQ(hint.DoModal(), platform::IDOK);
    EXPECT_TRUE(ui.hints().empty());
}

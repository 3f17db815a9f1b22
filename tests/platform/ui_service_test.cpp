#include <gtest/gtest.h>

#include "platform/stderr_ui_service.h"
#include "platform/ui_service.h"
#include "tests/support/recording_ui_service.h"

using namespace platform;

TEST(UIService, ConsoleServiceWhenNothingIsInstalled) {
    EXPECT_NE(dynamic_cast<CStderrUIService*>(&ui()), nullptr);
    {
        test_support::recording_ui outer;
        EXPECT_EQ(&ui(), &outer);
        {
            test_support::recording_ui inner;
            EXPECT_EQ(&ui(), &inner);
            EXPECT_EQ(AfxMessageBox("hello", MB_YESNO | MB_ICONQUESTION), IDYES);
            ASSERT_EQ(inner.messages().size(), 1u);
            EXPECT_EQ(inner.messages()[0].caption, "Plotwright");
            EXPECT_EQ(inner.messages()[0].icon, MB_ICONQUESTION);
            EXPECT_EQ(inner.messages()[0].buttons, MB_YESNO);
            EXPECT_TRUE(outer.messages().empty());
        }
        EXPECT_EQ(&ui(), &outer);
    }
    EXPECT_NE(dynamic_cast<CStderrUIService*>(&ui()), nullptr);
    EXPECT_EQ(SetUIService(nullptr), nullptr);
}

TEST(UIService, AnswersQueuedThenDefault) {
    test_support::recording_ui rec;
    rec.answer_next(IDNO);
    EXPECT_EQ(ui().MessageBox("a", "c", MB_YESNO), IDNO);
    EXPECT_EQ(ui().MessageBox("b", "c", MB_YESNO), IDYES);
    EXPECT_EQ(ui().MessageBox("c", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(rec.messages().size(), 3u);
}

TEST(UIService, DefaultAnswers) {
    EXPECT_EQ(DefaultAnswer(MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(DefaultAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(DefaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(DefaultAnswer(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
    EXPECT_EQ(DefaultAnswer(MB_RETRYCANCEL), IDRETRY);
    // A third default on two buttons, or unknown bits, still answer something sensible.
    EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_DEFBUTTON3), IDNO);
    EXPECT_EQ(DefaultAnswer(0xF), IDOK);
}

TEST(UIService, TheConsoleShowsNoHintAndChoosesNoIcon) {
    // A console cannot hold a pop-up open: its hint ends at once, answering what EndDialog
    // said, if anything did.
    auto hint = ui().CreateHint({{u"line"}, {0, 0, 10, 10}, nullptr});
    EXPECT_EQ(hint->DoModal(), IDCANCEL);
    hint->EndDialog(IDOK);
    EXPECT_EQ(hint->DoModal(), IDOK);
    icon_choice icon{"icons 0", 1, 1, nullptr};
    EXPECT_EQ(ui().ChooseIcon({icon}), -1);
}

// Long work off the windows' thread: its answer and its errors come back, and the model's
// messages reach the operator on the windows' thread meanwhile.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <stdexcept>

#include "app/long_work.h"
#include "app/qt_ui_service.h"
#include "platform/ui_service.h"

namespace app_test {
namespace {

TEST(LongWork, RunsAwayFromTheWindowsAndBringsMessagesBack) {
    app::qt_ui_service service;
    QThread* windows = QThread::currentThread();
    QThread* worker = nullptr;
    QString shown;
    // The operator answers the message the work shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            if (QAbstractButton* retry = box->button(QMessageBox::Retry)) retry->click();
            else box->accept();
        }
    });
    answer.start(20);
    const int result = app::long_work::run(nullptr, QStringLiteral("Working"), [&] {
        worker = QThread::currentThread();
        EXPECT_TRUE(app::long_work::is_running());
        return platform::AfxMessageBox("Data error.", platform::MB_RETRYCANCEL | platform::MB_ICONSTOP);
    });
    EXPECT_EQ(result, platform::IDRETRY);
    EXPECT_EQ(shown, QStringLiteral("Data error."));
    EXPECT_NE(worker, windows);
    EXPECT_FALSE(app::long_work::is_running());

    EXPECT_THROW(app::long_work::run(nullptr, QStringLiteral("Failing"), [] { throw std::runtime_error("disk full"); }),
                 std::runtime_error);
    // The error told to the operator, and the answer given instead.
    const int failed = app::long_work::run_or(nullptr, QStringLiteral("Failing"), -1, []() -> int {
        throw std::runtime_error("disk full");
    });
    EXPECT_EQ(failed, -1);
    EXPECT_EQ(shown, QStringLiteral("disk full"));
}

}  // namespace
}  // namespace app_test

#pragma once
// The fixture of the set-up dialog and wizard tests: the sample kitchen database made at a fixed
// clock (2024-04-20), the batch window closed once a run has ended (unless `closing` is off), SQL
// reads of the database file, and a way to act inside a modal window.
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "platform/DateTime.h"
#include "platform/Sqlite.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

class SetUpDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        platform::SetFixedNow(platform::EncodeDateTime(2024, 4, 20, 9, 0, 0));
        sample = std::make_unique<vkttest::SampleDatabase>();
        object = &sample->Object();
        batch = ExecuteDlg(object);
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (closing && batch->isVisible() && !batch->GetRunning() &&
                batch->GetOperation() == TExecuteDialog::opNone)
                batch->GetBtnCancel()->click();
        });
        closer.start(5);
    }
    void TearDown() override
    {
        closer.stop();
        ExecuteDlg(nullptr);
        sample.reset();
        platform::SetClock({});
    }
    std::string Sql(const std::string& query) const
    {
        platform::Connection db(platform::DatabaseFilePath(sample->Folder()));
        platform::Statement statement(db, query);
        return statement.Step() ? statement.GetText(0) : std::string();
    }
    // Runs `act` inside the window that `show` opens modally; closes it when still open.
    template <class W>
    static void Inside(W* window, const std::function<void(W*)>& act, const std::function<void()>& show)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            act(window);
            if (window->isVisible()) window->done(0);
        });
        show();
        EXPECT_TRUE(ran);
    }

    std::unique_ptr<vkttest::SampleDatabase> sample;
    TVktObject* object = nullptr;
    // The batch window, looked at without binding it.
    TExecuteDialog* batch = nullptr;
    bool closing = true;

private:
    QTimer closer;
};

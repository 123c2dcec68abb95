#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "base/Exception.h"
#include "ui/Forms.h"

namespace {

class UiApplication : public ::testing::Test {
protected:
    UiApplication() {
        App.SetTitle("Konfiguracja BDE");
        App.SetMessageBoxView(&Box);
        App.Screen().SetView(&Screen);
    }

    TApplication App;
    TRecordingMessageBox Box;
    TRecordingScreen Screen;
};

TEST_F(UiApplication, ErrorBoxAddsAFullStopAfterCharactersAboveIt) {
    struct Case {
        std::string Message, Shown;
    };
    const std::vector<Case> cases{
        {"Niepoprawny typ danych : Server", "Niepoprawny typ danych : Server."},
        {"Key violation.", "Key violation."},
        {"Pole 'Nazwa' musi posiadać wartość", "Pole 'Nazwa' musi posiadać wartość."},  // UTF-8 tail byte
        {"Nie powiodło się!", "Nie powiodło się!"},                                      // '!' is below '.'
        {"Nazwa (SID)", "Nazwa (SID)"},                                                  // ')' is below '.'
        {"Indeks listy poza zakresem (-1", "Indeks listy poza zakresem (-1."},           // '1' is above
        {"C:\\NETWORK\\ADMIN/", "C:\\NETWORK\\ADMIN/."},                                 // '/' is the next code after '.'
        {"Ścieżka -", "Ścieżka -"},                                                      // '-' is just below
        {"", ""},
    };
    for (const auto& c : cases) App.HandleException(Exception(c.Message));

    ASSERT_EQ(Box.Shown.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Box.Shown[i].first, "Konfiguracja BDE");
        EXPECT_EQ(Box.Shown[i].second, cases[i].Shown) << "message: " << cases[i].Message;
    }
}

TEST_F(UiApplication, HandlesWhateverReachesTheMessageLoop) {
    App.HandleException(std::make_exception_ptr(std::runtime_error("Brak pamięci")));
    App.HandleException(std::make_exception_ptr(42));
    ASSERT_EQ(Box.Shown.size(), 2u);
    EXPECT_EQ(Box.Shown[0].second, "Brak pamięci.");
    EXPECT_FALSE(Box.Shown[1].second.empty());
}

TEST_F(UiApplication, WaitCursorIsRestoredOnEveryPath) {
    {
        TWaitCursor wait(App.Screen());
        EXPECT_EQ(App.Screen().Cursor(), crHourGlass);
    }
    EXPECT_EQ(App.Screen().Cursor(), crDefault);

    EXPECT_THROW(
        {
            TWaitCursor wait(App.Screen());
            throw Exception("Nie można połączyć z serwerem");
        },
        Exception);
    EXPECT_EQ(App.Screen().Cursor(), crDefault);
    EXPECT_EQ(Screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault, crHourGlass, crDefault}));
}

TEST_F(UiApplication, ErrorInOnCreateIsShownAndTheFormStillOpens) {
    TForm form(App);
    std::vector<std::string> steps;
    form.OnCreate = [&](TObject&) {
        steps.push_back("create");
        throw Exception("Nie można uruchomić BDE");
    };
    form.OnShow = [&](TObject&) { steps.push_back("show"); };

    form.DoCreate();
    ASSERT_EQ(Box.Shown.size(), 1u);
    EXPECT_EQ(Box.Shown[0].second, "Nie można uruchomić BDE.");
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(steps, (std::vector<std::string>{"create", "show"}));
}

TEST_F(UiApplication, ClosingTheMainFormTerminatesOnce) {
    TForm main(App);
    TForm other(App);
    App.SetMainForm(&main);
    int terminations = 0;
    App.OnTerminate = [&](TObject&) { ++terminations; };
    int closes = 0;
    main.OnClose = [&](TObject&) { ++closes; };
    main.Show();
    other.Show();

    other.Close();
    EXPECT_FALSE(other.Visible());
    EXPECT_FALSE(App.Terminated());

    main.Close();
    App.Terminate();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(main.Visible());
    EXPECT_TRUE(App.Terminated());
    EXPECT_EQ(terminations, 1);
}

}  // namespace

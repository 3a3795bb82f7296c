// The station editor: its rules on the view model (trimming, the URL
// messages, when the form can be confirmed, the field asked for, what is
// stored), then what only the sheet does: where the keyboard goes, Return
// and Escape, and the list it hands the keyboard back to.

#include "StationEditorViewModel.h"
#include "UiFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace tunara::testing {
namespace {

class StationEditorTest : public UiTest {
protected:
    StationEditorTest() { ui.setStations({"One", "Two"}); }

    // Adds when edited is negative, edits that station otherwise; past the
    // last, a station deleted meanwhile.
    std::unique_ptr<StationEditorViewModel> editor(int edited, const QString& presetURL = {})
    {
        std::optional<QUuid> id;
        if (edited >= 0)
            id = edited < ui.store->stations().size() ? ui.station(edited).id : QUuid::createUuid();
        return std::make_unique<StationEditorViewModel>(*ui.store, id, presetURL);
    }
};

// The texts typed (nullptr: as the editor opened), and what follows: whether
// "Add"/"Save" is enabled, the message, the field asked for ("" when saved),
// the stations afterwards and the URL saved.
struct SaveCase {
    int edited;
    const char *name, *url;
    bool canConfirm;
    const char *message, *field;
    QStringList names;
    const char* savedURL;
};

TEST_F(StationEditorTest, SavingTrimsValidatesAndAsksForTheFieldToFix)
{
    const SaveCase cases[] = {
        {-1, "", "", false, "", "name", {"One", "Two"}, ""},
        {-1, "   ", "http://127.0.0.1/a", false, "", "name", {"One", "Two"}, ""},
        {-1, "Jazz", " \t", false, "", "url", {"One", "Two"}, ""},
        {-1, "Jazz", "ftp://radio.example/", true, "URL must start with http:// or https://", "url", {"One", "Two"}, ""},
        {-1, "Jazz", "http://exa mple.com/", true, "Please enter a valid URL", "url", {"One", "Two"}, ""},
        {-1, "  Jazz24 ", "  https://127.0.0.1:8000/jazz \n", true, "", "", {"One", "Two", "Jazz24"},
         "https://127.0.0.1:8000/jazz"},
        {0, " Uno ", nullptr, true, "", "", {"Uno", "Two"}, "http://127.0.0.1:8000/station0"},
        {1, nullptr, " ", false, "", "url", {"One", "Two"}, ""},
        {1, nullptr, "http://", true, "URL must contain a valid host", "url", {"One", "Two"}, ""},
        {2, "Uno", "http://127.0.0.1/u", true, "Please enter a valid URL", "url", {"One", "Two"}, ""},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.edited) + " | " + (c.name ? c.name : "") + " | " + (c.url ? c.url : ""));
        ui.setStations({"One", "Two"});
        auto editing = editor(c.edited);
        QSignalSpy focus(editing.get(), &StationEditorViewModel::focusRequested);
        QSignalSpy saved(editing.get(), &StationEditorViewModel::saved);
        if (c.name)
            editing->setName(c.name);
        if (c.url)
            editing->setUrl(c.url);
        EXPECT_EQ(editing->canConfirm(), c.canConfirm);

        EXPECT_EQ(editing->save(), *c.field == '\0');
        EXPECT_EQ(editing->urlError(), c.message);
        EXPECT_EQ(focus.isEmpty() ? QString() : focus[0][0].toString(), c.field);
        EXPECT_EQ(ui.names(), c.names);
        const Station* stored = saved.isEmpty() ? nullptr : ui.store->stationList().find(QUuid(saved[0][0].toString()));
        EXPECT_EQ(stored ? stored->urlText() : "", c.savedURL);
        // A second "Add" after a success adds nothing.
        EXPECT_FALSE(editing->save());
        EXPECT_EQ(ui.names(), c.names);
    }
}

TEST_F(StationEditorTest, AddAndEditOpenWithTheirTextsAndTheKeyboardInTheFirstEmptyField)
{
    // Edited, preset URL: the title, the button's, the name, the URL, whether it can be confirmed.
    const std::tuple<int, const char*, QStringList, bool> cases[] = {
        {-1, "", {"Add a stream", "Add", "", ""}, false},
        {-1, "http://127.0.0.1:8000/live", {"Add a stream", "Add", "", "http://127.0.0.1:8000/live"}, false},
        {1, "", {"Edit stream", "Save", "Two", "http://127.0.0.1:8000/station1"}, true},
        {2, "", {"Edit stream", "Save", "", ""}, false},
    };
    for (const auto& [edited, presetURL, texts, canConfirm] : cases) {
        auto opened = editor(edited, presetURL);
        EXPECT_EQ((QStringList{opened->title(), opened->confirmTitle(), opened->name(), opened->url()}), texts);
        EXPECT_EQ(opened->isEditing(), edited >= 0);
        EXPECT_EQ(opened->canConfirm(), canConfirm);
        EXPECT_EQ(opened->initialField(), "name");
    }
    // A name with its URL cleared starts in the URL field.
    auto edit = editor(0);
    edit->setUrl({});
    EXPECT_EQ(edit->initialField(), "url");
}

TEST_F(StationEditorTest, TheMessageGoesWithTheNextChangeOfTheURLOnly)
{
    auto adding = editor(-1);
    QSignalSpy messages(adding.get(), &StationEditorViewModel::urlErrorChanged);
    adding->setName("Jazz");
    adding->setUrl("ftp://radio.example/");
    adding->save();
    adding->setName("Jazz 24");
    adding->setUrl("ftp://radio.example/"); // the same text: a key that only selects
    EXPECT_EQ(adding->urlError(), "URL must start with http:// or https://");
    adding->setUrl("ftp://radio.example/x");
    EXPECT_EQ(adding->urlError(), "");
    EXPECT_EQ(messages.count(), 2);
}

// Through the sheet in the Settings window, by keyboard alone.
TEST_F(StationEditorTest, TheAddSheetTakesTheKeyboardAndClosesOnReturnOrEscape)
{
    ui.setStations(numberedStations(60));
    const auto paste = [](Window& window, const QString& text) {
        auto* data = new QMimeData;
        data->setText(text);
        QGuiApplication::clipboard()->setMimeData(data);
        window.press(Qt::ControlModifier | Qt::Key_V);
    };
    // Ctrl+, in the panel opens Settings with the keyboard.
    Window(ui.showPanel()).press(Qt::ControlModifier | Qt::Key_Comma);
    ASSERT_TRUE(ui.app->hasSettings());
    Window settings(ui.app->settings());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings.view));

    // Words pasted open nothing: the list, open on its first row, still
    // takes the keys.
    paste(settings, "plain words");
    settings.press(Qt::Key_Down);
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_FALSE(settings.shown("editorSheet"));

    // A URL pasted opens the sheet with it, the keyboard in the name.
    paste(settings, "  https://127.0.0.1:8000/live.mp3\n");
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    EXPECT_EQ(settings.texts({"nameField", "urlField"}), (QStringList{"", "https://127.0.0.1:8000/live.mp3"}));
    EXPECT_TRUE(settings.focused("nameField"));
    settings.type("Live");
    settings.press(Qt::Key_Return);
    ASSERT_TRUE(settings.waitShown("editorSheet", false));
    // Back in the list, on the new station, scrolled into view.
    EXPECT_EQ(ui.names().mid(59), (QStringList{"Station 59", "Live"}));
    EXPECT_EQ(settings.selection(), ui.id(60));
    EXPECT_TRUE(settings.focused("stationList"));
    EXPECT_TRUE(UiHarness::inView(settings.item("stationList"), 60));

    // "+" afterwards opens an empty sheet.
    settings.click("addButton");
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    EXPECT_EQ(settings.texts({"sheetTitle", "nameField", "urlField", "confirmButton"}),
              (QStringList{"Add a stream", "", "", "Add"}));
    EXPECT_EQ(settings.text("urlField", "placeholderText"), "https://");
    EXPECT_EQ(settings.item("stationEditor")->width(), 360);
    EXPECT_TRUE(settings.focused("nameField"));
    // Blank texts: "Add" disabled and Return does nothing.
    settings.type("   ");
    settings.press(Qt::Key_Tab);
    settings.type("  ");
    EXPECT_FALSE(settings.item("confirmButton")->isEnabled());
    settings.press(Qt::Key_Return);
    EXPECT_TRUE(settings.shown("editorSheet"));

    // A refused URL: the red message, and the keyboard moved to the URL.
    settings.press(Qt::ShiftModifier | Qt::Key_Backtab);
    settings.type("Jazz");
    settings.press(Qt::Key_Tab);
    settings.type("ftp://radio.example/");
    EXPECT_TRUE(settings.item("confirmButton")->isEnabled());
    settings.press({Qt::ShiftModifier | Qt::Key_Backtab, Qt::Key_Return});
    EXPECT_TRUE(settings.shown("urlErrorText"));
    EXPECT_EQ(settings.text("urlErrorText"), "URL must start with http:// or https://");
    EXPECT_EQ(settings.get("urlErrorText", "color").value<QColor>(), QColor(0xc4, 0x2b, 0x1c));
    EXPECT_TRUE(settings.focused("urlField"));
    // Escape closes without a trace, the message shown or not.
    ASSERT_TRUE(settings.escape("editorSheet"));
    EXPECT_EQ(ui.store->stations().size(), 61);
}

TEST_F(StationEditorTest, EditingStartsWithTheNameSelectedAndTabsThroughTheSheet)
{
    ui.setStations({"One", "Two", "Three"});
    ui.store->playStation(ui.station(1).id);
    ui.platform.clock.runPending();
    Window settings(ui.showSettings());

    // Open on the first row; Down, Return: the second station's sheet, its
    // name selected.
    settings.press({Qt::Key_Down, Qt::Key_Return});
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    EXPECT_EQ(settings.texts({"sheetTitle", "confirmButton"}), (QStringList{"Edit stream", "Save"}));
    EXPECT_TRUE(settings.focused("nameField"));
    EXPECT_EQ(settings.text("nameField", "selectedText"), "Two");
    // Tab order: Name, URL, the logo's button, Cancel, Save, and round again.
    for (const char* next : {"urlField", "chooseLogoButton", "cancelButton", "confirmButton", "nameField"}) {
        settings.press(Qt::Key_Tab);
        EXPECT_TRUE(settings.focused(next)) << next;
    }
    // Return on Cancel cancels.
    settings.press({Qt::ShiftModifier | Qt::Key_Backtab, Qt::ShiftModifier | Qt::Key_Backtab, Qt::Key_Return});
    ASSERT_TRUE(settings.waitShown("editorSheet", false));
    EXPECT_EQ(ui.station(1).name, "Two");
    EXPECT_TRUE(settings.focused("stationList"));

    // Typing replaces the selected name; back in the list on that row. The
    // URL unchanged, playback goes on.
    settings.press(Qt::Key_Return);
    ASSERT_TRUE(settings.waitShown("editorSheet"));
    settings.type("Deux");
    settings.press(Qt::Key_Return);
    ASSERT_TRUE(settings.waitShown("editorSheet", false));
    EXPECT_EQ(ui.names(), (QStringList{"One", "Deux", "Three"}));
    EXPECT_EQ(ui.platform.backend.sessions.size(), 1u);
    EXPECT_FALSE(ui.platform.backend.session().released);
    EXPECT_EQ(settings.selection(), ui.id(1));
    EXPECT_TRUE(settings.focused("stationList"));
    settings.press(Qt::Key_Down);
    EXPECT_EQ(settings.selection(), ui.id(2));
}

} // namespace
} // namespace tunara::testing

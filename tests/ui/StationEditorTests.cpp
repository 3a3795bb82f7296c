// The editor's rules without a window: what each input does on save (what
// is stored, the message, the field asked for), when the form can be
// confirmed, where the keyboard starts, and when the message goes away.

#include "StationEditorViewModel.h"
#include "UiFixture.h"

#include <QSignalSpy>

namespace tunara::testing {
namespace {

class StationEditorTest : public UiTest {
protected:
    StationEditorTest() { ui.setStations({QStringLiteral("One"), QStringLiteral("Two")}); }

    std::unique_ptr<StationEditorViewModel> adding(const QString& presetURL = {})
    {
        return std::make_unique<StationEditorViewModel>(*ui.store, std::nullopt, presetURL);
    }
    std::unique_ptr<StationEditorViewModel> editing(int index)
    {
        return std::make_unique<StationEditorViewModel>(*ui.store, ui.station(index).id, QString());
    }
    QStringList storedNames()
    {
        QStringList names;
        for (const AudioStream& stream : ui.store->streams())
            names << stream.name;
        return names;
    }
};

struct SaveCase {
    const char* name;
    const char* url;
    bool canConfirm;
    const char* message;    // "" when none
    const char* focus;      // the field asked for; "" when saved
    const char* storedURL;  // "" when nothing is stored
};

TEST_F(StationEditorTest, SavingAddsOnlyANamedStationWithAValidURL)
{
    const SaveCase cases[] = {
        {"", "", false, "", "name", ""},
        {"   ", "http://127.0.0.1/a", false, "", "name", ""},
        {"Jazz", " \t", false, "", "url", ""},
        {"Jazz", "ftp://radio.example/", true, "URL must start with http:// or https://", "url", ""},
        {"Jazz", "radio.example/live", true, "URL must start with http:// or https://", "url", ""},
        {"Jazz", "http://", true, "URL must contain a valid host", "url", ""},
        {"Jazz", "http://exa mple.com/", true, "Please enter a valid URL", "url", ""},
        {"  Jazz24 ", "  https://127.0.0.1:8000/jazz \n", true, "", "", "https://127.0.0.1:8000/jazz"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " | " + c.url);
        auto editor = adding();
        QSignalSpy focus(editor.get(), &StationEditorViewModel::focusRequested);
        QSignalSpy saved(editor.get(), &StationEditorViewModel::saved);
        editor->setName(QString::fromUtf8(c.name));
        editor->setUrl(QString::fromUtf8(c.url));
        EXPECT_EQ(editor->canConfirm(), c.canConfirm);
        const qsizetype before = ui.store->streams().size();

        const bool stored = editor->save();

        EXPECT_EQ(editor->urlError(), QString::fromUtf8(c.message));
        if (*c.focus) {
            EXPECT_FALSE(stored);
            ASSERT_EQ(focus.count(), 1);
            EXPECT_EQ(focus.at(0).at(0).toString(), c.focus);
            EXPECT_EQ(saved.count(), 0);
            EXPECT_EQ(ui.store->streams().size(), before);
        } else {
            EXPECT_TRUE(stored);
            EXPECT_EQ(focus.count(), 0);
            ASSERT_EQ(ui.store->streams().size(), before + 1);
            const AudioStream& added = ui.store->streams().last();
            EXPECT_EQ(added.name, "Jazz24");
            EXPECT_EQ(added.urlText(), c.storedURL);
            ASSERT_EQ(saved.count(), 1);
            EXPECT_EQ(saved.at(0).at(0).toString(), added.id.toString(QUuid::WithoutBraces));
        }
    }
}

TEST_F(StationEditorTest, AddAndEditStartFromTheirTextsAndTheFirstEmptyField)
{
    auto empty = adding();
    EXPECT_FALSE(empty->isEditing());
    EXPECT_EQ(empty->title(), "Add a stream");
    EXPECT_EQ(empty->confirmTitle(), "Add");
    EXPECT_EQ(empty->name(), "");
    EXPECT_EQ(empty->url(), "");
    EXPECT_EQ(empty->initialField(), "name");
    EXPECT_FALSE(empty->canConfirm());

    // After a paste: the URL is there, the name is still to type.
    auto pasted = adding(QStringLiteral("http://127.0.0.1:8000/live"));
    EXPECT_EQ(pasted->url(), "http://127.0.0.1:8000/live");
    EXPECT_EQ(pasted->initialField(), "name");
    EXPECT_FALSE(pasted->canConfirm());
    pasted->setName(QStringLiteral("L"));
    EXPECT_TRUE(pasted->canConfirm());

    auto edit = editing(1);
    EXPECT_TRUE(edit->isEditing());
    EXPECT_EQ(edit->title(), "Edit stream");
    EXPECT_EQ(edit->confirmTitle(), "Save");
    EXPECT_EQ(edit->name(), "Two");
    EXPECT_EQ(edit->url(), ui.station(1).urlText());
    EXPECT_EQ(edit->initialField(), "name");
    EXPECT_TRUE(edit->canConfirm());

    // A name with its URL cleared starts in the URL field.
    edit->setUrl({});
    EXPECT_EQ(edit->initialField(), "url");
}

TEST_F(StationEditorTest, EditingSavesInPlaceAndAStationGoneMeanwhileIsRefused)
{
    auto edit = editing(0);
    edit->setName(QStringLiteral(" Uno "));
    EXPECT_TRUE(edit->save());
    EXPECT_EQ(storedNames(), (QStringList{"Uno", "Two"}));

    auto gone = editing(1);
    QSignalSpy focus(gone.get(), &StationEditorViewModel::focusRequested);
    ui.store->deleteStreams({ui.station(1).id});
    EXPECT_FALSE(gone->save());
    EXPECT_EQ(gone->urlError(), "Please enter a valid URL");
    ASSERT_EQ(focus.count(), 1);
    EXPECT_EQ(focus.at(0).at(0).toString(), "url");
    EXPECT_EQ(storedNames(), (QStringList{"Uno"}));
}

TEST_F(StationEditorTest, TheMessageGoesWithTheNextURLChangeOnly)
{
    auto editor = adding();
    QSignalSpy messages(editor.get(), &StationEditorViewModel::urlErrorChanged);
    editor->setName(QStringLiteral("Jazz"));
    editor->setUrl(QStringLiteral("ftp://radio.example/"));
    editor->save();
    ASSERT_EQ(editor->urlError(), "URL must start with http:// or https://");
    editor->setName(QStringLiteral("Jazz 24"));
    EXPECT_NE(editor->urlError(), "");
    editor->setUrl(QStringLiteral("ftp://radio.example/"));  // no change, no keystroke
    EXPECT_NE(editor->urlError(), "");
    editor->setUrl(QStringLiteral("ftp://radio.example/x"));
    EXPECT_EQ(editor->urlError(), "");
    EXPECT_EQ(messages.count(), 2);
}

} // namespace
} // namespace tunara::testing

#include "destinations/DestinationCommands.h"
#include "support/CaptureFakes.h"

#include <gtest/gtest.h>

#include <deque>

namespace kelvo {

namespace {

struct EditorRun {
    QString caption;
    std::optional<EditorFill> fill;
};

// Gives the scripted replies in turn, cancelling once they run out.
class FakeEditor : public DestinationEditor {
public:
    std::optional<SaveDestination> Run(const QString& caption,
                                       const std::optional<EditorFill>& fill) override {
        runs.push_back({caption, fill});
        if (replies.empty())
            return std::nullopt;
        const auto reply = replies.front();
        replies.pop_front();
        return reply;
    }

    std::deque<std::optional<SaveDestination>> replies;
    std::vector<EditorRun> runs;
};

// Logs what the views were told; a refresh logs the list order it saw.
class FakeViews : public DestinationViews {
public:
    explicit FakeViews(const DestinationList& list) : list_(list) {}
    QString SelectedText() const override { return selected; }
    void SelectInTree(int position) override { events << QStringLiteral("tree %1").arg(position); }
    void SelectInList(int position) override { events << QStringLiteral("list %1").arg(position); }
    void RefreshCurrent() override { events << "refresh " + Identifiers(list_).join(','); }

    static QStringList Identifiers(const DestinationList& list) {
        QStringList identifiers;
        for (const SaveDestination& destination : list.All())
            identifiers << destination.identifier;
        return identifiers;
    }

    QString selected;
    QStringList events;

private:
    const DestinationList& list_;
};

// Answers Yes/No in the scripted order, then No.
class AnsweringPrompter : public testing::ScriptedPrompter {
public:
    bool Ask(const QString& text) override {
        questions << text;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<bool> answers;
};

class DestinationCommandsTest : public ::testing::Test {
protected:
    void Start(const QList<SaveDestination>& destinations) { list.Reset(destinations); }
    QStringList Identifiers() const { return FakeViews::Identifiers(list); }

    DestinationList list;
    FakeViews views{list};
    FakeEditor editor;
    AnsweringPrompter prompter;
    DestinationCommands commands{list, views, editor, prompter};
};

} // namespace

TEST(DeriveIdentifierTest, TypedTextWinsElseLastFolderPartElseWholeFolder) {
    EXPECT_EQ(DeriveIdentifier(" my cats ", "/pics/cats"), " my cats ");
    EXPECT_EQ(DeriveIdentifier("", "/pics/cats"), "cats");
    EXPECT_EQ(DeriveIdentifier("", "/"), "/");
    // An edited destination keeps its stored trailing separator.
    EXPECT_EQ(DeriveIdentifier("", "/pics/cats/"), "/pics/cats/");
    EXPECT_EQ(DeriveIdentifier("", "/pics/a:b\\c"), "a:b\\c");
}

TEST_F(DestinationCommandsTest, AddDerivesTheIdentifierAndStoresTheFolderWithSeparator) {
    Start({{"Photos", "/p/"}});
    editor.replies = {SaveDestination{"", "/pics/cats"}};
    commands.Action1Execute();
    ASSERT_EQ(editor.runs.size(), 1u);
    EXPECT_EQ(editor.runs[0].caption, "保存先情報の追加");
    ASSERT_TRUE(editor.runs[0].fill);
    EXPECT_TRUE(editor.runs[0].fill->identifier.isEmpty() && editor.runs[0].fill->folder.isEmpty());
    EXPECT_FALSE(editor.runs[0].fill->okEnabled);
    EXPECT_EQ(list.At(list.FindByIdentifier("cats")), (SaveDestination{"cats", "/pics/cats/"}));

    editor.replies = {SaveDestination{"", "/"}};
    commands.Action1Execute();
    EXPECT_EQ(list.At(list.FindByIdentifier("/")), (SaveDestination{"/", "/"}));
}

TEST_F(DestinationCommandsTest, AddSortsTheViewsAndFollowsTheNewDestination) {
    Start({{"b", "/b/"}, {"d", "/d/"}});
    editor.replies = {SaveDestination{"c", "/c"}};
    commands.Action1Execute();
    EXPECT_EQ(Identifiers(), (QStringList{"b", "c", "d"}));
    // Selected where appended, current again only once sorted, then shown in the list.
    EXPECT_EQ(views.events, (QStringList{"tree 2", "refresh b,c,d", "list 1"}));
    EXPECT_EQ(commands.RetryCount(), 0);
}

// A line break would split the destination's line in kelvo.ini and the tree
// file, and could set other keys there.
TEST_F(DestinationCommandsTest, ALineBreakInANameOrFolderIsRefusedOnAddAndEdit) {
    Start({{"Photos", "/p/"}});
    editor.replies = {SaveDestination{"a\nb", "/x"}, SaveDestination{"ok", "/x\r\n[Form]"},
                      SaveDestination{"ok", "/x"}};
    prompter.answers = {true, true};
    commands.Action1Execute();
    EXPECT_EQ(editor.runs.size(), 3u);
    EXPECT_EQ(prompter.questions.size(), 2);
    EXPECT_TRUE(prompter.questions[0].contains("制御文字")) << prompter.questions[0].toStdString();
    EXPECT_EQ(Identifiers(), (QStringList{"Photos", "ok"}));

    views.selected = "Photos";
    editor.replies = {SaveDestination{"Photos", "/p/\n"}};
    prompter.answers = {false};
    commands.Action2Execute();
    EXPECT_EQ(list.At(list.FindByIdentifier("Photos")).folder, "/p/");
    EXPECT_EQ(commands.RetryCount(), 0);
}

TEST_F(DestinationCommandsTest, DuplicateAddAsksAndRetriesWithTheEnteredValues) {
    Start({{"Photos", "/p/"}});
    editor.replies = {SaveDestination{"photos", "/x"}, SaveDestination{"PHOTOS", "/y"}};
    prompter.answers = {true, false};
    commands.Action1Execute();
    ASSERT_EQ(editor.runs.size(), 2u);
    EXPECT_FALSE(editor.runs[1].fill) << "a retry keeps the editor's contents";
    EXPECT_EQ(prompter.questions,
              (QStringList{"同一識別名（photos）が存在する為、追加出来ません。修正しますか？",
                           "同一識別名（PHOTOS）が存在する為、追加出来ません。修正しますか？"}));
    EXPECT_EQ(commands.RetryCount(), 0);
    EXPECT_EQ(Identifiers(), QStringList{"Photos"});
    EXPECT_TRUE(views.events.isEmpty());
}

TEST_F(DestinationCommandsTest, RetryCountOutlivesACancelAndEndsWithASuccess) {
    Start({{"Photos", "/p/"}});
    editor.replies = {SaveDestination{"photos", "/x"}, std::nullopt};
    prompter.answers = {true};
    commands.Action1Execute();
    EXPECT_EQ(commands.RetryCount(), 1);

    editor.replies = {SaveDestination{"Dogs", "/x"}};
    commands.Action1Execute();
    EXPECT_FALSE(editor.runs[2].fill) << "the next add starts with the values entered last";
    EXPECT_EQ(commands.RetryCount(), 0);
    EXPECT_EQ(Identifiers(), (QStringList{"Dogs", "Photos"}));

    commands.Action1Execute();
    EXPECT_TRUE(editor.runs[3].fill);
}

TEST_F(DestinationCommandsTest, EditRefusesARenameThatDiffersOnlyInCase) {
    Start({{"Photos", "/p/"}, {"Cats", "/c/"}});
    views.selected = "Photos";
    editor.replies = {SaveDestination{"photos", "/q"}};
    commands.Action2Execute();
    ASSERT_EQ(editor.runs.size(), 1u);
    EXPECT_EQ(editor.runs[0].caption, "保存先情報の編集");
    ASSERT_TRUE(editor.runs[0].fill);
    EXPECT_EQ(editor.runs[0].fill->folder, "/p/");
    EXPECT_TRUE(editor.runs[0].fill->okEnabled);
    EXPECT_EQ(prompter.questions,
              QStringList{"同一識別名（photos）が存在する為、編集出来ません。修正しますか？"});
    EXPECT_EQ(list.At(0), (SaveDestination{"Photos", "/p/"}));
    EXPECT_TRUE(views.events.isEmpty());
}

TEST_F(DestinationCommandsTest, EditRetriesFromTheStoredValuesAndKeepsTheOrder) {
    Start({{"Photos", "/p/"}, {"Cats", "/c/"}});
    views.selected = "Photos";
    editor.replies = {SaveDestination{"cats", "/q"}, SaveDestination{"Photos", "/q"}};
    prompter.answers = {true};
    commands.Action2Execute();
    ASSERT_EQ(editor.runs.size(), 2u);
    EXPECT_EQ(editor.runs[1].fill->identifier, "Photos");
    EXPECT_EQ(editor.runs[1].fill->folder, "/p/");
    EXPECT_EQ(list.All(), (QList<SaveDestination>{{"Photos", "/q/"}, {"Cats", "/c/"}}));

    editor.replies = {SaveDestination{"Zebra", "/q/"}};
    commands.Action2Execute();
    EXPECT_EQ(Identifiers(), (QStringList{"Zebra", "Cats"})) << "editing never sorts";
    EXPECT_EQ(views.events, (QStringList{"refresh Photos,Cats", "refresh Zebra,Cats"}));
}

TEST_F(DestinationCommandsTest, NothingChangesWithoutAFolderOrAKnownSelection) {
    Start({{"Photos", "/p/"}, {"Cats", "/c/"}});
    editor.replies = {SaveDestination{"Dogs", ""}, SaveDestination{"Dogs", ""}};
    views.selected = "Cats";
    commands.Action1Execute();
    commands.Action2Execute();
    views.selected = "Photo";
    commands.Action2Execute();
    commands.Action3Execute();
    EXPECT_EQ(editor.runs.size(), 2u);
    EXPECT_TRUE(prompter.questions.isEmpty());
    EXPECT_EQ(list.All(), (QList<SaveDestination>{{"Photos", "/p/"}, {"Cats", "/c/"}}));
    EXPECT_TRUE(views.events.isEmpty());
}

TEST_F(DestinationCommandsTest, DeleteSelectsTheFollowingOrElseThePrecedingDestination) {
    const QList<SaveDestination> three{{"a", "/a/"}, {"b", "/b/"}, {"c", "/c/"}};
    Start(three);
    prompter.answers = {false, true, true};
    views.selected = "C";
    commands.Action3Execute(); // answered No
    EXPECT_EQ(list.Count(), 3);
    commands.Action3Execute();
    EXPECT_EQ(prompter.questions.last(), "識別情報（c）を削除します。よろしいですか？");
    EXPECT_EQ(Identifiers(), (QStringList{"a", "b"}));
    EXPECT_EQ(views.events, (QStringList{"list 1", "tree 1"}));

    Start(three);
    views.events.clear();
    views.selected = "a";
    commands.Action3Execute();
    EXPECT_EQ(Identifiers(), (QStringList{"b", "c"}));
    EXPECT_EQ(views.events, (QStringList{"list 0", "tree 0"}));
}

TEST_F(DestinationCommandsTest, DeletingTheOnlyDestinationIsRefused) {
    Start({{"a", "/a/"}});
    prompter.answers = {true};
    commands.Action3Execute(); // nothing selected
    EXPECT_EQ(prompter.notices, QStringList{"保存先は最低１つ必要な為\n削除出来ません。"});
    EXPECT_TRUE(prompter.questions.isEmpty());
    EXPECT_EQ(list.Count(), 1);
}

} // namespace kelvo

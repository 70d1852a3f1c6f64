#include "viewer/viewer_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora {
namespace {

ViewerCommand menu(ViewerMenu item) {
    return ViewerMenuCommand{item};
}

bool isMenu(const ViewerCommand& c) {
    return std::holds_alternative<ViewerMenuCommand>(c);
}

// Every command in the order the viewer's loop runs them when several are pending.
const std::vector<ViewerCommand>& loopOrder() {
    static const std::vector<ViewerCommand> order = {
        menu(ViewerMenu::Exit),
        menu(ViewerMenu::MoreFiles),
        FileStepFlag{FileStep::Next},
        DetailsFlag{3},
        DetailsSaveFlag{false},
        PrintTextFlag{PrintedText::ShownText},
        menu(ViewerMenu::PrintExtract),
        menu(ViewerMenu::CopyExtract),
        ClipboardFlag{ClipboardAction::AddSelectedLines},
        menu(ViewerMenu::ViewLog),
        menu(ViewerMenu::EveryNth),
        menu(ViewerMenu::Unsort),
        menu(ViewerMenu::RestoreAll),
        menu(ViewerMenu::SortByBeginning),
        menu(ViewerMenu::SortByEnd),
        menu(ViewerMenu::SaveExtract),
        DeleteFlag{2},
        TextSaveFlag{},
        menu(ViewerMenu::UndoDeletion),
        menu(ViewerMenu::SaveChanges),
        menu(ViewerMenu::SaveSorted),
        menu(ViewerMenu::Collocate),
        OpenSourceFlag{},
        menu(ViewerMenu::ColumnView),
    };
    return order;
}

TEST(ViewerCommandQueue, TheEarlierCommandOfAnyTwoPendingRunsFirst) {
    const auto& order = loopOrder();
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            if (isMenu(order[i]) && isMenu(order[j]))
                continue; // one menu item is pending at a time
            SCOPED_TRACE("pair " + std::to_string(i) + ", " + std::to_string(j));
            ViewerCommandQueue queue;
            queue.post(order[j]);
            queue.post(order[i]);
            EXPECT_EQ(queue.take(), order[i]);
            EXPECT_EQ(queue.take(), order[j]);
            EXPECT_TRUE(queue.empty());
            EXPECT_EQ(queue.take(), std::nullopt);
        }
}

TEST(ViewerCommandQueue, ASecondCommandOfTheSameKindReplacesThePendingOne) {
    ViewerCommandQueue queue;
    queue.post(DeleteFlag{1});
    queue.post(menu(ViewerMenu::Collocate));
    queue.post(DeleteFlag{4});
    queue.post(menu(ViewerMenu::SortByEnd)); // the item chosen last
    queue.post(ClipboardFlag{ClipboardAction::CopyShownText});
    queue.post(ClipboardFlag{ClipboardAction::CopySelectedLines});
    EXPECT_EQ(queue.pending<DeleteFlag>(), DeleteFlag{4});
    EXPECT_EQ(queue.take(), ViewerCommand(ClipboardFlag{ClipboardAction::CopySelectedLines}));
    EXPECT_EQ(queue.take(), menu(ViewerMenu::SortByEnd));
    EXPECT_EQ(queue.take(), ViewerCommand(DeleteFlag{4}));
    EXPECT_TRUE(queue.empty());

    queue.post(TextSaveFlag{});
    queue.post(OpenSourceFlag{});
    queue.discard<TextSaveFlag>();
    EXPECT_FALSE(queue.pending<TextSaveFlag>());
    queue.clear();
    EXPECT_TRUE(queue.empty());
}

} // namespace
} // namespace lexmora

#include "viewer/viewer_commands.h"

#include <algorithm>

namespace lexmora {

namespace {

// The order in which pending commands run: the earlier here, the sooner.
enum class Urgency {
    Exit,
    MoreFiles,
    FileStep,
    Details,
    DetailsSave,
    PrintText,
    PrintOrCopyExtract,
    Clipboard,
    ViewLog,
    EveryNth,
    Unsort,
    RestoreAll,
    Sort,
    SaveExtract,
    Delete,
    TextSave,
    UndoDeletion,
    SaveChanges,
    Collocate,
    OpenSource,
    ColumnView,
};

Urgency urgencyOfMenu(ViewerMenu item) {
    switch (item) {
    case ViewerMenu::Exit:
        return Urgency::Exit;
    case ViewerMenu::MoreFiles:
        return Urgency::MoreFiles;
    case ViewerMenu::PrintExtract:
    case ViewerMenu::CopyExtract:
    case ViewerMenu::CopyCommandLine:
    case ViewerMenu::Export:
    case ViewerMenu::Collocates:
    case ViewerMenu::FindInLines:
    case ViewerMenu::FindNext:
    case ViewerMenu::Clusters:
    case ViewerMenu::Plot:
        return Urgency::PrintOrCopyExtract;
    case ViewerMenu::ViewLog:
        return Urgency::ViewLog;
    case ViewerMenu::EveryNth:
        return Urgency::EveryNth;
    case ViewerMenu::Unsort:
        return Urgency::Unsort;
    case ViewerMenu::RestoreAll:
        return Urgency::RestoreAll;
    case ViewerMenu::SortByBeginning:
    case ViewerMenu::SortByEnd:
        return Urgency::Sort;
    case ViewerMenu::SaveExtract:
        return Urgency::SaveExtract;
    case ViewerMenu::UndoDeletion:
        return Urgency::UndoDeletion;
    case ViewerMenu::SaveChanges:
    case ViewerMenu::SaveSorted:
        return Urgency::SaveChanges;
    case ViewerMenu::Collocate:
        return Urgency::Collocate;
    case ViewerMenu::ColumnView:
        return Urgency::ColumnView;
    }
    return Urgency::ColumnView;
}

Urgency urgencyOf(const ViewerCommand& command) {
    struct Of {
        Urgency operator()(const FileStepFlag&) const { return Urgency::FileStep; }
        Urgency operator()(const DeleteFlag&) const { return Urgency::Delete; }
        Urgency operator()(const DetailsFlag&) const { return Urgency::Details; }
        Urgency operator()(const PrintTextFlag&) const { return Urgency::PrintText; }
        Urgency operator()(const ClipboardFlag&) const { return Urgency::Clipboard; }
        Urgency operator()(const DetailsSaveFlag&) const { return Urgency::DetailsSave; }
        Urgency operator()(const OpenSourceFlag&) const { return Urgency::OpenSource; }
        Urgency operator()(const TextSaveFlag&) const { return Urgency::TextSave; }
        Urgency operator()(const ViewerMenuCommand& c) const { return urgencyOfMenu(c.item); }
    };
    return std::visit(Of{}, command);
}

} // namespace

std::optional<ViewerCommand> ViewerCommandQueue::take() {
    std::optional<ViewerCommand>* first = nullptr;
    for (auto& slot : m_pending)
        if (slot && (first == nullptr || urgencyOf(*slot) < urgencyOf(**first)))
            first = &slot;
    if (first == nullptr)
        return std::nullopt;
    std::optional<ViewerCommand> taken = std::move(*first);
    first->reset();
    return taken;
}

bool ViewerCommandQueue::empty() const {
    return std::none_of(m_pending.begin(), m_pending.end(),
                        [](const auto& slot) { return slot.has_value(); });
}

} // namespace lexmora

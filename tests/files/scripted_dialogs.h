// Folder chooser and text entry answers given by a test, in order, with what was asked kept.
#pragma once

#include "files/chooser_dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace lexmora::test {

class ScriptedDialogs : public files::ChooserDialogs {
public:
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string& start) override {
        folderCaptions.push_back(caption);
        folderStarts.push_back(start);
        if (folders.empty())
            return std::nullopt;
        auto next = folders.front();
        folders.pop_front();
        return next;
    }
    files::TextEntryAnswer enterText(const files::TextEntryRequest& request) override {
        requests.push_back(request);
        if (entries.empty())
            return {};
        auto next = entries.front();
        entries.pop_front();
        return next;
    }

    std::deque<std::optional<std::string>> folders;
    std::deque<files::TextEntryAnswer> entries;
    std::vector<std::string> folderCaptions;
    std::vector<std::string> folderStarts;
    std::vector<files::TextEntryRequest> requests;
};

} // namespace lexmora::test

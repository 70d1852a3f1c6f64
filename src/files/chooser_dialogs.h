// The two dialogs the file chooser and the file manager open on their way: the folder chooser and
// the text entry dialog. The desktop shows its windows; tests script the answers.
#pragma once

#include "files/text_entry.h"

#include <cstddef>
#include <optional>
#include <string>

namespace lexmora::files {

struct TextEntryRequest {
    EntryMode mode = EntryMode::File;
    std::string prompt; // Windows-1252
    std::string startText;
    std::size_t maxLength = kMaxNameLength;
    std::string extension; // shown after the typed name ("File1")
};

struct TextEntryAnswer {
    bool ok = false;  // the dialog returned "Ok"
    std::string text; // Windows-1252, as typed
};

class ChooserDialogs {
public:
    virtual ~ChooserDialogs() = default;
    // The folder chooser with this caption, opened at `start`; the folder when it returned "Ok".
    virtual std::optional<std::string> chooseFolder(const std::string& caption,
                                                    const std::string& start) = 0;
    virtual TextEntryAnswer enterText(const TextEntryRequest& request) = 0;
};

} // namespace lexmora::files

#include "wordcount/count_sources.h"

#include "core/paths.h"
#include "files/file_patterns.h"
#include "wordcount/messages.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace lexmora {

std::vector<std::string> ListCountSources(const std::string& folder, bool tree, Prompter& prompter,
                                          std::string_view patterns) {
    std::vector<std::string> out;
    std::set<std::pair<dev_t, ino_t>> seen;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string here = std::move(pending.back());
        pending.pop_back();
        struct stat st {};
        if (::stat(here.c_str(), &st) != 0) {
            // Gone since its parent was listed, or a path too long to open.
            prompter.tell(wordcount::msg::CannotReadFolder(here, std::strerror(errno)));
            continue;
        }
        if (!seen.insert({st.st_dev, st.st_ino}).second)
            continue; // reached again through a link
        const files::FolderListing listing = files::ListFolder(here, patterns);
        if (!listing.readable) {
            prompter.tell(wordcount::msg::CannotReadFolder(here, std::strerror(listing.error)));
            continue;
        }
        for (const std::string& name : listing.files)
            out.push_back(JoinPath(here, name));
        if (tree)
            for (auto it = listing.folders.rbegin(); it != listing.folders.rend(); ++it)
                pending.push_back(JoinPath(here, *it));
    }
    return out;
}

} // namespace lexmora

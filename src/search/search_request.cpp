#include "search/search_request.h"

#include "core/folders.h"
#include "core/paths.h"
#include "files/file_patterns.h"

#include <utility>

namespace lexmora {

std::string StepSources::pathOf(const std::string& listed) const {
    return isList ? listed : AddBackslash(folder) + listed;
}

namespace {

// A whole folder chosen stands for the files of the chosen type it holds when the run starts.
std::vector<std::string> filesOfWholeFolder(const ProgramState& state) {
    if (!FolderExists(state.SourceDirectory))
        return {};
    return files::ListMatchingFiles(state.SourceDirectory, state.SourceFileType);
}

} // namespace

SearchSources SourcesChosenIn(const ProgramState& state) {
    SearchSources sources;
    sources.pattern = state.SourceFileType;
    sources.countShown = state.SourceFileCount;
    if (state.IncludeSubfolders) {
        sources.kind = SourceKind::Tree;
        sources.folder = state.SourceDirectory;
    } else if (state.SourceIsFileList) {
        // The stored list when one was read; a list made in the chooser is its selection.
        sources.kind = SourceKind::List;
        sources.files = state.StoredFileList.empty() ? state.SourceFiles : state.StoredFileList;
    } else {
        sources.kind = SourceKind::Files;
        sources.folder = state.SourceDirectory;
        sources.files = state.AllFilesInFolder ? filesOfWholeFolder(state) : state.SourceFiles;
    }
    return sources;
}

namespace {

SearchKeywords keywordsIn(const ProgramState& state) {
    SearchKeywords keywords;
    keywords.texts = state.Keywords;
    keywords.caseSensitive = state.KeywordCase;
    keywords.regex = state.KeywordRegex;
    keywords.excludes = state.ExcludeStrings;
    keywords.excludeCase = state.ExcludeCase;
    keywords.tagged = state.TaggedSearch;
    keywords.tagBefore = state.TagBefore;
    keywords.openBracket = state.OpenBracket.empty() ? '{' : state.OpenBracket[0];
    keywords.closeBracket = state.CloseBracket.empty() ? '}' : state.CloseBracket[0];
    keywords.singleWildcard = state.SingleWildcard.empty() ? '?' : state.SingleWildcard[0];
    return keywords;
}

} // namespace

SearchRequest SearchRequestFor(const ProgramState& state, SearchSources sources) {
    SearchRequest request;
    request.sources = std::move(sources);
    request.keywords = keywordsIn(state);
    request.widths = {state.LeftContext, state.RightContext};
    request.code = {state.CodeMode, state.ResultCode};
    request.languageIndex = state.LanguageIndex;
    request.save = {state.SaveToFile, state.SingleFile, state.TargetDirectory, state.WarnLowDisk};
    return request;
}

SearchRequest SearchRequestFor(const ProgramState& state) {
    return SearchRequestFor(state, SourcesChosenIn(state));
}

SearchRequest SearchChoicesIn(const ProgramState& state) {
    return SearchRequestFor(state, SearchSources{});
}

} // namespace lexmora

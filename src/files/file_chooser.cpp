#include "files/file_chooser.h"

#include "core/file_io.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "files/file_list.h"
#include "files/file_patterns.h"
#include "files/folder_chooser.h"
#include "files/messages.h"

#include <algorithm>
#include <unordered_set>

namespace lexmora::files {

namespace {

bool isListFileName(const std::string& name) {
    return equalsNoCase(ExtensionOf(name), kFileListExtension);
}

} // namespace

ChooserRole RoleOfCaption(const std::string& caption) {
    static const std::pair<const char*, ChooserRole> roles[] = {
        {kSearchFilesCaption, ChooserRole::SearchFiles},
        {kIncludeInListCaption, ChooserRole::IncludeInList},
        {kImportListCaption, ChooserRole::ImportList},
        {kKeywordFilesCaption, ChooserRole::KeywordFiles},
        {kCodeFilesCaption, ChooserRole::CodeFiles},
        {kFileManagerCaption, ChooserRole::FileManager},
        {kWordCountCaption, ChooserRole::WordCount},
    };
    for (const auto& [text, role] : roles)
        if (caption == text)
            return role;
    return ChooserRole::Other;
}

std::string FilesSelectedText(std::size_t count) {
    return std::to_string(count) + kFilesSelectedSuffix;
}

FileChooser::FileChooser(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs)
    : m_state(state), m_prompter(prompter), m_dialogs(dialogs) {}

void FileChooser::setCaption(const std::string& caption) {
    m_caption = caption;
    m_role = RoleOfCaption(caption);
}

void FileChooser::open(const std::string& caption) {
    setCaption(caption);
    m_resultOk = false;
    m_closed = false;
    m_listChanged = false;
    m_pattern = m_state.DialogPattern.empty() ? "*.*" : m_state.DialogPattern;
    m_folder =
        ReachableFolder(m_state.DialogFolder.empty() ? CurrentFolder() : m_state.DialogFolder);
    m_allFolders = false;
    refresh();
    if (choosingResultFiles() || m_state.SourceIsFileList)
        return;
    const bool sourceFolder = SameFolder(m_folder, m_state.SourceDirectory);
    if (m_state.IncludeSubfolders) {
        if (sourceFolder)
            tickAllFolders(true);
        return;
    }
    if (sourceFolder && !m_state.SourceFilesSaved.empty()) {
        const std::unordered_set<std::string> wanted(m_state.SourceFilesSaved.begin(),
                                                     m_state.SourceFilesSaved.end());
        for (std::size_t i = 0; i < m_files.size(); ++i)
            m_chosen[i] = wanted.count(m_files[i]) != 0;
    }
}

std::vector<std::string> FileChooser::chosenNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_chosen[i])
            names.push_back(m_files[i]);
    return names;
}

std::size_t FileChooser::chosenCount() const {
    return static_cast<std::size_t>(std::count(m_chosen.begin(), m_chosen.end(), true));
}

std::vector<std::string> FileChooser::chosenPaths() const {
    std::vector<std::string> paths;
    for (const auto& name : chosenNames())
        paths.push_back(JoinPath(m_folder, name));
    return paths;
}

std::string FileChooser::countLabel() const {
    if (m_state.SourceIsFileList)
        return FilesSelectedText(m_state.StoredFileList.size());
    if (m_allFolders)
        return FilesSelectedText(m_treeFiles);
    return FilesSelectedText(chosenCount());
}

const char* FileChooser::listButtonCaption() const {
    return m_state.SourceIsFileList ? kUpdateListCaption : kMakeListCaption;
}

bool FileChooser::listButtonEnabled() const {
    return m_state.MakingFileList && !m_allFolders && m_role != ChooserRole::FileManager;
}

bool FileChooser::saveListEnabled() const {
    return m_listChanged && !m_state.StoredFileList.empty();
}

FileManagerButtons FileChooser::fileManagerButtons() const {
    return FileManagerButtonStates(m_allFolders, m_state.WriteToFiles);
}

bool FileChooser::choosingResultFiles() const {
    return toLowerAscii(m_pattern).find(".dmp") != std::string::npos;
}

bool FileChooser::requiresChoice() const {
    return m_role == ChooserRole::ImportList || m_role == ChooserRole::KeywordFiles ||
           m_role == ChooserRole::CodeFiles;
}

void FileChooser::refresh() {
    std::unordered_set<std::string> keep;
    for (const auto& name : chosenNames())
        keep.insert(name);
    m_files = ListMatchingFiles(m_folder, m_pattern);
    m_chosen.assign(m_files.size(), false);
    for (std::size_t i = 0; i < m_files.size(); ++i)
        m_chosen[i] = keep.count(m_files[i]) != 0;
    if (m_allFolders)
        m_treeFiles = CountTreeFiles(m_folder, m_pattern).files;
}

void FileChooser::changeFolder(const std::string& folder) {
    m_folder = ReachableFolder(folder);
    m_files.clear();
    m_chosen.clear();
    refresh();
}

void FileChooser::changeFileType(const std::string& pattern) {
    m_pattern = pattern.empty() ? "*.*" : pattern;
    refresh();
}

void FileChooser::applyOneListFileRule(std::size_t last) {
    const bool listRole = m_role == ChooserRole::ImportList || m_role == ChooserRole::IncludeInList;
    if (!listRole || chosenCount() < 2)
        return;
    bool anyList = m_role == ChooserRole::ImportList;
    for (std::size_t i = 0; i < m_files.size() && !anyList; ++i)
        anyList = m_chosen[i] && isListFileName(m_files[i]);
    if (!anyList)
        return;
    m_prompter.tell(files::msg::TooManyListFiles());
    m_chosen.assign(m_files.size(), false);
    if (last < m_chosen.size())
        m_chosen[last] = true;
}

void FileChooser::clickFile(std::size_t index, bool chosen) {
    if (index >= m_chosen.size())
        return;
    m_chosen[index] = chosen;
    if (chosen)
        applyOneListFileRule(index);
}

void FileChooser::chooseFiles(const std::vector<std::size_t>& indices, std::size_t last) {
    m_chosen.assign(m_files.size(), false);
    for (std::size_t i : indices)
        if (i < m_chosen.size())
            m_chosen[i] = true;
    applyOneListFileRule(last);
}

void FileChooser::tickAllFolders(bool ticked) {
    m_allFolders = ticked;
    m_state.IncludeSubfolders = ticked;
    if (ticked) {
        m_state.SourceIsFileList = false;
        m_state.MakingFileList = false;
        m_treeFiles = CountTreeFiles(m_folder, m_pattern).files;
    } else {
        refresh();
    }
}

bool FileChooser::ok() {
    if (m_role == ChooserRole::FileManager) {
        m_closed = true;
        return true;
    }
    const auto names = chosenNames();
    if (m_state.SourceIsFileList && names.size() == 1 && isListFileName(names.front()))
        return importList();
    if (m_allFolders) {
        m_state.IncludeSubfolders = true;
        m_state.SourceFileCount = static_cast<long long>(m_treeFiles);
        m_state.SourceFilesSaved.clear();
    } else if (!m_state.SourceIsFileList) {
        if (names.empty() && requiresChoice()) {
            m_prompter.tell(files::msg::NoFilesSelected());
            return false;
        }
        m_state.IncludeSubfolders = false;
        m_state.SourceFilesSaved = names;
        m_state.SourceFileCount = static_cast<long long>(names.size());
        m_state.MakingFileList = false;
    } else {
        if (m_state.MakingFileList) {
            const std::unordered_set<std::string> stored(m_state.StoredFileList.begin(),
                                                         m_state.StoredFileList.end());
            bool unadded = false;
            for (const auto& path : chosenPaths())
                unadded = unadded || (IsStorableName(path) && stored.count(path) == 0);
            if (unadded) {
                const Answer answer = m_prompter.ask(files::msg::AddLastFiles());
                if (answer == Answer::Cancel)
                    return false;
                if (answer == Answer::Yes)
                    makeFileList();
            }
        }
        m_state.SourceFilesSaved.clear();
        m_state.SourceFileCount = static_cast<long long>(m_state.StoredFileList.size());
    }
    if (!m_state.SourceIsFileList)
        m_state.DialogFolder = m_folder;
    m_state.DialogPattern = m_pattern;
    m_resultOk = true;
    m_closed = true;
    return true;
}

void FileChooser::cancel() {
    m_resultOk = false;
    m_closed = true;
}

void FileChooser::makeFileList() {
    const auto paths = chosenPaths();
    if (paths.empty()) {
        m_prompter.tell(files::msg::NoFilesToMakeList());
        return;
    }
    if (m_state.StoredFileList.empty())
        m_state.DialogFolder = m_folder;
    m_state.SourceIsFileList = true;
    // The list stays open for more files ("&Update List") until it is saved or cleared.
    m_state.MakingFileList = true;
    m_state.IncludeSubfolders = false;
    m_allFolders = false;
    const AddOutcome outcome = AddToStoredList(m_state.StoredFileList, paths);
    if (outcome.added > 0)
        m_listChanged = true;
    if (outcome.notStorable > 0)
        m_prompter.tell(files::msg::NamesNotStorable(outcome.notStorable));
    if (outcome.overLimit > 0)
        m_prompter.tell(files::msg::StoredListFull(kMaxStoredFiles));
}

bool FileChooser::saveList() {
    std::string folder = m_state.FileListDirectory;
    if (m_prompter.ask(files::msg::SaveToDefaultFolder(folder)) != Answer::Yes) {
        const auto picked = m_dialogs.chooseFolder(kSaveFileListCaption, folder);
        if (!picked || picked->empty()) {
            m_prompter.tell(files::msg::NoFolderSelected());
            return false;
        }
        folder = *picked;
    }
    std::string path;
    for (;;) {
        TextEntryRequest request;
        request.mode = EntryMode::File;
        request.prompt = kSaveListPrompt;
        request.maxLength = kMaxNameLength;
        request.extension = kFileListExtension;
        const TextEntryAnswer answer = m_dialogs.enterText(request);
        if (!answer.ok) {
            if (m_prompter.ask(core::msg::NoNameEntered()) == Answer::Yes)
                continue;
            return false;
        }
        if (answer.text.empty()) {
            if (m_prompter.ask(files::msg::InvalidName()) == Answer::Yes)
                continue;
            return false;
        }
        const std::string clean =
            CleanEntryText(EntryMode::File, answer.text, 0, m_state.InvalidFileNameChars);
        if (clean != answer.text || IsReservedName(clean)) {
            m_prompter.tell(files::msg::FolderNameNotUsable(answer.text));
            continue;
        }
        const std::string fileName = answer.text + kFileListExtension;
        path = JoinPath(folder, cp1252ToUtf8(fileName));
        if (fileIsPresent(path) &&
            m_prompter.ask(files::msg::ListFileExists(fileName)) != Answer::Yes)
            continue;
        break;
    }
    m_state.FileListName = path;
    const Status written = WriteFileList(path, m_state.StoredFileList);
    if (!written) {
        m_prompter.tell(written.error());
        return false;
    }
    m_state.FileListDirectory = folder;
    m_state.MakingFileList = false;
    m_listChanged = false;
    return true;
}

bool FileChooser::importList() {
    std::vector<std::string> lists;
    for (const auto& name : chosenNames())
        if (isListFileName(name))
            lists.push_back(name);
    if (lists.empty()) {
        m_pattern = kFileListPattern;
        setCaption(kImportListCaption);
        changeFolder(m_state.FileListDirectory);
        return false;
    }
    const std::string path = JoinPath(m_folder, lists.back());
    auto read = ReadFileList(path);
    if (!read) {
        m_prompter.tell(read.error());
        return false;
    }
    m_state.FileListName = path;
    if (!m_state.StoredFileList.empty() &&
        m_prompter.ask(files::msg::AddListToPresent()) != Answer::Yes)
        m_state.StoredFileList.clear();
    const AddOutcome outcome = AddToStoredList(m_state.StoredFileList, read->paths);
    if (read->missing > 0 || read->foreignLines > 0 || read->linesCut + outcome.overLimit > 0)
        m_prompter.tell(files::msg::ImportNotes(read->missing, read->foreignLines,
                                                read->linesCut + outcome.overLimit));
    if (m_state.StoredFileList.empty()) {
        m_state.SourceIsFileList = false;
        m_state.MakingFileList = false;
        return false;
    }
    m_state.SourceIsFileList = true;
    m_state.MakingFileList = true;
    m_state.IncludeSubfolders = false;
    m_allFolders = false;
    m_state.FileListDirectory = m_folder;
    m_state.DialogFolder = m_state.FileListDirectory;
    m_state.DialogPattern = kFileListPattern;
    m_state.SourceFileCount = static_cast<long long>(m_state.StoredFileList.size());
    m_state.SourceFilesSaved.clear();
    m_listChanged = false;
    m_resultOk = true;
    m_closed = true;
    return true;
}

void FileChooser::clear() {
    m_chosen.assign(m_files.size(), false);
    const bool listRole = m_role == ChooserRole::SearchFiles ||
                          m_role == ChooserRole::IncludeInList ||
                          m_role == ChooserRole::ImportList || m_role == ChooserRole::WordCount;
    if (m_state.SourceIsFileList)
        m_state.StoredFileList.clear();
    m_state.SourceIsFileList = false;
    m_state.MakingFileList = false;
    m_listChanged = false;
    if (listRole) {
        setCaption(m_role == ChooserRole::WordCount ? kWordCountCaption : kSearchFilesCaption);
        m_pattern = "*.*";
        refresh();
    }
}

} // namespace lexmora::files

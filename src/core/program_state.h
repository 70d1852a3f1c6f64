// The program-wide record shared by every window and run: settings, current selections, option
// flags, command flags and fixed character sets. One object, passed by reference.
//
// Lists are zero-based std::vectors: an empty vector is the "upper bound 0" of the program's
// one-based arrays, and element i + 1 of those is element i here.
#pragma once

#include "core/frequency_commands.h"
#include "core/run_control.h"

#include <chrono>
#include <string>
#include <vector>

namespace lexmora {

enum class LanguageId { English = 0, French = 1, German = 2, Italian = 3, Spanish = 4 };

struct ProgramState {
    // --- where the program lives ----------------------------------------------------------
    std::string ProgramFolder; // the settings file and the default folders
    std::string InstallFolder; // the executable's folder: shipped code files, help, samples
    std::string SettingsPath;  // the lexmora9.ini in use

    // --- folders --------------------------------------------------------------------------
    std::string SourceDirectory;
    std::string TargetDirectory;
    std::string TargetPath; // TargetDirectory with a trailing separator, set before writing
    std::string TempDirectory;
    std::string FrequencyFilesDirectory;
    std::string FileListDirectory;

    // --- hand-over between windows --------------------------------------------------------
    std::string DialogFolder;
    std::string DialogPattern;

    // --- source selection -----------------------------------------------------------------
    std::vector<std::string> SourceFiles;
    std::vector<std::string> SourceFilesSaved;
    long long SourceFileCount = 0;
    std::string SourceFileType;
    bool AllFilesInFolder = false;
    bool IncludeSubfolders = false;
    bool SourceIsFileList = false;
    bool MakingFileList = false;
    std::string FileListName;

    // --- search options -------------------------------------------------------------------
    int LeftContext = 200;
    int RightContext = 200;
    int CodeMode = 1;   // 0 Automatic, 1 ANSI, 2 ASCII, 3 and up a code file
    int ResultCode = 1; // 1 ANSI, 2 ASCII
    bool SaveToFile = false;
    bool SingleFile = false;
    bool ResultsWritten = false;
    bool WarnLowDisk = true;

    // --- language and user ----------------------------------------------------------------
    int LanguageIndex = 1;
    std::string LanguageName = "French"; // the caption, which may be a word outside the five
    bool WordbreakAtApostrophe = true;
    bool WordbreakAtHyphen = false;
    bool AdvancedUser = false;
    bool WriteToFiles = true;

    // --- fixed character sets and shared texts --------------------------------------------
    std::string InvalidFileExtensions;
    std::string InvalidFileNameChars;
    std::string SymbolChars;
    std::string MsgCannotAccessDrive;
    std::string OpenBracket = "{";
    std::string CloseBracket = "}";
    std::string SingleWildcard = "?";

    // --- keywords (keyword entry fills these) ---------------------------------------------
    std::vector<std::string> Keywords;

    // --- run control shared by every long run ---------------------------------------------
    ExitRequest ExitFlag = ExitRequest::None;
    bool PauseFlag = false;

    // --- keywords and code tables ---
    // One entry per keyword, parallel to Keywords. ExcludeStrings[i] has as many entries as the
    // longest exclude list of all keywords (blank-padded with ""); none at all when no keyword
    // has one.
    std::vector<bool> KeywordCase; // true: the keyword is case-sensitive
    // true: the keyword is a regular expression (missing entries: it is not)
    std::vector<bool> KeywordRegex;
    std::vector<std::vector<std::string>> ExcludeStrings;
    std::vector<std::vector<bool>> ExcludeCase;
    bool TaggedSearch = false; // the exclude lists hold tags to match
    bool TagBefore = true;     // in tagged search, the tag stands before the keyword

    // One code row: how a character code writes the 52 special letters and where its words end.
    struct CodeRow {
        std::string CodeName;
        std::string CodeExtensions;
        std::string CodeSignature;
        bool CodeCheckSecond = false;
        int CodeSecondPosition = 0; // 1-based position in the file of the second signature
        std::string CodeSecondSignature;
        // [table 0 or 1][entry 0..51]: entries 0-25 lower case, 26-51 upper case
        std::string CodeTable[2][52];
        std::string CodeDelimiters;
        int CodeSpaceCode = 0;
        int CodeSecondCode = 0;
        std::string CodeSubstitutes[2];
        std::vector<int> CodeByteList; // up to 20 byte values
    };
    // Indexed by code number: 0 the shared transliteration, 1 ANSI, 2 ASCII, 3.. code files.
    std::vector<CodeRow> CodeRows;
    int CodeCount = 2;          // the highest code number
    std::string CodeLetters[2]; // table 1 of ANSI [0] and ASCII [1] joined: 52 characters each
    std::string CodeFolder;     // the folder of the code files chosen since start-up

    // --- file selection ---
    // The full paths of the file list being built or imported; it outlives the file chooser.
    std::vector<std::string> StoredFileList;

    // --- word frequency ---------------------------------------------------------------------
    // The window's mode (its commands are the window's own).
    FrequencyWindowMode FrequencyMode = FrequencyWindowMode::Counting;

    // --- search run ---
    // The run-wide number of log entries: one per source file with hits, across result sets.
    long long LogEntryNumber = 0;
    // The current keyword opens a new set of result files (and again: the set is to be closed).
    bool ResultFilesBoundary = false;

    // --- result viewer ---
    // The pattern offered when choosing result files, and the folder of the files being viewed
    // (outputs of the viewer go there).
    std::string ViewFileMask = "*.dmp;dumpfile.*";
    std::string ViewFolder;

    // --- KWIC screen ---
    // The page's geometry, set by the loop that loads the screen.
    int ScreenLines = 19;
    int ScreenColumns = 84;
    bool ViewFlag = true; // the lines are shown ("&Hide")
    int HorizontalOffset = 0;
    int MaxHorizontalOffset = 0;
    bool ColumnView = false;
    int ColumnWidth = 15; // 10 to 35

    // --- result viewer: paging ---
    // The display positions asked for and shown on the page's first line (the viewer's paging;
    // the commands of the screen and the details window are the screen's own).
    long long TopPosition = 2;
    long long ShownTop = 2;

    // --- keyword lists and keyword files ---
    // Each keyword can have its own exclude list in the keyword window.
    bool ExcludeListsAvailable = true;
    // Where keyword files were last chosen since start-up (not stored in the settings file).
    std::string KeywordFileFolder;
    std::string KeywordFilePattern;

    // Fields of later subsystems are added below, each under its own heading.
};

} // namespace lexmora

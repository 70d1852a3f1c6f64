// The program-wide record shared by every window and run: settings, current selections, option
// flags, command flags and fixed character sets. One object, passed by reference.
//
// Lists are zero-based std::vectors: an empty vector is the "upper bound 0" of the program's
// one-based arrays, and element i + 1 of those is element i here.
#pragma once

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
    std::string WindowsDirectory;
    std::string HelpFilePath;

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

    // --- system ---------------------------------------------------------------------------
    bool HasDiskFreeSpaceEx = true;

    // --- fixed character sets and shared texts --------------------------------------------
    std::string InvalidFileExtensions;
    std::string InvalidFileNameChars;
    std::string SymbolChars;
    std::string MsgCheckDisk;
    std::string MsgCannotAccessDrive;
    std::string OpenBracket = "{";
    std::string CloseBracket = "}";
    std::string SingleWildcard = "?";

    // --- keywords (keyword entry fills these) ---------------------------------------------
    std::vector<std::string> Keywords;

    // --- run control shared by every long run ---------------------------------------------
    // 0 carry on, -1 the user pressed Exit, -2 the user confirmed leaving.
    int ExitFlag = 0;
    bool PauseFlag = false;
    int LineStep = 15; // the live screen's line-step value

    // Fields of later subsystems are added below, each under its own heading.
};

} // namespace lexmora

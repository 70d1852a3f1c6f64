// Every message of every table, with sample arguments, against the exact text, title, buttons
// and icon the program shows. A changed byte in any table fails here.
#include "analysis/messages.h"
#include "cli/messages.h"
#include "codes/messages.h"
#include "core/drives.h"
#include "core/messages.h"
#include "export/messages.h"
#include "files/messages.h"
#include "keywords/messages.h"
#include "search/messages.h"
#include "ui/messages.h"
#include "viewer/messages.h"
#include "wordcount/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace lexmora {
namespace {

struct Row {
    Message shown;
    std::string text;
    std::string title;
    Buttons buttons;
    Icon icon;
};

// Texts are Windows-1252 with CR LF line breaks; names given as UTF-8 are converted. System error
// texts are those of the C locale the tests run in.
std::vector<Row> everyMessage() {
    return {
        {exporting::msg::CannotWriteTable("/tmp/caf\xC3\xA9.csv", ENOENT),
         "Cannot write /tmp/caf\xE9.csv\r\nNo such file or directory\r\nNothing was saved.",
         " File problem", Buttons::Ok, Icon::Exclamation},
        {exporting::msg::DiskFullWritingTable("/tmp/t.xlsx"),
         "The disk is full - /tmp/t.xlsx was not saved.\r\nNothing was left half-written.",
         " Disk full", Buttons::Ok, Icon::Exclamation},
        {exporting::msg::TableFileExists("t.tsv"),
         "t.tsv already exists and was kept.\r\nChoose another name, or agree to replace it.",
         " File exists", Buttons::Ok, Icon::Exclamation},
        {exporting::msg::ReplaceTableFile("t.tsv"), "t.tsv already exists - replace it?",
         " File exists", Buttons::YesNo, Icon::Question},
        {exporting::msg::WorkbookFailed("t.xlsx", "Error creating output xlsx file."),
         "Cannot write the workbook t.xlsx\r\nError creating output xlsx file.\r\nNothing was "
         "saved.",
         " File problem", Buttons::Ok, Icon::Exclamation},
        {exporting::msg::WorkbookNeedsFile(), "A workbook (xlsx) is written to a file: name one.",
         " Export", Buttons::Ok, Icon::Exclamation},
        {exporting::msg::ExportStopped("t.csv"), "t.csv was not saved: the export was stopped.",
         " Export", Buttons::Ok, Icon::Information},
        {core::msg::CannotOpenFile("/data/caf\xC3\xA9.txt", ENOENT),
         "Couldn't open /data/caf\xE9"
         ".txt !\r\nNo such file or directory",
         "Problem opening file!", Buttons::Ok, Icon::Exclamation},
        {ui::msg::SwitchFileAccess(false),
         "Text files you open will be read-only (ie cannot be edited) -\r\ndo you wish to change "
         "to read-write (ie can be edited) ?",
         " File access", Buttons::YesNo, Icon::Question},
        {ui::msg::SwitchFileAccess(true),
         "Text files you open will be read-write (ie can be edited) -\r\ndo you wish to change "
         "to read-only (ie cannot be edited) ?",
         " File access", Buttons::YesNo, Icon::Question},
        {ui::msg::PrinterNotOpened(), "The printer could not be opened - nothing was printed.",
         " Printer problem", Buttons::Ok, Icon::Exclamation},
        {core::msg::CannotFindFolder("/data/Texts", FolderError::NotFound, kDriveFixed, "/data"),
         "Cannot find folder:\r\n/data/Texts", "Folder error", Buttons::RetryCancel,
         Icon::Exclamation},
        {core::msg::CannotFindFolder("/media/usb/Texts", FolderError::DiskNotReady, kDriveRemovable,
                                     "/media/usb"),
         "Cannot find folder:\r\n/media/usb/Texts\r\n\r\nPlease place disk in drive /media/usb",
         "Folder error", Buttons::RetryCancel, Icon::Exclamation},
        {core::msg::CannotFindFolder("/media/usb/Texts", FolderError::PathNotFound, kDriveRemovable,
                                     "/media/usb"),
         "Cannot find folder:\r\n/media/usb/Texts\r\nPlease replace correct disk in drive "
         "/media/usb",
         "Folder error", Buttons::RetryCancel, Icon::Exclamation},
        {core::msg::CannotFindFolder("/data/Texts", FolderError::PathNotFound, kDriveFixed,
                                     "/data"),
         "Cannot find folder:\r\n/data/Texts\r\nPlease check that folder still exists",
         "Folder error", Buttons::Ok, Icon::Exclamation},
        {core::msg::CannotFindFile("/data/a.txt", kDriveFixed), "Cannot find file /data/a.txt",
         " File error", Buttons::AbortRetryIgnore, Icon::Exclamation},
        {core::msg::CannotFindFile("/media/cd/a.txt", kDriveCdRom),
         "Cannot find file /media/cd/a.txt -\r\nYou may have removed the disk with the file from "
         "the drive",
         " File error", Buttons::AbortRetryIgnore, Icon::Exclamation},
        {core::msg::LowDiskSpace("/media/usb", 10.9 * 1024),
         "There are only 10 KBytes free\r\non drive /media/usb - this may not be enough",
         " Disk space running low", Buttons::Ok, Icon::Exclamation},
        {core::msg::FileTooLargeForNotepad(), "File too large for Notepad - using Wordpad instead",
         "Large file", Buttons::Ok, Icon::None},
        {core::msg::ViewAsWebPage(), "Do you wish to view file as web page?",
         " About to view HTML file", Buttons::YesNo, Icon::Question},
        {core::msg::CannotFindViewer("xdg-open"), "Cannot find xdg-open to view files",
         "Invalid Path", Buttons::Ok, Icon::Exclamation},
        {core::msg::RemovableProgramDrive("/media/usb", true),
         "You have loaded KWIC-LEXMORA from drive /media/usb\r\n\r\nTo function, the program must "
         "be able to access the disk.   \r\n\r\nIf you remove the disk with the program from the "
         "drive\r\nwhile the program is running, the program may crash.\r\n\r\nIf you need to use "
         "drive /media/usb for source or target files,\r\nyou should run lexmora from a hard "
         "drive.",
         " Warning", Buttons::Ok, Icon::Information},
        {core::msg::RemovableProgramDrive("/media/usb", false),
         "You have loaded KWIC-LEXMORA from drive /media/usb\r\n\r\nTo function, the program must "
         "be able to access the disk.   \r\n\r\nIf you remove the disk with the program from the "
         "drive\r\nwhile the program is running, the program may crash.\r\n\r\nIf you need to use "
         "drive /media/usb for source or target files,\r\nyou should run lexmora from a hard "
         "drive.",
         " Warning", Buttons::Ok, Icon::None},
        {core::msg::DeleteSessionResults("/home/ann/results"),
         "Do you wish to delete this session's search results file(s) in \r\n/home/ann/results?",
         " About to exit from program", Buttons::YesNoCancel, Icon::Question},
        {core::msg::SaveSettings(),
         "Some of the default settings have been changed.\r\nDo you wish to save the changes?",
         "Save settings?", Buttons::YesNo, Icon::Question},
        {core::msg::SettingNeedsFolder("TargetDirectory"),
         "A folder must be given for TargetDirectory.", " Invalid setting", Buttons::Ok,
         Icon::Exclamation},
        {core::msg::SettingFolderNotFound("/no/such"), "Cannot find folder:\r\n/no/such",
         "Folder error", Buttons::Ok, Icon::Exclamation},
        {core::msg::SettingFolderReadOnly("/read/only"), "The folder /read/only is read-only.",
         " Invalid setting", Buttons::Ok, Icon::Exclamation},
        {core::msg::SettingContextWidth("LeftContext", 550),
         "LeftContext takes a number of characters from 1 to 550.", " Invalid setting", Buttons::Ok,
         Icon::Exclamation},
        {core::msg::SettingLanguage(),
         "Language takes English, French, German, Italian or Spanish.", " Invalid setting",
         Buttons::Ok, Icon::Exclamation},
        {core::msg::SettingZeroOrOne("UserLevel"), "UserLevel takes 0 or 1.", " Invalid setting",
         Buttons::Ok, Icon::Exclamation},
        {core::msg::SettingFileExtensions(),
         "InvalidFileExtensions takes entries of four characters, each a full stop and three "
         "characters, such as \".XYZ.AB \".",
         " Invalid setting", Buttons::Ok, Icon::Exclamation},
        {core::msg::UnknownSetting("Colour"), "There is no setting called Colour.",
         " Invalid setting", Buttons::Ok, Icon::Exclamation},
        {core::msg::CannotWriteSettings("/home/ann/lexmora9.ini"),
         "Cannot write the settings file /home/ann/lexmora9.ini", " File error", Buttons::Ok,
         Icon::Exclamation},
        {core::msg::MajorFailure(), "Major file or device failure!\r\nReturning to main menu", "",
         Buttons::Ok, Icon::Exclamation},
        {core::msg::NoNameEntered(), "Do you wish to continue?", " You have not entered a name!",
         Buttons::YesNo, Icon::Question},
        {core::msg::CommandLineCopied("lexmora-cli view -- 'caf\xC3\xA9 1.dmp'"),
         "This command line is on the clipboard:\r\nlexmora-cli view -- 'caf\xE9 1.dmp'",
         " Copy as command line", Buttons::Ok, Icon::Information},
        {core::msg::RegexAmongKeywordsNotOneLine(),
         "Some keywords are regular expressions and some are not: one command\r\nline cannot "
         "give them (--regex makes every keyword an expression).\r\nNothing was copied.",
         " Copy as command line", Buttons::Ok, Icon::Exclamation},
        {core::msg::KeywordsNotOneLine(),
         "The keywords have different exclude strings or tags, or exclude\r\nstrings with their "
         "own case rule: one command line cannot give\r\nthem. Nothing was copied.",
         " Copy as command line", Buttons::Ok, Icon::Exclamation},
        {core::msg::ViewNotOneLine(),
         "The lines shown cannot be rebuilt by one command line (a deletion\r\nundone after a "
         "sort, or a sort on words on both sides of the\r\nkeyword). Nothing was copied.",
         " Copy as command line", Buttons::Ok, Icon::Exclamation},
        {codes::msg::CannotOpenFileTryingNext("caf\xC3\xA9.wp#"),
         "Cannot open file caf\xE9.wp# - trying next...", "", Buttons::Ok, Icon::Exclamation},
        {codes::msg::DamagedCodeFile("html.wp#", "line 3 is not hexadecimal."),
         "The code file html.wp# is damaged:\r\nline 3 is not hexadecimal.\r\nFiles in its code "
         "may not be read right.",
         " Code file", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::NoSpecialCharsInExcludes(),
         "You cannot use special characters in words to exclude", " Illegal character", Buttons::Ok,
         Icon::Exclamation},
        {keywords::msg::NoProcedureInExcludes(),
         "You cannot use this procedure in words to exclude", " Illegal procedure", Buttons::Ok,
         Icon::Exclamation},
        {keywords::msg::NoOperatorAfterWildcard(), "You cannot use this procedure after a wildcard",
         " Illegal operation", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::AfterOpenBracket('['),
         " After [ you must enter either \xAB"
         " < \xBB"
         " or \xAB"
         " = \xBB"
         " ",
         " Error entering character", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::CloseBrackets(']'), "You must close brackets with ]", " Illegal character",
         Buttons::Ok, Icon::Exclamation},
        {keywords::msg::IdentifyKeywordFirst(), "First identify keyword by clicking on it", "",
         Buttons::Ok, Icon::Exclamation},
        {keywords::msg::HelpFileMissingWarning(), "Cannot find help file!", "File missing",
         Buttons::Ok, Icon::Exclamation},
        {keywords::msg::KeepExistingKeywords(5), "Do you wish to keep existing keywords?",
         "5 keywords already loaded", Buttons::YesNo, Icon::Question},
        {keywords::msg::AddToExistingKeywords(5),
         "Continue to add new keywords to existing keywords?", "5 keywords already loaded",
         Buttons::OkCancel, Icon::Question},
        {keywords::msg::KeepKeywordsInWindow(5), "Do you wish to keep existing keywords?",
         "5 keyword(s) already loaded", Buttons::YesNo, Icon::Question},
        {keywords::msg::NotATextFile("/data/words.bin"),
         "words.bin\r\nis not a text file - trying next...", "", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::LowOnMemory(), "There's not enough memory available to load files!",
         " Low on memory", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::LinesLeftOut("/data/k\xC3\xA9.txt", 2, 3),
         "Lines of k\xE9"
         ".txt not loaded as keywords:\r\n2 line(s) longer than 255 characters\r\n3 line(s) with "
         "characters the program cannot show",
         " Keyword file", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::NoKeywordsInFiles(), "The chosen file(s) hold no keywords.",
         " Empty file !", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::ListOverflow(32670),
         "The listbox can only store approx. 32667 keywords.\r\nIf you try to load keywords into "
         "the list box, \r\nall keywords above this figure will be lost.  \r\nDo you wish to go "
         "ahead and load keywords into listbox?     \r\n\r\nIf you click on 'Yes' you will lose 3 "
         "words.\r\nIf you click on 'No' all keywords will be stored in memory.",
         " Potential list overflow   (32670 keywords selected)", Buttons::YesNo, Icon::Exclamation},
        {keywords::msg::ListFull(), "The listbox can only store approx. 32667 keywords.",
         " Potential list overflow", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::NoExcludeMemory(), "Not enough memory available for exclude strings",
         "Lack of memory", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::CannotSaveKeywords("/data/k\xC3\xA9.txt"),
         "Cannot save keywords to\r\n/data/k\xE9"
         ".txt",
         " Keyword file", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::ExcludesNotSaved(),
         "A keyword file holds keywords only:\r\nthe words to exclude and the tags are not "
         "saved.\r\nSave the keywords?",
         " Save keywords", Buttons::OkCancel, Icon::Question},
        {search::msg::SelectSourceFiles(), " Please select source files.  ", " Cannot continue...",
         Buttons::OkCancel, Icon::Exclamation},
        {search::msg::SourceDiskChanged(),
         "You appear to have removed or changed the disk with the sourcefiles on.  \r\nYou must "
         "either replace the original disk or cancel the search.",
         " Cannot find disk", Buttons::RetryCancel, Icon::Exclamation},
        {search::msg::NoTargetFolder(), "You have not selected a target folder", "Warning",
         Buttons::OkCancel, Icon::Exclamation},
        {search::msg::TargetIsSource(),
         "Your target folder is the same as your source folder!  \r\n       Please select another "
         "target folder.",
         "Warning", Buttons::OkCancel, Icon::Exclamation},
        {search::msg::ReadOnlyTarget(),
         "Your target folder is read-only -\r\nyou must change folder", " Read-Only Folder",
         Buttons::OkCancel, Icon::Exclamation},
        {search::msg::TargetInSearchPath(),
         "Your target folder lies in your search path!\r\nYou must save the results to a different "
         "folder or disk",
         "Warning", Buttons::OkCancel, Icon::Exclamation},
        {search::msg::EnterKeywords(), " Please enter keyword(s).   ", " Cannot continue...",
         Buttons::OkCancel, Icon::Exclamation},
        {search::msg::SaveToCdRom(),
         "You cannot save results to a CD_ROM disk -do you wish to change drive?",
         " Trying to  save to CDROM !", Buttons::YesNo, Icon::Exclamation},
        {search::msg::RemovableDiskLow(300000.0, "/media/usb", true),
         "There are only 292 KBytes free on drive /media/usb\r\nThis may not be enough - do you "
         "wish to change drive?",
         " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation},
        {search::msg::RemovableDiskLow(300000.0, "/media/usb", false),
         "There are only 292 KBytes free on drive /media/usb\r\nThis may not be enough - do you "
         "wish to change disk?",
         " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation},
        {search::msg::AbandonSearch(),
         "You have just pressed \xAB"
         " Exit \xBB"
         " -\r\ndo you wish to return to main screen?",
         " Abandon Search", Buttons::YesNo, Icon::Question},
        {search::msg::CannotOpenDumpfile(), "Cannot open dumpfile - return to main menu!", "",
         Buttons::Ok, Icon::Exclamation},
        {search::msg::RecordTooLong(40, 40000, 40),
         "Cannot save the results of a keyword of 40000 characters\r\nwith contexts of 40 and "
         "40: a record would be longer\r\nthan 32767 bytes - return to main menu!",
         " Record too long", Buttons::Ok, Icon::Exclamation},
        {search::msg::CannotPrintToSummaryAskContinue(),
         "Cannot print to summary file!\r\nDo you wish to continue?", "File problem",
         Buttons::OkCancel, Icon::Exclamation},
        {search::msg::SeeSummary(), "Do you wish to see summary of search?   ", " Search finished",
         Buttons::YesNo, Icon::Question},
        {search::msg::EndOfSearch(), "         Continue    ", " End of search", Buttons::Ok,
         Icon::None},
        {search::msg::MoreResults(), " Continue viewing results?       ", " More results to follow",
         Buttons::OkCancel, Icon::Question},
        {search::msg::CannotReadFolder("/data/t\xC3\xA9/x", "Permission denied"),
         "Cannot read the folder /data/t\xE9/x -\r\nits files and sub-folders are not "
         "searched.\r\nPermission denied",
         " Folder error", Buttons::Ok, Icon::Exclamation},
        {search::msg::CannotReadSource("/data/a.txt", "Permission denied"),
         "Cannot read file /data/a.txt -\r\nit is not searched.\r\nPermission denied",
         " File error", Buttons::Ok, Icon::Exclamation},
        {search::msg::NotASourceFile("/data/pipe", "a FIFO (named pipe)"),
         "Cannot search /data/pipe -\r\nit is a FIFO (named pipe), not a file.", " File error",
         Buttons::Ok, Icon::Exclamation},
        {search::msg::SourceReadCutShort("/data/a.txt", 4096, 9000, "Input/output error"),
         "Cannot read file /data/a.txt to its end:\r\n4096 bytes read of 9000.\r\nInput/output "
         "error",
         " File error", Buttons::Ok, Icon::Exclamation},
        {search::msg::SourceChanged("/data/a.txt", 300, 1000),
         "/data/a.txt changed while it was searched:\r\n300 bytes read of the 1000 it held when "
         "opened.",
         " File changed", Buttons::Ok, Icon::Exclamation},
        {search::msg::NothingToSearchFor("?*?*"),
         "\xAB ?*?* \xBB gives nothing to search for:\r\nthe search passes it over.",
         " Keyword skipped", Buttons::Ok, Icon::Exclamation},
        // Regular-expression keywords.
        {search::msg::BadRegex("colou(r", "missing closing parenthesis", 7),
         "The regular expression colou(r cannot be searched for:\r\nmissing closing "
         "parenthesis (at character 8).",
         " Regular expression", Buttons::Ok, Icon::Exclamation},
        {search::msg::BadRegex("", "the expression is empty", std::string::npos),
         "The regular expression  cannot be searched for:\r\nthe expression is empty.",
         " Regular expression", Buttons::Ok, Icon::Exclamation},
        {search::msg::RegexLimitReached("(a+)+$", "/data/t\xC3\xA9.txt"),
         "The regular expression (a+)+$ needs too much work in\r\n/data/t\xE9.txt (its match "
         "limit was reached) -\r\nthe rest of this file is not searched for it; the search "
         "goes on.",
         " Regular expression", Buttons::Ok, Icon::Exclamation},
        {search::msg::CannotContinue(), "Cannot continue", "", Buttons::Ok, Icon::Exclamation},
        {search::msg::CannotPrintToLogfile(), "Cannot print to logfile", "", Buttons::Ok,
         Icon::Exclamation},
        {search::msg::CannotPrintToDumpfile(), "Cannot print to dumpfile", "", Buttons::Ok,
         Icon::Exclamation},
        {search::msg::CannotPrintToSummary(), "Cannot print to summary file!", "", Buttons::Ok,
         Icon::Exclamation},
        {search::msg::TooManyLogEntries(),
         "More than 99999 source files with hits in one search:\r\nthe search stops here and the "
         "results so far are kept.",
         " Too many files", Buttons::Ok, Icon::Exclamation},
        {search::msg::SelectionLimit(false), "The maximum number of items you can select is 32767.",
         "Selection limit reached", Buttons::Ok, Icon::Exclamation},
        {search::msg::SelectionLimit(true),
         "The maximum number of items you can select is 32767.\r\nThere is no limit if you use the "
         "'Extract' options in the main menu.",
         "Selection limit reached", Buttons::Ok, Icon::Exclamation},
        {search::msg::MinimiseRefused(),
         "You cannot minimise this window during active search !\r\n\r\nYou must first click on "
         "\xAB"
         " Pause \xBB"
         ".",
         " Action not permitted!", Buttons::Ok, Icon::Exclamation},
        // --- N-grams and clusters ---
        {analysis::msg::AbandonNgrams(),
         "You have just pressed \xAB Exit \xBB -\r\ndo you wish to abandon the n-grams?",
         " Abandon N-grams", Buttons::YesNo, Icon::Question},
        {analysis::msg::NgramsAbandoned(), "The n-grams were abandoned - nothing was kept.",
         " Abandon N-grams", Buttons::Ok, Icon::Information},
        {analysis::msg::SizeOutOfRange("2-9"),
         "The n-gram size must be a number of words from 2 to 8, or a range such as 2-5 "
         "(given: 2-9).",
         " N-grams", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::NoWordsForNgrams(),
         "No words were found in the files given - there are no n-grams to count.", " N-grams",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::NotATextSource("/t/caf\xC3\xA9.bin"),
         "/t/caf\xE9.bin is not a text file - left out.", " N-grams", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::CannotMakeSpillFolder("/tmp/x", "Not a directory"),
         "Cannot write temporary files in the folder /tmp/x\r\nNot a directory\r\nPlease choose "
         "another temporary folder.",
         " N-grams", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::SpillFailed("/tmp", "No space left on device"),
         "Writing temporary files in /tmp failed:\r\nNo space left on device\r\nThe n-grams were "
         "not counted; no temporary file is left.",
         " N-grams", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::NgramFileDamaged("a.ngr", "row 3"),
         "a.ngr is damaged (row 3) - it cannot be opened.", " Damaged n-gram file", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::NotAnNgramFile("a.txt"), "a.txt is not a saved n-gram file.",
         " Damaged n-gram file", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::NgramFileTooNew("a.ngr", 2),
         "a.ngr was saved in n-gram file format 2, which this version cannot read.", " N-gram file",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::CannotReadNgramFile("a.ngr", "Permission denied"),
         "Cannot read a.ngr\r\nPermission denied", " N-gram file", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::CannotSaveNgrams("a.ngr", "No space left on device"),
         "Cannot save the n-grams to a.ngr\r\nNo space left on device\r\nNothing was written.",
         " N-gram file", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::NgramFileExists("a.ngr"), "a.ngr already exists - it was left as it is.",
         " N-gram file", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::ClusterSizeOutOfRange("9"),
         "The cluster size must be a number of words from 2 to 8 (given: 9).", " Clusters",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::AbandonClusters(),
         "You have just pressed \xAB Exit \xBB -\r\ndo you wish to abandon the clusters?",
         " Abandon Clusters", Buttons::YesNo, Icon::Question},
        // --- end of n-grams and clusters ---
        {viewer::msg::CannotOpenFile("r.dmp", false, ""), "Cannot open file r.dmp", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::CannotOpenFile("caf\xC3\xA9.dmp", true, "No such file or directory"),
         "Cannot open file caf\xE9.dmp - trying next file...\r\nNo such file or directory", "",
         Buttons::Ok, Icon::Exclamation},
        {viewer::msg::EmptyFile(),
         "Cannot continue - the file is empty.\r\nPlease make new selection...", " Empty file !",
         Buttons::Ok, Icon::Exclamation},
        {viewer::msg::DeleteEmptyFile("r.dmp"), "Delete the empty file r.dmp ?", " Empty file !",
         Buttons::YesNo, Icon::Question},
        {viewer::msg::NotAResultFile("notes.dmp"),
         "Cannot view notes.dmp -\r\nit is neither a result file nor a file of text lines.",
         " Not a result file", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::DamagedFile("maison_001.dmp", "the header is cut short"),
         "Cannot view maison_001.dmp - the file is damaged:\r\nthe header is cut short",
         " Damaged file !", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::IncompleteLastRecord("maison_001.dmp", 17),
         "maison_001.dmp ends with an incomplete record:\r\nits last 17 bytes are not shown.",
         " Incomplete file", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::ExitQuestion(),
         "You have just pressed \xAB"
         " Exit \xBB"
         "  - \r\ndo you wish to view more files?",
         " About to return to main screen", Buttons::YesNoCancel, Icon::Question},
        {viewer::msg::SaveChangesOnLeaving(), "Do you wish to save changes made?",
         "Save changes to file?", Buttons::YesNo, Icon::Question},
        {viewer::msg::LogNotFound("maison_001.log"), "Sorry - cannot find maison_001.log",
         "File not found", Buttons::RetryCancel, Icon::Exclamation},
        {viewer::msg::NoSortValues(), "You have not entered any value in the boxes",
         " No values entered!", Buttons::RetryCancel, Icon::Exclamation},
        {viewer::msg::SortFailed(7),
         "The following error 7 has occurred -\r\nCannot continue with the sort", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::CollocationNeedsSort(),
         "Before you can perform a collocation\r\nyou must first perform a sort", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::DeleteItems(12), "Continue with the deletion of 12 items?",
         "About to delete items", Buttons::YesNo, Icon::Question},
        {viewer::msg::StartAfterFinish(), "Your start point is higher than your finish",
         " Error in entering values !", Buttons::RetryCancel, Icon::Exclamation},
        {viewer::msg::NotEnoughMemoryToCopy(),
         "There is not enough memory available to copy all strings to clipboard!\r\nBegin again "
         "and either free memory or break the task down into smaller sections.",
         " String too long!", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::NotEnoughMemoryToAdd(),
         "There is not enough memory to add any more to clipboard!\r\nExit, paste string and then "
         "continue by using \xAB"
         "Copy to clipboard\xBB"
         ".",
         " Out of string space!", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::StringTooLong(), "String is too long to store in memory!",
         " String too long!", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::DeletePresentString(), "Do you wish to delete present string?",
         " String too long!", Buttons::YesNo, Icon::Question},
        {viewer::msg::ExtractSaveFailed(), "File problem -Could not save text!", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::TextSaved("/home/ann/results", "maison_001.cnc"),
         "/home/ann/results\r\ntext has been saved to: maison_001.cnc", "", Buttons::Ok,
         Icon::Information},
        {viewer::msg::CannotCreateOutput("maison_001.cnc"),
         "Cannot continue\r\nthe file maison_001.cnc cannot be written.", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::SaveChangesTo("maison_001.new"),
         "Changes will be saved to file:\r\nmaison_001.new", "Save changes?", Buttons::OkCancel,
         Icon::Information},
        {viewer::msg::DiscProblem(), " Disc problem", "", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::PrinterReady(),
         "Please check that the printer is ready\r\nThen click on \xAB"
         " Ok \xBB"
         " to continue",
         " About to send text to printer", Buttons::OkCancel, Icon::Information},
        {viewer::msg::PrintMoreOnPage(),
         "Do you want to print more text on the same page?\r\n\r\nIn order not to monopolise the "
         "printer,    \r\nprinting will be held in memory until\r\neither you click on \xAB"
         " No \xBB"
         " or exit the viewer.    ",
         " Printing sent to spooler...", Buttons::YesNo, Icon::Question},
        {viewer::msg::DetailsSaveFailed(), "File problem - Could not save text!", "", Buttons::Ok,
         Icon::Exclamation},
        {viewer::msg::LogEntryMissing("maison_001.log", 42),
         "Cannot find entry 42 in the log file\r\nmaison_001.log - no record details can be shown.",
         "File not found", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::LogEntryMismatch("maison_001.log", 42),
         "Entry 42 of the log file maison_001.log\r\nnames another source file than the record - "
         "the log does not belong to this result file.",
         "File not found", Buttons::Ok, Icon::Exclamation},
        {viewer::msg::NoDetailsForFile(),
         "Record details need a result file of this program\r\nwith its log file beside it.", "",
         Buttons::Ok, Icon::Exclamation},
        {viewer::msg::LinesHoldingWord(3, 120, "maison"),
         "3 of the 120 lines shown hold \"maison\".\r\nRestore all Deletions brings the others "
         "back.",
         " Find in lines", Buttons::Ok, Icon::Information},
        {viewer::msg::NoLineHoldsWord("maison"), "No line shown holds \"maison\".",
         " Find in lines", Buttons::Ok, Icon::Information},
        {wordcount::msg::CannotOpenBucketFiles("No space left on device"),
         "Cannot open files to save results to -\r\nreturning to main window!",
         "No space left on device", Buttons::Ok, Icon::None},
        {wordcount::msg::NoWordsInFiles(),
         "Files unsuitable or no words in files!  \r\nCannot continue.", " Aborting wordcount",
         Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::AbandonWordcount(),
         "You have just pressed \xAB"
         " Exit \xBB"
         " -\r\ndo you wish to return to main screen?",
         " Abandon Wordcount", Buttons::YesNo, Icon::Question},
        {wordcount::msg::ErrorOpeningFiles(), "Cannot continue - returning to Main Window!  ",
         " Error opening files!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::DiskError(61), "    Disk is full !", " Disk Error",
         Buttons::AbortRetryIgnore, Icon::Exclamation},
        {wordcount::msg::DiskError(70), "Permision denied", " Disk Error", Buttons::RetryCancel,
         Icon::Exclamation},
        {wordcount::msg::DiskError(71), "Insert disk in drive, and close drive door", " Disk Error",
         Buttons::RetryCancel, Icon::Exclamation},
        {wordcount::msg::DiskError(76), "That folder or file wasn't found", " Disk Error",
         Buttons::AbortRetryIgnore, Icon::Exclamation},
        {wordcount::msg::DiskError(1013), "Unanticipated error no: 1013\r\nCannot continue -",
         " Disk Error", Buttons::AbortRetryIgnore, Icon::Exclamation},
        {wordcount::msg::FileMissing("a.txt"), "Cannot find file a.txt", " File error",
         Buttons::AbortRetryIgnore, Icon::Exclamation},
        {wordcount::msg::OutputNameNeeded(),
         "You must enter a name for the file to save the results to", "File name needed",
         Buttons::OkCancel, Icon::Exclamation},
        {wordcount::msg::TargetIsSourceFolder(),
         "Your target folder is the same as your source folder!   \r\n"
         "    Please select a new target folder.  ",
         " Paths incompatible!", Buttons::OkCancel, Icon::Exclamation},
        {wordcount::msg::ReadOnlyTargetFolder(),
         "Your target folder is read-only -\r\nyou must change folder", " Read-Only Folder",
         Buttons::OkCancel, Icon::Exclamation},
        {wordcount::msg::RemovableDiskLow(204800, "/media/usb", false),
         "There are only 200 KBytes free on drive /media/usb\r\nThis may not be enough - do "
         "you wish to change disk?",
         " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation},
        {wordcount::msg::RemovableDiskLow(1023, "/media/usb", true),
         "There are only 0 KBytes free on drive /media/usb\r\nThis may not be enough - do you "
         "wish to change drive?",
         " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation},
        {wordcount::msg::NoSourceFilesSelected(), "You have not selected any source files", "",
         Buttons::OkCancel, Icon::Exclamation},
        {wordcount::msg::NoFilesSelected(), "You have not selected any files !", " No files !",
         Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CannotMinimise("Pause "),
         "You cannot minimise this window during active word count! \r\nYou must first click "
         "on \xAB Pause  \xBB ",
         " Action not permitted!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::NoWordEntered(), "You have not entered a word - do you wish to continue?",
         "Word search", Buttons::YesNo, Icon::Question},
        {wordcount::msg::CannotPrint(), "Cannot open the printer -\r\nnothing was printed.",
         " Print error", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CannotReadFolder("/data/t\xC3\xA9/x", "Permission denied"),
         "Cannot read the folder /data/t\xE9/x -\r\nits files and sub-folders are not "
         "counted.\r\nPermission denied",
         " Folder error", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CannotReadSource("/data/a.txt", "Permission denied"),
         "Cannot read file /data/a.txt -\r\nit is not counted.\r\nPermission denied", " File error",
         Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::SourceChanged("/data/a.txt", 300, 1000),
         "/data/a.txt changed while it was counted:\r\n300 bytes read of the 1000 it held when "
         "opened.",
         " File changed", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CountReadingFailed("not enough memory"),
         "The source files could not be read on: not enough memory.\r\nCannot continue.",
         " Aborting wordcount", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::PairNameTaken("novels.lst"),
         "Another run saved \xAB novels.lst \xBB while this count ran:\r\nit is kept, and this "
         "count is not saved.",
         " File already exists!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::PairNotPlaced("novels.lst", "No space left on device"),
         "The word list \xAB novels.lst \xBB could not be saved:\r\nNo space left on device",
         " Error saving files!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CountTooLarge("more than 999999999 types"),
         "The count is too large for a word list:\r\nmore than 999999999 types\r\nCount the files "
         "in smaller sets.",
         " Count too large", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::ListFileExists("novels"),
         "file \xAB"
         " novels.lst \xBB"
         " already exists:\r\ndo you wish to overwrite it?",
         " File already exists!", Buttons::YesNo, Icon::Question},
        {wordcount::msg::CannotOpenList("novels.lst", "No such file or directory"),
         "Cannot open file novels.lst\r\nNo such file or directory", " Error opening file",
         Buttons::RetryCancel, Icon::Exclamation},
        {wordcount::msg::CannotOpenIndex("novels.sta", "novels.lst"),
         "Cannot open file - check that novels.sta\r\nis in same folder as novels.lst",
         " Error opening file", Buttons::RetryCancel, Icon::Exclamation},
        {wordcount::msg::InvalidFile("novels.lst"),
         "\xAB"
         " novels.lst \xBB"
         " is either the wrong type\r\nof file or it has been corrupted. \r\n\r\nSelect another "
         "file. ",
         "Invalid file!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::MismatchedPair("novels.lst", "novels.sta", "the index is too short"),
         "\xAB"
         " novels.lst \xBB"
         " and its index \xAB"
         " novels.sta \xBB"
         " do not match\r\n(the index is too short).\r\n\r\nSelect another file. ",
         "Invalid file!", Buttons::Ok, Icon::Exclamation},
        {wordcount::msg::CannotFindMatch(), "Cannot find match", "Search unsuccessful", Buttons::Ok,
         Icon::Information},
        {wordcount::msg::SlowWordSearch(),
         "Word searches on non-alphabetically sorted files may be slow", "Word search", Buttons::Ok,
         Icon::Information},
        {wordcount::msg::MinimumAboveMaximum(), "Your minimum is higher than your maximum",
         " Error in entering values !", Buttons::RetryCancel, Icon::Exclamation},
        {wordcount::msg::SaveDetailsWhere("/home/ann/freq"),
         "Results will be saved with the extension \xAB"
         " lex \xBB"
         " to folder:\r\n\r\n/home/ann/freq\r\n\r\ndo you wish to save to a different drive or "
         "folder?",
         "", Buttons::YesNoCancel, Icon::Question},
        {wordcount::msg::CannotSaveDetails(), "Cannot continue", " Error!", Buttons::Ok,
         Icon::Exclamation},
        {wordcount::msg::DetailsSaved("/home/ann/freq/novels.lex"),
         "Details saved under filename:\r\n/home/ann/freq/novels.lex", "Operation finished",
         Buttons::Ok, Icon::Information},
        {files::msg::TooManyListFiles(), "You may only select one list file!", "Too many files",
         Buttons::Ok, Icon::Information},
        {files::msg::NoFilesToMakeList(), "You must first select some files", "No files selected!",
         Buttons::Ok, Icon::None},
        {files::msg::NoFilesSelected(), "You haven't selected any files!", " Warning", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::AddLastFiles(),
         "You have pressed \xAB"
         " Ok \xBB"
         " without adding the last file(s) to the list.\r\nDo you wish to add new file(s) to "
         "existing files?",
         "Add files to list?", Buttons::YesNoCancel, Icon::Question},
        {files::msg::SaveToDefaultFolder("/home/ann/lists"),
         "The default folder is:\r\n\r\n/home/ann/lists\r\n\r\nDo you want to save to same folder?",
         "", Buttons::YesNo, Icon::Question},
        {files::msg::NoFolderSelected(), "You have not selected a folder!", "", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::ListFileExists("texts.flist"),
         "file 'texts.flist' already exists:\r\ndo you wish to overwrite it?",
         " File already exists!", Buttons::YesNo, Icon::Question},
        {files::msg::InvalidName(), "You have not entered a name.\r\nDo you wish to continue?",
         " Invalid filename", Buttons::YesNo, Icon::Question},
        {files::msg::CannotWriteList(EACCES), "Cannot continue!\r\nPermission denied", "Error!",
         Buttons::Ok, Icon::Exclamation},
        {files::msg::AddListToPresent(), "Do you wish to add new list to present list?",
         "List already stored", Buttons::YesNo, Icon::Question},
        {files::msg::RemovableDriveWarning(),
         "You are trying to access files on a removable drive.\r\n\r\nThere can be problems with "
         "some removable drives\r\nwhen changes of disk are not recognised.\r\n\r\nIf this "
         "happens, you should remove the old disk, double\r\nclick on the empty drive and then "
         "insert the new disk.",
         "  Possible problems with removable drive", Buttons::Ok, Icon::Information},
        {files::msg::CannotReadList("/home/ann/lists/texts.flist", ENOENT),
         "Cannot read the file list\r\n/home/ann/lists/texts.flist\r\nNo such file or directory",
         " File list error", Buttons::Ok, Icon::Exclamation},
        {files::msg::EmptyFileList("/home/ann/lists/texts.flist"),
         "The file list\r\n/home/ann/lists/texts.flist\r\nholds no file names.", " Empty file list",
         Buttons::Ok, Icon::Exclamation},
        {files::msg::NotAFileList("/home/ann/lists/texts.flist"),
         "The file\r\n/home/ann/lists/texts.flist\r\nis not a list of files.", " Not a file list",
         Buttons::Ok, Icon::Exclamation},
        {files::msg::NamesNotStorable(2),
         "2 file name(s) hold a line break and cannot be stored in a list.\r\nThey have been left "
         "out.",
         " File list", Buttons::Ok, Icon::Information},
        {files::msg::StoredListFull(32767),
         "A file list holds at most 32767 files.\r\nThe files beyond that have not been added.",
         " File list", Buttons::Ok, Icon::Information},
        {files::msg::ImportNotes(1, 2, 3),
         "1 of the listed files cannot be found.\r\n2 line(s) are not full file names and were "
         "left out.\r\nOnly the first 32767 files were taken; 3 were left out.",
         " File list", Buttons::Ok, Icon::Information},
        {files::msg::ImportNotes(0, 0, 4),
         "Only the first 32767 files were taken; 4 were left out.", " File list", Buttons::Ok,
         Icon::Information},
        {files::msg::NoFilesFoundToCopy(), "No files found to copy", "Error", Buttons::Ok,
         Icon::None},
        {files::msg::NoFilesFoundToMove(), "No files found to move", "Error", Buttons::Ok,
         Icon::None},
        {files::msg::SameFolderRefused(), "You cannot copy files to same folder!",
         " Error in choice of folder", Buttons::Ok, Icon::Exclamation},
        {files::msg::ConfirmCopy(3, "/data/a", "/data/b"),
         "Confirm copying of 3 files\r\non /data/a to /data/b", " About to copy files",
         Buttons::YesNo, Icon::Question},
        {files::msg::ConfirmMove(3, "/data/a", "/data/b"),
         "Confirm moving of 3 files\r\nfrom /data/a to /data/b", " About to move files",
         Buttons::YesNo, Icon::Question},
        {files::msg::NotEnoughSpace("/media/usb", 4, 2),
         "There is not enough space left on drive /media/usb:\r\nto hold remaining 4 "
         "file(s)\r\nstopping after 2 files",
         "Not enough disk space", Buttons::Ok, Icon::Exclamation},
        {files::msg::AbortingOperation(ENOSPC), "No space left on device aborting operation",
         " Error!", Buttons::Ok, Icon::Critical},
        {files::msg::OverwriteFile(),
         "A file of this name already exists!\r\n\r\nDo you want to overwrite it?", " Warning",
         Buttons::YesNo, Icon::Exclamation},
        {files::msg::DiscError(EIO), "Input/output error", " Disc error!", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::CannotOpenFile("caf\xC3\xA9.txt"),
         "Cannot open file!\r\ncaf\xE9"
         ".txt",
         "", Buttons::Ok, Icon::Exclamation},
        {files::msg::ConfirmDelete(3, "/data/a"), "Confirm deletion of 3 files in:\r\n/data/a",
         " About to delete files", Buttons::YesNo, Icon::Question},
        {files::msg::RemoveFolder(), "Do you wish to remove folder ?", "About to remove folder..",
         Buttons::OkCancel, Icon::Question},
        {files::msg::NoFilesToDelete(), "No files selected to delete", "Error", Buttons::Ok,
         Icon::None},
        {files::msg::NothingChosenFor("copy"), "You haven't selected any files!",
         "  No files to copy", Buttons::Ok, Icon::Exclamation},
        {files::msg::ChangeProtection(true),
         "At present selected files can be deleted -\r\ndo you wish to change so that files cannot "
         "be deleted ?",
         " File protection level", Buttons::YesNo, Icon::Question},
        {files::msg::ChangeProtection(false),
         "At present selected files cannot be deleted -\r\ndo you wish to change so that files can "
         "be deleted ?",
         " File protection level", Buttons::YesNo, Icon::Question},
        {files::msg::FilesProtected(),
         "At present selected files cannot be deleted or moved.\r\nPress Ctrl+D to change the file "
         "protection level.",
         " File protection level", Buttons::Ok, Icon::Exclamation},
        {files::msg::SystemError(EACCES), "Permission denied", " Error!", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::CannotRemoveFolder("/data/a", ENOTEMPTY),
         "Cannot remove folder\r\n/data/a\r\nDirectory not empty", " Error!", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::ReadOnlyFolder(),
         "The selected folder is 'read only'.\r\n\r\n  Please select another folder.",
         " Access denied!", Buttons::Ok, Icon::None},
        {files::msg::NewFolderCreated(), "New folder created", "", Buttons::Ok, Icon::None},
        {files::msg::CannotCreateFolder("/data/new", EEXIST),
         "Cannot create folder\r\n/data/new\r\nFile exists", " Error!", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::FolderNameNotUsable("a/b"),
         "The name 'a/b' cannot be used for a file or folder.", " Invalid filename", Buttons::Ok,
         Icon::Exclamation},
        {files::msg::TooManyCharacters(50), "Please use no more than 50 characters", "",
         Buttons::Ok, Icon::None},
        {files::msg::InvalidNumber(), "You must enter a valid number", " Invalid entry!",
         Buttons::Ok, Icon::None},
        {ui::msg::AnotherCopyRunning(),
         "There is an instance of KWIC-LEXMORA already loaded.\r\nDo you wish to continue loading?",
         " Application already running", Buttons::YesNo, Icon::Exclamation},
        {ui::msg::NoTargetFolderSelected(), "You have not selected a target folder!", "",
         Buttons::Ok, Icon::Exclamation},
        {ui::msg::HelpFileMissing(), "Cannot find help file!", "File missing", Buttons::Ok,
         Icon::None},
        {ui::msg::CannotAccessDrive(""), "Cannot access drive!", "", Buttons::Ok,
         Icon::Exclamation},
        {ui::msg::CannotAccessDrive("Lecteur inaccessible !"), "Lecteur inaccessible !", "",
         Buttons::Ok, Icon::Exclamation},
        {ui::msg::CannotOpenForViewing("The file cannot be read."), "The file cannot be read.",
         "Problem opening file!", Buttons::Ok, Icon::Exclamation},
        {ui::msg::AbandonAnalysis(),
         "Do you want to stop the analysis?\r\nNothing of it will be kept.", " Stop",
         Buttons::YesNo, Icon::Question},
        {ui::msg::RecentFileGone("the_001.dmp"),
         "the_001.dmp is no longer there.\r\nIt is taken off the recent files.", " Recent files",
         Buttons::Ok, Icon::Exclamation},
        {ui::msg::NothingToTakeFromDrop(),
         "Nothing here can be searched or opened.\r\nDrop source files or folders, a result file "
         "(.dmp) or a word list (.lst).",
         " Drop", Buttons::Ok, Icon::Exclamation},
        {cli::msg::ResultNameNeeded(), "You must enter a name for the file to save the results to",
         "File name needed", Buttons::OkCancel, Icon::Exclamation},
        {cli::msg::ResultNameHasFolder("../x"),
         "The name ../x holds a folder -\r\ngive a file name only: the files go to the frequency "
         "files folder.",
         "File name needed", Buttons::Ok, Icon::Exclamation},
        {cli::msg::NoSourceFilesSelected(), "You have not selected any source files", "",
         Buttons::OkCancel, Icon::Exclamation},
        {cli::msg::CannotFindFrequencyFolder("/home/ann/freq"),
         "Cannot find folder:\r\n/home/ann/freq", "Folder error", Buttons::RetryCancel,
         Icon::Exclamation},
        {cli::msg::NotACountSource("/tmp/p", "a FIFO (named pipe)"),
         "Cannot count /tmp/p -\r\nit is a FIFO (named pipe), not a file; it is left out.",
         " File error", Buttons::Ok, Icon::Exclamation},
        // --- Keyness ---
        {analysis::msg::KeynessCannotReadList("caf\xC3\xA9.txt", "No such file or directory"),
         "Cannot read the word list \xAB caf\xE9.txt \xBB\r\nNo such file or directory", " Keyness",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessNotAFile("ref"), "\xAB ref \xBB is not a file: choose a word list.",
         " Keyness", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessSameList("novels.lst"),
         "The target and the reference are the same file, \xAB novels.lst \xBB:\r\na list "
         "compared with itself has no keywords.",
         " Keyness", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessEmptyList("novels.lst"),
         "\xAB novels.lst \xBB holds no words to compare.", " Empty list", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::KeynessNoTokens("ref.txt"),
         "\xAB ref.txt \xBB gives a token total of 0: no frequency can be compared with it.",
         " Empty list", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessFrequenciesExceedTokens("ref.txt", 12, 10),
         "The frequencies of \xAB ref.txt \xBB add up to 12,\r\nmore than its token total of 10.",
         " Keyness", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessBadLine("ref.txt", 7, analysis::msg::kLineNoTab, 1),
         "Line 7 of \xAB ref.txt \xBB is not \"word<TAB>frequency\" or "
         "\"rank<TAB>frequency<TAB>word\":\r\nno tab between word and frequency.\r\nCorrect the "
         "list, or choose to skip the lines that are not entries.",
         " Bad line in a word list", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessListTooLarge("huge.txt"),
         "\xAB huge.txt \xBB is too large to be read as a word list.", " Keyness", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::KeynessBadSetting(analysis::msg::kSettingK),
         "Cannot compare the lists: the constant k of SMP must be a number above 0.", " Keyness",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessBadSetting(analysis::msg::kSettingP),
         "Cannot compare the lists: the significance level must lie between 0 and 1.", " Keyness",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessBadSetting(analysis::msg::kSettingMinimum),
         "Cannot compare the lists: a minimum frequency cannot be below 0.", " Keyness",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::KeynessStopped(), "The keyness table could not be written out whole.",
         " Keyness", Buttons::Ok, Icon::Exclamation},
        // --- end of Keyness ---
        // --- Hit walk and collocates
        {analysis::msg::NoSourcesInResultFile("lines.dmp"),
         "Cannot read the hits of lines.dmp in their texts -\r\nit is not a result file of a "
         "saved search.",
         " Not a result file", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DamagedRecordsLeftOut(1), "1 damaged record was left out.", " Collocates",
         Buttons::Ok, Icon::Information},
        {analysis::msg::DamagedRecordsLeftOut(3), "3 damaged records were left out.", " Collocates",
         Buttons::Ok, Icon::Information},
        {analysis::msg::FilesLeftOut(1, {"/t/a.txt"}),
         "1 hit left out: the source file has changed or gone since the search (/t/a.txt).",
         " Collocates", Buttons::Ok, Icon::Information},
        {analysis::msg::FilesLeftOut(5, {"/t/a.txt", "/t/b.txt"}),
         "5 hits left out: the source files have changed or gone since the search (/t/a.txt, "
         "/t/b.txt).",
         " Collocates", Buttons::Ok, Icon::Information},
        {analysis::msg::HitsNotFound(2, {"/t/a.txt"}),
         "2 hits were not found again in the source text and left out (/t/a.txt).", " Collocates",
         Buttons::Ok, Icon::Information},
        {analysis::msg::WalkStopped(), "Stopped before every source text was read.", " Collocates",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::WalkAbandonQuestion(), "Stop reading the source texts?", " Collocates",
         Buttons::YesNo, Icon::Question},
        {analysis::msg::SpanOutOfRange(), "The span takes 0 to 25 words on each side.",
         " Collocates", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::SpanBothZero(), "The span needs at least one word on one side.",
         " Collocates", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::StopListUnreadable("/t/stop.txt", ENOENT),
         "Cannot read the stop list /t/stop.txt\r\nNo such file or directory", " Collocates",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::WordListUnreadable("/t/x.lst", "Not a word list"),
         "Cannot use the word list /t/x.lst\r\nNot a word list", " Collocates", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::CorpusFileUnreadable("/t/c.txt", ENOENT),
         "Cannot read the corpus file /t/c.txt\r\nNo such file or directory", " Collocates",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::CorpusEmpty(), "The corpus holds no words.", " Collocates", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::CorpusIsFilesWithHits(),
         "The corpus is the files with hits: files without hits are left out of it.", " Collocates",
         Buttons::Ok, Icon::Information},
        {analysis::msg::WordListMismatch(2, "cat, dog."),
         "2 collocates stand in more places of the windows than the corpus holds it - the corpus "
         "is of other texts - and are left out: cat, dog.",
         " Collocates", Buttons::Ok, Icon::Information},
        {analysis::msg::OverlappedCollocates(1),
         "1 collocate is counted in overlapping windows more often than the corpus holds it: O21 "
         "is taken as 0.",
         " Collocates", Buttons::Ok, Icon::Information},
        {analysis::msg::NoHitsToWalk(), "The result file holds no hits.", " Collocates",
         Buttons::Ok, Icon::Exclamation},
        // dispersion
        {analysis::msg::DispersionOnlyFilesWithHits(),
         "The parts are the files with hits; the files without hits (the summary counts them) "
         "are left out. Name the corpus to include them.",
         " Dispersion", Buttons::Ok, Icon::Information},
        {analysis::msg::DispersionSingleFile(), "Juilland's D is not defined for a single file.",
         " Dispersion", Buttons::Ok, Icon::Information},
        {analysis::msg::DispersionFileWithoutWords("caf\xE9.txt"),
         "caf\xE9.txt has no words: it is no part of the measures.", " Dispersion", Buttons::Ok,
         Icon::Information},
        {analysis::msg::DispersionFileLeftOut("a.txt", "changed or gone since the search"),
         "a.txt is left out: changed or gone since the search", " Dispersion", Buttons::Ok,
         Icon::Exclamation},
        {analysis::msg::DispersionPartial(12),
         "The measures are partial: 12 hits are left out (their files changed or gone since the "
         "search).",
         " Dispersion", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DispersionHitsOutsideCorpus(3),
         "3 hits are in files outside the corpus given: left out.", " Dispersion", Buttons::Ok,
         Icon::Information},
        {analysis::msg::DispersionNoFiles(), "There are no files to plot.", " Dispersion",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DispersionUnreadable(EACCES), "it cannot be read (Permission denied).",
         " Dispersion", Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DispersionAbandoned(), "The dispersion run was stopped.", " Dispersion",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DispersionAbandonQuestion(), "Abandon the dispersion plot?", " Dispersion",
         Buttons::YesNo, Icon::Question},
        {analysis::msg::DispersionCannotSavePicture("/tmp/caf\xC3\xA9.svg", ENOSPC),
         "Could not save the plot as /tmp/caf\xE9.svg !\r\nNo space left on device", " Dispersion",
         Buttons::Ok, Icon::Exclamation},
        {analysis::msg::DispersionPictureExists("plot.svg"),
         "plot.svg exists already: the plot was not saved.", " Dispersion", Buttons::Ok,
         Icon::Exclamation},
        // end of dispersion
    };
}

TEST(MessageTables, EveryMessageIsWordedAsTheProgramWordsIt) {
    const std::vector<Row> rows = everyMessage();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + rows[i].text);
        EXPECT_EQ(rows[i].shown.text, rows[i].text);
        EXPECT_EQ(rows[i].shown.title, rows[i].title);
        EXPECT_EQ(rows[i].shown.buttons, rows[i].buttons);
        EXPECT_EQ(rows[i].shown.icon, rows[i].icon);
    }
}

// Texts shown by more than one subsystem are one entry; their near copies stay apart.
TEST(MessageTables, SharedEntriesAndTheirNearCopiesStayApart) {
    EXPECT_NE(search::msg::NoTargetFolder().text, ui::msg::NoTargetFolderSelected().text);
    EXPECT_EQ(search::msg::NoTargetFolder().text + "!", ui::msg::NoTargetFolderSelected().text);
    EXPECT_EQ(keywords::msg::HelpFileMissingWarning().text, ui::msg::HelpFileMissing().text);
    EXPECT_NE(keywords::msg::HelpFileMissingWarning().icon, ui::msg::HelpFileMissing().icon);
    EXPECT_EQ(search::msg::ReadOnlyTarget().text,
              "Your target folder is read-only -\r\nyou must change folder");
    EXPECT_NE(viewer::msg::ExtractSaveFailed().text, viewer::msg::DetailsSaveFailed().text);
}

} // namespace
} // namespace lexmora

// The settings file lexmora9.ini (section "Defaults"): reading it into the ProgramState at
// start-up and writing back, after one question, the settings the user changed.
#pragma once

#include "core/messages.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lexmora {

inline constexpr const char* kSettingsFileName = "lexmora9.ini";
inline constexpr const char* kSettingsSection = "Defaults";

// The extensions never searched as text: four characters each, two-letter ones blank-padded.
inline constexpr const char* kBuiltInInvalidExtensions =
    ".386.AAM.ACM.ARC.AU "
    ".AVI.BAT.BIN.BMP.BMZ.CAB.CDA.CDR.CFG.CGI.CGM.CHI.CHM.COM.CPL.CPX.CSS.DAT.DCR.DIB.DIR.DLL.DOT."
    "DMP.DRV.DRW.DTD.ECW.EMF.EMZ.EPS.EXE.FLA.FON.FPX.GFA.GID.GIF.GZ "
    ".HLP.HQX.ICO.IMG.INF.INI.JAR.JAV.JFI.JPE.JPG.JS "
    ".KBD.LIB.LOG.LNK.MID.MIX.MOV.MP3.MPG.NLS.OCA.OCX.PCD.PCT.PCX.PCZ.PDF.PIC.PIF.PL "
    ".PNG.PPP.PPT.QLS.QTC.QTX.RAM.REG.RLE.RMD.RMI.RMM.RTF.SCR.SEA.SMI.SRG.SYS.SWF.SWP.TAR.TGA.TIF."
    "TLB.TMP.TTF.VBP.VBW.VBX.VXD.WAV.WMF.WMZ.WPG.WSZ.XLS.ZIP";

inline constexpr int kDefaultContextWidth = 200;
inline constexpr int kMaxContextWidth = 550; // the top of the context dialog's scroll bars

// What LoadSettings takes from the process; tests give their own.
struct SettingsEnvironment {
    std::string programFolder; // where the settings file and code files are
    std::string currentFolder; // the process's current folder
    std::string tmpVariable;   // the "Tmp" variable, else TMPDIR; may be empty
    static SettingsEnvironment fromProcess(const std::string& programFolder);
};

// The values the exit compares against to find what the user changed.
struct StartValues {
    std::string SourceDirectory;
    std::string TargetDirectory;
    std::string FrequencyFilesDirectory;
    std::string FileListDirectory;
    int LeftContext = kDefaultContextWidth;
    int RightContext = kDefaultContextWidth;
    std::string LanguageName;
    bool AdvancedUser = false;
    std::chrono::system_clock::time_point ProgramStart;
};

// The number of characters read into `value` (at most 254); `fallback` for an absent key.
std::size_t ReadIniString(const std::string& key, const std::string& fallback, std::string& value,
                          const std::string& settingsPath);
// The key's unsigned decimal value; `fallback` when absent, 0 when not a number.
long long ReadIniInt(const std::string& key, long long fallback, const std::string& settingsPath);
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& settingsPath);

std::string SettingsPathFor(const std::string& programFolder);

// Fills the state from the file; missing or broken values take their defaults and fall-backs.
void LoadSettings(ProgramState& state, const SettingsEnvironment& env);

// The language switch: index, caption, and the apostrophe rule of the language.
void ApplyLanguage(ProgramState& state, LanguageId language);
// Start-up's reading of the "Language" key: a known name switches, anything else keeps French
// but is shown as the caption.
void ApplyStoredLanguage(ProgramState& state);

StartValues TakeStartValues(const ProgramState& state);

// Asks once before writing the first changed setting; returns the keys written.
std::vector<std::string> SaveChangedSettings(const ProgramState& state, const StartValues& start,
                                             Prompter& prompter);

// Every setting in effect, as the settings file would hold it.
std::vector<std::pair<std::string, std::string>> EffectiveSettings(const ProgramState& state);

// Checks a value as start-up would accept it and writes it; the failure says why not.
Status SetSetting(const ProgramState& state, const std::string& key, const std::string& value);

std::optional<LanguageId> LanguageFromName(const std::string& name);
// The same without regard to case, for names a user types ("german").
std::optional<LanguageId> LanguageFromTypedName(const std::string& name);
const char* LanguageName(LanguageId language);

} // namespace lexmora

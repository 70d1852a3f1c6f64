// Every message and note of the analysis commands, worded once (Windows-1252).
#pragma once

#include "core/message.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora::analysis::msg {

// --- Keyness ---------------------------------------------------------------------------------
// File names are given as they are on disk (UTF-8) and converted here.
Message KeynessCannotReadList(const std::string& name, const std::string& errorText);
Message KeynessNotAFile(const std::string& name);
Message KeynessSameList(const std::string& name);
Message KeynessEmptyList(const std::string& name);
Message KeynessNoTokens(const std::string& name);
Message KeynessFrequenciesExceedTokens(const std::string& name, std::int64_t frequencies,
                                       std::int64_t tokens);
Message KeynessBadLine(const std::string& name, std::int64_t line, const std::string& why,
                       std::int64_t badLines);
Message KeynessListTooLarge(const std::string& name);
Message KeynessBadSetting(const std::string& what);
Message KeynessStopped();
// Why a line of a plain list is no entry.
extern const char* const kLineNoTab;
extern const char* const kLineTooManyFields;
extern const char* const kLineNoWord;
extern const char* const kLineBadFrequency;
extern const char* const kLineBadRank;
extern const char* const kLineFrequencyTooLarge;
extern const char* const kLineBadTokens;
extern const char* const kLineSecondTokens;
extern const char* const kSettingK;
extern const char* const kSettingP;
extern const char* const kSettingMinimum;
// Notes told beside the keyness table.
std::string KeynessSkippedLine(const std::string& name, std::int64_t line, const std::string& why);
std::string KeynessMoreSkipped(std::int64_t more);
std::string KeynessSpellingsJoined(const std::string& name, std::int64_t entries);
std::string KeynessLists(std::int64_t targetTypes, std::int64_t targetTokens,
                         std::int64_t referenceTypes, std::int64_t referenceTokens);
std::string KeynessTested(std::int64_t words);
// The significance cut: "p < 0.05", or with a correction its name, the words and the level.
std::string KeynessCut(double level, double corrected, const std::string& correction,
                       std::int64_t words);
extern const char* const kBonferroni;
extern const char* const kSidak;
std::string KeynessFound(std::int64_t positive, std::int64_t negative);
// --- end of Keyness --------------------------------------------------------------------------

// --- Hit walk ----------------------------------------------------------------------------------
Message NoSourcesInResultFile(const std::string& name);
Message DamagedRecordsLeftOut(std::int64_t records);
Message FilesLeftOut(std::int64_t hits, const std::vector<std::string>& files);
Message HitsNotFound(std::int64_t hits, const std::vector<std::string>& files);
Message WalkStopped();
Message WalkAbandonQuestion();

// --- Collocates --------------------------------------------------------------------------------
Message SpanOutOfRange();
Message SpanBothZero();
Message StopListUnreadable(const std::string& path, int error);
Message WordListUnreadable(const std::string& path, const std::string& reason);
Message CorpusFileUnreadable(const std::string& path, int error);
Message CorpusEmpty();
Message CorpusIsFilesWithHits();
Message WordListMismatch(std::int64_t collocates, const std::string& examples);
Message OverlappedCollocates(std::int64_t collocates);
Message NoHitsToWalk();
// --- N-grams and clusters ---
Message AbandonNgrams();
Message NgramsAbandoned();
Message SizeOutOfRange(const std::string& given);
Message NoWordsForNgrams();
Message NotATextSource(const std::string& path);
Message CannotSpillInFolder(const std::string& folder, const std::string& errorText);
Message SpillFailed(const std::string& folder, const std::string& errorText);
Message NgramCountingFailed(const std::string& why);
Message NgramFileDamaged(const std::string& name, const std::string& reason);
Message NotAnNgramFile(const std::string& name);
Message NgramFileTooNew(const std::string& name, int version);
Message CannotReadNgramFile(const std::string& name, const std::string& errorText);
Message CannotSaveNgrams(const std::string& name, const std::string& errorText);
Message NgramFileExists(const std::string& name);
Message ClusterSizeOutOfRange(const std::string& given);
Message AbandonClusters();
// --- end of n-grams and clusters ---

// --- dispersion -------------------------------------------------------------------------------
// Notes shown beside the figures (their text) and failures of a dispersion run.
Message DispersionOnlyFilesWithHits();
Message DispersionSingleFile();
Message DispersionFileWithoutWords(const std::string& name);
Message DispersionFileLeftOut(const std::string& name, const std::string& reason);
Message DispersionPartial(std::int64_t hitsLeftOut);
Message DispersionHitsOutsideCorpus(std::int64_t hits);
Message DispersionNoFiles();
Message DispersionUnreadable(int errorNumber);
Message DispersionAbandoned();
Message DispersionAbandonQuestion();
Message DispersionCannotSavePicture(const std::string& name, int errorNumber);
Message DispersionPictureExists(const std::string& name);
// --- end of dispersion ------------------------------------------------------------------------

} // namespace lexmora::analysis::msg

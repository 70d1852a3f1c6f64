// The positions file beside a saved search: what the search writes there (offsets in the text as
// the analyses read it, the hyphen breaks the search joined put back, a UTF-8 source counted in
// its converted text), and a file taken only while the dump and the sources are as they were.
#include "search/hit_positions.h"

#include "codes/code_tables.h"
#include "search/result_files.h"
#include "search/search_run.h"
#include "support/saved_search.h"
#include "support/test_support.h"
#include "viewer/result_viewer.h"

#include <gtest/gtest.h>

#include "core/folders.h"
#include "core/paths.h"
#include "core/program_location.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace lexmora {
namespace {

// The positions of a dump as the viewer counts its hits.
std::optional<HitPositions> positionsOf(const std::string& dump) {
    SilentPrompter quiet;
    Result<ResultViewer> viewer = ResultViewer::open(dump, quiet);
    if (!viewer)
        return std::nullopt;
    return ReadHitPositions(dump, static_cast<std::uint64_t>(viewer->RecordTotal() - 1),
                            viewer->RecordLength());
}

// Temporary files the writers left in the cache.
int partsLeft() {
    int parts = 0;
    const std::string folder = JoinPath(UserCacheFolder(), "hits");
    if (FolderExists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            parts += entry.path().extension() != ".pos" ? 1 : 0;
    return parts;
}

SourceStamp stampAs(const std::string& path, SourceTextKind kind) {
    SourceStamp stamp = StampOfFile(path).value_or(SourceStamp{});
    stamp.kind = kind;
    return stamp;
}

TEST(HitPositionsFile, ReadBackOnlyWhileTheDumpIsAsWritten) {
    const test::OwnCache cache;
    const test::TempDir dir;
    const std::string dump = dir.write("k.dmp", std::string(160, 'x'));
    const SourceStamp source{1234, 5678, SourceTextKind::Utf8};
    {
        HitPositionsWriter writer(dump);
        writer.addEntry(7, source);
        writer.addHit(0);
        writer.addHit(std::uint64_t{5} << 33); // past 4 GB
        writer.addHit(kNoHitPosition);
        writer.finish(true, 80);
    }
    EXPECT_EQ(FolderOf(HitPositionsPathFor(dump)), JoinPath(UserCacheFolder(), "hits"));
    EXPECT_EQ(partsLeft(), 0);
    const auto read = ReadHitPositions(dump, 3, 80);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->hits, (std::vector<std::uint64_t>{0, std::uint64_t{5} << 33, kNoHitPosition}));
    ASSERT_EQ(read->entries.size(), 1u);
    EXPECT_EQ(read->entries.at(7), source);

    // Another hit count or record length is another dump.
    EXPECT_FALSE(ReadHitPositions(dump, 2, 80));
    EXPECT_FALSE(ReadHitPositions(dump, 3, 81));
    // A dump changed since (here: one more record) is not the one the offsets belong to.
    { std::ofstream(dump, std::ios::app) << std::string(80, 'y'); }
    EXPECT_FALSE(ReadHitPositions(dump, 3, 80));
}

TEST(HitPositionsFile, ADamagedOrUnfinishedFileIsNotTaken) {
    const test::OwnCache cache;
    const test::TempDir dir;
    const std::string dump = dir.write("k.dmp", std::string(80, 'x'));
    {
        HitPositionsWriter writer(dump);
        writer.addHit(42);
        writer.finish(true, 80);
    }
    ASSERT_TRUE(ReadHitPositions(dump, 1, 80));
    const std::string path = HitPositionsPathFor(dump);
    const std::string whole = test::readFile(path);
    writeFileReplacing(path, whole.substr(0, whole.size() - 1));
    EXPECT_FALSE(ReadHitPositions(dump, 1, 80));
    writeFileReplacing(path, std::string(whole.size(), '\0'));
    EXPECT_FALSE(ReadHitPositions(dump, 1, 80));
    // Another dump whose name gives the same file name: the path inside tells them apart.
    const std::string other = dir.write("other.dmp", std::string(80, 'x'));
    writeFileReplacing(HitPositionsPathFor(other), whole);
    EXPECT_FALSE(ReadHitPositions(other, 1, 80));
    ForgetHitPositions(other);

    // Not kept (the dump failed), or dropped unfinished: no file at all, and the earlier one
    // of the same name gone with it.
    writeFileReplacing(path, whole);
    {
        HitPositionsWriter writer(dump);
        writer.addHit(1);
        writer.finish(false, 80);
    }
    EXPECT_EQ(test::readFile(HitPositionsPathFor(dump)), "<missing>");
    {
        HitPositionsWriter writer(dump);
        writer.addHit(1);
    }
    EXPECT_EQ(test::readFile(HitPositionsPathFor(dump)), "<missing>");
    EXPECT_EQ(partsLeft(), 0);
}

TEST(HitPositionsFile, TheCacheKeepsTheNewestFiles) {
    const test::OwnCache cache;
    const test::TempDir dir;
    std::vector<std::string> dumps;
    for (int i = 0; i < 258; ++i) {
        dumps.push_back(dir.write("d" + std::to_string(i) + ".dmp", std::string(80, 'x')));
        {
            HitPositionsWriter writer(dumps.back());
            writer.addHit(1);
            writer.finish(true, 80);
        }
        // Times a second apart: the file system's own may not tell files of one tick apart.
        const timespec times[2] = {{1000000 + i, 0}, {1000000 + i, 0}};
        ::utimensat(AT_FDCWD, HitPositionsPathFor(dumps.back()).c_str(), times, 0);
    }
    EXPECT_FALSE(ReadHitPositions(dumps[0], 1, 80));
    EXPECT_FALSE(ReadHitPositions(dumps[1], 1, 80));
    EXPECT_TRUE(ReadHitPositions(dumps[2], 1, 80));
    EXPECT_TRUE(ReadHitPositions(dumps[257], 1, 80));
}

class HitPositionsOfASearch : public ::testing::Test {
protected:
    const test::OwnCache cache;
    ProgramState searchState(const std::vector<std::string>& files,
                             const std::vector<std::string>& keywords) {
        ProgramState state;
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = state.RightContext = 20;
        state.SourceDirectory = dir.path() + "/src/";
        state.SourceFileType = "*.*";
        state.TargetDirectory = dir.makeFolder("out") + "/";
        state.InvalidFileNameChars = "\\/:*?\"<>|";
        state.SourceFiles = files;
        state.SaveToFile = true;
        state.Keywords = keywords;
        state.KeywordCase.assign(keywords.size(), false);
        return state;
    }
    // The dumps kept, in keyword order.
    std::vector<std::string> search(ProgramState state,
                                    std::size_t spoolMemory = std::size_t{16} << 20) {
        SearchRun run;
        run.spoolMemory = spoolMemory;
        SearchObserver observer;
        SilentPrompter prompter;
        RunSearch(state, SearchRequestFor(state), run, observer, prompter);
        return run.keptDumpFiles;
    }
    test::TempDir dir;
};

TEST_F(HitPositionsOfASearch, OffsetsAreThoseOfTheTextTheAnalysesRead) {
    // Hyphen breaks the search joins stand before the hits: the offsets are the file's own.
    const std::string plain = "a be-\r\ngan the x con-\r\ncern the y\r\n";
    // UTF-8 detected: offsets count the Windows-1252 text it is read as (one byte per accented
    // letter); read as the ANSI code, its own bytes.
    const std::string utf8 = "caf\xC3\xA9 the caf\xC3\xA9 the";
    const std::string a = dir.write("src/a.txt", plain);
    const std::string b = dir.write("src/b.txt", utf8);
    struct Case {
        int codeMode;
        std::uint64_t third, fourth;
        SourceTextKind kind;
    };
    for (const Case& c : {Case{kCodeAutomatic, 5, 14, SourceTextKind::Utf8},
                          Case{kCodeAnsi, 6, 16, SourceTextKind::Raw}}) {
        SCOPED_TRACE(c.codeMode);
        ProgramState state = searchState({"a.txt", "b.txt"}, {"the"});
        state.CodeMode = c.codeMode;
        const auto positions = positionsOf(search(state).at(0));
        ASSERT_TRUE(positions);
        EXPECT_EQ(positions->hits,
                  (std::vector<std::uint64_t>{plain.find("the x"), plain.find("the y"), c.third,
                                              c.fourth}));
        ASSERT_EQ(positions->entries.size(), 2u);
        EXPECT_EQ(positions->entries.at(1), stampAs(a, SourceTextKind::Raw));
        EXPECT_EQ(positions->entries.at(2), stampAs(b, c.kind));
    }
}

TEST_F(HitPositionsOfASearch, LaterKeywordsOfOnePassKeepTheirOffsetsThroughTheSpool) {
    dir.write("src/a.txt", "the cat and the dog; a cat");
    const std::vector<std::string> dumps =
        search(searchState({"a.txt"}, {"the", "cat"}), 0); // every later hit through the file
    ASSERT_EQ(dumps.size(), 2u);
    const auto the = positionsOf(dumps[0]);
    const auto cat = positionsOf(dumps[1]);
    ASSERT_TRUE(the && cat);
    EXPECT_EQ(the->hits, (std::vector<std::uint64_t>{0, 12}));
    EXPECT_EQ(cat->hits, (std::vector<std::uint64_t>{4, 23}));
}

TEST_F(HitPositionsOfASearch, GoesWithASetWithoutHits) {
    dir.write("src/a.txt", "nothing here");
    const std::string out = dir.makeFolder("out") + "/";
    EXPECT_EQ(test::SearchAndSave(dir.path() + "/src/", {"a.txt"}, "the", out, 20), "");
    EXPECT_EQ(test::readFile(HitPositionsPathFor(out + "the_001.dmp")), "<missing>");
}

} // namespace
} // namespace lexmora

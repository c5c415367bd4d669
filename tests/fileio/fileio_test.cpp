// The file layer, compiled and run alike on POSIX systems and (under Wine) on Windows. Every
// file lives in a folder with a Japanese name and spaces.
#include "child.h"
#include "fileio/fileio.h"
#include "records.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <thread>

#ifndef _WIN32
#include "../support/filesizelimit.h"
#endif

using namespace fileio_test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    fileio::File file;
    std::int64_t size = 0;
    if (file.open(path, fileio::File::Mode::Read) || file.size(&size))
        return "(unreadable)";
    std::string bytes(static_cast<size_t>(size), '\0');
    std::int64_t got = 0;
    if (file.readAt(bytes.data(), size, 0, &got))
        return "(unreadable)";
    bytes.resize(static_cast<size_t>(got));
    return bytes;
}

class FileLayer : public ::testing::Test {
protected:
    FileLayer()
    {
        folder = fs::temp_directory_path()
            / fromUtf8("カナメル 共有 " + std::to_string(std::random_device {}()) + " フォルダ");
        fs::create_directories(folder);
        results = folder / fromUtf8("成績累積 データ.dat");
    }
    ~FileLayer() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::unique_ptr<Child> start(std::vector<std::string> args)
    {
        args.insert(args.begin(), toUtf8(helperPath()));
        auto child = std::make_unique<Child>(args);
        EXPECT_TRUE(child->started()) << toUtf8(helperPath());
        return child;
    }
    int run(const std::vector<std::string>& args) { return start(args)->wait(60s); }
    std::string records(int writer, int first, int last) const
    {
        std::string out;
        for (int i = first; i <= last; ++i)
            out += makeRecord(writer, i);
        return out;
    }
    // Every record is whole and each writer's records are 1, 2, 3 ... in order; returns how
    // many each writer has.
    std::map<int, int> expectWholeRecordsInOrder(const std::string& bytes) const
    {
        std::map<int, int> count;
        for (size_t at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength) {
            int writer = 0;
            int sequence = 0;
            EXPECT_TRUE(parseRecord(bytes.substr(at, kRecordLength), &writer, &sequence)) << "record at " << at;
            EXPECT_EQ(sequence, ++count[writer]) << "record at " << at;
        }
        return count;
    }

    fs::path folder;
    fs::path results;
};

TEST_F(FileLayer, TheLockKeepsAnotherProcessOutUntilItIsReleased)
{
    fileio::File file;
    ASSERT_EQ(file.open(results, fileio::File::Mode::ReadWriteCreate), 0);
    ASSERT_EQ(file.lock(true), 0);
    EXPECT_EQ(run({ "trylock", toUtf8(results) }), 3);
    file.unlock();
    EXPECT_EQ(run({ "trylock", toUtf8(results) }), 0);
}

TEST_F(FileLayer, FourProcessesAppendingAtOnceStoreEveryRecordOnceAndWhole)
{
    constexpr int kWriters = 4;
    constexpr int kEach = 500;
    std::vector<std::unique_ptr<Child>> writers;
    for (int w = 1; w <= kWriters; ++w)
        writers.push_back(start({ "append", toUtf8(results), std::to_string(w), std::to_string(kEach) }));
    for (auto& w : writers)
        EXPECT_EQ(w->wait(240s), 0);
    const std::string bytes = readAll(results);
    ASSERT_EQ(bytes.size(), size_t { kWriters * kEach * kRecordLength });
    EXPECT_EQ(
        expectWholeRecordsInOrder(bytes), (std::map<int, int> { { 1, 500 }, { 2, 500 }, { 3, 500 }, { 4, 500 } }));
}

// A writer that dies after part of a record: the complete records stay readable, and the next
// append overwrites the part, right after them, without waiting for the dead writer's lock.
TEST_F(FileLayer, AWriterDyingMidRecordLeavesTheCompleteRecordsAndTheNextAppendInPlace)
{
    const std::string before = records(1, 1, 5);
    for (int part : { 1, 17, 43 }) {
        SCOPED_TRACE(part);
        ASSERT_EQ(fileio::replaceFile(results, before), 0);
        EXPECT_EQ(run({ "partial", toUtf8(results), "2", "1", std::to_string(part) }), -2);
        ASSERT_EQ(readAll(results).size(), before.size() + part);

        const std::string next = makeRecord(3, 1);
        const fileio::AppendOutcome out = fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength);
        EXPECT_EQ(out.error, 0);
        EXPECT_EQ(out.recordNumber, 6);
        EXPECT_EQ(readAll(results), before + next);
    }
}

TEST_F(FileLayer, AWriterKilledAtAnyMomentLeavesWholeRecordsAndTheNextAppendAfterThem)
{
    auto writer = start({ "append", toUtf8(results), "1", "100000" });
    for (int i = 0; i < 20000 && readAll(results).size() < 60 * kRecordLength; ++i)
        std::this_thread::sleep_for(1ms);
    writer->kill();
    const std::string left = readAll(results);
    const size_t complete = left.size() / kRecordLength;
    ASSERT_GE(complete, 60u);
    expectWholeRecordsInOrder(left.substr(0, complete * kRecordLength));

    const std::string next = makeRecord(2, 1);
    EXPECT_EQ(fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength).error, 0);
    EXPECT_EQ(readAll(results), left.substr(0, complete * kRecordLength) + next);
}

// An append whose flush fails is taken back: the file is as it was and the failure is reported,
// so a retry does not store the record twice.
TEST_F(FileLayer, AnAppendWhoseFlushFailsLeavesTheFileAsItWasAndReportsTheFailure)
{
    const std::string before = records(1, 1, 3);
    ASSERT_EQ(fileio::replaceFile(results, before), 0);
    int flushes = 0;
    const fileio::FlushFunction old = fileio::setFlushForTests([&](fileio::File&) {
        ++flushes;
        return EIO;
    });
    const std::string next = makeRecord(1, 4);
    const fileio::AppendOutcome out = fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength);
    fileio::setFlushForTests(old);
    EXPECT_EQ(out.error, EIO);
    EXPECT_EQ(out.stage, 5);
    EXPECT_FALSE(out.busy);
    EXPECT_EQ(readAll(results), before);
    EXPECT_GE(flushes, 1);
}

TEST_F(FileLayer, AReplacementInterruptedBeforeTheRenameLeavesTheOldFileWhole)
{
    const fs::path roster = folder / fromUtf8("生徒用 名簿.txt");
    const std::string old = "古い名簿\r\n" + std::string(3000, 'o');
    ASSERT_EQ(fileio::replaceFile(roster, old), 0);
    EXPECT_EQ(run({ "replace-die", toUtf8(roster) }), -2);
    EXPECT_EQ(readAll(roster), old);

    // The killed writer's temporary file is left beside the roster. The next replacement removes
    // it once it is old enough to be nobody's work in progress, and leaves everything else.
    std::vector<fs::path> left;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.path() != roster)
            left.push_back(e.path());
    ASSERT_EQ(left.size(), 1u);
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(left[0], hourAgo);
    const std::string base = toUtf8(roster);
    const fs::path kept[] = { fromUtf8(base + ".Zz9Zz9"), fromUtf8(base + ".abc"), fromUtf8(base + ".abcdefg"),
        fromUtf8(base + ".ab-def"), fromUtf8(toUtf8(folder / fromUtf8("他の名簿.txt")) + ".abcdef"),
        fromUtf8(base + ".Dir123") };
    for (const fs::path& p : kept) {
        if (toUtf8(p).ends_with("Dir123"))
            fs::create_directory(p);
        else
            ASSERT_EQ(fileio::replaceFile(p, "x"), 0);
        std::error_code ignored; // a folder's time cannot be set under Wine
        if (p != kept[0])
            fs::last_write_time(p, hourAgo, ignored);
    }

    ASSERT_EQ(fileio::replaceFile(roster, "新しい名簿\r\n"), 0);
    EXPECT_EQ(readAll(roster), "新しい名簿\r\n");
    EXPECT_FALSE(fs::exists(left[0]));
    for (const fs::path& p : kept)
        EXPECT_TRUE(fs::exists(p)) << toUtf8(p);
}

// Each way a replacement can fail comes back as its own error, with the old file whole and no
// temporary file left beside it.
TEST_F(FileLayer, AFailedReplacementSaysWhyAndLeavesTheOldFileAndNoTemporaryFile)
{
    const fs::path roster = folder / fromUtf8("生徒用 名簿.txt");
    const fs::path aFolder = folder / fromUtf8("名簿 フォルダ");
    const std::string old = "古い名簿\r\n";
    ASSERT_EQ(fileio::replaceFile(roster, old), 0);
    fs::create_directories(aFolder);
    const struct {
        const char* what;
        fs::path target;
        std::size_t bytes;
        int error;
    } cases[] = {
        // The temporary file cannot be made.
        { "the folder is gone", folder / fromUtf8("無い フォルダ") / fromUtf8("名簿.txt"), 10, ENOENT },
#ifdef _WIN32
        { "the target is a folder", aFolder, 10, EACCES }, // the rename
#else
        { "the target is a folder", aFolder, 10, EISDIR }, // the rename
        { "the disk fills part way", roster, 5000, EFBIG }, // the write
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int error = 0;
        {
#ifndef _WIN32
            testing_support::FileSizeLimit limit(1000); // a full disk
            ASSERT_TRUE(limit.active());
#endif
            error = fileio::replaceFile(c.target, std::string(c.bytes, 'n'));
        }
        EXPECT_EQ(error, c.error) << fileio::errorText(error);
        EXPECT_EQ(readAll(roster), old);
        EXPECT_TRUE(fs::is_directory(aFolder));
        std::vector<fs::path> left;
        for (const auto& entry : fs::directory_iterator(folder))
            left.push_back(entry.path().filename());
        EXPECT_EQ(left.size(), 2u) << "a temporary file is left behind";
    }
}

TEST_F(FileLayer, ASecondInstanceIsRefusedWhileTheFirstRunsAndAcceptedAfterItWasKilled)
{
    const fs::path lockFile = folder / fromUtf8("かなめる 起動中.lock");
    const fs::path ready = folder / "ready";
    auto first = start({ "instance", toUtf8(lockFile), toUtf8(ready) });
    for (int i = 0; i < 10000 && !fs::exists(ready); ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(fs::exists(ready));
    EXPECT_EQ(run({ "instance", toUtf8(lockFile), toUtf8(folder / "ready2") }), 3);
    fileio::InstanceLock here;
    EXPECT_EQ(here.acquire(lockFile), fileio::InstanceLock::Outcome::HeldElsewhere);

    first->kill();
    EXPECT_EQ(here.acquire(lockFile), fileio::InstanceLock::Outcome::Acquired);
}

TEST_F(FileLayer, StartsAProgramWithItsArgumentInTheProgramsFolder)
{
    const fs::path program = folder / helperPath().filename();
    fs::copy_file(helperPath(), program);
    EXPECT_EQ(fileio::startProgram(program, "001 番号", folder), 0);
    const fs::path launched = folder / "launched.txt";
    for (int i = 0; i < 10000 && readAll(launched) != "001 番号"; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(readAll(launched), "001 番号");

    EXPECT_EQ(fileio::startProgram(folder / "menu.exe", "001", folder), ENOENT);
}

} // namespace

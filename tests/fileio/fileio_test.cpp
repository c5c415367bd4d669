// The file layer, compiled and run alike on POSIX systems and (under Wine) on Windows. Every
// file lives in a folder with a Japanese name and spaces.
#include "child.h"
#include "fileio/fileio.h"
#include "records.h"

#include <cerrno>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "../support/restore.h"
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
    // Another program holding `path` open (see the helper's "hold"), until it is killed.
    std::unique_ptr<Child> holder(const fs::path& path, const std::string& sharing)
    {
        const fs::path ready = folder / ("ready-" + std::to_string(++holders));
        auto child = start({ "hold", toUtf8(path), sharing, toUtf8(ready) });
        for (int i = 0; i < 20000 && !fs::exists(ready); ++i)
            std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(fs::exists(ready));
        return child;
    }
    int holders = 0;
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

// The writers' lock lies on the one byte at kLockOffset, on every system the same: another
// workstation reads the whole file while an append holds it, and finds the lock there.
TEST_F(FileLayer, TheLockLiesOnOneBytePastTheDataAndAnotherProcessReadsWhileItIsHeld)
{
    const std::string data = records(1, 1, 3);
    ASSERT_EQ(fileio::replaceFile(results, data), 0);
    fileio::File file;
    ASSERT_EQ(file.open(results, fileio::File::Mode::ReadWrite), 0);
    ASSERT_EQ(file.lock(false), 0);
    const fs::path out = folder / "probe.txt";
    EXPECT_EQ(run({ "probe", toUtf8(results), toUtf8(out) }), 0);
#ifdef _WIN32
    EXPECT_EQ(readAll(out), "read 132\nbyte 0 free\nbyte 4611686018427387904 taken\n");
#else
    EXPECT_EQ(readAll(out), "read 132\nlock 4611686018427387904 1\n");
#endif
    file.unlock();
    EXPECT_EQ(run({ "probe", toUtf8(results), toUtf8(out) }), 0);
#ifndef _WIN32
    EXPECT_EQ(readAll(out), "read 132\nlock none\n");
#endif
}

// The lock belongs to the open file, as on Windows: closing another descriptor of the same file
// in the same process (a reader of the statistics) must not drop it, as a classic fcntl lock
// would. A second open of the file in the same process is kept out too.
TEST_F(FileLayer, TheLockStaysWhenTheProcessClosesAnotherOpenOfTheSameFile)
{
    fileio::File writer;
    ASSERT_EQ(writer.open(results, fileio::File::Mode::ReadWriteCreate), 0);
    ASSERT_EQ(writer.lock(false), 0);
    {
        fileio::File reader;
        ASSERT_EQ(reader.open(results, fileio::File::Mode::ReadWrite), 0);
        EXPECT_EQ(reader.lock(false), EAGAIN);
    }
    EXPECT_EQ(run({ "trylock", toUtf8(results) }), 3);
}

// A program that holds a file open without sharing it (a backup or a virus scanner, a teacher's
// spreadsheet) makes the append and the read "in use", worth waiting for, and nothing is lost.
// Sharing modes exist on Windows only.
TEST_F(FileLayer, AFileHeldWithoutSharingIsInUseUntilItIsFreed)
{
#ifndef _WIN32
    GTEST_SKIP() << "no sharing modes on POSIX systems";
#endif
    const std::string data = records(1, 1, 2);
    ASSERT_EQ(fileio::replaceFile(results, data), 0);
    for (const char* sharing : { "none", "read" }) {
        SCOPED_TRACE(sharing);
        auto held = holder(results, sharing);
        const std::string next = makeRecord(2, 1);
        const fileio::AppendOutcome out = fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength);
        EXPECT_EQ(out.error, ETXTBSY);
        EXPECT_EQ(out.stage, 1);
        EXPECT_TRUE(out.busy);
        EXPECT_TRUE(fileio::inUse(out.error));
        std::string bytes;
        const int readError = fileio::readWholeFile(results, 1 << 20, &bytes);
        if (std::string(sharing) == "none")
            EXPECT_EQ(readError, ETXTBSY);
        else
            EXPECT_EQ(readError, 0);
        held->kill();
    }
    const std::string next = makeRecord(2, 1);
    EXPECT_EQ(fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength).error, 0);
    EXPECT_EQ(readAll(results), data + next);
}

// A replacement (the roster edit) while a reader holds the old file without delete sharing:
// tried again for a few seconds; held for longer, it fails as "in use" and the old file stays
// whole, with no temporary file left.
TEST_F(FileLayer, AReplacementWaitsForAReaderAndOtherwiseLeavesTheOldFileWhole)
{
#ifndef _WIN32
    GTEST_SKIP() << "no sharing modes on POSIX systems";
#endif
    const fs::path roster = folder / fromUtf8("生徒用 名簿.txt");
    ASSERT_EQ(fileio::replaceFile(roster, "古い名簿\r\n"), 0);
    {
        auto held = holder(roster, "read");
        std::thread freeing([&] {
            std::this_thread::sleep_for(1500ms);
            held->kill();
        });
        EXPECT_EQ(fileio::replaceFile(roster, "新しい名簿\r\n"), 0);
        freeing.join();
        EXPECT_EQ(readAll(roster), "新しい名簿\r\n");
    }
    auto held = holder(roster, "read");
    const int e = fileio::replaceFile(roster, "三番目の名簿\r\n");
    EXPECT_TRUE(fileio::inUse(e)) << e;
    held->kill();
    EXPECT_EQ(readAll(roster), "新しい名簿\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator {}), 1 + holders);
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
    fileio::AppendOutcome out;
    {
        const auto failingFlush = testing_support::installHook(fileio::setFlushForTests, [&](fileio::File&) {
            ++flushes;
            return EIO;
        });
        const std::string next = makeRecord(1, 4);
        out = fileio::appendRecord(results, next.data(), kRecordLength, kRecordLength);
    }
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
        { "the target is a folder", aFolder, 10, EISDIR }, // refused before anything is written
#ifndef _WIN32
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
    {
        // Another program merely having the lock file open refuses nothing.
        fileio::File other;
        ASSERT_EQ(other.open(lockFile, fileio::File::Mode::ReadWriteCreate), 0);
        fileio::InstanceLock lock;
        EXPECT_EQ(lock.acquire(lockFile), fileio::InstanceLock::Outcome::Acquired);
    }
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

// The instance lock's key: every spelling of one file gives one final path.
TEST_F(FileLayer, EverySpellingOfAFileHasOneFinalPath)
{
    const fs::path program = folder / fromUtf8("カナメル.exe");
    ASSERT_EQ(fileio::replaceFile(program, "x"), 0);
    const fs::path final = fileio::finalPath(program);
    std::vector<fs::path> spellings { folder / "." / program.filename(),
        folder / ".." / folder.filename() / program.filename() };
#ifdef _WIN32
    std::wstring upper = program.wstring();
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    spellings.push_back(upper);
#else
    fs::create_directory_symlink(folder, folder.parent_path() / (folder.filename().string() + "-link"));
    spellings.push_back(folder.parent_path() / (folder.filename().string() + "-link") / program.filename());
#endif
    // A second name of the same file is one file too, a copy another.
    const fs::path second = folder / fromUtf8("別名.exe");
    fs::create_hard_link(program, second);
    for (const fs::path& p : spellings) {
        EXPECT_EQ(fileio::finalPath(p), final) << toUtf8(p);
        EXPECT_TRUE(fileio::sameFile(p, program)) << toUtf8(p);
        EXPECT_TRUE(fileio::sameFile(p, second)) << toUtf8(p);
    }
    EXPECT_NE(fileio::finalPath(folder / "other.exe"), final);
    fs::copy_file(program, folder / "copy.exe");
    EXPECT_FALSE(fileio::sameFile(folder / "copy.exe", program));
    EXPECT_FALSE(fileio::sameFile(folder / "other.exe", program));
#ifndef _WIN32
    fs::remove(folder.parent_path() / (folder.filename().string() + "-link"));
#endif
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

    // Quoted only when it needs it: the launcher gets 001 as it always has.
    fs::remove(launched);
    EXPECT_EQ(fileio::startProgram(program, "001", folder), 0);
    for (int i = 0; i < 10000 && readAll(launched) != "001"; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(readAll(launched), "001");
#ifdef _WIN32
    const std::string line = readAll(folder / "commandline.txt");
    EXPECT_EQ(line.substr(line.size() - 4), " 001") << line;
#endif

    EXPECT_EQ(fileio::startProgram(folder / "menu.exe", "001", folder), ENOENT);
}

// One table of error values and their texts, from the program's own table on every system.
TEST(ErrorTexts, AreTheProgramsOwnOnEverySystem)
{
    const struct {
        int error;
        const char* text;
    } rows[] = {
        { ENOENT, "ファイルかフォルダがありません" },
        { EACCES, "アクセスが拒否されました" },
        { ETXTBSY, "ほかのプログラムがファイルを開いています" },
        { EAGAIN, "ほかの端末かプログラムがファイルをロックしています" },
        { ENOSPC, "ディスクの空き容量が不足しています" },
        { EIO, "ディスクかネットワークの読み書きに失敗しました" },
        { EISDIR, "ファイルではなくフォルダです" },
        { EPIPE, "読む側が途中で閉じました" },
        { fileio::kNotRegularFile, "普通のファイルではありません（FIFO や装置は使えません）" },
        { 9999, "エラー 9999" },
    };
    for (const auto& r : rows) {
        fileio::errorFromSystem(0);
        EXPECT_EQ(fileio::errorText(r.error), r.text) << r.error;
    }
    EXPECT_TRUE(fileio::inUse(ETXTBSY));
    EXPECT_TRUE(fileio::inUse(EAGAIN));
    EXPECT_FALSE(fileio::inUse(EACCES));
}

// The system's own errors as the layer reports them, with the Windows number kept in the text.
TEST(ErrorTexts, SystemErrorsMapToTheNearestValue)
{
    const struct {
        unsigned long system;
        int error;
        const char* text;
    } rows[] = {
#ifdef _WIN32
        { ERROR_SHARING_VIOLATION, ETXTBSY, "ほかのプログラムがファイルを開いています（Windows のエラー 32）" },
        { ERROR_LOCK_VIOLATION, EAGAIN, "ほかの端末かプログラムがファイルをロックしています（Windows のエラー 33）" },
        { 1295 /* ERROR_DISK_QUOTA_EXCEEDED */, ENOSPC, "ディスクの空き容量が不足しています（Windows のエラー 1295）" },
        { ERROR_DISK_FULL, ENOSPC, "ディスクの空き容量が不足しています（Windows のエラー 112）" },
        { ERROR_DEV_NOT_EXIST, EIO, "ディスクかネットワークの読み書きに失敗しました（Windows のエラー 55）" },
        { ERROR_NETWORK_UNREACHABLE, EIO, "ディスクかネットワークの読み書きに失敗しました（Windows のエラー 1231）" },
        { ERROR_CONNECTION_ABORTED, EIO, "ディスクかネットワークの読み書きに失敗しました（Windows のエラー 1236）" },
        { ERROR_NETNAME_DELETED, EIO, "ディスクかネットワークの読み書きに失敗しました（Windows のエラー 64）" },
        { ERROR_ACCESS_DENIED, EACCES, "アクセスが拒否されました（Windows のエラー 5）" },
        { ERROR_FILE_NOT_FOUND, ENOENT, "ファイルかフォルダがありません（Windows のエラー 2）" },
        { ERROR_INVALID_FUNCTION, EINVAL, "この操作はできません（Windows のエラー 1）" },
        { ERROR_NO_DATA, EPIPE, "読む側が途中で閉じました（Windows のエラー 232）" },
#else
        { EBUSY, ETXTBSY, "ほかのプログラムがファイルを開いています" }, // a share's sharing violation
        { EDQUOT, EDQUOT, "ディスクの使用量の上限を超えています" },
        { ENOENT, ENOENT, "ファイルかフォルダがありません" },
        { EHOSTUNREACH, EHOSTUNREACH, "ネットワークにつながりません" },
#endif
    };
    for (const auto& r : rows) {
        const int e = fileio::errorFromSystem(r.system);
        EXPECT_EQ(e, r.error) << r.system;
        EXPECT_EQ(fileio::errorText(e), r.text) << r.system;
    }
}

} // namespace

#pragma once
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

// An installation in a temporary folder, in the "files" layout (files/ beside カナメル/) or the
// parent layout, with the start-up files of a small school. Files are written in CP932 with
// CR LF, as real installations have them.
class TestInstallation {
public:
    enum Layout { FilesLayout, ParentLayout };
    explicit TestInstallation(Layout layout = FilesLayout);

    QString root() const { return dir_.path(); }
    // The folder of the program (where the executable would be).
    QString exeDir() const;
    // The shared data folder, the drill set's folder and the sound folder, with a trailing "/".
    QString rosterFolder() const;
    QString programFolder() const;
    QString soundFolder() const;

    // Writes UTF-8 text as CP932 with CR LF under the root (folders are created).
    void writeText(const QString& relativePath, const QString& utf8Text) const;
    void writeBytes(const QString& relativePath, const QByteArray& bytes) const;
    QString path(const QString& relativePath) const;

    // Rewrites the level parameter file with the same line for levels 0..35.
    void writeLevels(const QString& line) const;
    // Loads the start-up files into the shared state (fails the test on an error).
    void load() const;

private:
    QTemporaryDir dir_;
    Layout layout_;
};

} // namespace testing_support

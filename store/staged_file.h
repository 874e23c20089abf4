#pragma once

#include <QFile>
#include <QString>

// A new file written beside its target under a temporary name of our own
// pattern (see TemporaryFiles) and renamed over the target only once it is
// complete and on disk, so the target is either the old file or the whole
// new one. Removed unless committed. Readable by its owner only (0600)
// whatever the umask: what we write holds customers' data. Throws StoreError.
class StagedFile {
public:
    explicit StagedFile(const QString& target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    QString path() const { return m_path; }

    // The staged file gets the permissions of an existing file.
    void copyPermissionsFrom(const QString& file);
    // Flushes the staged file to disk and renames it over the target.
    void commit();

private:
    QString m_target;
    QString m_path;
    bool m_committed = false;
};

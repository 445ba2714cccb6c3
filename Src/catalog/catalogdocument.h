// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "catalog/catalogstore.h"
#include "catalog/catalogsync.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <future>
#include <optional>

// The Catalog as a document: the tree, the file it lives in, the edits not
// yet written, the write a moment after the last edit (on another thread),
// and following a change that someone else makes to the file.
//
// Every change goes through an Edit; finishing one is what makes the
// document write itself, so no caller has to remember to.
class CatalogDocument : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Written,
        NotNeeded, // nothing to write, or the file is kept as found by design
        Failed,
        CannotOpen, // edits, but the file could not be opened at start
    };
    Q_ENUM(Outcome)

    // A catalog read ahead of time, from the same path.
    struct Loaded {
        catalog::Document doc;
        catalogstore::LoadResult result;
    };

    // One change of the tree. Finishing it (going out of scope) counts the
    // edit, restarts the delay before the write and emits edited().
    class Edit {
    public:
        Edit(Edit&& other) noexcept;
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;
        Edit& operator=(Edit&&) = delete;
        ~Edit();

        catalog::Document& doc() { return owner->tree; }
        catalog::Allocator& allocator() { return owner->tree.GetAllocator(); }
        // Nothing was changed after all.
        void cancel() { cancelled = true; }

    private:
        friend class CatalogDocument;
        explicit Edit(CatalogDocument* document);
        CatalogDocument* owner;
        bool cancelled = false;
    };

    explicit CatalogDocument(QObject* parent = nullptr);
    // Waits for a write under way.
    ~CatalogDocument() override;

    // Reads the catalog file at `path`, or takes what was read of it ahead.
    // What went wrong is the caller's to tell.
    catalogstore::LoadResult open(const QString& path, std::optional<Loaded> preloaded = std::nullopt);
    // From now on, edits are the user's: counted and written. Before, they
    // only normalise what was read.
    void trackEdits() { tracking = true; }
    // Watches the file for changes made elsewhere.
    void watch() { sync.watch(); }

    const catalog::Document& doc() const { return tree; }
    Edit edit() { return Edit(this); }

    QString path() const { return sync.path(); }
    bool hasUnwrittenEdits() const { return dirty; }
    bool isWriting() const { return backgroundWrite.valid(); }

    // Something outside holds on to a piece of the tree for a while (a
    // modal box, a drag): a change from elsewhere waits until it is over.
    void setBusyCheck(std::function<bool()> check) { busy = std::move(check); }
    // Something reads the tree itself on another thread: `wait` returns once
    // it is done. Every change of the tree calls it first.
    void setReaderWait(std::function<void()> wait) { waitForReader = std::move(wait); }
    void setAutosaveDelay(int ms) { autosaveTimer.setInterval(ms); }

    // Writes the tree now, after a write under way; false when it could not,
    // or must not because the file is kept as it was found.
    bool save(QString* error = nullptr);
    // Writes the edits not yet written, if there are any (the ways out), and
    // says what that means for them.
    Outcome write(QString* error);
    // The version from elsewhere a write kept aside, once: empty when there
    // is none, or it was handed out already.
    QString takeUntoldCopy();

signals:
    void edited();
    // The tree was replaced by the file's new content.
    void reloaded();
    // A write a moment after the edits ended; `keptCopy` as takeUntoldCopy().
    void writeFinished(CatalogDocument::Outcome outcome, const QString& error, const QString& keptCopy);

private:
    void finishEdit(bool changed);
    Outcome outcomeOf(bool written, QString* error) const;
    // Records a finished write of the tree as it was after `editsWritten` edits.
    bool takeWritten(const CatalogSync::Write& result, quint64 editsWritten, QString* error);
    // Waits for the background write, if one is under way, and records it.
    bool takeBackgroundWrite(QString* error);
    void autosave();
    void backgroundWriteDone();
    void followOutsideChange();

    catalog::Document tree;
    // The catalog file as last read or written, and its watch.
    CatalogSync sync;
    QTimer autosaveTimer;
    std::function<bool()> busy;
    std::function<void()> waitForReader;
    bool tracking = false;
    // Set when the file was found read-only, unreadable, or holding text
    // that could not be copied aside: it is then never written.
    bool keptAsFound = false;
    bool openFailed = false;
    // Edits not yet written.
    bool dirty = false;
    // What open() made of a file it could not take whole (missing, empty,
    // repaired) is not written yet.
    bool normalised = false;
    int openEdits = 0;
    // Edits so far, and how many the background write's copy holds.
    quint64 edits = 0;
    quint64 editsInWrite = 0;
    // Run on another thread from a copy of the tree, so that input is not
    // held up by the disk; the synchronous writes wait for it.
    std::future<CatalogSync::Write> backgroundWrite;
    QString keptCopy;
    bool keptCopyTold = true;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogdocument.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// Long enough to gather a burst of edits into one write, short enough that
// a crash loses next to nothing.
constexpr int kAutosaveDelayMs = 1000;
// How long a change from elsewhere waits while something holds on to the tree.
constexpr int kBusyRetryMs = 500;

} // namespace

CatalogDocument::Edit::Edit(CatalogDocument* document) : owner(document) {
    if (owner->waitForReader)
        owner->waitForReader();
    ++owner->openEdits;
}

CatalogDocument::Edit::Edit(Edit&& other) noexcept : owner(other.owner), cancelled(other.cancelled) {
    other.owner = nullptr;
}

CatalogDocument::Edit::~Edit() {
    if (owner)
        owner->finishEdit(!cancelled);
}

CatalogDocument::CatalogDocument(QObject* parent) : QObject(parent) {
    autosaveTimer.setSingleShot(true);
    autosaveTimer.setInterval(kAutosaveDelayMs);
    connect(&autosaveTimer, &QTimer::timeout, this, &CatalogDocument::autosave);
    connect(&sync, &CatalogSync::changedElsewhere, this, &CatalogDocument::followOutsideChange);
}

CatalogDocument::~CatalogDocument() {
    // The write's thread reports back to this object: let it end first.
    if (backgroundWrite.valid())
        backgroundWrite.wait();
}

catalogstore::LoadResult CatalogDocument::open(const QString& path, std::optional<Loaded> preloaded) {
    catalogstore::LoadResult result;
    if (preloaded) {
        tree.Swap(preloaded->doc);
        result = preloaded->result;
    } else {
        result = catalogstore::load(path, tree);
    }
    keptAsFound = result.keepFileAsIs;
    openFailed = result.openFailed;
    // Watched from watch() on, once the window is up.
    sync.follow(path, result.stamp, false);
    // A tree that is not the file's whole text (nothing usable read, or
    // repaired with the text copied aside) is Tarn's to write on the way out.
    normalised = !tree.IsObject() || !tree.HasMember(catalog::kType) || result.repairs > 0 ||
                 !result.backupPath.isEmpty();
    // What nothing usable was read from starts as one empty Type.
    if (!tree.IsObject())
        tree.SetObject();
    if (!tree.HasMember(catalog::kType)) {
        catalog::Value types(rapidjson::kArrayType);
        types.PushBack(catalog::defaultType(tree.GetAllocator()), tree.GetAllocator());
        tree.AddMember(rapidjson::StringRef(catalog::kType), types, tree.GetAllocator());
    }
    return result;
}

void CatalogDocument::finishEdit(bool changed) {
    --openEdits;
    if (changed && tracking) {
        ++edits;
        dirty = true;
        autosaveTimer.start();
    } else if (dirty && !autosaveTimer.isActive() && openEdits == 0) {
        // An autosave that came while the edit was open waited for it.
        autosaveTimer.start();
    }
    if (changed)
        emit edited();
}

bool CatalogDocument::save(QString* error) {
    // A write under way ends first: the two never race for the file.
    takeBackgroundWrite(nullptr);
    if (keptAsFound)
        return false;
    return takeWritten(sync.write(tree), edits, error);
}

CatalogDocument::Outcome CatalogDocument::write(QString* error) {
    // A write under way ends first; it may have written every edit.
    const bool written = takeBackgroundWrite(error);
    // Without edits there is nothing of Tarn's to write, and a change made
    // elsewhere that is not followed yet (still settling, not whole, or
    // waiting for a box) must not be replaced by an older tree.
    if (!dirty && !normalised)
        return written ? Outcome::Written : Outcome::NotNeeded;
    return outcomeOf(save(error), error);
}

QString CatalogDocument::takeUntoldCopy() {
    if (keptCopyTold)
        return QString();
    keptCopyTold = true;
    return keptCopy;
}

CatalogDocument::Outcome CatalogDocument::outcomeOf(bool written, QString* error) const {
    if (written)
        return Outcome::Written;
    if (openFailed) {
        if (!dirty)
            return Outcome::NotNeeded;
        if (error)
            *error = QCoreApplication::translate(
                         "CatalogDocument", "配置文件在启动时无法打开，修改无法写入。\nTarn 尝试的位置：%1")
                         .arg(QDir::toNativeSeparators(sync.path()));
        return Outcome::CannotOpen;
    }
    // Kept as found by design; the user was told at start.
    return keptAsFound ? Outcome::NotNeeded : Outcome::Failed;
}

bool CatalogDocument::takeWritten(const CatalogSync::Write& result, quint64 editsWritten, QString* error) {
    if (!result.otherVersion.isEmpty() && result.otherVersion != keptCopy) {
        keptCopy = result.otherVersion;
        keptCopyTold = false;
    }
    if (error)
        *error = result.error;
    if (result.written)
        normalised = false;
    if (result.written && editsWritten == edits) {
        dirty = false;
        autosaveTimer.stop();
    }
    return result.written;
}

bool CatalogDocument::takeBackgroundWrite(QString* error) {
    if (!backgroundWrite.valid())
        return false;
    const CatalogSync::Write result = backgroundWrite.get();
    sync.take(result);
    return takeWritten(result, editsInWrite, error);
}

void CatalogDocument::autosave() {
    // One write at a time, never of a half-made edit: the end of either
    // starts the delay again.
    if (backgroundWrite.valid() || openEdits > 0)
        return;
    if (keptAsFound) {
        QString error;
        const Outcome outcome = write(&error);
        emit writeFinished(outcome, error, takeUntoldCopy());
        return;
    }
    // The copy is the snapshot: taking it is quick, serialising and the
    // checked replace are not.
    editsInWrite = edits;
    const CatalogSync::Job job = sync.prepare(tree);
    backgroundWrite = std::async(std::launch::async, [this, job] {
        CatalogSync::Write result = CatalogSync::run(job);
        QMetaObject::invokeMethod(this, &CatalogDocument::backgroundWriteDone, Qt::QueuedConnection);
        return result;
    });
}

void CatalogDocument::backgroundWriteDone() {
    if (!backgroundWrite.valid())
        return; // already taken by a synchronous write
    QString error;
    const bool written = takeBackgroundWrite(&error);
    const Outcome outcome = outcomeOf(written, &error);
    // Edits that came during the write are written without waiting for another.
    if (dirty && !autosaveTimer.isActive())
        autosaveTimer.start();
    emit writeFinished(outcome, error, takeUntoldCopy());
}

void CatalogDocument::followOutsideChange() {
    // Edits not yet written win; the next write keeps the other version.
    if (dirty || autosaveTimer.isActive() || backgroundWrite.valid())
        return;
    if (openEdits > 0 || (busy && busy())) {
        sync.checkLater(kBusyRetryMs);
        return;
    }
    catalog::Document fresh;
    // A file that is not whole is left to the next write, which keeps a copy.
    if (!sync.reread(fresh))
        return;
    if (waitForReader)
        waitForReader();
    // Swapped, not copied: a copy would stay in the pool beside the old tree
    // for as long as Tarn runs, once more for every change from elsewhere.
    tree.Swap(fresh);
    normalised = false;
    emit reloaded();
}

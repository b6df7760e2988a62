#include "app/FolderSearch.h"

#include <QMetaObject>
#include <QPointer>

#include <chrono>

namespace orvanta {

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

FolderSearch::FolderSearch(std::string indexFile, std::shared_ptr<DrawingConverter> converter,
                           QObject* parent)
    : QObject(parent), indexFile_(std::move(indexFile)), converter_(std::move(converter)) {
    updater_ = std::thread([this] { runUpdates(); });
    searcher_ = std::thread([this] { runQueries(); });
}

FolderSearch::~FolderSearch() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    stopUpdate_ = true;
    wake_.notify_all();
    updater_.join();
    searcher_.join();
}

void FolderSearch::post(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void FolderSearch::setScope(const SearchScope& scope,
                            std::shared_ptr<const FileEncodings> encodings) {
    scope_ = scope;
    // The index is tried again: a cache folder made writable, a disk with room again.
    failed_ = false;
    failure_.clear();
    FolderIndexRequest request;
    request.scope = scope;
    request.load.encodings = std::move(encodings);
    request.load.converter = converter_.get();
    request.background = true;
    {
        std::lock_guard lock(mutex_);
        lastRequest_ = request;
        pendingUpdate_ = std::move(request);
        if (!lastQuery_.isEmpty()) pendingQuery_.emplace(lastQuery_, scope_);
    }
    stopUpdate_ = true;
    updating_ = true;
    wake_.notify_all();
}

void FolderSearch::search(const QString& query) {
    {
        std::lock_guard lock(mutex_);
        lastQuery_ = query;
        pendingQuery_.emplace(query, scope_);
    }
    wake_.notify_all();
}

void FolderSearch::fail(const TextIndexError& error) {
    const QString message = QString::fromStdString(error.what());
    post([this, message] {
        failed_ = true;
        failure_ = message;
        updating_ = false;
        emit unavailable(message);
    });
}

void FolderSearch::runUpdates() {
    std::unique_ptr<TextIndex> index;
    for (;;) {
        FolderIndexRequest request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pendingUpdate_.has_value(); });
            if (quit_) return;
            request = std::move(*pendingUpdate_);
            pendingUpdate_.reset();
            stopUpdate_ = false;
        }
        try {
            if (!index) {
                index = std::make_unique<TextIndex>(indexFile_);
                {
                    std::lock_guard lock(mutex_);
                    opened_ = true;
                }
                wake_.notify_all();
                if (!index->movedAside().empty()) {
                    const QString moved = QString::fromStdString(index->movedAside());
                    post([this, moved] { emit damaged(moved); });
                }
            }
            auto lastReport = Clock::now();
            auto lastQuery = Clock::now();
            const FolderIndexOutcome outcome =
                UpdateFolderIndex(*index, request, [&](const FolderIndexProgress& progress) {
                    const auto now = Clock::now();
                    if (now - lastReport > std::chrono::milliseconds(100) ||
                        progress.done == progress.total) {
                        lastReport = now;
                        const int done = static_cast<int>(progress.done);
                        const int total = static_cast<int>(progress.total);
                        post([this, done, total] { emit progressed(done, total); });
                    }
                    // The hits grow with the index: the query is asked again now and then.
                    if (now - lastQuery > std::chrono::milliseconds(1500)) {
                        lastQuery = now;
                        std::lock_guard lock(mutex_);
                        if (!lastQuery_.isEmpty() && !pendingQuery_)
                            pendingQuery_.emplace(lastQuery_, request.scope);
                        wake_.notify_all();
                    }
                    return !stopUpdate_.load();
                });
            if (outcome.stopped) continue;
            const int drawings = static_cast<int>(outcome.drawings);
            const int failed = static_cast<int>(outcome.failed);
            post([this, drawings, failed] {
                updating_ = false;
                emit updated(drawings, failed);
            });
            std::lock_guard lock(mutex_);
            if (!lastQuery_.isEmpty()) pendingQuery_.emplace(lastQuery_, request.scope);
            wake_.notify_all();
        } catch (const TextIndexError& error) {
            if (error.problem() != TextIndexError::Problem::Damaged) {
                fail(error);
                continue;
            }
            // The index was found damaged in use and made anew: the folder is read again.
            if (index) damagedInUse(*index);
            std::lock_guard lock(mutex_);
            if (!pendingUpdate_) pendingUpdate_ = std::move(request);
        }
    }
}

void FolderSearch::damagedInUse(const TextIndex& index) {
    const QString moved = QString::fromStdString(index.movedAside());
    post([this, moved] { emit damaged(moved); });
}

void FolderSearch::runQueries() {
    std::unique_ptr<TextIndex> index;
    for (;;) {
        std::pair<QString, SearchScope> query;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || (opened_ && pendingQuery_.has_value()); });
            if (quit_) return;
            query = std::move(*pendingQuery_);
            pendingQuery_.reset();
        }
        try {
            if (!index) index = std::make_unique<TextIndex>(indexFile_);
            SearchResult result = index->search(query.second, query.first.toStdString());
            post([this, query = query.first, result = std::move(result)] {
                // An answer to a query the user has typed past is of no use.
                if (query == lastQuery_) emit answered(query, result);
            });
        } catch (const TextIndexError& error) {
            if (error.problem() != TextIndexError::Problem::Damaged) {
                fail(error);
                continue;
            }
            damagedInUse(*index);
            // The new index is empty: the scope is read again, and the query asked after it.
            std::lock_guard lock(mutex_);
            if (!pendingUpdate_) pendingUpdate_ = lastRequest_;
            wake_.notify_all();
        }
    }
}

} // namespace orvanta

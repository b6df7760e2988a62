// The window's folder search, off the interface thread: one thread keeps the index of the shown
// folder up to date, another answers the queries, each with its own connection to the index.
// Results, progress and failures come back as signals on the interface thread; the window never
// waits for the index.
#pragma once

#include "browse/FolderIndexer.h"
#include "browse/TextIndex.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace orvanta {

class FolderSearch : public QObject {
    Q_OBJECT
  public:
    // `indexFile` is the index to use (TextIndex::DefaultFile() in the program). `converter`,
    // when given, turns DWG files into DXF without showing anything; it is called on the update
    // thread.
    explicit FolderSearch(std::string indexFile,
                          std::shared_ptr<DrawingConverter> converter = nullptr,
                          QObject* parent = nullptr);
    ~FolderSearch() override;

    // Indexes and searches `scope` from now on: an update under way for another scope is
    // stopped, and the current query is asked again once the new scope is indexed.
    void setScope(const SearchScope& scope, std::shared_ptr<const FileEncodings> encodings);
    const SearchScope& scope() const { return scope_; }
    // Asks `query` in the current scope; the answer comes as `answered` (an answer to an older
    // query is never sent after a newer one's).
    void search(const QString& query);
    // False once the index could not be opened or written; `failure` says why.
    bool available() const { return !failed_; }
    const QString& failure() const { return failure_; }
    // Whether an update is under way.
    bool updating() const { return updating_; }

  signals:
    // The update of the scope has read `done` of `total` drawings.
    void progressed(int done, int total);
    // The update ended (also when nothing needed reading): `failed` drawings could not be read.
    void updated(int drawings, int failed);
    void answered(const QString& query, const SearchResult& result);
    // The index file was damaged and moved to `movedAside`; a new one is being made.
    void damaged(const QString& movedAside);
    // The index cannot be used: search is off until the next scope.
    void unavailable(const QString& message);

  private:
    void runUpdates();
    void runQueries();
    // Runs `post` on the interface thread (dropped when this object is gone by then).
    void post(std::function<void()> call);
    // Search is off: the index could not be opened or written.
    void fail(const TextIndexError& error);
    // The index was found damaged in use, moved aside and made anew.
    void damagedInUse(const TextIndex& index);

    const std::string indexFile_;
    const std::shared_ptr<DrawingConverter> converter_;
    SearchScope scope_;
    bool failed_ = false;
    QString failure_;
    bool updating_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    // The update the update thread is to run next, and a stop for the one it runs.
    std::optional<FolderIndexRequest> pendingUpdate_;
    // The last update asked for, to run again when the index is made anew.
    FolderIndexRequest lastRequest_;
    std::atomic<bool> stopUpdate_{false};
    // Set once the update thread has opened the index (moving a damaged one aside), so that the
    // query thread opens the sound one.
    bool opened_ = false;
    // The query the query thread is to answer next, and the scope it is asked in.
    std::optional<std::pair<QString, SearchScope>> pendingQuery_;
    QString lastQuery_;
    std::thread updater_;
    std::thread searcher_;
};

} // namespace orvanta
